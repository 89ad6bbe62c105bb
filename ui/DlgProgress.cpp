// The progress dialog, laid out in code at creation, and the run state every long loop shares.
#include "ui/DlgProgress.h"
#include "ui/ThreadWindows.h"

#include "app/ErrorBox.h"
#include "app/ExceptionGuard.h"
#include "app/Scale.h"

#include <commctrl.h>

#include <algorithm>
#include <utility>
#include <vector>

namespace typa {
namespace {

// Design sizes at 96 pixels per inch.
constexpr int kClientWidth = 297;
constexpr int kClientHeight = 128;
constexpr int kLabelWidth = 240;
constexpr int kLeft = (kClientWidth - kLabelWidth) / 2;

// A step gives the queue this much at most, so that a window that keeps posting to itself (or
// never validates its paint) cannot hold the loop inside one step.
constexpr int kMaxMessagesPerStep = 2000;
constexpr DWORD kMaxStepMillis = 250;

// One progress run at a time: its cancel flag and the windows its opening disabled. Each entry
// remembers which dialog disabled it, so that a dialog destroyed without ProgressClose gives
// back exactly its own.
struct ProgressState {
    bool cancelled = false;
    TDlgProgress* keeping = nullptr; // the dialog that holds a quick step back, if any
    struct Disabled {
        const TDlgProgress* by;
        HWND window;
    };
    std::vector<Disabled> disabled;

    void EnableAgain(const TDlgProgress* by) noexcept
    {
        for (const Disabled& d : disabled)
            if (d.by == by && IsWindow(d.window)) EnableWindow(d.window, TRUE);
        std::erase_if(disabled, [by](const Disabled& d) { return d.by == by; });
    }
};

ProgressState& State() noexcept
{
    static ProgressState state;
    return state;
}

void RunPendingMessages(HWND dlg)
{
    const DWORD start = GetTickCount();
    MSG msg;
    for (int n = 0; n < kMaxMessagesPerStep && PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE); ++n) {
        if (msg.message == WM_QUIT) {
            // Taken off the queue, so it must go back for the main loop to end.
            PostQuitMessage(static_cast<int>(msg.wParam));
            return;
        }
        if (!dlg || !IsWindow(dlg) || !IsDialogMessageA(dlg, &msg)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        if (GetTickCount() - start > kMaxStepMillis) return;
    }
}

} // namespace

TDlgProgress::TDlgProgress(HWND owner)
{
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&icc);
    if (owner && !IsWindow(owner)) owner = nullptr;
    // A dialog frame and a caption, but no system menu: no title-bar buttons.
    const std::vector<WORD> tmpl =
        EmptyDialogTemplate(WS_POPUP | WS_CAPTION | DS_MODALFRAME, WS_EX_DLGMODALFRAME);
    HINSTANCE instance = App().instance ? App().instance : GetModuleHandleA(nullptr);
    CreateDialogIndirectParamA(instance, reinterpret_cast<LPCDLGTEMPLATEA>(tmpl.data()), owner,
                               DialogProc, reinterpret_cast<LPARAM>(this));
}

TDlgProgress::~TDlgProgress() { Destroy(); }

INT_PTR CALLBACK TDlgProgress::DialogProc(HWND dlg, UINT msg, WPARAM wp, LPARAM lp) noexcept
{
    return Guarded<INT_PTR>(FALSE, [&]() -> INT_PTR {
        if (msg == WM_INITDIALOG) {
            SetWindowLongPtrA(dlg, DWLP_USER, lp);
            reinterpret_cast<TDlgProgress*>(lp)->FormCreate(dlg);
            return FALSE; // the focus is set
        }
        auto* self = reinterpret_cast<TDlgProgress*>(GetWindowLongPtrA(dlg, DWLP_USER));
        if (!self) return FALSE;
        switch (msg) {
        case WM_COMMAND:
            // Escape, Enter, the button and Alt+F4 all arrive here as IDCANCEL.
            if (LOWORD(wp) == kIdCancel && HIWORD(wp) == BN_CLICKED) {
                self->pbCancelClick();
                return TRUE;
            }
            return FALSE;
        case WM_DESTROY:
            // Destroyed with its owner, say: the object must not use the handle again.
            SetWindowLongPtrA(dlg, DWLP_USER, 0);
            self->m_dlg = nullptr;
            self->lblUserText = self->gProgress = self->pbCancel = nullptr;
            return FALSE;
        }
        return FALSE;
    });
}

void TDlgProgress::FormCreate(HWND dlg)
{
    m_dlg = dlg;
    SetWindowTextA(dlg, "Typarium");
    HFONT font = reinterpret_cast<HFONT>(SendMessageA(dlg, WM_GETFONT, 0, 0));

    lblUserText = AddDialogControl(dlg, "STATIC", "", SS_LEFT | SS_NOPREFIX | SS_EDITCONTROL,
                                   kIdLabel, Scaled(kLeft), Scaled(12), Scaled(kLabelWidth),
                                   Scaled(40), font);
    gProgress = AddDialogControl(dlg, PROGRESS_CLASSA, nullptr, 0, kIdBar, Scaled(kLeft), Scaled(56),
                                 Scaled(kLabelWidth), Scaled(16), nullptr);
    SendMessageA(gProgress, PBM_SETRANGE, 0, MAKELPARAM(0, 100));
    SendMessageA(gProgress, PBM_SETSTEP, 4, 0);
    pbCancel = AddDialogControl(dlg, "BUTTON", "Annuler", WS_TABSTOP | WS_GROUP | BS_DEFPUSHBUTTON,
                                kIdCancel, Scaled((kClientWidth - 75) / 2), Scaled(88), Scaled(75),
                                Scaled(25), font);

    // Centred on the screen first, for a run that has no main window.
    SizeDialogToClient(dlg, Scaled(kClientWidth), Scaled(kClientHeight));
    CentreOnMainWindow(dlg);

    SendMessageA(dlg, DM_SETDEFID, kIdCancel, 0);
    SetFocus(pbCancel);
}

void TDlgProgress::pbCancelClick()
{
    // A hidden Cancel cannot be pressed, not even through its keys.
    if (IsCancelVisible()) State().cancelled = true;
}

void TDlgProgress::HideCancel()
{
    if (pbCancel) ShowWindow(pbCancel, SW_HIDE);
}

bool TDlgProgress::IsCancelVisible() const
{
    // The button's own flag: the dialog itself may still be hidden.
    return pbCancel && (GetWindowLongA(pbCancel, GWL_STYLE) & WS_VISIBLE) != 0;
}

void TDlgProgress::SetHeight(int pixels)
{
    if (!m_dlg) return;
    RECT r{};
    GetWindowRect(m_dlg, &r);
    SetWindowPos(m_dlg, nullptr, 0, 0, r.right - r.left, std::max(0, pixels),
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

int TDlgProgress::Position() const
{
    return gProgress ? static_cast<int>(SendMessageA(gProgress, PBM_GETPOS, 0, 0)) : 0;
}

namespace {
std::string WindowText(HWND w)
{
    if (!w) return {};
    std::string s(static_cast<std::size_t>(std::max(0, GetWindowTextLengthA(w))) + 1, '\0');
    s.resize(static_cast<std::size_t>(GetWindowTextA(w, s.data(), static_cast<int>(s.size()))));
    return s;
}
} // namespace

std::string TDlgProgress::Text() const { return WindowText(lblUserText); }

std::string TDlgProgress::Caption() const { return WindowText(m_dlg); }

void TDlgProgress::SetLabel(const std::string& text)
{
    if (!lblUserText) return;
    SetWindowTextA(lblUserText, text.c_str());
    RECT r{};
    GetWindowRect(lblUserText, &r);
    SetWindowPos(lblUserText, nullptr, 0, 0, Scaled(kLabelWidth), r.bottom - r.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TDlgProgress::SetPosition(int position)
{
    if (gProgress) SendMessageA(gProgress, PBM_SETPOS, std::clamp(position, 0, 100), 0);
}

void TDlgProgress::Destroy() noexcept
{
    if (State().keeping == this) State().keeping = nullptr;
    m_kept.any = false;
    // The windows come back before the dialog goes, so that activation returns to them.
    State().EnableAgain(this);
    if (m_dlg) DestroyWindow(m_dlg); // WM_DESTROY clears the handles
    m_dlg = nullptr;
}

void ProgressOpen(TDlgProgress& d, const char* caption, const std::string& text, bool show)
{
    if (show && d.IsCancelVisible()) SetCursor(LoadCursor(nullptr, IDC_ARROW));
    if (!d.m_dlg) return;
    if (caption) SetWindowTextA(d.m_dlg, caption);
    d.SetLabel(text);
    d.SetPosition(0);
    d.m_kept.any = false;
    d.m_quickShown = false;
    if (!show) return;

    ShowWindow(d.m_dlg, SW_SHOW);
    UpdateWindow(d.m_dlg);
    const std::vector<HWND> disabled = DisableThreadWindows(d.m_dlg);
    try {
        for (HWND w : disabled) State().disabled.push_back({&d, w});
    } catch (...) {
        EnableWindowsAgain(disabled); // out of memory: better left enabled than lost for good
    }
    EnableWindow(d.m_dlg, TRUE);
}

void ProgressStep(TDlgProgress& d, int position, const std::string& text)
{
    d.SetPosition(position);
    d.SetLabel(text);
    if (d.IsCancelVisible()) {
        RunPendingMessages(d.m_dlg);
    } else if (d.m_dlg && IsWindowVisible(d.m_dlg)) {
        // Nothing else may run, but the dialog itself still shows the new step.
        UpdateWindow(d.m_dlg);
    }
}

void ProgressQuickStep(TDlgProgress& d, int position, const std::string& text)
{
    const DWORD now = GetTickCount();
    if (d.m_quickShown && now - d.m_quickShownAt < kQuickStepMs) {
        d.m_kept.position = position;
        d.m_kept.text = text;
        d.m_kept.any = true;
        State().keeping = &d;
        return;
    }
    d.m_kept.any = false;
    if (State().keeping == &d) State().keeping = nullptr;
    ProgressStep(d, position, text);
    d.m_quickShown = true;
    d.m_quickShownAt = now;
}

void ProgressShowKept() noexcept
{
    TDlgProgress* d = std::exchange(State().keeping, nullptr);
    if (!d || !d->m_kept.any) return;
    d->m_kept.any = false;
    d->SetPosition(d->m_kept.position);
    d->SetLabel(d->m_kept.text);
    if (d->m_dlg && IsWindowVisible(d->m_dlg)) UpdateWindow(d->m_dlg);
}

void ProgressHold(DWORD ms) noexcept
{
    const DWORD start = GetTickCount();
    for (DWORD elapsed = 0; elapsed < ms; elapsed = GetTickCount() - start) {
        if (MsgWaitForMultipleObjects(0, nullptr, FALSE, ms - elapsed, QS_SENDMESSAGE) != WAIT_OBJECT_0) break;
        MSG msg;
        PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE); // runs the sent ones only
    }
}

bool ProgressCancelled() noexcept
{
    // A session that ends stops every run as Cancel would.
    return std::exchange(State().cancelled, false) || App().sessionEnding;
}

void ProgressClose(TDlgProgress& d) noexcept
{
    State().cancelled = false;
    d.Destroy();
}

} // namespace typa
