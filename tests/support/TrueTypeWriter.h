#pragma once
// Builds TrueType files in memory for tests, the fuzzer's seeds and the benchmark: tables in
// any directory order, odd lengths, names of any platform and language, offsets and counts
// that lie. Standard C++ only, so that it builds for Windows and natively.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace typa::test {

using Bytes = std::vector<std::uint8_t>;

// Big-endian UTF-16 bytes of a text.
Bytes Utf16Be(std::u16string_view text);
// Bytes of an 8-bit text as they stand (Macintosh names, raw odd-length strings).
Bytes Raw(std::string_view text);

struct NameRecord {
    std::uint16_t platformId = 3;
    std::uint16_t encodingId = 1;
    std::uint16_t languageId = 0x0409;
    std::uint16_t nameId = 1;
    Bytes text;
    // When set, written instead of the real length / offset of `text` in the string storage.
    std::optional<std::uint16_t> length;
    std::optional<std::uint16_t> offset;
};

// A record of any platform with its string as given.
NameRecord Record(std::uint16_t platformId, std::uint16_t encodingId, std::uint16_t languageId, std::uint16_t nameId,
                  Bytes text);
// A platform-3 record for `nameId` in `languageId`.
NameRecord MsName(std::uint16_t nameId, std::u16string_view text, std::uint16_t languageId = 0x0409);

struct NameTableOptions {
    // When set, written instead of the record count / the string storage offset.
    std::optional<std::uint16_t> count;
    std::optional<std::uint16_t> stringOffset;
};

// A `name` table (format 0): header, records, then the strings in record order.
Bytes NameTable(const std::vector<NameRecord>& records, const NameTableOptions& options = {});

// An `OS/2` table of `size` bytes (96 is version 1's) with the fields the readers use.
Bytes Os2Table(std::uint16_t weightClass, std::uint16_t fsSelection, std::size_t size = 96, std::uint16_t widthClass = 5,
               std::uint16_t fsType = 0);

// A `maxp` table of version 0.5: its version and numGlyphs.
Bytes MaxpTable(std::uint16_t numGlyphs);

struct CmapSubtable {
    std::uint16_t platformId = 3;
    std::uint16_t encodingId = 1;
    Bytes data;
    // When set, written instead of the subtable's real offset from the start of `cmap`.
    std::optional<std::uint32_t> offset;
};

// A `cmap` table: header, encoding records, then the subtables in record order.
Bytes CmapTable(const std::vector<CmapSubtable>& subtables);

// A format 0 subtable: glyphs[c] for the codes c it gives, 0 for the others.
Bytes CmapFormat0(const std::vector<std::uint8_t>& glyphs);

// One segment of a format 4 subtable. With `glyphs`, its idRangeOffset points at them in the
// glyph array (one per character, or fewer to make it reach past the array); else it is 0 and
// each character maps to its code plus idDelta.
struct CmapSegment {
    std::uint16_t start = 0;
    std::uint16_t end = 0;
    std::uint16_t idDelta = 0;
    std::vector<std::uint16_t> glyphs;
};

// A format 4 subtable with the segments in the order given, and the closing 0xFFFF segment
// when the last one does not end there.
Bytes CmapFormat4(const std::vector<CmapSegment>& segments);

struct CmapGroup {
    std::uint32_t start = 0;
    std::uint32_t end = 0;
    std::uint32_t startGlyph = 0;
};

// A format 12 subtable; `numGroups`, when set, is written instead of the real count.
Bytes CmapFormat12(const std::vector<CmapGroup>& groups, std::optional<std::uint32_t> numGroups = {});

struct Table {
    std::string tag; // 4 characters
    Bytes data;
    // When set, written in the directory instead of the table's real offset.
    std::optional<std::uint32_t> offset;
};

class TrueTypeWriter {
public:
    TrueTypeWriter& Version(std::uint32_t tag);
    // Tables appear in the directory in the order they are added.
    TrueTypeWriter& Add(std::string tag, Bytes data, std::optional<std::uint32_t> offset = {});
    // Written instead of the real number of tables.
    TrueTypeWriter& NumTables(std::uint16_t n);
    // Lays the table data out in the reverse of the directory order.
    TrueTypeWriter& ReverseData(bool reverse = true);

    // The file: offset table, directory, then each table 4-byte aligned (zero padding).
    Bytes Build() const;
    // Where table `index` (directory order) starts in Build()'s result.
    std::uint32_t TableOffset(std::size_t index) const;

private:
    std::uint32_t m_version = 0x00010000;
    std::optional<std::uint16_t> m_numTables;
    bool m_reverse = false;
    std::vector<Table> m_tables;
};

struct CollectionOptions {
    std::uint16_t majorVersion = 1; // 2 adds the signature fields (all zero) after the offsets
    // When set, written instead of the real face count / the real offset of face i.
    std::optional<std::uint32_t> count;
    std::vector<std::optional<std::uint32_t>> offsets;
};

// A collection ('ttcf') of whole fonts as Build() gives them: its header, then each font with the
// offsets of its directory moved to where its tables now lie (counted from the file's start).
Bytes Collection(const std::vector<Bytes>& fonts, const CollectionOptions& options = {});
// The offset at which face `index` of Collection(fonts) starts.
std::uint32_t CollectionFaceOffset(const std::vector<Bytes>& fonts, std::size_t index,
                                   const CollectionOptions& options = {});

// A small sound font: OS/2 then name, with the given names (family, subfamily, full name) in
// U.S. English on platform 3.
Bytes SimpleFont(std::u16string_view family, std::u16string_view subfamily, std::u16string_view fullName,
                 std::uint16_t weight = 400, std::uint16_t fsSelection = 0);

// A font with every table the font sheet reads: OS/2, a cmap of formats 4 and 12 beside a
// symbol one, glyf, maxp, and names in French, U.S. English and on the Unicode platform.
Bytes DetailedFont();

// A real font under other names: its tables as they are, but for a `name` table holding only the
// family, subfamily, full and PostScript names on platform 3 (and `more` records after them).
// Empty when `font` has no table directory that fits inside it.
Bytes Renamed(const Bytes& font, std::u16string_view family, std::u16string_view subfamily,
              std::u16string_view fullName, const std::vector<NameRecord>& more = {});

// A real font whose `OS/2` table says another style: usWeightClass and fsSelection written over
// its own (the rest of the table as it was); `font` unchanged when it has no such table.
Bytes WithStyle(const Bytes& font, std::uint16_t weightClass, std::uint16_t fsSelection);

// A real font with one of its tables replaced by `data` (added when it has none); empty when
// `font` has no table directory that fits inside it.
Bytes WithTable(const Bytes& font, const std::string& tag, const Bytes& data);

} // namespace typa::test
