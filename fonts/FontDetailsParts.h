#pragma once
// What the two halves of the deeper read share: the code page's characters, the tables as the
// directory gives them, exact reads, and the reading of `cmap`. Internal to fonts/FontDetails*.cpp.
#include "fonts/FontDetails.h"
#include "fonts/TrueTypeBytes.h"

#include <bitset>
#include <cstdint>
#include <vector>

namespace typa::ttf::details {

using namespace bytes;

// Encodings of the Microsoft platform that name and cmap records use.
inline constexpr std::uint16_t kMicrosoftSymbol = 0;
inline constexpr std::uint16_t kMicrosoftBmp = 1;
inline constexpr std::uint16_t kMicrosoftFull = 10;
inline constexpr std::uint16_t kHighestUnicodeEncoding = 6;
// Read-ahead hint for the windows: a directory or a record list is read in order.
inline constexpr std::uint32_t kDirectoryAhead = kOffsetTableSize + 32 * kDirEntrySize;

// The characters that bytes 0x80-0x9F stand for in Windows-1252; 0 where the code page has none.
constexpr std::uint16_t kCp1252High[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,
};
constexpr std::uint32_t kHighestCp1252Character = 0x2122;
constexpr std::uint32_t kFirstAnsiByte = 0x20;
constexpr std::uint32_t kSymbolBase = 0xF000; // a symbol font's codes: 0xF000 + the byte

inline int Cp1252FromUnicode(std::uint32_t c) noexcept
{
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return static_cast<int>(c);
    if (c < 0x100 || c > kHighestCp1252Character) return -1;
    for (int i = 0; i < 32; ++i)
        if (kCp1252High[i] == c) return 0x80 + i;
    return -1;
}

// A table as the directory gives it. `usable` is false when it reaches 2^31 or beyond.
struct TableRef {
    bool found = false;
    bool usable = false;
    std::uint32_t offset = 0;
    std::uint32_t length = 0;

    // Whether `size` bytes at `at` from the table's start lie inside it.
    bool Holds(std::uint64_t at, std::uint64_t size) const noexcept
    {
        return usable && at <= length && size <= length - at;
    }
};

// Exactly `size` bytes at `offset`; false when the file ends before, on a read error, or for a
// range reaching 2^31. The last byte is asked for first, so that a count or length that lies
// costs a one-byte read instead of a buffer of its size.
bool ReadExact(RandomAccess& file, std::uint64_t offset, std::uint32_t size, std::vector<std::uint8_t>& out);

struct CmapContext {
    Windows& window;
    RandomAccess& file;
    const TableRef& table;
};

struct CmapResult {
    Presence presence = Presence::Unreadable;
    bool symbol = false;
    std::uint32_t count = 0;
    std::bitset<256> ansi;
};

// The best subtable of `cmap` that reads whole; Unreadable when none does.
CmapResult ReadCmap(const CmapContext& cx);

} // namespace typa::ttf::details
