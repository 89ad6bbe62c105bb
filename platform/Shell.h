#pragma once
// The shell's notification area.
#include <windows.h>
#include <string>

namespace typa::shell {

// Adds icon `id` of `wnd` to the notification area; mouse events come back as `callbackMessage`.
bool AddNotifyIcon(HWND wnd, UINT id, UINT callbackMessage, HICON icon, const std::string& tip);
bool DeleteNotifyIcon(HWND wnd, UINT id);

} // namespace typa::shell
