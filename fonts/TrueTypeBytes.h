#pragma once
// The byte-level pieces that the two reads of a TrueType file share, the quick one of the
// folder scan (TrueTypeReader.cpp) and the deeper one of a font's sheet (FontDetails.cpp):
// big-endian fields, the offset table and name records, and windows of the file kept in
// memory. Internal to fonts/; standard C++ only.
#include "fonts/TrueTypeReader.h"

#include <algorithm>
#include <cstdint>

namespace typa::ttf::bytes {

inline constexpr std::uint32_t kOffsetTableSize = 12;
// A collection's header up to its face offsets: tag, version, face count.
inline constexpr std::uint32_t kCollectionHeaderSize = 12;
inline constexpr std::uint32_t kDirEntrySize = 16;
inline constexpr std::uint32_t kNameHeaderSize = 6;
inline constexpr std::uint32_t kNameRecordSize = 12;

inline constexpr std::uint16_t kPlatformUnicode = 0;
inline constexpr std::uint16_t kPlatformMicrosoft = 3;
inline constexpr std::uint16_t kUsEnglish = 0x0409;

// The largest piece one window holds, and so the largest one Windows::Get gives.
inline constexpr std::uint32_t kWindowSize = 4096;

inline std::uint16_t U16(const std::uint8_t* p) noexcept
{
    return static_cast<std::uint16_t>((p[0] << 8) | p[1]);
}

inline std::uint32_t U32(const std::uint8_t* p) noexcept
{
    return (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) | (std::uint32_t{p[2]} << 8) |
           std::uint32_t{p[3]};
}

// Whether `size` bytes at `offset` lie below 2^31, where every position of the file must lie.
inline bool BelowMaxOffset(std::uint64_t offset, std::uint64_t size) noexcept
{
    return offset <= kMaxOffset && size <= kMaxOffset + std::uint64_t{1} - offset;
}

// One record of a `name` table, as the file gives it.
struct NameRecordFields {
    std::uint16_t platformId;
    std::uint16_t encodingId;
    std::uint16_t languageId;
    std::uint16_t nameId;
    std::uint32_t length;
    std::uint32_t offset;
};

inline NameRecordFields ParseNameRecord(const std::uint8_t* p) noexcept
{
    return {U16(p), U16(p + 2), U16(p + 4), U16(p + 6), U16(p + 8), U16(p + 10)};
}

// Where a record's string starts: the table, its string storage, then the record's own offset.
inline std::uint64_t NameStringPos(std::uint32_t tableOffset, std::uint32_t stringOffset,
                                   const NameRecordFields& record) noexcept
{
    return std::uint64_t{tableOffset} + (stringOffset + record.offset);
}

// What a read is for. Each kind keeps its own window of the file, so that the string reads in
// the middle of a record list, or the OS/2 read in the middle of the directory, do not throw
// away the window that the next record or directory entry lies in.
enum class Part { Directory, Table, String, Count };

// Windows of the file kept in memory, so that neighbouring small reads cost one call. A request
// is a fault when the file ends before `need` bytes (the extra `ahead` bytes are only a hint) or
// when it reaches 2^31 or beyond.
class Windows {
public:
    explicit Windows(RandomAccess& file) noexcept : m_file(file) {}
    Windows(const Windows&) = delete;
    Windows& operator=(const Windows&) = delete;

    // `need` bytes at `offset`, valid until the next call; null on a fault.
    const std::uint8_t* Get(Part part, std::uint64_t offset, std::uint32_t need, std::uint32_t ahead) noexcept
    {
        if (!BelowMaxOffset(offset, need)) return nullptr;
        if (need == 0) return m_windows[0].buf;
        // The window of the same kind first: that is where the next record or entry lies.
        Window& w = m_windows[static_cast<int>(part)];
        if (w.Holds(offset, need)) return w.buf + (offset - w.start);
        for (Window& other : m_windows)
            if (other.Holds(offset, need)) return other.buf + (offset - other.start);
        if (need > kWindowSize) return nullptr;

        const std::uint64_t want = std::min<std::uint64_t>({std::max(need, ahead), kWindowSize,
                                                            kMaxOffset + std::uint64_t{1} - offset});
        w.start = static_cast<std::uint32_t>(offset);
        const std::int32_t got = m_file.ReadAt(w.start, w.buf, static_cast<std::uint32_t>(want));
        w.size = got < 0 ? 0 : std::min(static_cast<std::uint32_t>(got), static_cast<std::uint32_t>(want));
        if (got < 0 || w.size < need) return nullptr;
        return w.buf;
    }

private:
    struct Window {
        bool Holds(std::uint64_t offset, std::uint32_t need) const noexcept
        {
            return offset >= start && offset + need <= std::uint64_t{start} + size;
        }
        std::uint32_t start = 0;
        std::uint32_t size = 0;
        std::uint8_t buf[kWindowSize];
    };
    RandomAccess& m_file;
    Window m_windows[static_cast<int>(Part::Count)];
};

} // namespace typa::ttf::bytes
