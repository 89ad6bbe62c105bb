#include "app/Application.h"

#include "app/ErrorBox.h"
#include "app/Messages.h"
#include "platform/Help.h"

namespace typa {
namespace {

// Help belongs to the main window, not to the dialog that asked for it: a window goes with its
// owner, and HTML Help would go on turning the page of the one it opened after that one is gone.
HWND HelpOwner(HWND asking) { return App().mainWindow ? App().mainWindow : asking; }

void Report(sys::HelpResult result, const sys::ProgramHelp& help, DWORD context)
{
    switch (result) {
    case sys::HelpResult::Shown: break;
    case sys::HelpResult::FileMissing: ShowError(50, help.File()); break;
    case sys::HelpResult::TopicMissing:
        ShowMessageBox(FormatMessage(3051, {static_cast<unsigned long>(context), help.File()}), MsgKind::Error,
                       MsgButton::OK);
        break;
    case sys::HelpResult::ViewerMissing: ShowError(52, help.ViewerFile()); break;
    }
}

} // namespace

Application& App()
{
    static Application app;
    return app;
}

void ShowHelpContents(HWND owner)
{
    if (sys::ProgramHelp* help = App().help) Report(help->ShowContents(HelpOwner(owner)), *help, 0);
}

void ShowHelpTopic(HWND owner, DWORD context)
{
    if (sys::ProgramHelp* help = App().help) Report(help->ShowTopic(HelpOwner(owner), context), *help, context);
}

void CloseHelp(HWND owner)
{
    if (sys::ProgramHelp* help = App().help) help->Close(HelpOwner(owner));
}

} // namespace typa
