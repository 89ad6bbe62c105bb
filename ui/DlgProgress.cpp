// The progress dialog, laid out in code at creation, and the run state every long loop shares.
#include "ui/DlgProgress.h"
#include "ui/ThreadWindows.h"

#include "app/ErrorBox.h"
#include "app/Scale.h"
#include "ui/DialogTemplate.h"

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

constexpr DialogControl kControls[] = {
    {TDlgProgress::kIdLabel, "STATIC", "", SS_LEFT | SS_NOPREFIX | SS_EDITCONTROL, kLeft, 12, kLabelWidth, 40},
    {TDlgProgress::kIdBar, PROGRESS_CLASSA, nullptr, 0, kLeft, 56, kLabelWidth, 16},
    {TDlgProgress::kIdCancel, "BUTTON", "Annuler", WS_TABSTOP | WS_GROUP | BS_DEFPUSHBUTTON, (kClientWidth - 75) / 2,
     88, 75, 25},
};

// A step gives the queue this much at most, so that a window that keeps posting to itself (or
// never validates its paint) cannot hold the loop inside one step.
constexpr int kMaxMessagesPerStep = 2000;
constexpr DWORD kMaxStepMillis = 250;

// One progress run at a time: its cancel flag, and the dialog that holds a quick step back.
struct ProgressState {
    bool cancelled = false;
    TDlgProgress* keeping = nullptr;
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
    // A dialog frame and a caption, but no system menu: no title-bar buttons.
    CreateModeless(owner, {WS_POPUP | WS_CAPTION | DS_MODALFRAME, WS_EX_DLGMODALFRAME});
}

TDlgProgress::~TDlgProgress() { Destroy(); }

bool TDlgProgress::OnInit()
{
    SetWindowTextA(Handle(), "Typarium");
    AddControls(kControls);
    SendDlgItemMessageA(Handle(), kIdBar, PBM_SETRANGE, 0, MAKELPARAM(0, 100));
    SendDlgItemMessageA(Handle(), kIdBar, PBM_SETSTEP, 4, 0);

    // Centred on the screen first, for a run that has no main window.
    SizeDialogToClient(Handle(), Scaled(kClientWidth), Scaled(kClientHeight));
    CentreOnMainWindow(Handle());

    FocusDefault(kIdCancel);
    return false; // the focus is set
}

void TDlgProgress::OnCancel()
{
    // Escape, Enter, the button and Alt+F4 all come here. A hidden Cancel cannot be pressed, not
    // even through its keys.
    if (IsCancelVisible()) State().cancelled = true;
}

void TDlgProgress::HideCancel()
{
    if (HWND cancel = Item(kIdCancel)) ShowWindow(cancel, SW_HIDE);
}

bool TDlgProgress::IsCancelVisible() const
{
    // The button's own flag: the dialog itself may still be hidden.
    HWND cancel = Item(kIdCancel);
    return cancel && (GetWindowLongA(cancel, GWL_STYLE) & WS_VISIBLE) != 0;
}

void TDlgProgress::SetHeight(int pixels)
{
    if (!Handle()) return;
    RECT r{};
    GetWindowRect(Handle(), &r);
    SetWindowPos(Handle(), nullptr, 0, 0, r.right - r.left, std::max(0, pixels),
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

int TDlgProgress::Position() const
{
    HWND bar = Item(kIdBar);
    return bar ? static_cast<int>(SendMessageA(bar, PBM_GETPOS, 0, 0)) : 0;
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

std::string TDlgProgress::Text() const { return WindowText(Item(kIdLabel)); }

std::string TDlgProgress::Caption() const { return WindowText(Handle()); }

void TDlgProgress::SetLabel(const std::string& text)
{
    HWND label = Item(kIdLabel);
    if (!label) return;
    SetWindowTextA(label, text.c_str());
    RECT r{};
    GetWindowRect(label, &r);
    SetWindowPos(label, nullptr, 0, 0, Scaled(kLabelWidth), r.bottom - r.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TDlgProgress::SetPosition(int position)
{
    if (HWND bar = Item(kIdBar)) SendMessageA(bar, PBM_SETPOS, std::clamp(position, 0, 100), 0);
}

void TDlgProgress::Destroy() noexcept
{
    if (State().keeping == this) State().keeping = nullptr;
    m_kept.any = false;
    // The windows come back before the dialog goes, so that activation returns to them.
    EnableWindowsAgain(m_disabled);
    m_disabled.clear();
    DestroyDialog();
}

void ProgressOpen(TDlgProgress& d, const char* caption, const std::string& text, bool show)
{
    if (show && d.IsCancelVisible()) SetCursor(LoadCursor(nullptr, IDC_ARROW));
    HWND dlg = d.Handle();
    if (!dlg) return;
    if (caption) SetWindowTextA(dlg, caption);
    d.SetLabel(text);
    d.SetPosition(0);
    d.m_kept.any = false;
    d.m_quickShown = false;
    if (!show) return;

    ShowWindow(dlg, SW_SHOW);
    UpdateWindow(dlg);
    const std::vector<HWND> disabled = DisableThreadWindows(dlg);
    try {
        d.m_disabled.insert(d.m_disabled.end(), disabled.begin(), disabled.end());
    } catch (...) {
        EnableWindowsAgain(disabled); // out of memory: better left enabled than lost for good
    }
    EnableWindow(dlg, TRUE);
}

void ProgressStep(TDlgProgress& d, int position, const std::string& text)
{
    d.SetPosition(position);
    d.SetLabel(text);
    if (d.IsCancelVisible()) {
        RunPendingMessages(d.Handle());
    } else if (d.Handle() && IsWindowVisible(d.Handle())) {
        // Nothing else may run, but the dialog itself still shows the new step.
        UpdateWindow(d.Handle());
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
    if (d->Handle() && IsWindowVisible(d->Handle())) UpdateWindow(d->Handle());
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
