// The page "その他": the off-timer, the tray icon's double click, the process priority,
// the list's item names, the folder-scan options and resuming the last track's position.
#include <cwchar>
#include <iterator>

#include "core/CoreResources.h"
#include "settings/win32/OptionsPage.h"

namespace hgf {
namespace {

struct RadioPair {
    int first, second;  // `first` checked stands for true
};
constexpr RadioPair kTrayPair{IDC_TRAY_TO_DEFAULT, IDC_TRAY_EXIT};
constexpr RadioPair kPriorityPair{IDC_PRIORITY_IDLE, IDC_PRIORITY_NORMAL};
constexpr RadioPair kItemNamePair{IDC_ITEM_NAME_TAGS, IDC_ITEM_NAME_FILE};
constexpr RadioPair kRadioPairs[] = {kTrayPair, kPriorityPair, kItemNamePair};

constexpr int kTimeControls[] = {IDC_TIMER_HOUR, IDC_TIMER_MINUTE, IDC_TIMER_HOUR_LABEL,
                                 IDC_TIMER_MINUTE_LABEL, IDC_TIMER_EXIT_ONLY};
constexpr int kShutdownChoices[] = {IDC_TIMER_FORCE, IDC_TIMER_SUSPEND};

class OtherPage final : public OptionsPage {
  public:
    OtherPage(HWND page, OptionsTarget& target)
        : OptionsPage(page, target, OptionsPageKind::Other) {}

  private:
    void OnInit() override {
        const Settings& settings = target_.settings;
        const OffTimerFields& timer = target_.offTimer;
        Check(IDC_TIMER_ON, timer.enabled);
        Check(IDC_TIMER_SUSPEND, settings.TimerIsSuspend);
        Check(IDC_TIMER_FORCE, settings.TimerIsForce);
        Check(IDC_TIMER_EXIT_ONLY, settings.TimerIsAppExitOnly);
        Check(IDC_SCAN_SUBFOLDERS, settings.SubFolderFind);
        Check(IDC_SCAN_ALL_FILES, settings.AllFileRegist);
        Check(IDC_RESUME_POSITION, settings.ResumePosition);
        SetPair(kTrayPair, settings.TrayIconDblClkToDefault);
        SetPair(kPriorityPair, settings.CpuPrioryMin);
        SetPair(kItemNamePair, settings.ListItemName);

        FillNumbers(IDC_TIMER_HOUR, 24);
        FillNumbers(IDC_TIMER_MINUTE, 60);
        SYSTEMTIME now{};
        GetLocalTime(&now);
        ClockTime shown = OffTimerPreselection(timer.enabled != 0, {timer.hour, timer.minute},
                                               {now.wHour, now.wMinute});
        SendMessageW(Item(IDC_TIMER_HOUR), CB_SETCURSEL, shown.hour, 0);
        SendMessageW(Item(IDC_TIMER_MINUTE), CB_SETCURSEL, shown.minute, 0);
        UpdateTimerControls();
    }

    void OnCommand(int id, unsigned notification) override {
        if (notification != BN_CLICKED) return;
        if (id == IDC_TIMER_ON || id == IDC_TIMER_EXIT_ONLY) return UpdateTimerControls();
        for (const RadioPair& pair : kRadioPairs) {
            if (id == pair.first || id == pair.second) {
                Check(pair.first, id == pair.first);
                Check(pair.second, id == pair.second);
            }
        }
    }

    void OnApply() override {
        Settings& settings = target_.settings;
        OffTimerFields& timer = target_.offTimer;
        timer.enabled = IsChecked(IDC_TIMER_ON) ? 1 : 0;
        ClockTime set = OffTimerFromSelection(
            Selection(IDC_TIMER_HOUR), Selection(IDC_TIMER_MINUTE), {timer.hour, timer.minute});
        timer.hour = set.hour;
        timer.minute = set.minute;
        settings.TimerIsSuspend = IsChecked(IDC_TIMER_SUSPEND);
        settings.TimerIsForce = IsChecked(IDC_TIMER_FORCE);
        settings.TimerIsAppExitOnly = IsChecked(IDC_TIMER_EXIT_ONLY);
        settings.TrayIconDblClkToDefault = IsChecked(kTrayPair.first);
        settings.CpuPrioryMin = IsChecked(kPriorityPair.first);
        settings.ListItemName = IsChecked(kItemNamePair.first);
        settings.SubFolderFind = IsChecked(IDC_SCAN_SUBFOLDERS);
        settings.AllFileRegist = IsChecked(IDC_SCAN_ALL_FILES);
        settings.ResumePosition = IsChecked(IDC_RESUME_POSITION);
        SetPriorityClass(GetCurrentProcess(),
                         settings.CpuPrioryMin ? IDLE_PRIORITY_CLASS : NORMAL_PRIORITY_CLASS);
    }

    void UpdateTimerControls() {
        OffTimerControls usable =
            OffTimerControlsFor(IsChecked(IDC_TIMER_ON), IsChecked(IDC_TIMER_EXIT_ONLY));
        for (int id : kTimeControls)
            Enable(id, usable.timeAndExitOnly);
        for (int id : kShutdownChoices)
            Enable(id, usable.shutdownChoices);
    }

    void SetPair(const RadioPair& pair, bool firstChecked) {
        Check(pair.first, firstChecked);
        Check(pair.second, !firstChecked);
    }

    void FillNumbers(int comboId, int count) {
        HWND combo = Item(comboId);
        for (int n = 0; n < count; ++n) {
            wchar_t text[8];
            std::swprintf(text, std::size(text), L"%d", n);
            SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
        }
    }

    int Selection(int comboId) const {
        return static_cast<int>(SendMessageW(Item(comboId), CB_GETCURSEL, 0, 0));
    }
};

INT_PTR CALLBACK Procedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    return OptionsPage::Procedure(dialog, message, wParam, lParam, MakeOptionsPage<OtherPage>);
}

}  // namespace

HPROPSHEETPAGE CreateOtherPage(OptionsTarget& target) {
    return CreateOptionsPage(IDD_OPTIONS_OTHER, Procedure, target);
}

}  // namespace hgf
