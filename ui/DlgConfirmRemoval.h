#pragma once
// The question asked before fonts leave the system: removing fonts (mode 0), deleting a group
// with its fonts (mode 1), or removing standard fonts of the system (mode 2). A modal, topmost
// dialog with "&Oui" (the default) and "&Non" (also Escape's). One object serves the questions
// of one command; the pictures it draws live as long as the object.
#include <windows.h>

#include <string>

#include "app/ErrorBox.h"
#include "platform/Handles.h"
#include "ui/QuestionDialog.h"

namespace typa {

class TDlgConfirmRemoval : public TQuestionDialog {
public:
    enum Mode { RemoveFonts = 0, DeleteGroup = 1, StandardFonts = 2 };

    // Control ids, for whoever drives the dialog from outside.
    static constexpr int kIdText = 100;   // lblUserText
    static constexpr int kIdIcon = 101;   // imgIcon, the one picture shown
    static constexpr int kIdRBin = 102;   // imgRBin, imgExclamation, imgDelete: hidden holders
    static constexpr int kIdExclamation = 103;
    static constexpr int kIdDelete = 104;

    TDlgConfirmRemoval() = default;
    TDlgConfirmRemoval(const TDlgConfirmRemoval&) = delete;
    TDlgConfirmRemoval& operator=(const TDlgConfirmRemoval&) = delete;

    // Asks the question of `mode` and returns Yes or No. Mode 0 shows message 5020 with
    // (`count`, `count2`), mode 1 message 5030 with (`group`, `count`), mode 2 message 5010.
    // Under ScriptedBoxes the script answers, and records the caption and the text.
    MsgResult Execute(HWND owner, Mode mode, int count = 0, int count2 = 0, const std::string& group = {});

    // The text a mode shows.
    static std::string TextFor(Mode mode, int count, int count2, const std::string& group);

private:
    bool OnInit() override; // FormCreate

    Mode m_mode = RemoveFonts;
    std::string m_text;
    UniqueIcon m_deleteIcon, m_binIcon;
};

} // namespace typa
