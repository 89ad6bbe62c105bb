#include "platform/Shell.h"
#include <shellapi.h>
#include <cstring>

namespace typa::shell {

// The original, 88-byte NOTIFYICONDATAA: understood by every shell since Windows 95.
static constexpr DWORD kNotifyIconDataV1Size = 88;

bool AddNotifyIcon(HWND wnd, UINT id, UINT callbackMessage, HICON icon, const std::string& tip)
{
    NOTIFYICONDATAA nid{};
    nid.cbSize = kNotifyIconDataV1Size;
    nid.hWnd = wnd;
    nid.uID = id;
    nid.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    nid.uCallbackMessage = callbackMessage;
    nid.hIcon = icon;
    std::strncpy(nid.szTip, tip.c_str(), 63);
    return Shell_NotifyIconA(NIM_ADD, &nid) != FALSE;
}

bool DeleteNotifyIcon(HWND wnd, UINT id)
{
    NOTIFYICONDATAA nid{};
    nid.cbSize = kNotifyIconDataV1Size;
    nid.hWnd = wnd;
    nid.uID = id;
    return Shell_NotifyIconA(NIM_DELETE, &nid) != FALSE;
}

} // namespace typa::shell
