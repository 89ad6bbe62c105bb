// Program entry: one instance per program file, the application window, the main window and the
// message loop.
#include "app/Application.h"
#include "app/ExceptionGuard.h"
#include "app/Messages.h"
#include "app/SingleInstance.h"
#include "app/fTYPA.h"
#include "platform/Help.h"
#include "platform/System.h"
#include "res/Resource.h"

#include <windows.h>

using namespace typa;

namespace {

// The hidden owner of all top-level windows. A second instance finds it by class and caption;
// show requests sent to it go on to the main window.
LRESULT CALLBACK AppWindowProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp)
{
    if (msg == WM_SHOWREQUEST && App().mainWindow) return SendMessageA(App().mainWindow, msg, wp, lp);
    return DefWindowProcA(wnd, msg, wp, lp);
}

HWND CreateAppWindow(HINSTANCE instance)
{
    WNDCLASSA wc{};
    wc.lpfnWndProc = AppWindowProc;
    wc.hInstance = instance;
    wc.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(IDI_TYPARIUM));
    wc.lpszClassName = "TApplication";
    RegisterClassA(&wc);
    return CreateWindowExA(WS_EX_TOOLWINDOW, "TApplication", LoadMessage(100).c_str(),
                           WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX, 0, 0, 0, 0, nullptr, nullptr,
                           instance, nullptr);
}

int RunMessageLoop(TfrmTYPA& main)
{
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        Guarded<int>(0, [&] {
            if (!main.PreTranslateMessage(msg)) {
                TranslateMessage(&msg);
                DispatchMessageA(&msg);
            }
            return 0;
        });
    }
    return static_cast<int>(msg.wParam);
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    // No "insert a disk" boxes from the system: the program asks for a medium itself.
    SetErrorMode(SEM_FAILCRITICALERRORS);

    const std::string programFile = sys::ModuleFileName();
    bool alreadyRunning = false;
    UniqueKernelHandle token = CreateStartSemaphore(StartSemaphoreName(sys::LastPathComponent(programFile)),
                                                    alreadyRunning);
    if (alreadyRunning) {
        ActivatePreviousInstance();
        return 0;
    }

    Application& app = App();
    app.instance = instance;
    // The help files lie beside the program: message 101 names the WinHelp one, TYPA.HLP.
    const std::string helpName = LoadMessage(101);
    sys::ProgramHelp help(sys::FolderOf(programFile) + helpName.substr(0, helpName.rfind('.')));
    app.help = &help;
    app.appWindow = CreateAppWindow(instance);

    TfrmTYPA::RegisterClasses(instance);
    int code = 1;
    {
        TfrmTYPA main;
        if (main.Create(app.appWindow)) {
            app.mainWindow = main.Handle();
            code = RunMessageLoop(main);
            app.mainWindow = nullptr;
        }
    }
    if (app.appWindow) DestroyWindow(app.appWindow);
    // The main window closed the help windows; the viewer's module goes with `help`.
    app.help = nullptr;
    return code;
}
