#include "platform/FontPlaces.h"

#include "platform/Handles.h"
#include "platform/System.h"

#include <shlobj.h>

namespace typa::fontplaces {
const char* SystemFontKeyFor(DWORD platformId)
{
    return platformId == VER_PLATFORM_WIN32_WINDOWS ? "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Fonts"
                                                    : "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Fonts";
}

std::string SystemFontsFolder(const std::string& windowsDir) { return windowsDir + "\\FONTS"; }

std::string UserFontsFolder()
{
    char local[MAX_PATH] = {};
    if (FAILED(SHGetFolderPathA(nullptr, CSIDL_LOCAL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, local)) || !local[0])
        return {};
    std::string folder = local;
    if (folder.back() != '\\') folder += '\\';
    return folder + "Microsoft\\Windows\\Fonts";
}

bool MakeUserFontsFolder(const std::string& folder)
{
    if (folder.empty()) return false;
    // Each folder of the path from the top; those that exist stay as they are.
    for (std::size_t at = folder.find('\\', 3); ; at = folder.find('\\', at + 1)) {
        const std::string part = folder.substr(0, at);
        if (!CreateDirectoryA(part.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) return false;
        if (at == std::string::npos) break;
    }
    const DWORD attributes = GetFileAttributesA(folder.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool UserFontsSupported()
{
    const sys::RunningVersion v = sys::GetRunningVersion();
    return v.major > 10 || (v.major == 10 && v.build >= 17763);
}

bool MayWriteSystemFonts(const std::string& systemKey)
{
    char deny[4] = {};
    if (GetEnvironmentVariableA("TYPA_DENY_SYSTEM_FONTS", deny, sizeof deny) == 1 && deny[0] == '1') return false;
    UniqueKey key;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, systemKey.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                        nullptr, key.Put(), nullptr) != ERROR_SUCCESS) {
        key.Release();
        return false;
    }
    return true;
}

} // namespace typa::fontplaces
