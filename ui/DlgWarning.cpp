// The warning dialog, laid out in code at creation.
#include "ui/DlgWarning.h"

#include "app/Application.h"
#include "app/Scale.h"
#include "ui/DialogTemplate.h"

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
    const INT_PTR r = RunModal(owner, {WS_POPUP | WS_CAPTION | DS_MODALFRAME, WS_EX_DLGMODALFRAME | WS_EX_TOPMOST});
    m_labelFont.Reset();
    return r == IDYES ? MsgResult::Yes : MsgResult::No;
}

bool TDlgWarning::OnCommand(int id, int code)
{
    if (code != BN_CLICKED || (id != IDYES && id != IDNO)) return false;
    End(id);
    return true;
}

bool TDlgWarning::OnInit()
{
    SetWindowTextA(Handle(), m_caption.c_str());
    HFONT dialogFont = Font();

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
    const int labelHeight =
        WrappedTextHeight(m_text, m_labelFont.Get(), labelWidth,
                          DT_WORDBREAK | DT_EXPANDTABS | DT_NOPREFIX | DT_EDITCONTROL, Scaled(12));

    AddControlInPixels({kIdIcon, "STATIC", nullptr, SS_ICON, margin, margin, iconSize, iconSize});
    SendDlgItemMessageA(Handle(), kIdIcon, STM_SETICON,
                        reinterpret_cast<WPARAM>(LoadIcon(nullptr, IDI_EXCLAMATION)), 0);
    HWND label = AddControlInPixels({kIdLabel, "STATIC", m_text.c_str(), SS_LEFT | SS_NOPREFIX | SS_EDITCONTROL,
                                     labelLeft, margin, labelWidth, labelHeight});
    if (label) SendMessageA(label, WM_SETFONT, reinterpret_cast<WPARAM>(m_labelFont.Get()), FALSE);

    const int clientWidth = labelLeft + labelWidth + margin;
    const int buttonTop = margin + std::max(iconSize, labelHeight) + margin;
    const int buttonHeight = Scaled(25);
    static constexpr DialogButton kButtons[] = {
        {IDYES, "&Ja", WS_TABSTOP | WS_GROUP | BS_PUSHBUTTON},
        {IDNO, "&Nein", WS_TABSTOP | BS_DEFPUSHBUTTON},
        {IDHELP, "Hilfe", WS_TABSTOP | BS_PUSHBUTTON},
    };
    AddButtonRow(kButtons, clientWidth, buttonTop, Scaled(75), buttonHeight, Scaled(8));

    PlaceTopmostDialog(Handle(), clientWidth, buttonTop + buttonHeight + margin);
    FocusDefault(IDNO);
    return false; // the focus is set
}

} // namespace typa
