#pragma once
// Folders, drives and free space.
#include <windows.h>
#include <cstdint>
#include <functional>
#include <string>

namespace typa::files {

struct Entry {
    std::string name;
    DWORD attributes = 0;
    std::uint64_t size = 0;
};

// Every entry matching `pattern` (a folder and a wildcard), in the order the system returns them;
// return false from the callback to stop. Gives 0 when the search ran, else the system's error
// from the first search (ERROR_FILE_NOT_FOUND for a folder without matches).
DWORD ForEachEntry(const std::string& pattern, const std::function<bool(const Entry&)>& callback);

// GetDriveTypeA of a root such as "c:\".
UINT DriveType(const std::string& root);

// Free bytes of the drive with this root ("C:\"); false when the system cannot tell.
bool DiskFreeBytes(const std::string& root, std::uint64_t& bytes);

// Keeps the system's "insert a disk" boxes away for the rest of the process.
void FailCriticalErrors();

// The folder with a final "\" added when it lacks one.
std::string WithBackslash(const std::string& folder);

} // namespace typa::files
