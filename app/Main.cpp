// Program entry: one instance per program file, the application window, the main window and the
// message loop.
#include "app/Application.h"
#include "app/ExceptionGuard.h"
#include "app/Messages.h"
#include "app/SingleInstance.h"
#include "app/fTYPA.h"
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
    app.helpFile = sys::FolderOf(programFile) + LoadMessage(101);
    app.appWindow = CreateAppWindow(instance);

    TfrmTYPA::RegisterClasses(instance);
    TfrmTYPA main;
    if (!main.Create(app.appWindow)) {
        if (app.appWindow) DestroyWindow(app.appWindow);
        return 1;
    }
    app.mainWindow = main.Handle();
    int code = RunMessageLoop(main);
    app.mainWindow = nullptr;
    if (app.appWindow) DestroyWindow(app.appWindow);
    return code;
}
