#include "app/SingleInstance.h"
#include "app/Messages.h"
#include "res/Resource.h"

#include <windows.h>

namespace typa {

std::string StartSemaphoreName(const std::string& programFile) { return programFile + "StartSemaphore"; }

UniqueKernelHandle CreateStartSemaphore(const std::string& name, bool& alreadyRunning)
{
    UniqueKernelHandle sem(CreateSemaphoreA(nullptr, 0, 1, name.c_str()));
    alreadyRunning = sem && GetLastError() == ERROR_ALREADY_EXISTS;
    if (alreadyRunning) sem.Reset();
    return sem;
}

void ActivatePreviousInstance()
{
    HWND app = FindWindowA("TApplication", LoadMessage(100).c_str());
    if (!app) return;
    HWND popup = GetLastActivePopup(app);
    if (popup && popup != app && IsWindowVisible(popup)) {
        if (IsIconic(app))
            ShowWindow(app, SW_RESTORE);
        else
            BringWindowToTop(app);
        if (IsIconic(popup))
            ShowWindow(popup, SW_RESTORE);
        else
            SetForegroundWindow(popup);
        return;
    }
    // Hidden in the notification area. The application window passes the request on to the main
    // window; a running instance that hangs must not hang this one too.
    DWORD_PTR ignored;
    SendMessageTimeoutA(popup ? popup : app, WM_SHOWREQUEST, 0, 0, SMTO_ABORTIFHUNG, 5000, &ignored);
}

} // namespace typa
