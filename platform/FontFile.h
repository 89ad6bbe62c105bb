#pragma once
// A font file opened for reading and read by position: one open, the reads, one close. The
// position is set only when a read does not start where the previous one ended.
#include <windows.h>

#include <cstdint>
#include <string>

#include "platform/Handles.h"

namespace typa {

enum class FontFileOpen {
    Opened,
    NotFound, // the file, or a folder on its path, does not exist
    Failed,   // any other error: no access, sharing, a folder of that name, a bad name
};

class FontFile {
public:
    FontFile() = default;
    FontFile(const FontFile&) = delete;
    FontFile& operator=(const FontFile&) = delete;

    // Opens `path` for reading only; other readers may have it open too.
    FontFileOpen Open(const std::string& path);
    bool IsOpen() const noexcept { return static_cast<bool>(m_file); }

    // Reads at most `size` bytes at `offset` into `buffer`. Returns the number read, fewer
    // than `size` only at the end of the file (0 at or past it), or -1 on an error.
    std::int32_t ReadAt(std::uint32_t offset, void* buffer, std::uint32_t size);

    void Close() noexcept;

    // Read calls made and bytes they returned since the file was opened.
    unsigned ReadCalls() const noexcept { return m_readCalls; }
    std::uint64_t BytesRead() const noexcept { return m_bytesRead; }

private:
    UniqueFile m_file;
    DWORD m_position = 0;
    bool m_positionKnown = false;
    unsigned m_readCalls = 0;
    std::uint64_t m_bytesRead = 0;
};

} // namespace typa
