// DriverHook.dll: a WH_GETMESSAGE hook that the end-to-end driver places on the thread of the
// program under test. When that thread takes the driver's marker off its queue, everything
// posted before it has been handled, so the hook sets the event the marker carries (a handle
// the driver duplicated into this process) and turns the marker into WM_NULL.
#include <windows.h>

extern "C" __declspec(dllexport) LRESULT CALLBACK DriverGetMessageHook(int code, WPARAM w, LPARAM l)
{
    if (code == HC_ACTION && w == PM_REMOVE) {
        auto* msg = reinterpret_cast<MSG*>(l);
        static const UINT marker = RegisterWindowMessageA("TypariumDriverSettle");
        if (marker && msg->message == marker && msg->hwnd == nullptr) {
            auto event = reinterpret_cast<HANDLE>(msg->lParam);
            SetEvent(event);
            CloseHandle(event);
            msg->message = WM_NULL;
        }
    }
    return CallNextHookEx(nullptr, code, w, l);
}

BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID)
{
    return TRUE;
}
