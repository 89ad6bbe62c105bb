#pragma once
// Where installed fonts live. Every user's fonts: a file in the Windows fonts folder and a value
// under the system font key of HKEY_LOCAL_MACHINE, which only an administrator may write. Since
// Windows 10 version 1809, a user's own fonts too: a file in the user's fonts folder and a value
// holding its full path under the same key path of HKEY_CURRENT_USER.
#include <windows.h>
#include <string>

namespace typa::fontplaces {

// The system font key for a platform id: Windows 95 and successors (1) keep it under
// "Windows", every other platform under "Windows NT".
const char* SystemFontKeyFor(DWORD platformId);
// The user's own font key, under HKEY_CURRENT_USER.
inline constexpr const char* kUserFontKey = "Software\\Microsoft\\Windows NT\\CurrentVersion\\Fonts";

// The Windows fonts folder: the Windows directory followed by "\FONTS".
std::string SystemFontsFolder(const std::string& windowsDir);
// The user's fonts folder, %LOCALAPPDATA%\Microsoft\Windows\Fonts; "" when the system does not
// tell where the user's local application data lies.
std::string UserFontsFolder();
// Creates the user's fonts folder and the folders above it when missing; true when it is there.
bool MakeUserFontsFolder(const std::string& folder);

// Whether this Windows installs fonts for one user: Windows 10 version 1809 (build 17763) or
// later, as the system's own version says (not the one a compatibility layer may report).
bool UserFontsSupported();

// Whether the program may write the system font key `systemKey` (full access to it).
//
// Test aid: with the environment variable TYPA_DENY_SYSTEM_FONTS set to 1, the answer is no,
// as for a user without administrator rights; Wine runs every program as an administrator.
bool MayWriteSystemFonts(const std::string& systemKey);

} // namespace typa::fontplaces
