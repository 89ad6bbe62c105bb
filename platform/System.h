#pragma once
// What the program asks of the running system: its version, its folders, its own file.
#include <windows.h>
#include <string>

namespace typa::sys {

struct OsVersion {
    DWORD platformId = 0; // VER_PLATFORM_WIN32_WINDOWS (1) or VER_PLATFORM_WIN32_NT (2)
    DWORD major = 0;
};
OsVersion GetOsVersion();

// The version Windows really is, whatever the program's manifest declares (GetVersionExA answers
// 6.2 from Windows 8.1 on to programs that do not name the newer systems); zeros when it cannot
// be told.
struct RunningVersion {
    DWORD major = 0;
    DWORD minor = 0;
    DWORD build = 0;
};
RunningVersion GetRunningVersion();

// True when the program runs under Wine, whose own limits some callers work around (and say so).
bool RunsUnderWine();

// The Windows directory, as GetWindowsDirectoryA gives it into a 254-character buffer; "" on failure.
std::string WindowsDirectory();
// The user's local application data folder (%LOCALAPPDATA%), without a final "\"; "" when the
// system does not tell.
std::string LocalAppDataFolder();
// Full path of the running program file.
std::string ModuleFileName();
// The last path component of a path ("C:\A\TYPA.EXE" gives "TYPA.EXE").
std::string LastPathComponent(const std::string& path);
// The folder part of a path, with its final "\".
std::string FolderOf(const std::string& path);

} // namespace typa::sys
