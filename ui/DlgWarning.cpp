// The warning dialog, laid out in code at creation.
#include "ui/DlgWarning.h"

#include "app/Application.h"
#include "app/Scale.h"

#include <algorithm>

namespace typa {
namespace {

constexpr int kIdIcon = 100;
constexpr int kIdLabel = 101;

} // namespace

MsgResult TDlgWarning::Execute(HWND owner, const std::string& caption, const std::string& text)
{
    if (ScriptedBoxes* script = ScriptedBoxes::Current()) {
        MsgResult r = script->Take({text, MsgKind::Confirmation, MsgButton::Yes | MsgButton::No,
                                    caption, GetCursor(), true});
        return r == MsgResult::Yes ? MsgResult::Yes : MsgResult::No;
    }
    if (App().sessionEnding) return MsgResult::No;

    m_caption = caption;
    m_text = text;
    // No title-bar buttons: no system menu.
    const std::vector<WORD> tmpl = EmptyDialogTemplate(WS_POPUP | WS_CAPTION | DS_MODALFRAME,
                                                       WS_EX_DLGMODALFRAME | WS_EX_TOPMOST);
    HINSTANCE instance = App().instance ? App().instance : GetModuleHandleA(nullptr);
    INT_PTR r = DialogBoxIndirectParamA(instance, reinterpret_cast<LPCDLGTEMPLATEA>(tmpl.data()),
                                        owner, DialogProc, reinterpret_cast<LPARAM>(this));
    m_labelFont.Reset();
    lblUserText = pbYes = pbNo = pbHelp = nullptr;
    return r == IDYES ? MsgResult::Yes : MsgResult::No;
}

INT_PTR CALLBACK TDlgWarning::DialogProc(HWND dlg, UINT msg, WPARAM wp, LPARAM lp) noexcept
{
    try {
        if (msg == WM_INITDIALOG) {
            SetWindowLongPtrA(dlg, DWLP_USER, lp);
            reinterpret_cast<TDlgWarning*>(lp)->OnInitDialog(dlg);
            return FALSE; // the focus is set
        }
        auto* self = reinterpret_cast<TDlgWarning*>(GetWindowLongPtrA(dlg, DWLP_USER));
        if (!self) return FALSE;
        switch (msg) {
        case WM_COMMAND:
            return HIWORD(wp) == BN_CLICKED && self->OnCommand(dlg, LOWORD(wp));
        case WM_HELP:
            self->ShowHelp(dlg);
            return TRUE;
        }
    } catch (...) {
        ShowCurrentException();
    }
    return FALSE;
}

void TDlgWarning::OnInitDialog(HWND dlg)
{
    SetWindowTextA(dlg, m_caption.c_str());
    HFONT dialogFont = reinterpret_cast<HFONT>(SendMessageA(dlg, WM_GETFONT, 0, 0));

    // The label: the dialog's typeface at 12 pixels.
    LOGFONTA lf{};
    if (!dialogFont || !GetObjectA(dialogFont, sizeof lf, &lf))
        lstrcpynA(lf.lfFaceName, "MS Shell Dlg", LF_FACESIZE);
    lf.lfHeight = -Scaled(12);
    lf.lfWidth = 0;
    lf.lfWeight = FW_NORMAL;
    m_labelFont.Reset(CreateFontIndirectA(&lf));

    const int margin = Scaled(12);
    const int iconSize = GetSystemMetrics(SM_CXICON);
    const int labelLeft = Scaled(56);
    const int labelWidth = Scaled(345);
    const int buttonWidth = Scaled(75), buttonHeight = Scaled(25), gap = Scaled(8);

    int labelHeight = Scaled(12);
    {
        WindowDc dc(dlg);
        ScopedSelect select(dc.Get(), m_labelFont ? static_cast<HGDIOBJ>(m_labelFont.Get())
                                                  : GetStockObject(DEFAULT_GUI_FONT));
        RECT r{0, 0, labelWidth, 0};
        DrawTextA(dc.Get(), m_text.c_str(), -1, &r,
                  DT_CALCRECT | DT_WORDBREAK | DT_EXPANDTABS | DT_NOPREFIX | DT_EDITCONTROL);
        // Never taller than most of the screen, so that the buttons stay reachable.
        labelHeight = std::clamp(static_cast<int>(r.bottom - r.top), labelHeight,
                                 std::max(labelHeight, GetSystemMetrics(SM_CYSCREEN) * 2 / 3));
    }

    AddDialogControl(dlg, "STATIC", nullptr, SS_ICON, kIdIcon, margin, margin, iconSize, iconSize,
                     nullptr);
    SendDlgItemMessageA(dlg, kIdIcon, STM_SETICON,
                        reinterpret_cast<WPARAM>(LoadIcon(nullptr, IDI_EXCLAMATION)), 0);
    lblUserText = AddDialogControl(dlg, "STATIC", m_text.c_str(),
                                   SS_LEFT | SS_NOPREFIX | SS_EDITCONTROL, kIdLabel, labelLeft, margin,
                                   labelWidth, labelHeight, m_labelFont.Get());

    const int clientWidth = labelLeft + labelWidth + margin;
    const int buttonTop = margin + std::max(iconSize, labelHeight) + margin;
    const int clientHeight = buttonTop + buttonHeight + margin;
    int x = (clientWidth - (3 * buttonWidth + 2 * gap)) / 2;
    pbYes = AddDialogControl(dlg, "BUTTON", "&Ja", WS_TABSTOP | WS_GROUP | BS_PUSHBUTTON, IDYES, x,
                             buttonTop, buttonWidth, buttonHeight, dialogFont);
    x += buttonWidth + gap;
    pbNo = AddDialogControl(dlg, "BUTTON", "&Nein", WS_TABSTOP | BS_DEFPUSHBUTTON, IDNO, x,
                            buttonTop, buttonWidth, buttonHeight, dialogFont);
    x += buttonWidth + gap;
    pbHelp = AddDialogControl(dlg, "BUTTON", "Hilfe", WS_TABSTOP | BS_PUSHBUTTON, IDHELP, x,
                              buttonTop, buttonWidth, buttonHeight, dialogFont);

    PlaceTopmostDialog(dlg, clientWidth, clientHeight);

    SendMessageA(dlg, DM_SETDEFID, IDNO, 0);
    SetFocus(pbNo);
}

bool TDlgWarning::OnCommand(HWND dlg, int id)
{
    switch (id) {
    case IDYES: EndDialog(dlg, IDYES); return true;
    case IDNO:
    case IDCANCEL: // Escape
        EndDialog(dlg, IDNO);
        return true;
    case IDHELP: ShowHelp(dlg); return true;
    }
    return false;
}

void TDlgWarning::ShowHelp(HWND dlg) const
{
    if (!App().helpFile.empty()) WinHelpA(dlg, App().helpFile.c_str(), HELP_CONTEXT, kHelpContext);
}

} // namespace typa
