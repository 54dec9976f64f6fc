#include "settings/win32/VersionReader.h"

#include <windows.h>

#include <cwchar>
#include <iterator>
#include <vector>

namespace hgf {
namespace {

struct Translation {
    WORD language;
    WORD codePage;
};

// The string value `name` of `translation`: "\StringFileInfo\041103a4\LegalCopyright".
std::wstring StringValue(const std::vector<char>& block, Translation translation,
                         const wchar_t* name) {
    wchar_t key[96];
    std::swprintf(key, std::size(key), L"\\StringFileInfo\\%08lx\\%ls",
                  static_cast<unsigned long>(translation.language) * 65536ul + translation.codePage,
                  name);
    wchar_t* value = nullptr;
    UINT length = 0;
    if (!VerQueryValueW(block.data(), key, reinterpret_cast<void**>(&value), &length) || !value ||
        length == 0) {
        return {};
    }
    // The length counts characters including the terminator; stop at the first NUL.
    std::wstring text(value, length);
    if (std::size_t end = text.find(L'\0'); end != std::wstring::npos) text.resize(end);
    return text;
}

}  // namespace

bool ReadVersionTexts(const std::wstring& path, VersionTexts& texts) {
    texts = {};
    DWORD ignored = 0;
    DWORD size = GetFileVersionInfoSizeW(path.c_str(), &ignored);
    if (size == 0) return false;
    std::vector<char> block(size);
    if (!GetFileVersionInfoW(path.c_str(), 0, size, block.data())) return false;

    Translation* translations = nullptr;
    UINT length = 0;
    if (!VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation",
                        reinterpret_cast<void**>(&translations), &length) ||
        !translations || length < sizeof(Translation)) {
        return true;  // version information without a translation: no texts to show
    }
    texts.copyright = StringValue(block, translations[0], L"LegalCopyright");
    texts.version = StringValue(block, translations[0], L"ProductVersion");
    return true;
}

}  // namespace hgf
