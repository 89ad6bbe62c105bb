#pragma once
// The insert-medium dialog: asked when the font folder lies on a floppy or CD-ROM drive that is
// not ready. "OK" means "try again", "Annuler" gives up the reading.
#include <windows.h>

#include <string>

#include "app/ErrorBox.h"
#include "ui/Dialog.h"

namespace typa {

class TDlgAskForDisk : public TDialog {
public:
    static constexpr int kIdCD = 100;   // imgCD
    static constexpr int kIdDisk = 101; // the floppy drive
    static constexpr int kIdLabel = 102;
    static constexpr const char* kCaption = "Insérer le support de données";

    // Shows the dialog modally over the main window with `text` (message 1070, say) until the
    // user answers: OK for "OK" and Enter, Cancel for "Annuler", Escape and Alt+F4, and Cancel
    // when no dialog can be made. Under ScriptedBoxes the script answers: the RecordedBox has
    // kCaption as its caption and the buttons OK | Cancel; any answer but OK reads as Cancel.
    MsgResult Execute(const std::string& text);

private:
    bool OnInit() override; // FormCreate
    bool OnDrawItem(const DRAWITEMSTRUCT& dis) override;

    std::string m_text;
};

} // namespace typa
