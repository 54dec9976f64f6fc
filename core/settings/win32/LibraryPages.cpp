// The two pages of library versions: "DLLファイル(1)" with the core library, the MML
// library and the SMF conversion library, the MML play time and the SMF conversion file;
// "DLLファイル(2)" with the MP3 library, zlib and Ogg Vorbis.
#include <cstdio>

#include "FileDialogFilters.h"
#include "core/CoreResources.h"
#include "platform/win32/ProgramFolder.h"
#include "settings/win32/OptionsPage.h"
#include "settings/win32/VersionReader.h"
#include "win32/Choosers.h"

namespace hgf {
namespace {

// Our own components (the MP3 and MIDI libraries are our own implementations of them).
constexpr char kOwnAddress[] = "https://harrowgladeforte.example/";
constexpr char kZlibAddress[] = "https://zlib.net/";
constexpr char kOggVorbisAddress[] = "https://xiph.org/vorbis/";
constexpr char kOggVorbisVersion[] = "バージョン 1.0";
constexpr char kOggVorbisCopyright[] = "著作権 Copyright (C) Xiph.Org Foundation";

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
constexpr LibraryFields kPage2Libraries[] = {
    {"VBMP3.dll", IDC_MP3_VERSION, IDC_MP3_COPYRIGHT, IDC_MP3_ADDRESS, kOwnAddress},
    {"zlib.dll", IDC_ZLIB_VERSION, IDC_ZLIB_COPYRIGHT, IDC_ZLIB_ADDRESS, kZlibAddress},
};

// The libraries ship beside the program: that copy is read, not one the system's library
// search would find elsewhere. A library without version information shows the two
// captions alone.
void ShowLibrary(HWND page, const LibraryFields& library) {
    VersionTexts texts;
    ReadVersionTexts(BesideProgram(library.fileName).c_str(), texts);
    SetDlgItemTextA(page, library.versionId, ("バージョン " + texts.version).c_str());
    SetDlgItemTextA(page, library.copyrightId, ("著作権 " + texts.copyright).c_str());
    SetDlgItemTextA(page, library.addressId, library.address);
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
        SendMessageA(Item(IDC_SMF_CONFIG_FILE), EM_LIMITTEXT, kPathLimit, 0);
        SendMessageA(Item(IDC_MML_PLAY_TIME), EM_LIMITTEXT, kSecondsLimit, 0);
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
        settings.SmfkConfigFile = ItemText(IDC_SMF_CONFIG_FILE);
        target_.liveList.smfConversionFile = settings.SmfkConfigFile;
    }
};

class LibrariesPage2 final : public OptionsPage {
  public:
    LibrariesPage2(HWND page, OptionsTarget& target)
        : OptionsPage(page, target, OptionsPageKind::Libraries2) {}

  private:
    void OnInit() override {
        for (const LibraryFields& library : kPage2Libraries)
            ShowLibrary(page_, library);
        SetItemText(IDC_OGG_VERSION, kOggVorbisVersion);
        SetItemText(IDC_OGG_COPYRIGHT, kOggVorbisCopyright);
        SetItemText(IDC_OGG_ADDRESS, kOggVorbisAddress);
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
