#pragma once
// The program-wide part of the run that is not the main window's own state: the module, the two
// top-level windows, the help file and whether the session is ending. Filled once at start-up by the entry point; everything
// else only reads it.
#include <windows.h>
#include <string>

namespace typa {

struct Application {
    HINSTANCE instance = nullptr;
    // Hidden owner of every top-level window, class "TApplication", caption "Typarium": a second
    // instance finds the running one through it.
    HWND appWindow = nullptr;
    HWND mainWindow = nullptr;
    // Full path of TYPA.HLP in the program's own folder.
    std::string helpFile;
    // Windows is shutting down or the user is logging off: every box and dialog from now on
    // answers at once as Escape would, and long runs stop at their next step.
    bool sessionEnding = false;
};

Application& App();

} // namespace typa
