#pragma once
// The warning dialog: a modal, topmost question with an exclamation mark, the caller's caption
// and text, and the buttons "&Ja", "&Nein" (the default, also Escape's) and "Hilfe". Used before
// installing so many fonts that some may no longer show.
#include <windows.h>

#include <string>

#include "app/ErrorBox.h"
#include "platform/Handles.h"
#include "ui/QuestionDialog.h"

namespace typa {

class TDlgWarning : public TQuestionDialog {
public:
    // Help topic of the dialog, opened by "Hilfe" and F1.
    static constexpr DWORD kHelpContext = 1030;

    TDlgWarning() : TQuestionDialog(kHelpContext) {}

    // Shows the dialog over `owner` (may be null) until the user answers; Yes for "&Ja", No for
    // "&Nein", Escape or Enter on the default button. Under ScriptedBoxes the script answers.
    MsgResult Execute(HWND owner, const std::string& caption, const std::string& text);

private:
    bool OnInit() override;

    std::string m_caption;
    std::string m_text;
    // The label's 12-pixel font, alive while the dialog is.
    UniqueFont m_labelFont;
};

} // namespace typa
