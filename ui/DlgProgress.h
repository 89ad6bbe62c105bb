#pragma once
// The progress dialog of the long operations (folder scan, loading the installed fonts,
// installing, removing, printing) and the four calls through which their loops drive it.
//
// A run:
//     TDlgProgress dlg;                        // hidden, centred over the main window
//     ProgressGuard guard(dlg);                // ProgressClose on every way out
//     ProgressOpen(dlg, nullptr, LoadMessage(1040));
//     for (...) {
//         ProgressStep(dlg, percent, text);    // lets pending input run while Cancel shows
//         if (ProgressCancelled()) break;
//         ...
//     }
// A loop whose items take well under a millisecond (the folder scan) calls ProgressQuickStep
// instead, and ProgressShowKept once it is through.
// While a run is open every other window of the thread is disabled, so only the dialog and the
// message boxes the loop opens take input.
#include <windows.h>

#include <string>
#include <vector>

#include "app/Application.h"
#include "ui/Dialog.h"

namespace typa {

class TDlgProgress : public TDialog {
public:
    // Control ids, for whoever drives the dialog from outside.
    static constexpr int kIdLabel = 100;
    static constexpr int kIdBar = 101;
    static constexpr int kIdCancel = IDCANCEL;

    // Creates the dialog hidden (FormCreate): caption "Typarium", client 297 × 128 scaled,
    // centred over the main window. `owner` may be null.
    explicit TDlgProgress(HWND owner = App().mainWindow);
    // Destroys the dialog if ProgressClose has not; windows it disabled are enabled again.
    ~TDlgProgress();
    TDlgProgress(const TDlgProgress&) = delete;
    TDlgProgress& operator=(const TDlgProgress&) = delete;

    // Handle() is null once the dialog is gone (after ProgressClose, or when creation failed).
    using TDialog::Handle;

    // Hides Cancel for good: ProgressOpen then leaves the cursor alone and ProgressStep runs no
    // messages, so the run cannot be cancelled. Call it before ProgressOpen.
    void HideCancel();
    bool IsCancelVisible() const;
    // Sets the dialog's outer height (frame and caption included), keeping its top.
    void SetHeight(int pixels);

    // The bar's position, 0 to 100.
    int Position() const;
    // The label's text and the caption.
    std::string Text() const;
    std::string Caption() const;

private:
    friend void ProgressOpen(TDlgProgress&, const char*, const std::string&, bool);
    friend void ProgressStep(TDlgProgress&, int, const std::string&);
    friend void ProgressQuickStep(TDlgProgress&, int, const std::string&);
    friend void ProgressShowKept() noexcept;
    friend void ProgressClose(TDlgProgress&) noexcept;

    bool OnInit() override; // FormCreate
    void OnOK() override {} // no OK button
    void OnCancel() override; // pbCancelClick
    void SetLabel(const std::string& text);
    void SetPosition(int position);
    void Destroy() noexcept;

    // A quick step not shown yet, and when a quick step was last shown.
    struct Kept {
        bool any = false;
        int position = 0;
        std::string text;
    } m_kept;
    bool m_quickShown = false;
    DWORD m_quickShownAt = 0;
    // The windows ProgressOpen disabled, given back by ProgressClose.
    std::vector<HWND> m_disabled;
};

// Starts a run: the arrow cursor when Cancel shows (so that it can be aimed at), the caption
// when one is given, the text with the bar at 0; shows and paints the dialog and disables every
// other visible, enabled top-level window of the thread. With `show` false the dialog stays
// hidden and nothing is disabled; the steps still update it (the loading of the installed fonts
// shows its progress only while the main window is active).
void ProgressOpen(TDlgProgress& d, const char* caption, const std::string& text, bool show = true);

// The bar at `position` (above 100 shows full, below 0 empty) and the label at `text`. While
// Cancel shows, lets the messages waiting in the queue run; a WM_QUIT met there is posted again
// so that the main loop still ends.
void ProgressStep(TDlgProgress& d, int position, const std::string& text);

// ProgressStep for items that come faster than anyone reads: the first quick step of a run is
// shown at once; after it a step is shown, and the waiting messages run, only when the last shown
// one is kQuickStepMs old. A step that comes sooner is only kept (the latest in place of any
// before it) for ProgressShowKept, until a later step is shown. So a click on Cancel is taken
// within kQuickStepMs, or at the next item when one item takes longer, and the loop, which asks
// ProgressCancelled after every item, stops there.
inline constexpr DWORD kQuickStepMs = 40;
void ProgressQuickStep(TDlgProgress& d, int position, const std::string& text);

// Shows the kept quick step of the open run, if there is one, and paints it: the end of a quick
// loop calls it so that its last item and bar stay on screen, and every message box calls it so
// that the dialog behind names the item the box is about.
void ProgressShowKept() noexcept;

// Waits `ms` milliseconds with nothing of the program's own running, but answers the messages
// other programs send meanwhile (a font-change broadcast waits for every window's answer).
void ProgressHold(DWORD ms) noexcept;

// True when Cancel (or Enter or Escape on the dialog) was pressed since the last call, which
// clears it, and always once the session ends (App().sessionEnding).
bool ProgressCancelled() noexcept;

// Ends the run: enables again the windows that ProgressOpen disabled and that still exist,
// clears the cancel flag and destroys the dialog. Safe to call twice.
void ProgressClose(TDlgProgress& d) noexcept;

// Closes the progress on every way out of a scope, exceptions included.
class ProgressGuard {
public:
    explicit ProgressGuard(TDlgProgress& d) noexcept : m_d(d) {}
    ~ProgressGuard() { ProgressClose(m_d); }
    ProgressGuard(const ProgressGuard&) = delete;
    ProgressGuard& operator=(const ProgressGuard&) = delete;

private:
    TDlgProgress& m_d;
};

} // namespace typa
