#pragma once
// The program in the notification area: its icon, the hiding and showing of the main window, and
// what a click on the icon does. A click opens the icon's menu 30 ms after the button comes up,
// so that the icon's callback returns before the menu's own loop starts; a double click shows the
// window instead, and no menu follows it.
#include <windows.h>

#include <functional>

#include "tray/PopupMenuQS.h"

namespace typa {

// Icon id and callback message of the main window's icon.
inline constexpr UINT kTrayIconId = 1;
inline constexpr UINT_PTR kTimer1Id = 1;
inline constexpr UINT kTimer1Interval = 30;

// Puts the icon of `wnd` into the notification area: id 1, callback WM_USER + 1, the tip "Typarium".
void AddTrayIcon(HWND wnd, HICON icon);
void RemoveTrayIcon(HWND wnd);
// Hides or shows the main window together with its taskbar button.
void HideMainWindow(HWND wnd);
void ShowMainWindow(HWND wnd);

// The icon's mouse protocol and its menu pmQSTaskBar. Owned by the main window for the whole run.
class TTrayIcon {
public:
    struct Commands {
        std::function<void()> ShowMainWindow; // "&Afficher Typarium", a double click
        std::function<void()> Exit;           // "&Quitter Typarium"
        std::function<void()> About;          // "A &propos de..."
    };

    TTrayIcon(HWND mainWindow, Commands commands);

    // The icon's callback: lParam of WM_USER + 1, the mouse message.
    void OnCallback(LPARAM mouseMessage);
    // Timer1 went off: the menu, unless a double click came first.
    void Timer1Timer();

    bool TrayMenuShowing = false;
    TPopupMenuQS pmQSTaskBar;

private:
    HWND m_wnd;
    Commands m_commands;
    bool m_doubleClicked = false;
    POINT m_clickPos{};
};

} // namespace typa
