#include "tray/TrayIcon.h"

#include "app/Application.h"
#include "app/Messages.h"
#include "platform/Shell.h"
#include "res/Resource.h"

namespace typa {

void AddTrayIcon(HWND wnd, HICON icon)
{
    // Without a notification area (no shell running) there is no icon; the program carries on
    // hidden, and a second start still brings it back.
    shell::AddNotifyIcon(wnd, kTrayIconId, WM_TRAYCALLBACK, icon, LoadMessage(100));
}

void RemoveTrayIcon(HWND wnd) { shell::DeleteNotifyIcon(wnd, kTrayIconId); }

// The main window carries its own taskbar button (WS_EX_APPWINDOW), so hiding it takes the button
// away too; the application window, which only lets a second instance find this one, stays hidden.
void HideMainWindow(HWND wnd)
{
    if (App().appWindow) ShowWindow(App().appWindow, SW_HIDE);
    ShowWindow(wnd, SW_HIDE);
}

void ShowMainWindow(HWND wnd)
{
    ShowWindow(wnd, IsIconic(wnd) ? SW_RESTORE : SW_SHOW);
    SetForegroundWindow(wnd);
}

TTrayIcon::TTrayIcon(HWND mainWindow, Commands commands) : m_wnd(mainWindow), m_commands(std::move(commands))
{
    auto add = [this](int command, const char* caption, std::function<void()> Commands::*what, bool isDefault) {
        TMenuItemQS item;
        item.Command = command;
        item.Caption = caption;
        item.Default = isDefault;
        if (what) item.OnClick = [this, what] { if (m_commands.*what) (m_commands.*what)(); };
        pmQSTaskBar.Add(std::move(item));
    };
    add(mnupmShow, "&Afficher Typarium", &Commands::ShowMainWindow, true);
    add(mnupmExit, "&Quitter Typarium", &Commands::Exit, false);
    add(0, "-", nullptr, false);
    add(mnupmInfo, "A &propos de...", &Commands::About, false);

    pmQSTaskBar.OnPopup = [this] { TrayMenuShowing = true; };
    pmQSTaskBar.OnHide = [this] { TrayMenuShowing = false; };
}

void TTrayIcon::OnCallback(LPARAM mouseMessage)
{
    switch (mouseMessage) {
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN: m_doubleClicked = false; break;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
        // A release while the menu is open belongs to that menu; it must not open it again.
        if (!TrayMenuShowing) {
            GetCursorPos(&m_clickPos);
            SetTimer(m_wnd, kTimer1Id, kTimer1Interval, nullptr);
        }
        break;
    case WM_LBUTTONDBLCLK:
        if (!IsWindowVisible(m_wnd) && m_commands.ShowMainWindow) m_commands.ShowMainWindow();
        m_doubleClicked = true;
        break;
    default: break; // mouse moves, the middle button, a right double click
    }
}

void TTrayIcon::Timer1Timer()
{
    KillTimer(m_wnd, kTimer1Id);
    if (m_doubleClicked) return;
    if (TMenuItemQS* show = pmQSTaskBar.Find(mnupmShow)) show->Visible = !IsWindowVisible(m_wnd);
    SetForegroundWindow(m_wnd);
    pmQSTaskBar.Popup(m_clickPos.x, m_clickPos.y);
}

} // namespace typa
