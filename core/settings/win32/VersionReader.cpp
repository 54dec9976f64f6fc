#include "settings/win32/VersionReader.h"

#include <windows.h>

#include <cstdio>
#include <vector>

namespace hgf {
namespace {

struct Translation {
    WORD language;
    WORD codePage;
};

// The string value `name` of `translation`: "\StringFileInfo\041103a4\LegalCopyright".
std::string StringValue(const std::vector<char>& block, Translation translation, const char* name) {
    char key[96];
    std::snprintf(key, sizeof key, "\\StringFileInfo\\%08lx\\%s",
                  static_cast<unsigned long>(translation.language) * 65536ul + translation.codePage,
                  name);
    char* value = nullptr;
    UINT length = 0;
    if (!VerQueryValueA(block.data(), key, reinterpret_cast<void**>(&value), &length) || !value ||
        length == 0) {
        return {};
    }
    // The length counts characters including the terminator; stop at the first NUL.
    std::string text(value, length);
    if (std::size_t end = text.find('\0'); end != std::string::npos) text.resize(end);
    return text;
}

}  // namespace

bool ReadVersionTexts(const char* path, VersionTexts& texts) {
    texts = {};
    DWORD ignored = 0;
    DWORD size = GetFileVersionInfoSizeA(path, &ignored);
    if (size == 0) return false;
    std::vector<char> block(size);
    if (!GetFileVersionInfoA(path, 0, size, block.data())) return false;

    Translation* translations = nullptr;
    UINT length = 0;
    if (!VerQueryValueA(block.data(), "\\VarFileInfo\\Translation",
                        reinterpret_cast<void**>(&translations), &length) ||
        !translations || length < sizeof(Translation)) {
        return true;  // version information without a translation: no texts to show
    }
    texts.copyright = StringValue(block, translations[0], "LegalCopyright");
    texts.version = StringValue(block, translations[0], "ProductVersion");
    return true;
}

}  // namespace hgf
