// The warning dialog, laid out in code at creation.
#include "ui/DlgWarning.h"

#include "app/Scale.h"

#include <algorithm>

namespace typa {
namespace {

constexpr int kIdIcon = 100;
constexpr int kIdLabel = 101;

} // namespace

MsgResult TDlgWarning::Execute(HWND owner, const std::string& caption, const std::string& text)
{
    if (auto answer = AnswerWithoutDialog({text, MsgKind::Confirmation, MsgButton::Yes | MsgButton::No, caption,
                                           GetCursor(), true},
                                          MsgResult::Yes, MsgResult::No))
        return *answer;

    m_caption = caption;
    m_text = text;
    // No title-bar buttons: no system menu.
    const MsgResult r = Ask(owner, {WS_POPUP | WS_CAPTION | DS_MODALFRAME, WS_EX_DLGMODALFRAME | WS_EX_TOPMOST});
    m_labelFont.Reset();
    return r;
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

    const int margin = Margin();
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

    static constexpr DialogButton kButtons[] = {
        {IDYES, "&Ja", WS_TABSTOP | WS_GROUP | BS_PUSHBUTTON},
        {IDNO, "&Nein", WS_TABSTOP | BS_DEFPUSHBUTTON},
        {IDHELP, "Hilfe", WS_TABSTOP | BS_PUSHBUTTON},
    };
    AddButtonsBelow(kButtons, IDNO, labelLeft + labelWidth + margin, std::max(iconSize, labelHeight));
    return false; // the focus is set
}

} // namespace typa
