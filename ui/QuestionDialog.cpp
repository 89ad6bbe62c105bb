// The buttons and answers of the Yes-or-No questions.
#include "ui/QuestionDialog.h"

#include "app/Scale.h"
#include "ui/DialogTemplate.h"

namespace typa {

MsgResult TQuestionDialog::Ask(HWND owner, const DialogFrame& frame)
{
    return RunModal(owner, frame) == IDYES ? MsgResult::Yes : MsgResult::No;
}

int TQuestionDialog::Margin() { return Scaled(12); }

void TQuestionDialog::AddButtonsBelow(std::span<const DialogButton> buttons, int defaultId, int clientWidth,
                                      int contentHeight)
{
    const int margin = Margin();
    const int buttonTop = margin + contentHeight + margin;
    const int buttonWidth = Scaled(75), buttonHeight = Scaled(25), gap = Scaled(8);
    AddButtonRow(buttons, (clientWidth - ButtonRowWidth(buttons.size(), buttonWidth, gap)) / 2, buttonTop, buttonWidth,
                 buttonHeight, gap);
    PlaceTopmostDialog(Handle(), clientWidth, buttonTop + buttonHeight + margin);
    FocusDefault(defaultId);
}

bool TQuestionDialog::OnCommand(int id, int code)
{
    if (code != BN_CLICKED || (id != IDYES && id != IDNO)) return false;
    End(id);
    return true;
}

} // namespace typa
