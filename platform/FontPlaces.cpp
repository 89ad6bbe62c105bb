#include "platform/FontPlaces.h"

#include "platform/Files.h"
#include "platform/Handles.h"
#include "platform/System.h"


namespace typa::fontplaces {
const char* SystemFontKeyFor(DWORD platformId)
{
    return platformId == VER_PLATFORM_WIN32_WINDOWS ? "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Fonts"
                                                    : "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Fonts";
}

std::string SystemFontsFolder(const std::string& windowsDir) { return windowsDir + "\\FONTS"; }

std::string UserFontsFolder()
{
    const std::string local = sys::LocalAppDataFolder();
    return local.empty() ? std::string() : local + "\\Microsoft\\Windows\\Fonts";
}

bool MakeUserFontsFolder(const std::string& folder) { return files::MakeFolders(folder) == 0; }

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
