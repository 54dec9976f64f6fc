// The page "レイヤードウィンドウ": the window's opacity with the cursor near and away,
// on two sliders that preview on the main window while they move.
#include "core/CoreResources.h"
#include "settings/win32/OptionsPage.h"

namespace hgf {
namespace {

class TransparencyPage final : public OptionsPage {
  public:
    TransparencyPage(HWND page, OptionsTarget& target)
        : OptionsPage(page, target, OptionsPageKind::Layered) {}

  private:
    struct Slider {
        int sliderId;
        int textId;  // the read-only edit with the percentage
        SubclassedWindow window;
    };

    void OnInit() override {
        for (Slider* slider : {&active_, &away_}) {
            HWND window = Item(slider->sliderId);
            SendMessageW(window, TBM_SETRANGE, TRUE, MAKELPARAM(0, kTransparencySliderMax));
            slider->window.Attach(window, this, SliderProcedure);
        }
        // Both preview as they are set, so the window ends at the stored away-opacity.
        SetPosition(active_, SliderPositionOf(target_.settings.LayeredActive));
        SetPosition(away_, SliderPositionOf(target_.settings.LayeredNoActive));
    }

    void OnCommand(int id, unsigned notification) override {
        if (id != IDC_LAYERED_DEFAULTS || notification != BN_CLICKED) return;
        SetPosition(active_, kDefaultActivePosition);
        SetPosition(away_, kDefaultAwayPosition);
    }

    // Keyboard moves capture no mouse, so every scroll report counts as a change too.
    void OnScroll(HWND control) override {
        if (SliderOf(control)) MarkChanged();
    }

    void OnApply() override {
        Settings& settings = target_.settings;
        settings.LayeredActive = OpacityOf(Position(active_));
        settings.LayeredNoActive = OpacityOf(Position(away_));
        target_.setMainWindowAlpha(settings.LayeredNoActive);
    }

    // Undoes the preview.
    void OnCancel() override { target_.setMainWindowAlpha(target_.settings.LayeredNoActive); }

    int Position(const Slider& slider) const {
        return static_cast<int>(SendMessageW(Item(slider.sliderId), TBM_GETPOS, 0, 0));
    }
    void SetPosition(const Slider& slider, int position) const {
        SendMessageW(Item(slider.sliderId), TBM_SETPOS, TRUE, position);
    }
    Slider* SliderOf(HWND window) {
        if (window && window == active_.window.Handle()) return &active_;
        if (window && window == away_.window.Handle()) return &away_;
        return nullptr;
    }

    // Shows the slider's position on the main window and as a percentage. Position 0
    // (fully opaque) previews too, so the window always matches the slider.
    void Preview(const Slider& slider) {
        int position = Position(slider);
        target_.setMainWindowAlpha(OpacityOf(position));
        SetItemText(slider.textId, TransparencyText(position));
    }

    // The sliders' subclass. The slider handles each message first, so the preview reads
    // the position that results (the set position as clamped to the range, the thumb
    // where the mouse put it).
    static LRESULT CALLBACK SliderProcedure(HWND window, UINT message, WPARAM wParam,
                                            LPARAM lParam) {
        auto* page = reinterpret_cast<TransparencyPage*>(GetWindowLongPtrW(window, GWLP_USERDATA));
        Slider* slider = page ? page->SliderOf(window) : nullptr;
        if (!slider) return SubclassedWindow::PassOnWithoutOwner(window, message, wParam, lParam);
        LRESULT result = slider->window.CallOriginal(window, message, wParam, lParam);
        switch (message) {
            case WM_KEYUP:
            case WM_LBUTTONDOWN:
            case TBM_SETPOS:
                page->Preview(*slider);
                break;
            case WM_MOUSEMOVE:
                if (wParam & MK_LBUTTON) page->Preview(*slider);
                break;
            case WM_CAPTURECHANGED:  // the mouse let go of the thumb
                page->MarkChanged();
                break;
            case WM_NCDESTROY:
                slider->window.DetachAndForget();
                break;
            default:
                break;
        }
        return result;
    }

    Slider active_{IDC_LAYERED_ACTIVE_SLIDER, IDC_LAYERED_ACTIVE_TEXT, {}};
    Slider away_{IDC_LAYERED_AWAY_SLIDER, IDC_LAYERED_AWAY_TEXT, {}};
};

INT_PTR CALLBACK Procedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    return OptionsPage::Procedure(dialog, message, wParam, lParam,
                                  MakeOptionsPage<TransparencyPage>);
}

}  // namespace

HPROPSHEETPAGE CreateTransparencyPage(OptionsTarget& target) {
    return CreateOptionsPage(IDD_OPTIONS_LAYERED, Procedure, target);
}

}  // namespace hgf
