#include "platform/Files.h"
#include "platform/Handles.h"

namespace typa::files {

DWORD ForEachEntry(const std::string& pattern, const std::function<bool(const Entry&)>& callback)
{
    WIN32_FIND_DATAA fd;
    UniqueFind find(FindFirstFileA(pattern.c_str(), &fd));
    if (!find) return GetLastError();
    do {
        Entry e{fd.cFileName, fd.dwFileAttributes, (static_cast<std::uint64_t>(fd.nFileSizeHigh) << 32) | fd.nFileSizeLow};
        if (!callback(e)) break;
    } while (FindNextFileA(find.Get(), &fd));
    return 0;
}

UINT DriveType(const std::string& root) { return GetDriveTypeA(root.c_str()); }

bool DiskFreeBytes(const std::string& root, std::uint64_t& bytes)
{
    DWORD sectorsPerCluster = 0, bytesPerSector = 0, freeClusters = 0, totalClusters = 0;
    if (!GetDiskFreeSpaceA(root.c_str(), &sectorsPerCluster, &bytesPerSector, &freeClusters, &totalClusters)) {
        bytes = 0;
        return false;
    }
    // Each factor fits 32 bits; their product needs 64.
    bytes = static_cast<std::uint64_t>(sectorsPerCluster) * bytesPerSector * freeClusters;
    return true;
}

void FailCriticalErrors() { SetErrorMode(SEM_FAILCRITICALERRORS); }

std::string WithBackslash(const std::string& folder)
{
    if (folder.empty() || folder.back() == '\\') return folder;
    return folder + "\\";
}

} // namespace typa::files
