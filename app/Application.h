#pragma once
// The program-wide part of the run that is not the main window's own state: the module, the two
// top-level windows, the help and whether the session is ending. Filled once at start-up by the
// entry point; everything else only reads it.
#include <windows.h>

namespace typa {

namespace sys {
class ProgramHelp;
}

struct Application {
    HINSTANCE instance = nullptr;
    // Hidden owner of every top-level window, class "TApplication", caption "Typarium": a second
    // instance finds the running one through it.
    HWND appWindow = nullptr;
    HWND mainWindow = nullptr;
    // The help beside the program (TYPA.HLP or TYPA.CHM), owned by the entry point for the whole
    // run; null where no program runs (tests of one dialog), and then help does nothing.
    sys::ProgramHelp* help = nullptr;
    // Windows is shutting down or the user is logging off: every box and dialog from now on
    // answers at once as Escape would, and long runs stop at their next step.
    bool sessionEnding = false;
};

Application& App();

// The program's help, asked for by `owner`: its contents, the topic of a context number, and its
// closing at the end of the run. The help's window belongs to the main window whoever asks. When
// no viewer can show the page, an error box says why (messages 3050 to 3052) and names the file
// at fault.
void ShowHelpContents(HWND owner);
void ShowHelpTopic(HWND owner, DWORD context);
void CloseHelp(HWND owner);

} // namespace typa
