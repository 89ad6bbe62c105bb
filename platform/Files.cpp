#include "platform/Files.h"
#include "platform/Handles.h"

#include <algorithm>

namespace typa::files {

DWORD ForEachEntry(const std::string& pattern, const std::function<bool(const Entry&)>& callback)
{
    WIN32_FIND_DATAA fd;
    UniqueFind find(FindFirstFileA(pattern.c_str(), &fd));
    if (!find) return GetLastError();
    do {
        Entry e{fd.cFileName, fd.dwFileAttributes, (static_cast<std::uint64_t>(fd.nFileSizeHigh) << 32) | fd.nFileSizeLow,
                fd.cAlternateFileName,
                (static_cast<std::uint64_t>(fd.ftLastWriteTime.dwHighDateTime) << 32) | fd.ftLastWriteTime.dwLowDateTime};
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

DWORD ReadWhole(const std::string& path, std::string& bytes, std::uint64_t limit)
{
    bytes.clear();
    UniqueFile file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file) return GetLastError();
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file.Get(), &size)) return GetLastError();
    if (size.QuadPart < 0 || static_cast<std::uint64_t>(size.QuadPart) > limit) return ERROR_FILE_TOO_LARGE;
    bytes.resize(static_cast<std::size_t>(size.QuadPart));
    std::size_t done = 0;
    while (done < bytes.size()) {
        DWORD got = 0;
        const DWORD want = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 20));
        if (!ReadFile(file.Get(), bytes.data() + done, want, &got, nullptr)) return Result(FALSE);
        if (got == 0) break;
        done += got;
    }
    bytes.resize(done);
    return 0;
}

DWORD WriteWhole(const std::string& path, const std::string& bytes)
{
    UniqueFile file(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL | FILE_FLAG_WRITE_THROUGH, nullptr));
    if (!file) return GetLastError();
    std::size_t done = 0;
    while (done < bytes.size()) {
        DWORD wrote = 0;
        const DWORD want = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 20));
        if (!WriteFile(file.Get(), bytes.data() + done, want, &wrote, nullptr) || wrote == 0) return Result(FALSE);
        done += wrote;
    }
    return FlushFileBuffers(file.Get()) ? 0 : Result(FALSE);
}

DWORD MakeFolders(const std::string& folder)
{
    if (folder.empty()) return ERROR_PATH_NOT_FOUND;
    // Each folder of the path from the top; those that exist stay as they are.
    for (std::size_t at = folder.find('\\', 3);; at = folder.find('\\', at + 1)) {
        const std::string part = folder.substr(0, at);
        if (!CreateDirectoryA(part.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) return GetLastError();
        if (at == std::string::npos) break;
    }
    const DWORD attributes = GetFileAttributesA(folder.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) ? 0 : ERROR_PATH_NOT_FOUND;
}

bool Stamp(const std::string& path, std::uint64_t& size, std::uint64_t& time)
{
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return false;
    size = (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    time = (static_cast<std::uint64_t>(data.ftLastWriteTime.dwHighDateTime) << 32) | data.ftLastWriteTime.dwLowDateTime;
    return true;
}

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
