#pragma once
// What a modal window does to the program's other windows: disables them while it is up and
// gives back exactly those it disabled.
#include <windows.h>
#include <vector>

namespace typa {

// Disables every visible, enabled top-level window of this thread but `except`; returns them.
std::vector<HWND> DisableThreadWindows(HWND except) noexcept;
// Enables again each of `windows` that still exists.
void EnableWindowsAgain(const std::vector<HWND>& windows) noexcept;

} // namespace typa
