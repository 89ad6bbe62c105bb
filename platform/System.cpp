#include "platform/System.h"

#include <shlobj.h>

namespace typa::sys {

OsVersion GetOsVersion()
{
    OSVERSIONINFOA vi{};
    vi.dwOSVersionInfoSize = sizeof vi;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    if (!GetVersionExA(&vi)) return {};
#pragma GCC diagnostic pop
    return OsVersion{vi.dwPlatformId, vi.dwMajorVersion};
}

RunningVersion GetRunningVersion()
{
    // RtlGetVersion answers as the system is; ntdll is in every process, so no load is needed.
    using RtlGetVersionFunction = LONG(WINAPI*)(OSVERSIONINFOW*);
    if (HMODULE ntdll = GetModuleHandleA("ntdll.dll")) {
        auto rtlGetVersion = reinterpret_cast<RtlGetVersionFunction>(
            reinterpret_cast<void*>(GetProcAddress(ntdll, "RtlGetVersion")));
        OSVERSIONINFOW vi{};
        vi.dwOSVersionInfoSize = sizeof vi;
        if (rtlGetVersion && rtlGetVersion(&vi) == 0) return {vi.dwMajorVersion, vi.dwMinorVersion, vi.dwBuildNumber};
    }
    OSVERSIONINFOA vi{};
    vi.dwOSVersionInfoSize = sizeof vi;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    if (!GetVersionExA(&vi)) return {};
#pragma GCC diagnostic pop
    return {vi.dwMajorVersion, vi.dwMinorVersion, vi.dwBuildNumber};
}

bool RunsUnderWine()
{
    // Wine's ntdll exports its version; Windows's never has.
    const HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    return ntdll && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

std::string WindowsDirectory()
{
    char buf[255] = {};
    UINT n = GetWindowsDirectoryA(buf, 254);
    if (n == 0 || n >= 254) return {};
    return std::string(buf, n);
}

std::string LocalAppDataFolder()
{
    char local[MAX_PATH] = {};
    if (FAILED(SHGetFolderPathA(nullptr, CSIDL_LOCAL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, local)) || !local[0])
        return {};
    std::string folder = local;
    if (folder.back() == '\\') folder.pop_back();
    return folder;
}

std::string ModuleFileName()
{
    std::string buf(MAX_PATH, '\0');
    for (;;) {
        DWORD n = GetModuleFileNameA(nullptr, buf.data(), static_cast<DWORD>(buf.size()));
        if (n == 0) return {};
        if (n < buf.size()) {
            buf.resize(n);
            return buf;
        }
        buf.resize(buf.size() * 2);
    }
}

std::string LastPathComponent(const std::string& path)
{
    auto pos = path.find_last_of("\\/:");
    return pos == std::string::npos ? path : path.substr(pos + 1);
}

std::string FolderOf(const std::string& path)
{
    auto pos = path.find_last_of("\\/:");
    return pos == std::string::npos ? std::string() : path.substr(0, pos + 1);
}

} // namespace typa::sys
