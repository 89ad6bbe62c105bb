#pragma once
// The runs' user interface made of the program's own dialogs: the progress dialog, the
// insert-medium dialog, the 750-font warning and the removal confirmation. One object serves
// one command; its confirmation dialog serves every question of that command.
#include "app/RunUi.h"
#include "ui/DlgConfirmRemoval.h"

namespace typa {

class TRunDialogs final : public RunUi {
public:
    // `owner`: the window the questions belong to (the main window; may be null).
    explicit TRunDialogs(HWND owner) : m_owner(owner) {}

    std::unique_ptr<RunProgress> NewProgress() override;
    bool AskForMedium(const std::string& text) override;
    bool ConfirmManyFonts(const std::string& caption, const std::string& text) override;
    bool ConfirmRemoval(Removal what, int count, int count2, const std::string& group) override;

private:
    HWND m_owner;
    TDlgConfirmRemoval m_confirm;
};

} // namespace typa
