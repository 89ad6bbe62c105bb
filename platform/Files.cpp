#include "platform/Files.h"
#include "platform/Handles.h"

namespace typa::files {

DWORD ForEachEntry(const std::string& pattern, const std::function<bool(const Entry&)>& callback)
{
    WIN32_FIND_DATAA fd;
    UniqueFind find(FindFirstFileA(pattern.c_str(), &fd));
    if (!find) return GetLastError();
    do {
        Entry e{fd.cFileName, fd.dwFileAttributes, (static_cast<std::uint64_t>(fd.nFileSizeHigh) << 32) | fd.nFileSizeLow,
                fd.cAlternateFileName};
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

bool FindEntry(const std::string& path, Entry& entry)
{
    // A wildcard in the path would find some other file.
    if (path.find_first_of("*?") != std::string::npos) return false;
    bool found = false;
    ForEachEntry(path, [&](const Entry& e) {
        entry = e;
        found = true;
        return false;
    });
    return found;
}

DWORD Attributes(const std::string& path) { return GetFileAttributesA(path.c_str()); }

namespace {
DWORD Result(BOOL ok) { return ok ? 0 : (GetLastError() ? GetLastError() : ERROR_GEN_FAILURE); }
} // namespace

DWORD SetAttributes(const std::string& path, DWORD attributes)
{
    return Result(SetFileAttributesA(path.c_str(), attributes));
}

DWORD CopyOver(const std::string& from, const std::string& to) { return Result(CopyFileA(from.c_str(), to.c_str(), FALSE)); }

DWORD MoveOver(const std::string& from, const std::string& to)
{
    return Result(MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH));
}

DWORD Remove(const std::string& path) { return Result(DeleteFileA(path.c_str())); }

TemporaryFile::TemporaryFile(const std::string& folder)
{
    char buf[MAX_PATH] = {};
    if (folder.size() >= MAX_PATH - 14 || GetTempFileNameA(folder.c_str(), "TYP", 0, buf) == 0) {
        m_error = GetLastError() ? GetLastError() : ERROR_BUFFER_OVERFLOW;
        return;
    }
    m_path = buf;
}

TemporaryFile::~TemporaryFile()
{
    if (m_path.empty()) return;
    SetFileAttributesA(m_path.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileA(m_path.c_str());
}

} // namespace typa::files
