#pragma once
// The base of every dialog built in code. One dialog procedure serves them all: it stores the
// object at WM_INITDIALOG, calls its On* handlers, and lets no exception out (the compiler's
// unwinder cannot pass the dialog manager's frames), handing it to OnException instead. The
// object outlives its window: a modal run ends before Execute returns, a modeless window goes
// with its object at the latest.
//
// Controls are laid out from tables of DialogControl records in pixels at 96 dpi, scaled to the
// screen as they are made. A row of push buttons centred in the dialog or aligned on another
// control is placed from the scaled sizes (AddButtonRow), and the boxes whose size follows their
// text measure it and place the same records in screen pixels.
#include <windows.h>

#include <optional>
#include <span>
#include <string>

#include "app/ErrorBox.h"

namespace typa {

// What a dialog answers without showing itself: under ScriptedBoxes, the script's answer to
// `box` (which it records), read as `accept` when it is `accept` and as `refuse` otherwise; once
// the session ends, `refuse`, as nobody is there to answer. Nothing when the dialog is to show.
std::optional<MsgResult> AnswerWithoutDialog(RecordedBox box, MsgResult accept, MsgResult refuse);

// One control: its id, window class, text and style, and its place in the client area. A
// control without text (null: a picture, a bar, a line) keeps its own font; the others take the
// dialog's.
struct DialogControl {
    int id;
    const char* cls;
    const char* text;
    DWORD style;
    int x, y, w, h;
    DWORD exStyle = 0;
};

// One push button of a row; the row gives the place.
struct DialogButton {
    int id;
    const char* caption;
    DWORD style;
};

// The window a dialog is made as: its styles and the dialog font of its template.
struct DialogFrame {
    DWORD style;
    DWORD exStyle;
    const char* face = "MS Shell Dlg";
    WORD points = 8;
};

class TDialog {
public:
    TDialog(const TDialog&) = delete;
    TDialog& operator=(const TDialog&) = delete;

    // The window from WM_INITDIALOG until WM_DESTROY; null otherwise.
    HWND Handle() const noexcept { return m_dlg; }

protected:
    // A `helpContext` other than 0 is the help topic that "Aide" (IDHELP) and F1 open; without
    // one F1 goes on to the owner, as in any window.
    explicit TDialog(DWORD helpContext = 0) noexcept : m_helpContext(helpContext) {}
    // A window still there goes too, without calling back into the object.
    virtual ~TDialog();

    // Shows the dialog modally over `owner` (may be null) until End; returns End's result, or
    // DialogBoxIndirectParamA's 0 or -1 when no dialog could be made.
    INT_PTR RunModal(HWND owner, const DialogFrame& frame);
    // Makes the dialog modeless over `owner` (null when it is not a window), hidden unless the
    // frame says WS_VISIBLE; false when no window could be made.
    bool CreateModeless(HWND owner, const DialogFrame& frame);
    // Ends a modal run with `result`.
    void End(INT_PTR result) const { EndDialog(m_dlg, result); }
    // Destroys a modeless window now; OnDestroy runs inside.
    void DestroyDialog() noexcept;

    // WM_INITDIALOG, with Handle() set: sets the caption and makes the controls. True has the
    // dialog manager focus the first tab stop; false when OnInit set the focus itself.
    virtual bool OnInit() = 0;
    // OK clicked, or Enter on it.
    virtual void OnOK() { End(IDOK); }
    // Cancel clicked, Escape, the close box or Alt+F4.
    virtual void OnCancel() { End(IDCANCEL); }
    // Any other command; true when handled.
    virtual bool OnCommand(int id, int code) { return false; }
    // An owner-drawn control to paint; true when painted.
    virtual bool OnDrawItem(const DRAWITEMSTRUCT& dis) { return false; }
    // WM_DESTROY: Handle() is null already.
    virtual void OnDestroy() noexcept {}
    // A handler threw: called inside the catch block. Shows the unexpected-error report; the
    // dialog goes on.
    virtual void OnException() noexcept;

    HWND Item(int id) const noexcept { return m_dlg ? GetDlgItem(m_dlg, id) : nullptr; }
    HFONT Font() const noexcept;
    bool Checked(int id) const noexcept;
    void Check(int id, bool on) const noexcept;

    // The controls of a table, scaled from 96 dpi (but for the thickness of an etched line), in
    // table order, which is the tab order.
    void AddControls(std::span<const DialogControl> table);
    HWND AddControl(const DialogControl& c);
    // One control placed in screen pixels.
    HWND AddControlInPixels(const DialogControl& c);
    // Push buttons `width` × `height` pixels, `gap` apart, left to right from `left`, their tops
    // at `top`: placed from the scaled sizes, so that a row centred or aligned on another control
    // stays so at every resolution. Returns the first.
    HWND AddButtonRow(std::span<const DialogButton> buttons, int left, int top, int width, int height,
                      int gap);
    static int ButtonRowWidth(std::size_t count, int width, int gap) noexcept;
    // The height in pixels of `text` wrapped at `width` in `font` (DrawText `flags`), at least
    // `minHeight` and at most two thirds of the screen, so that the buttons below stay in reach.
    int WrappedTextHeight(const std::string& text, HFONT font, int width, UINT flags,
                          int minHeight) const;
    // Makes `id` the default button and gives it the focus.
    void FocusDefault(int id) const;
    // Opens the help topic, when the program has its help file.
    void ShowHelp() const;

private:
    static INT_PTR CALLBACK DialogProc(HWND dlg, UINT msg, WPARAM wp, LPARAM lp) noexcept;
    INT_PTR OnMessage(UINT msg, WPARAM wp, LPARAM lp);
    INT_PTR OnCommandMessage(int id, int code);

    HWND m_dlg = nullptr;
    DWORD m_helpContext;
};

} // namespace typa
