#pragma once
// The shape of the modal, topmost questions answered Yes or No (the confirmation before fonts
// leave the system, the warning before too many are installed): a picture at the top left, the
// text beside it as tall as it wraps, a row of buttons centred below. "Yes" answers Yes; "No",
// Escape and the close box answer No; Enter presses the default button.
#include <windows.h>

#include <span>

#include "app/ErrorBox.h"
#include "ui/Dialog.h"

namespace typa {

class TQuestionDialog : public TDialog {
protected:
    using TDialog::TDialog;

    // Runs the question over `owner`: Yes for "Yes", No for anything else, a failed dialog too.
    MsgResult Ask(HWND owner, const DialogFrame& frame);

    // The margin around the picture, the text and the buttons, in pixels.
    static int Margin();
    // The buttons (75 × 25 at 96 dpi, 8 apart) centred below a picture and a text that start a
    // margin from the top and are `contentHeight` high, the frame around it all kept on top over
    // the main window, and the focus on `defaultId`.
    void AddButtonsBelow(std::span<const DialogButton> buttons, int defaultId, int clientWidth, int contentHeight);

private:
    void OnOK() override {} // no OK button
    void OnCancel() override { End(IDNO); }
    bool OnCommand(int id, int code) override;
};

} // namespace typa
