// DriverHook.dll: a WH_GETMESSAGE hook that the end-to-end driver places on the thread of the
// program under test. When that thread takes the driver's marker off its queue, everything
// posted before it has been handled. Keyboard and mouse input still waiting comes after posted
// messages, though, so while some is queued the hook waits for a timer message, which comes
// after input. Then it sets the event the marker carries (a handle the driver duplicated into
// this process). Markers and timers of its own become WM_NULL before they reach the program.
#include <windows.h>

namespace {

// The driver settles one thread at a time, and the hook runs on that thread only.
HANDLE g_pending = nullptr;
UINT_PTR g_timer = 0;

bool InputPending()
{
    return (HIWORD(GetQueueStatus(QS_INPUT)) & QS_INPUT) != 0;
}

void Signal(HANDLE event)
{
    SetEvent(event);
    CloseHandle(event);
}

void Finish()
{
    if (g_timer) KillTimer(nullptr, g_timer);
    g_timer = 0;
    if (g_pending) Signal(g_pending);
    g_pending = nullptr;
}

} // namespace

extern "C" __declspec(dllexport) LRESULT CALLBACK DriverGetMessageHook(int code, WPARAM w, LPARAM l)
{
    if (code == HC_ACTION && w == PM_REMOVE) {
        auto* msg = reinterpret_cast<MSG*>(l);
        static const UINT marker = RegisterWindowMessageA("TypariumDriverSettle");
        if (marker && msg->message == marker && msg->hwnd == nullptr) {
            msg->message = WM_NULL;
            Finish();  // an earlier settle that was given up
            g_pending = reinterpret_cast<HANDLE>(msg->lParam);
            if (!InputPending() || !(g_timer = SetTimer(nullptr, 0, 1, nullptr))) Finish();
        } else if (msg->message == WM_TIMER && msg->hwnd == nullptr && g_timer &&
                   msg->wParam == g_timer) {
            msg->message = WM_NULL;
            if (!InputPending()) Finish();
        }
    }
    return CallNextHookEx(nullptr, code, w, l);
}

BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID)
{
    return TRUE;
}
