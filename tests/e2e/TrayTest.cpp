// The program in the notification area: the close box hides it into one icon, the icon's clicks
// open its menu or bring the window back, and the menu's commands act. The icon's mouse events are
// sent to the main window as the shell sends them; the shell's notification area itself is played
// by a window of this test, since Wine has none without a display.
#include "support/TypaSession.h"
#include "res/Resource.h"
#include <doctest/doctest.h>

#include <set>
#include <utility>

using namespace typa::e2e;

namespace {

// Stands in for the shell's notification area: a window of the shell's tray class, on a thread of
// its own (the program waits for its answer while this thread may be waiting for the program), that
// records every Shell_NotifyIcon call it is given.
class FakeNotificationArea {
public:
    struct Call {
        DWORD message = 0; // NIM_ADD, NIM_MODIFY, NIM_DELETE
        HWND wnd = nullptr;
        UINT id = 0;
        UINT flags = 0;
        UINT callbackMessage = 0;
        std::string tip;
    };

    FakeNotificationArea()
    {
        InitializeCriticalSection(&m_lock);
        m_ready = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        m_thread = CreateThread(nullptr, 0, ThreadProc, this, 0, nullptr);
        WaitForSingleObject(m_ready, 10000);
    }
    ~FakeNotificationArea()
    {
        if (m_wnd) PostMessageA(m_wnd, WM_CLOSE, 0, 0);
        if (m_thread) {
            WaitForSingleObject(m_thread, 10000);
            CloseHandle(m_thread);
        }
        if (m_ready) CloseHandle(m_ready);
        DeleteCriticalSection(&m_lock);
    }
    FakeNotificationArea(const FakeNotificationArea&) = delete;
    FakeNotificationArea& operator=(const FakeNotificationArea&) = delete;

    bool Ready() const { return m_wnd != nullptr; }

    std::vector<Call> Calls()
    {
        EnterCriticalSection(&m_lock);
        std::vector<Call> copy = m_calls;
        LeaveCriticalSection(&m_lock);
        return copy;
    }
    int Count(DWORD message)
    {
        int n = 0;
        for (const Call& c : Calls()) n += c.message == message;
        return n;
    }
    // Icons present now: added and not deleted since.
    int Icons()
    {
        std::set<std::pair<HWND, UINT>> icons;
        for (const Call& c : Calls()) {
            if (c.message == NIM_ADD) icons.insert({c.wnd, c.id});
            if (c.message == NIM_DELETE) icons.erase({c.wnd, c.id});
        }
        return static_cast<int>(icons.size());
    }

private:
    static DWORD WINAPI ThreadProc(void* param)
    {
        auto* self = static_cast<FakeNotificationArea*>(param);
        WNDCLASSA wc{};
        wc.lpfnWndProc = WndProc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "Shell_TrayWnd";
        RegisterClassA(&wc);
        self->m_wnd = CreateWindowExA(0, "Shell_TrayWnd", "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                      wc.hInstance, nullptr);
        if (self->m_wnd) SetWindowLongPtrA(self->m_wnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        SetEvent(self->m_ready);
        MSG msg;
        while (self->m_wnd && GetMessageA(&msg, nullptr, 0, 0) > 0) DispatchMessageA(&msg);
        return 0;
    }

    static LRESULT CALLBACK WndProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp)
    {
        auto* self = reinterpret_cast<FakeNotificationArea*>(GetWindowLongPtrA(wnd, GWLP_USERDATA));
        if (msg == WM_COPYDATA && self) {
            // The shell's copy of NOTIFYICONDATA: window (32 bits), id, flags, callback message,
            // then the tip in UTF-16.
            const auto* cds = reinterpret_cast<const COPYDATASTRUCT*>(lp);
            struct Head {
                LONG wnd;
                UINT id;
                UINT flags;
                UINT callbackMessage;
                WCHAR tip[128];
            };
            if (!cds || cds->cbData < sizeof(Head)) return FALSE;
            const auto* head = static_cast<const Head*>(cds->lpData);
            Call call;
            call.message = static_cast<DWORD>(cds->dwData);
            call.wnd = reinterpret_cast<HWND>(static_cast<LONG_PTR>(head->wnd));
            call.id = head->id;
            call.flags = head->flags;
            call.callbackMessage = head->callbackMessage;
            call.tip = ToCp1252(head->tip);
            EnterCriticalSection(&self->m_lock);
            self->m_calls.push_back(call);
            LeaveCriticalSection(&self->m_lock);
            return TRUE;
        }
        if (msg == WM_CLOSE) {
            DestroyWindow(wnd);
            return 0;
        }
        if (msg == WM_DESTROY) {
            if (self) self->m_wnd = nullptr;
            PostQuitMessage(0);
            return 0;
        }
        return DefWindowProcA(wnd, msg, wp, lp);
    }

    CRITICAL_SECTION m_lock;
    HANDLE m_ready = nullptr;
    HANDLE m_thread = nullptr;
    HWND volatile m_wnd = nullptr;
    std::vector<Call> m_calls;
};

// The icon's callback as the shell posts it: wParam the icon id, lParam the mouse message.
void Mouse(HWND main, std::initializer_list<UINT> messages)
{
    for (UINT m : messages) Post(main, WM_TRAYCALLBACK, 1, m);
}

// The open popup menu of the program, if any.
HWND OpenMenu(const Process& typa)
{
    for (HWND w : TopLevelWindows(typa.Pid()))
        if (ClassName(w) == "#32768" && IsVisible(w)) return w;
    return nullptr;
}

HWND WaitForMenu(const Process& typa)
{
    HWND menu = nullptr;
    WaitUntil([&] { return (menu = OpenMenu(typa)) != nullptr; }, 30000);
    return menu;
}

// No menu opens: the program took everything posted, and a while longer than Timer1 runs.
bool NoMenuFollows(const Process& typa, HWND main)
{
    Settle(main);
    Sleep(300);
    Settle(main);
    return OpenMenu(typa) == nullptr;
}

int Height(const RECT& r) { return r.bottom - r.top; }

// The close box: the window goes, the one icon comes.
bool CloseToTray(HWND main, FakeNotificationArea& tray)
{
    Close(main);
    return WaitUntil([&] { return !IsVisible(main) && tray.Icons() == 1; });
}

} // namespace

TEST_CASE("The close box hides the window into one icon; a double click, a second start, a log-off")
{
    FakeNotificationArea tray;
    REQUIRE(tray.Ready());
    ResetSettings(EmptyFontFolder());
    Process typa;
    HWND main = StartAndWait(typa);
    REQUIRE(main);
    CHECK(tray.Calls().empty());

    // Closed: hidden, with one icon that carries the window, id 1, WM_USER + 1 and "Typarium".
    Close(main);
    REQUIRE(WaitUntil([&] { return !IsVisible(main); }));
    REQUIRE(WaitUntil([&] { return tray.Icons() == 1; }));
    const auto add = tray.Calls().front();
    CHECK(add.message == NIM_ADD);
    CHECK(add.wnd == main);
    CHECK(add.id == 1u);
    CHECK(add.flags == (NIF_MESSAGE | NIF_ICON | NIF_TIP));
    CHECK(add.callbackMessage == WM_USER + 1);
    CHECK(add.tip == "Typarium");
    // Closed again while hidden: still the one icon, and still running.
    Close(main);
    Settle(main);
    CHECK(tray.Count(NIM_ADD) == 1);
    CHECK(typa.IsRunning());

    // A double click as the shell reports it: down, up, double click, up. The window comes back,
    // the icon goes, and the click's timer opens no menu.
    Mouse(main, {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP});
    CHECK(WaitUntil([&] { return IsVisible(main); }));
    CHECK(WaitUntil([&] { return tray.Icons() == 0; }));
    CHECK(NoMenuFollows(typa, main));
    CHECK(tray.Count(NIM_DELETE) == 1);
    // A double click while the window is visible only marks the double click.
    Mouse(main, {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP});
    CHECK(NoMenuFollows(typa, main));
    CHECK(tray.Count(NIM_ADD) == 1);

    // Hidden again, then started a second time: the first instance shows its window and its icon
    // goes.
    Click(ChildById(main, btTaskbar));
    REQUIRE(WaitUntil([&] { return !IsVisible(main) && tray.Icons() == 1; }));
    Process second;
    REQUIRE(second.StartTypa());
    CHECK(second.WaitForExit(120000) == std::optional<DWORD>(0));
    CHECK(WaitUntil([&] { return IsVisible(main); }));
    CHECK(WaitUntil([&] { return tray.Icons() == 0; }));

    // Hidden, then the user logs off: the program ends cleanly, without its icon, settings saved.
    REQUIRE(CloseToTray(main, tray));
    CHECK(Send(main, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF) == TRUE);
    Post(main, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF);
    CHECK(typa.WaitForExit(60000) == std::optional<DWORD>(0));
    CHECK(tray.Icons() == 0);
    CHECK(GetDword(HKEY_CURRENT_USER, kTypaKey, "AppTools") == std::optional<DWORD>(31));
}

TEST_CASE("A click opens the icon's menu; its commands show the window, the about box, and quit")
{
    FakeNotificationArea tray;
    REQUIRE(tray.Ready());
    ResetSettings(EmptyFontFolder());
    Process typa;
    HWND main = StartAndWait(typa);
    REQUIRE(main);
    REQUIRE(CloseToTray(main, tray));

    // A left click: the menu, after Timer1.
    Mouse(main, {WM_LBUTTONDOWN, WM_LBUTTONUP});
    HWND menu = WaitForMenu(typa);
    REQUIRE(menu);
    const int hiddenHeight = Height(WindowRect(menu));
    // A release while it is open belongs to it: once closed, it does not open again.
    Mouse(main, {WM_LBUTTONDOWN, WM_LBUTTONUP});
    Post(menu, WM_KEYDOWN, VK_ESCAPE, 0);
    CHECK(WaitUntil([&] { return OpenMenu(typa) == nullptr; }));
    CHECK(NoMenuFollows(typa, main));
    CHECK_FALSE(IsVisible(main));

    // A right double click does nothing of its own; a right click opens the menu like a left one.
    Mouse(main, {WM_RBUTTONDBLCLK});
    CHECK(NoMenuFollows(typa, main));
    CHECK_FALSE(IsVisible(main));
    Mouse(main, {WM_RBUTTONDOWN, WM_RBUTTONUP});
    menu = WaitForMenu(typa);
    REQUIRE(menu);

    // "A &propos de...": the about box, alone; a double click on the icon then brings the
    // window back in its place.
    Post(menu, WM_CHAR, 'p', 0);
    auto about = WaitForDialog(typa.Pid(), "A propos de Typarium", 30000);
    REQUIRE(about);
    CHECK_FALSE(IsVisible(main));
    Mouse(main, {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP});
    CHECK(WaitUntil([&] { return IsVisible(main) && !IsVisible(about->wnd); }));
    CHECK(WaitUntil([&] { return tray.Icons() == 0; }));
    CHECK(IsEnabled(main));

    // "&Afficher Typarium" (the bold default item) shows the window.
    REQUIRE(CloseToTray(main, tray));
    Mouse(main, {WM_LBUTTONDOWN, WM_LBUTTONUP});
    menu = WaitForMenu(typa);
    REQUIRE(menu);
    Post(menu, WM_CHAR, 'a', 0);
    CHECK(WaitUntil([&] { return IsVisible(main) && tray.Icons() == 0; }));

    // With the window up the menu has no "&Afficher Typarium": one row less. "&Quitter Typarium"
    // ends the program with the settings saved.
    Mouse(main, {WM_LBUTTONDOWN, WM_LBUTTONUP});
    menu = WaitForMenu(typa);
    REQUIRE(menu);
    CHECK(Height(WindowRect(menu)) < hiddenHeight);
    SetDword(HKEY_CURRENT_USER, kTypaKey, "TVInstHeight", 12345); // rewritten at the end
    Post(menu, WM_CHAR, 'q', 0);
    CHECK(typa.WaitForExit(60000) == std::optional<DWORD>(0));
    CHECK(GetDword(HKEY_CURRENT_USER, kTypaKey, "TVInstHeight") == std::optional<DWORD>(110));
    CHECK(tray.Icons() == 0);
}
