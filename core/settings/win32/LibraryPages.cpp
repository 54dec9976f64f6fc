// The two pages of library versions: "DLLファイル(1)" with the core library, the MML
// library and the SMF conversion library, the MML play time and the SMF conversion file;
// "DLLファイル(2)" with the MP3 library, zlib, Ogg Vorbis, and FLAC and Opus. The libraries
// are read beside the program; the others are linked into the core.
#include <FLAC/format.h>
#include <opus.h>
#include <zlib.h>

#include <cstdio>

#include "FileDialogFilters.h"
#include "core/CoreResources.h"
#include "platform/win32/ProgramFolder.h"
#include "platform/win32/WideText.h"
#include "settings/win32/OptionsPage.h"
#include "settings/win32/VersionReader.h"
#include "win32/Choosers.h"

namespace hgf {
namespace {

// Our own components.
constexpr char kOwnAddress[] = "https://harrowgladeforte.example/";
constexpr char kZlibAddress[] = "https://zlib.net/";
constexpr char kZlibCopyright[] = "著作権 Copyright (C) 1995-2022 Jean-loup Gailly and Mark Adler";
constexpr char kOggVorbisAddress[] = "https://xiph.org/vorbis/";
constexpr char kOggVorbisVersion[] = "バージョン 1.0";
constexpr char kOggVorbisCopyright[] = "著作権 Copyright (C) Xiph.Org Foundation";
constexpr char kFlacOpusCopyright[] = "著作権 Copyright (C) Xiph.Org Foundation and contributors";
constexpr char kFlacOpusAddress[] = "https://xiph.org/";

struct LibraryFields {
    const char* fileName;
    int versionId, copyrightId, addressId;
    const char* address;
};

constexpr LibraryFields kPage1Libraries[] = {
    {"Harrowgladeforte Core.dll", IDC_CORE_VERSION, IDC_CORE_COPYRIGHT, IDC_CORE_ADDRESS,
     kOwnAddress},
    {"Tonwerkel.dll", IDC_MML_VERSION, IDC_MML_COPYRIGHT, IDC_MML_ADDRESS, kOwnAddress},
    {"SMFK32.dll", IDC_SMF_VERSION, IDC_SMF_COPYRIGHT, IDC_SMF_ADDRESS, kOwnAddress},
};
constexpr LibraryFields kMp3Library = {"VBMP3.dll", IDC_MP3_VERSION, IDC_MP3_COPYRIGHT,
                                       IDC_MP3_ADDRESS, kOwnAddress};

// The full path of `fileName` (a plain ASCII name) beside the program; empty when the
// program's path cannot be had.
std::wstring BesideProgram(const char* fileName) {
    // The program's path opens, so its folder does too (the short path where needed).
    std::wstring path = WideFromCodePage932(ProgramPath());
    const std::size_t separator = path.find_last_of(L"\\/");
    if (separator == std::wstring::npos) return {};
    path.resize(separator + 1);
    for (const char* c = fileName; *c; ++c)
        path += static_cast<wchar_t>(*c);
    return path;
}

// The libraries ship beside the program: that copy is read, not one the system's library
// search would find elsewhere. A library without version information shows the two
// captions alone. The texts go to the page as the resource holds them.
void ShowLibrary(HWND page, const LibraryFields& library) {
    VersionTexts texts;
    ReadVersionTexts(BesideProgram(library.fileName), texts);
    const std::wstring version = WideFromCodePage932("バージョン ") + texts.version;
    const std::wstring copyright = WideFromCodePage932("著作権 ") + texts.copyright;
    SetDlgItemTextW(page, library.versionId, version.c_str());
    SetDlgItemTextW(page, library.copyrightId, copyright.c_str());
    SetDlgItemTextW(page, library.addressId, WideFromCodePage932(library.address).c_str());
}

constexpr int kPathLimit = 519;    // path buffers hold 520 characters
constexpr int kSecondsLimit = 10;  // digits of the MML play time

class LibrariesPage1 final : public OptionsPage {
  public:
    LibrariesPage1(HWND page, OptionsTarget& target)
        : OptionsPage(page, target, OptionsPageKind::Libraries1) {}

  private:
    void OnInit() override {
        for (const LibraryFields& library : kPage1Libraries)
            ShowLibrary(page_, library);
        SendMessageW(Item(IDC_SMF_CONFIG_FILE), EM_LIMITTEXT, kPathLimit, 0);
        SendMessageW(Item(IDC_MML_PLAY_TIME), EM_LIMITTEXT, kSecondsLimit, 0);
        char seconds[16];
        std::snprintf(seconds, sizeof seconds, "%d",
                      static_cast<int>(target_.settings.MmlPlayTime));
        SetItemText(IDC_MML_PLAY_TIME, seconds);
        SetItemText(IDC_SMF_CONFIG_FILE, target_.settings.SmfkConfigFile);
    }

    void OnCommand(int id, unsigned notification) override {
        if (id != IDC_SMF_CONFIG_BROWSE || notification != BN_CLICKED) return;
        std::string path;
        if (ShowFileDialog(Sheet(), "SMFナイフ コンフィグファイルを選ぶ", nullptr,
                           FILE_DIALOG_SMF_CONFIG, true, path) != 0) {
            SetItemText(IDC_SMF_CONFIG_FILE, path);
        }
    }

    void OnApply() override {
        // The edit takes digits only; an empty one gives 0, which switches MML off.
        Settings& settings = target_.settings;
        settings.MmlPlayTime = ParseProfileInt(ItemText(IDC_MML_PLAY_TIME), 0);
        target_.liveList.mmlPlayTime = settings.MmlPlayTime;
        // A path too long to store keeps the one before.
        if (std::optional<std::string> path = ItemPath(IDC_SMF_CONFIG_FILE)) {
            settings.SmfkConfigFile = std::move(*path);
            target_.liveList.smfConversionFile = settings.SmfkConfigFile;
        }
    }
};

class LibrariesPage2 final : public OptionsPage {
  public:
    LibrariesPage2(HWND page, OptionsTarget& target)
        : OptionsPage(page, target, OptionsPageKind::Libraries2) {}

  private:
    void OnInit() override {
        ShowLibrary(page_, kMp3Library);
        SetItemText(IDC_ZLIB_VERSION, std::string("バージョン ") + zlibVersion());
        SetItemText(IDC_ZLIB_COPYRIGHT, kZlibCopyright);
        SetItemText(IDC_ZLIB_ADDRESS, kZlibAddress);
        SetItemText(IDC_OGG_VERSION, kOggVorbisVersion);
        SetItemText(IDC_OGG_COPYRIGHT, kOggVorbisCopyright);
        SetItemText(IDC_OGG_ADDRESS, kOggVorbisAddress);
        // The versions the libraries linked into the core tell of themselves (opusfile
        // tells none: its version comes from the build).
        SetItemText(IDC_FLAC_VERSION, std::string("バージョン libFLAC ") + FLAC__VERSION_STRING);
        SetItemText(IDC_OPUS_VERSION, std::string("バージョン ") + opus_get_version_string() +
                                          ", libopusfile " HGF_OPUSFILE_VERSION);
        SetItemText(IDC_FLAC_OPUS_COPYRIGHT, kFlacOpusCopyright);
        SetItemText(IDC_FLAC_OPUS_ADDRESS, kFlacOpusAddress);
    }
};

INT_PTR CALLBACK Page1Procedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    return OptionsPage::Procedure(dialog, message, wParam, lParam, MakeOptionsPage<LibrariesPage1>);
}
INT_PTR CALLBACK Page2Procedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    return OptionsPage::Procedure(dialog, message, wParam, lParam, MakeOptionsPage<LibrariesPage2>);
}

}  // namespace

HPROPSHEETPAGE CreateLibrariesPage1(OptionsTarget& target) {
    return CreateOptionsPage(IDD_OPTIONS_LIBRARIES1, Page1Procedure, target);
}
HPROPSHEETPAGE CreateLibrariesPage2(OptionsTarget& target) {
    return CreateOptionsPage(IDD_OPTIONS_LIBRARIES2, Page2Procedure, target);
}

}  // namespace hgf
