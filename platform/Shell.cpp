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

DWORD MoveToRecycleBin(const std::string& fullPath)
{
    if (fullPath.empty() || fullPath.size() >= MAX_PATH) return ERROR_INVALID_NAME;
    // The list of files ends with an empty name: two NULs.
    std::string from = fullPath;
    from.append(2, '\0');
    SHFILEOPSTRUCTA op{};
    op.wFunc = FO_DELETE;
    op.pFrom = from.c_str();
    op.fFlags = FOF_ALLOWUNDO | FOF_NOCONFIRMATION | FOF_SILENT | FOF_NOERRORUI;
    int rc = SHFileOperationA(&op);
    if (rc != 0) return static_cast<DWORD>(rc);
    return op.fAnyOperationsAborted ? ERROR_CANCELLED : 0;
}

void BroadcastFontChange()
{
    DWORD_PTR result = 0;
    SendMessageTimeoutA(HWND_BROADCAST, WM_FONTCHANGE, 0, 0, SMTO_ABORTIFHUNG | SMTO_NORMAL, 5000, &result);
}

} // namespace typa::shell
