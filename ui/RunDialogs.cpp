#include "ui/RunDialogs.h"

#include "ui/DlgAskForDisk.h"
#include "ui/DlgProgress.h"
#include "ui/DlgWarning.h"

namespace typa {
namespace {

// The progress dialog behind a run's display: hidden until Open, closed when the run goes.
class DialogProgress final : public RunProgress {
public:
    DialogProgress() : m_guard(m_dialog) {}
    void Open(const std::string& text) override { ProgressOpen(m_dialog, nullptr, text); }
    void Step(int position, const std::string& text) override { ProgressStep(m_dialog, position, text); }
    void QuickStep(int position, const std::string& text) override { ProgressQuickStep(m_dialog, position, text); }
    void ShowKept() override { ProgressShowKept(); }
    void Hold(DWORD ms) override { ProgressHold(ms); }
    bool Cancelled() override { return ProgressCancelled(); }

private:
    TDlgProgress m_dialog;
    ProgressGuard m_guard;
};

} // namespace

std::unique_ptr<RunProgress> TRunDialogs::NewProgress() { return std::make_unique<DialogProgress>(); }

bool TRunDialogs::AskForMedium(const std::string& text)
{
    TDlgAskForDisk ask;
    return ask.Execute(text) == MsgResult::OK;
}

bool TRunDialogs::ConfirmManyFonts(const std::string& caption, const std::string& text)
{
    TDlgWarning warning;
    return warning.Execute(m_owner, caption, text) == MsgResult::Yes;
}

bool TRunDialogs::ConfirmRemoval(Removal what, int count, int count2, const std::string& group)
{
    const auto mode = what == Removal::RemoveFonts   ? TDlgConfirmRemoval::RemoveFonts
                      : what == Removal::DeleteGroup ? TDlgConfirmRemoval::DeleteGroup
                                                     : TDlgConfirmRemoval::StandardFonts;
    return m_confirm.Execute(m_owner, mode, count, count2, group) == MsgResult::Yes;
}

} // namespace typa
