#pragma once
// The shell's notification area.
#include <windows.h>
#include <string>

namespace typa::shell {

// Adds icon `id` of `wnd` to the notification area; mouse events come back as `callbackMessage`.
bool AddNotifyIcon(HWND wnd, UINT id, UINT callbackMessage, HICON icon, const std::string& tip);
bool DeleteNotifyIcon(HWND wnd, UINT id);

// Moves a file (a full path) to the Recycle Bin, from where the user can restore it: no
// question, no progress and no error window of the shell's own. A file is never erased: when
// the bin does not take it, it stays in its place. 0 on success, else an error code (the
// shell's, or ERROR_CANCELLED when it gave up without one or erased the file, which was put back).
DWORD MoveToRecycleBin(const std::string& fullPath);

// Tells every top-level window, the program's own included, that the system's fonts changed.
// A window that does not answer is passed over after a while instead of holding the program.
void BroadcastFontChange();

} // namespace typa::shell
