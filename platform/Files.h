#pragma once
// Folders, drives and free space.
#include <windows.h>
#include <cstdint>
#include <functional>
#include <string>

namespace typa::files {

struct Entry {
    std::string name;      // in the ANSI code page: a character it cannot hold is "?"
    DWORD attributes = 0;
    std::uint64_t size = 0;
    std::string shortName; // the 8.3 name the system keeps beside a long one; "" when none
    std::uint64_t lastWrite = 0; // FILETIME
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

// ---- Single files ---------------------------------------------------------------------------
// Results are 0 on success, else the system's error code.

// The entry a directory search for any attributes finds for exactly this path; false when none.
bool FindEntry(const std::string& path, Entry& entry);
// GetFileAttributesA: INVALID_FILE_ATTRIBUTES when the file cannot be reached.
DWORD Attributes(const std::string& path);
DWORD SetAttributes(const std::string& path, DWORD attributes);
// Copies `from` to `to`, overwriting an existing `to`.
DWORD CopyOver(const std::string& from, const std::string& to);
// Puts `from` in the place of `to` in one step (a rename on the same drive): `to` is either the
// old file or the new one, never a part of either.
DWORD MoveOver(const std::string& from, const std::string& to);
DWORD Remove(const std::string& path);
// The whole file into `bytes`; ERROR_FILE_TOO_LARGE when it is longer than `limit`.
DWORD ReadWhole(const std::string& path, std::string& bytes, std::uint64_t limit);
// `bytes` as the whole of a new or emptied file, written through to the disk.
DWORD WriteWhole(const std::string& path, const std::string& bytes);
// Creates `folder` and the folders above it that are missing; 0 when it is there afterwards.
DWORD MakeFolders(const std::string& folder);
// The size and last write of a file; false when it cannot be reached.
bool Stamp(const std::string& path, std::uint64_t& size, std::uint64_t& time);

// A new, empty file with a name of its own in `folder`, deleted again when the owner goes away
// unless Keep() was called. Used to build a file beside its final place before it takes it.
class TemporaryFile {
public:
    // Creates the file; Path() is empty and Error() says why when that failed.
    explicit TemporaryFile(const std::string& folder);
    ~TemporaryFile();
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    const std::string& Path() const noexcept { return m_path; }
    DWORD Error() const noexcept { return m_error; }
    // The file has been moved to its place (or is wanted): nothing is deleted.
    void Keep() noexcept { m_path.clear(); }

private:
    std::string m_path;
    DWORD m_error = 0;
};

} // namespace typa::files
