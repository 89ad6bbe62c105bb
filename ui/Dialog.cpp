// The one dialog procedure, and the making and laying out of the dialogs built in code.
#include "ui/Dialog.h"

#include "app/Application.h"
#include "app/ExceptionGuard.h"
#include "app/Scale.h"
#include "platform/Handles.h"
#include "ui/DialogTemplate.h"

#include <algorithm>
#include <utility>
#include <vector>

namespace typa {
namespace {

HINSTANCE ProgramInstance() noexcept
{
    return App().instance ? App().instance : GetModuleHandleA(nullptr);
}

} // namespace

std::optional<MsgResult> AnswerWithoutDialog(RecordedBox box, MsgResult accept, MsgResult refuse)
{
    if (ScriptedBoxes* script = ScriptedBoxes::Current())
        return script->Take(std::move(box)) == accept ? accept : refuse;
    if (App().sessionEnding) return refuse;
    return std::nullopt;
}

TDialog::~TDialog()
{
    if (!m_dlg) return;
    // The derived object is gone already: the window's last messages must not reach it.
    SetWindowLongPtrA(m_dlg, DWLP_USER, 0);
    DestroyWindow(m_dlg);
}

INT_PTR TDialog::RunModal(HWND owner, const DialogFrame& frame)
{
    const std::vector<WORD> tmpl = EmptyDialogTemplate(frame.style, frame.exStyle, frame.face, frame.points);
    const INT_PTR r = DialogBoxIndirectParamA(ProgramInstance(), reinterpret_cast<LPCDLGTEMPLATEA>(tmpl.data()),
                                              owner, DialogProc, reinterpret_cast<LPARAM>(this));
    m_dlg = nullptr;
    return r;
}

bool TDialog::CreateModeless(HWND owner, const DialogFrame& frame)
{
    if (owner && !IsWindow(owner)) owner = nullptr;
    const std::vector<WORD> tmpl = EmptyDialogTemplate(frame.style, frame.exStyle, frame.face, frame.points);
    CreateDialogIndirectParamA(ProgramInstance(), reinterpret_cast<LPCDLGTEMPLATEA>(tmpl.data()), owner,
                               DialogProc, reinterpret_cast<LPARAM>(this));
    return m_dlg != nullptr;
}

void TDialog::DestroyDialog() noexcept
{
    if (m_dlg) DestroyWindow(m_dlg); // WM_DESTROY forgets the handle
    m_dlg = nullptr;
}

INT_PTR CALLBACK TDialog::DialogProc(HWND dlg, UINT msg, WPARAM wp, LPARAM lp) noexcept
{
    if (msg == WM_INITDIALOG) {
        SetWindowLongPtrA(dlg, DWLP_USER, lp);
        reinterpret_cast<TDialog*>(lp)->m_dlg = dlg;
    }
    auto* self = reinterpret_cast<TDialog*>(GetWindowLongPtrA(dlg, DWLP_USER));
    if (!self) return FALSE; // the messages before WM_INITDIALOG and after WM_DESTROY
    try {
        return self->OnMessage(msg, wp, lp);
    } catch (...) {
        self->OnException();
        return FALSE;
    }
}

INT_PTR TDialog::OnMessage(UINT msg, WPARAM wp, LPARAM lp)
{
    switch (msg) {
    case WM_INITDIALOG: return OnInit() ? TRUE : FALSE;
    case WM_COMMAND: return OnCommandMessage(LOWORD(wp), HIWORD(wp));
    case WM_DRAWITEM: return lp && OnDrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lp)) ? TRUE : FALSE;
    case WM_HELP:
        if (!m_helpContext) return FALSE; // on to the owner
        ShowHelp();
        return TRUE;
    case WM_DESTROY:
        // Destroyed with its owner, say: the object must not use the handle again.
        SetWindowLongPtrA(m_dlg, DWLP_USER, 0);
        m_dlg = nullptr;
        OnDestroy();
        return FALSE;
    }
    return FALSE;
}

INT_PTR TDialog::OnCommandMessage(int id, int code)
{
    if (code == BN_CLICKED) {
        switch (id) {
        case IDOK: OnOK(); return TRUE;
        case IDCANCEL: OnCancel(); return TRUE; // Escape, the close box and Alt+F4 too
        case IDHELP:
            if (!m_helpContext) break;
            ShowHelp();
            return TRUE;
        }
    }
    return OnCommand(id, code) ? TRUE : FALSE;
}

void TDialog::OnException() noexcept { ReportCurrentException(); }

HFONT TDialog::Font() const noexcept
{
    return reinterpret_cast<HFONT>(SendMessageA(m_dlg, WM_GETFONT, 0, 0));
}

bool TDialog::Checked(int id) const noexcept { return IsDlgButtonChecked(m_dlg, id) == BST_CHECKED; }

void TDialog::Check(int id, bool on) const noexcept
{
    CheckDlgButton(m_dlg, id, on ? BST_CHECKED : BST_UNCHECKED);
}

void TDialog::AddControls(std::span<const DialogControl> table)
{
    for (const DialogControl& c : table) AddControl(c);
}

HWND TDialog::AddControl(const DialogControl& c)
{
    // An etched line is two pixels thick at any resolution.
    const bool line = lstrcmpiA(c.cls, "STATIC") == 0 && (c.style & SS_TYPEMASK) == SS_ETCHEDHORZ;
    return AddControlInPixels({c.id, c.cls, c.text, c.style, Scaled(c.x), Scaled(c.y), Scaled(c.w),
                               line ? c.h : Scaled(c.h), c.exStyle});
}

HWND TDialog::AddControlInPixels(const DialogControl& c)
{
    return AddDialogControl(m_dlg, c.cls, c.text, c.style, c.id, c.x, c.y, c.w, c.h, c.text ? Font() : nullptr,
                            c.exStyle);
}

HWND TDialog::AddButtonRow(std::span<const DialogButton> buttons, int left, int top, int width, int height,
                           int gap)
{
    int x = left;
    HWND first = nullptr;
    for (const DialogButton& b : buttons) {
        HWND button = AddControlInPixels({b.id, "BUTTON", b.caption, b.style, x, top, width, height});
        if (!first) first = button;
        x += width + gap;
    }
    return first;
}

int TDialog::ButtonRowWidth(std::size_t count, int width, int gap) noexcept
{
    const int n = static_cast<int>(count);
    return n * width + (n - 1) * gap;
}

int TDialog::WrappedTextHeight(const std::string& text, HFONT font, int width, UINT flags, int minHeight) const
{
    WindowDc dc(m_dlg);
    ScopedSelect select(dc.Get(), font ? static_cast<HGDIOBJ>(font) : GetStockObject(DEFAULT_GUI_FONT));
    RECT r{0, 0, width, 0};
    DrawTextA(dc.Get(), text.c_str(), -1, &r, DT_CALCRECT | flags);
    return std::clamp(static_cast<int>(r.bottom - r.top), minHeight,
                      std::max(minHeight, GetSystemMetrics(SM_CYSCREEN) * 2 / 3));
}

void TDialog::FocusDefault(int id) const
{
    SendMessageA(m_dlg, DM_SETDEFID, static_cast<WPARAM>(id), 0);
    SetFocus(Item(id));
}

void TDialog::ShowHelp() const
{
    ShowHelpTopic(m_dlg, m_helpContext);
}

} // namespace typa
