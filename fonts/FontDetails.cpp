#include "fonts/FontDetails.h"

#include "fonts/TrueTypeBytes.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace typa::ttf {

namespace {

using namespace bytes;

constexpr std::uint32_t kVersionTrueType = 0x00010000;
constexpr std::uint32_t kVersionTrue = 0x74727565; // 'true', Apple's TrueType tag
constexpr std::uint32_t kVersionOtto = 0x4F54544F; // 'OTTO', CFF outlines

constexpr std::uint32_t kOs2Size = 10; // version, xAvgCharWidth, usWeightClass, usWidthClass, fsType
constexpr std::uint32_t kMaxpSize = 6; // version 0.5: the version and numGlyphs
constexpr std::uint32_t kCmapHeaderSize = 4;
constexpr std::uint32_t kCmapRecordSize = 8;
constexpr std::uint32_t kFormat0Size = 6 + 256;
constexpr std::uint32_t kFormat4HeaderSize = 14; // up to segCountX2 and the search fields
constexpr std::uint32_t kFormat12HeaderSize = 16;
constexpr std::uint32_t kFormat12GroupSize = 12;

// Read-ahead hints for the windows: the directory and the record lists are read in order.
constexpr std::uint32_t kDirectoryAhead = kOffsetTableSize + 32 * kDirEntrySize;
constexpr std::uint32_t kStringAhead = 128;

constexpr std::uint16_t kMicrosoftSymbol = 0;
constexpr std::uint16_t kMicrosoftBmp = 1;
constexpr std::uint16_t kMicrosoftFull = 10;
constexpr std::uint16_t kHighestUnicodeEncoding = 6;

// The characters that bytes 0x80-0x9F stand for in Windows-1252; 0 where the code page has none.
constexpr std::uint16_t kCp1252High[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,
};
constexpr std::uint32_t kHighestCp1252Character = 0x2122;
constexpr std::uint32_t kFirstAnsiByte = 0x20;
constexpr std::uint32_t kSymbolBase = 0xF000; // a symbol font's codes: 0xF000 + the byte

int Cp1252FromUnicode(std::uint32_t c) noexcept
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

struct Directory {
    std::uint32_t version = 0;
    bool cut = false; // the file ends inside the directory: what was not reached is unreadable
    TableRef name, os2, maxp, cmap;
    bool glyf = false;
    bool cff = false;

    bool AnyFound() const noexcept { return name.found || os2.found || maxp.found || cmap.found || glyf || cff; }
    // What an item whose table is not in the directory is.
    Presence Missing() const noexcept { return cut ? Presence::Unreadable : Presence::Absent; }
};

// The first entry of each tag counts, as a font file has each table once.
void NoteEntry(const std::uint8_t* entry, Directory& dir) noexcept
{
    TableRef* ref = nullptr;
    if (std::memcmp(entry, "name", 4) == 0) ref = &dir.name;
    if (std::memcmp(entry, "OS/2", 4) == 0) ref = &dir.os2;
    if (std::memcmp(entry, "maxp", 4) == 0) ref = &dir.maxp;
    if (std::memcmp(entry, "cmap", 4) == 0) ref = &dir.cmap;
    if (std::memcmp(entry, "glyf", 4) == 0) dir.glyf = true;
    if (std::memcmp(entry, "CFF ", 4) == 0 || std::memcmp(entry, "CFF2", 4) == 0) dir.cff = true;
    if (!ref || ref->found) return;
    ref->found = true;
    ref->offset = U32(entry + 8);
    ref->length = U32(entry + 12);
    ref->usable = BelowMaxOffset(ref->offset, ref->length);
}

// False when the file has no offset table.
bool ReadDirectory(Windows& window, Directory& dir)
{
    const std::uint8_t* p = window.Get(Part::Directory, 0, kOffsetTableSize, kDirectoryAhead);
    if (!p) return false;
    dir.version = U32(p);
    const std::uint32_t numTables = U16(p + 4);
    for (std::uint32_t i = 0; i < numTables; ++i) {
        p = window.Get(Part::Directory, kOffsetTableSize + i * kDirEntrySize, kDirEntrySize,
                       (numTables - i) * kDirEntrySize);
        if (!p) {
            dir.cut = true;
            break;
        }
        NoteEntry(p, dir);
    }
    return true;
}

OutlineKind OutlinesOf(const Directory& dir) noexcept
{
    if (dir.version == kVersionOtto || (dir.cff && !dir.glyf)) return OutlineKind::Cff;
    if (dir.glyf || dir.version == kVersionTrueType || dir.version == kVersionTrue) return OutlineKind::TrueType;
    return OutlineKind::Unknown;
}

// Exactly `size` bytes at `offset`; false when the file ends before, on a read error, or for a
// range reaching 2^31. The last byte is asked for first, so that a count or length that lies
// costs a one-byte read instead of a buffer of its size.
bool ReadExact(RandomAccess& file, std::uint64_t offset, std::uint32_t size, std::vector<std::uint8_t>& out)
{
    out.clear();
    if (!BelowMaxOffset(offset, size)) return false;
    if (size == 0) return true;
    std::uint8_t last = 0;
    if (file.ReadAt(static_cast<std::uint32_t>(offset + size - 1), &last, 1) != 1) return false;
    out.resize(size);
    const std::int32_t got = file.ReadAt(static_cast<std::uint32_t>(offset), out.data(), size);
    return got >= 0 && static_cast<std::uint32_t>(got) == size;
}

// ---- name ----------------------------------------------------------------------------------

enum NameSlot {
    kCopyright, kFamily, kSubfamily, kFullName, kVersion, kTrademark, kManufacturer, kDesigner,
    kDescription, kLicence, kLicenceUrl, kTypoFamily, kTypoSubfamily, kSlotCount
};
constexpr std::uint16_t kSlotNameIds[kSlotCount] = {0, 1, 2, 4, 5, 7, 8, 9, 10, 13, 14, 16, 17};

int SlotOf(std::uint16_t nameId) noexcept
{
    for (int s = 0; s < kSlotCount; ++s)
        if (kSlotNameIds[s] == nameId) return s;
    return -1;
}

// How well a record's language suits the user, 0 best; -1 for records never shown: other
// platforms, and the Microsoft platform's old double-byte encodings.
constexpr int kRanks = 4;
int LanguageRank(const NameRecordFields& r, std::uint16_t userLanguage) noexcept
{
    if (r.platformId == kPlatformUnicode) return 3;
    if (r.platformId != kPlatformMicrosoft) return -1;
    if (r.encodingId != kMicrosoftSymbol && r.encodingId != kMicrosoftBmp && r.encodingId != kMicrosoftFull)
        return -1;
    if (r.languageId == userLanguage) return 0;
    if (r.languageId == kUsEnglish) return 1;
    return 2;
}

// For one name ID: the first record of each rank whose string lies inside the table, and
// whether any record of it could not be read.
struct NameChoice {
    struct Candidate {
        bool found = false;
        std::uint64_t pos = 0;
        std::uint32_t length = 0;
    };
    Candidate byRank[kRanks];
    bool unreadable = false;
};

bool ReadString(Windows& window, RandomAccess& file, const NameChoice::Candidate& c, std::string& text)
{
    if (c.length <= kWindowSize) {
        const std::uint8_t* raw = window.Get(Part::String, c.pos, c.length, std::max(c.length, kStringAhead));
        if (!raw) return false;
        text = DecodeNameCp1252(raw, c.length);
        return true;
    }
    std::vector<std::uint8_t> raw;
    if (!ReadExact(file, c.pos, c.length, raw)) return false;
    text = DecodeNameCp1252(raw.data(), c.length);
    return true;
}

void SetAll(NameText (&slots)[kSlotCount], Presence presence)
{
    for (NameText& t : slots) t = NameText{presence, {}};
}

void ReadNames(Windows& window, RandomAccess& file, const TableRef& table, std::uint16_t userLanguage,
               NameText (&slots)[kSlotCount])
{
    const std::uint8_t* p = table.Holds(0, kNameHeaderSize)
                                ? window.Get(Part::Table, table.offset, kNameHeaderSize, kDirectoryAhead)
                                : nullptr;
    if (!p) return SetAll(slots, Presence::Unreadable);
    const std::uint32_t count = U16(p + 2);
    const std::uint32_t stringOffset = U16(p + 4);

    NameChoice choices[kSlotCount];
    bool cut = false; // the record list ends outside the table or the file
    for (std::uint32_t r = 0; r < count; ++r) {
        const std::uint64_t at = kNameHeaderSize + std::uint64_t{r} * kNameRecordSize;
        p = table.Holds(at, kNameRecordSize)
                ? window.Get(Part::Table, table.offset + at, kNameRecordSize, (count - r) * kNameRecordSize)
                : nullptr;
        if (!p) {
            cut = true;
            break;
        }
        const NameRecordFields record = ParseNameRecord(p);
        const int slot = SlotOf(record.nameId);
        const int rank = slot < 0 ? -1 : LanguageRank(record, userLanguage);
        if (rank < 0) continue;
        const std::uint64_t stringAt = NameStringPos(0, stringOffset, record);
        if (!table.Holds(stringAt, record.length)) {
            choices[slot].unreadable = true;
            continue;
        }
        NameChoice::Candidate& c = choices[slot].byRank[rank];
        if (!c.found) c = {true, table.offset + stringAt, record.length};
    }

    // The best readable record of each name; a damaged one gives way to the next language.
    for (int s = 0; s < kSlotCount; ++s) {
        NameText& t = slots[s];
        t = NameText{};
        for (const NameChoice::Candidate& c : choices[s].byRank) {
            if (!c.found) continue;
            if (ReadString(window, file, c, t.text)) {
                t.presence = Presence::Present;
                break;
            }
            t.text.clear();
            choices[s].unreadable = true;
        }
        if (t.presence != Presence::Present)
            t.presence = choices[s].unreadable || cut ? Presence::Unreadable : Presence::Absent;
    }
}

// The typographic name where the file has one, else the plain one.
NameText Preferred(NameText& typographic, NameText& plain)
{
    if (typographic.presence == Presence::Present) return std::move(typographic);
    if (plain.presence == Presence::Present) return std::move(plain);
    if (typographic.presence == Presence::Unreadable) return std::move(typographic);
    return std::move(plain);
}

// ---- cmap ----------------------------------------------------------------------------------

// The characters one subtable maps to a glyph other than 0, counted as they are added.
class Coverage {
public:
    explicit Coverage(bool symbol) noexcept : m_symbol(symbol) {}

    void Add(std::uint32_t c) noexcept
    {
        ++m_count;
        Mark(c);
    }

    // Every character of [from, to]; the ranges added never overlap.
    void AddRange(std::uint32_t from, std::uint32_t to) noexcept
    {
        m_count += to - from + 1;
        // Only these characters can stand for a byte: the first 256, the code page's 27
        // others, a symbol font's area.
        for (std::uint32_t c = from; c <= std::min<std::uint32_t>(to, 0xFF); ++c) Mark(c);
        if (m_symbol) {
            for (std::uint32_t c = std::max(from, kSymbolBase); c <= std::min(to, kSymbolBase + 0xFF); ++c) Mark(c);
        } else if (from <= kHighestCp1252Character) {
            for (std::uint32_t i = 0; i < 32; ++i)
                if (kCp1252High[i] != 0 && kCp1252High[i] >= from && kCp1252High[i] <= to) m_ansi.set(0x80 + i);
        }
    }

    std::uint32_t Count() const noexcept { return m_count; }
    const std::bitset<256>& Ansi() const noexcept { return m_ansi; }

private:
    // A symbol font's codes are the bytes themselves, at 0xF000 + the byte or below 0x100.
    void Mark(std::uint32_t c) noexcept
    {
        int b = -1;
        if (!m_symbol)
            b = Cp1252FromUnicode(c);
        else if (c <= 0xFF)
            b = static_cast<int>(c);
        else if (c >= kSymbolBase && c <= kSymbolBase + 0xFF)
            b = static_cast<int>(c - kSymbolBase);
        if (b >= static_cast<int>(kFirstAnsiByte)) m_ansi.set(static_cast<std::size_t>(b));
    }

    bool m_symbol;
    std::uint32_t m_count = 0;
    std::bitset<256> m_ansi;
};

struct CmapContext {
    Windows& window;
    RandomAccess& file;
    const TableRef& table;
};

bool ReadFormat0(const CmapContext& cx, std::uint32_t sub, Coverage& coverage)
{
    const std::uint8_t* p =
        cx.table.Holds(sub, kFormat0Size) ? cx.window.Get(Part::Table, cx.table.offset + sub, kFormat0Size, kFormat0Size)
                                          : nullptr;
    if (!p) return false;
    for (std::uint32_t c = 0; c < 256; ++c)
        if (p[6 + c] != 0) coverage.Add(c);
    return true;
}

// The subtable is read whole, to the end of the table: its own 16-bit length field cannot
// tell the size of the larger ones that some big fonts carry. Segments are taken in order, each from where the previous one ended, so that
// overlapping segments count a character once and the work stays within 65,536 characters.
bool ReadFormat4(const CmapContext& cx, std::uint32_t sub, Coverage& coverage)
{
    const std::uint32_t want = std::min(cx.table.length - sub, kMaxCmapFormat4Bytes);
    std::vector<std::uint8_t> t;
    if (!ReadExact(cx.file, std::uint64_t{cx.table.offset} + sub, want, t) || t.size() < kFormat4HeaderSize)
        return false;
    const std::size_t segCount = U16(&t[6]) / 2;
    if (t.size() < kFormat4HeaderSize + 2 + 8 * segCount) return false;
    const std::size_t endsAt = kFormat4HeaderSize;
    const std::size_t startsAt = endsAt + 2 * segCount + 2;
    const std::size_t deltasAt = startsAt + 2 * segCount;
    const std::size_t rangesAt = deltasAt + 2 * segCount;

    std::uint32_t next = 0;
    for (std::size_t i = 0; i < segCount; ++i) {
        const std::uint32_t end = U16(&t[endsAt + 2 * i]);
        const std::uint32_t start = U16(&t[startsAt + 2 * i]);
        const std::uint32_t delta = U16(&t[deltasAt + 2 * i]);
        const std::uint32_t rangeOffset = U16(&t[rangesAt + 2 * i]);
        const std::uint32_t from = std::max(start, next);
        if (from > end) continue;
        next = end + 1;
        if (rangeOffset == 0) {
            // Glyph c + idDelta: 0 for one character at most.
            const std::uint32_t zeroAt = (0x10000 - delta) & 0xFFFF;
            if (zeroAt < from || zeroAt > end) {
                coverage.AddRange(from, end);
            } else {
                if (zeroAt > from) coverage.AddRange(from, zeroAt - 1);
                if (zeroAt < end) coverage.AddRange(zeroAt + 1, end);
            }
            continue;
        }
        // The glyph array entry of `start` lies idRangeOffset bytes past the segment's own
        // entry; characters whose entry lies past the table have none.
        const std::size_t base = rangesAt + 2 * i + rangeOffset;
        if (base + 2 > t.size()) continue;
        const std::uint32_t last = std::min<std::uint32_t>(end, start + static_cast<std::uint32_t>((t.size() - 2 - base) / 2));
        for (std::uint32_t c = from; c <= last; ++c) {
            std::uint32_t glyph = U16(&t[base + 2 * std::size_t{c - start}]);
            if (glyph != 0) glyph = (glyph + delta) & 0xFFFF;
            if (glyph != 0) coverage.Add(c);
        }
    }
    return true;
}

// Groups are taken in order, each from where the previous one ended, for the same reason.
bool ReadFormat12(const CmapContext& cx, std::uint32_t sub, Coverage& coverage)
{
    const std::uint8_t* p = cx.table.Holds(sub, kFormat12HeaderSize)
                                ? cx.window.Get(Part::Table, cx.table.offset + sub, kFormat12HeaderSize, kWindowSize)
                                : nullptr;
    if (!p) return false;
    const std::uint32_t numGroups = U32(p + 12);
    if (numGroups > kMaxCmapGroups ||
        !cx.table.Holds(std::uint64_t{sub} + kFormat12HeaderSize, std::uint64_t{numGroups} * kFormat12GroupSize))
        return false;

    std::uint32_t next = 0;
    for (std::uint32_t g = 0; g < numGroups; ++g) {
        const std::uint64_t at = std::uint64_t{cx.table.offset} + sub + kFormat12HeaderSize + g * kFormat12GroupSize;
        p = cx.window.Get(Part::Table, at, kFormat12GroupSize, kWindowSize);
        if (!p) return false;
        const std::uint32_t start = U32(p);
        const std::uint32_t end = std::min(U32(p + 4), kMaxCodePoint);
        const std::uint32_t startGlyph = U32(p + 8);
        std::uint32_t from = std::max(start, next);
        if (from > end) continue;
        next = end + 1;
        // Glyph startGlyph + (c - start) is 0 for the group's first character only.
        if (startGlyph == 0 && from == start) ++from;
        if (from <= end) coverage.AddRange(from, end);
    }
    return true;
}

// The subtables looked at: the first record of each of these platform and encoding pairs.
constexpr int kCmapKinds = 3 + kHighestUnicodeEncoding + 1;
int CmapKind(std::uint16_t platform, std::uint16_t encoding) noexcept
{
    if (platform == kPlatformMicrosoft && encoding == kMicrosoftFull) return 0;
    if (platform == kPlatformMicrosoft && encoding == kMicrosoftBmp) return 1;
    if (platform == kPlatformMicrosoft && encoding == kMicrosoftSymbol) return 2;
    if (platform == kPlatformUnicode && encoding <= kHighestUnicodeEncoding) return 3 + encoding;
    return -1;
}

// Which subtable is best, 0 first; -1 for those not read.
int CmapRank(int kind, std::uint16_t format) noexcept
{
    const bool microsoftUnicode = kind == 0 || kind == 1, unicode = kind >= 3, symbol = kind == 2;
    switch (format) {
    case 12:
        return kind == 0 ? 0 : unicode ? 1 : -1;
    case 4:
        return kind == 1 ? 2 : unicode ? 3 : symbol ? 4 : -1;
    case 0:
        return microsoftUnicode || unicode ? 5 : 6;
    default:
        return -1;
    }
}

struct CmapResult {
    Presence presence = Presence::Unreadable;
    bool symbol = false;
    std::uint32_t count = 0;
    std::bitset<256> ansi;
};

// The best subtable that reads whole; Unreadable when none does.
CmapResult ReadCmap(const CmapContext& cx)
{
    CmapResult result;
    const TableRef& table = cx.table;
    const std::uint8_t* p =
        table.Holds(0, kCmapHeaderSize) ? cx.window.Get(Part::Table, table.offset, kCmapHeaderSize, kDirectoryAhead) : nullptr;
    if (!p) return result;
    const std::uint32_t numTables = U16(p + 2);

    struct Subtable {
        bool found = false;
        std::uint32_t offset = 0;
        int rank = -1;
        std::uint16_t format = 0;
    };
    Subtable kinds[kCmapKinds];
    for (std::uint32_t i = 0; i < numTables; ++i) {
        const std::uint64_t at = kCmapHeaderSize + std::uint64_t{i} * kCmapRecordSize;
        p = table.Holds(at, kCmapRecordSize)
                ? cx.window.Get(Part::Table, table.offset + at, kCmapRecordSize, (numTables - i) * kCmapRecordSize)
                : nullptr;
        if (!p) break;
        const int kind = CmapKind(U16(p), U16(p + 2));
        if (kind < 0 || kinds[kind].found) continue;
        kinds[kind].found = true;
        kinds[kind].offset = U32(p + 4);
    }
    for (int kind = 0; kind < kCmapKinds; ++kind) {
        Subtable& s = kinds[kind];
        p = s.found && table.Holds(s.offset, 2) ? cx.window.Get(Part::Table, table.offset + s.offset, 2, kWindowSize)
                                                : nullptr;
        if (!p) continue;
        s.format = U16(p);
        s.rank = CmapRank(kind, s.format);
    }

    std::stable_sort(std::begin(kinds), std::end(kinds), [](const Subtable& a, const Subtable& b) {
        return (a.rank < 0 ? 99 : a.rank) < (b.rank < 0 ? 99 : b.rank);
    });
    for (const Subtable& s : kinds) {
        if (s.rank < 0) break;
        const bool symbol = s.rank == 4 || s.rank == 6;
        Coverage coverage(symbol);
        const bool read = s.format == 12  ? ReadFormat12(cx, s.offset, coverage)
                          : s.format == 4 ? ReadFormat4(cx, s.offset, coverage)
                                          : ReadFormat0(cx, s.offset, coverage);
        if (!read) continue;
        result.presence = Presence::Present;
        result.symbol = symbol;
        result.count = coverage.Count();
        result.ansi = coverage.Ansi();
        break;
    }
    return result;
}

// ---- OS/2 and maxp ---------------------------------------------------------------------------

// `size` bytes at the start of a table, or null when it is missing, too short or cut.
const std::uint8_t* TableStart(Windows& window, const TableRef& table, std::uint32_t size)
{
    return table.Holds(0, size) ? window.Get(Part::Table, table.offset, size, size) : nullptr;
}

bool AnyUnreadable(const FontDetails& d) noexcept
{
    for (const NameText* t : {&d.family, &d.subfamily, &d.fullName, &d.version, &d.copyright, &d.trademark,
                              &d.manufacturer, &d.designer, &d.description, &d.licence, &d.licenceUrl})
        if (t->presence == Presence::Unreadable) return true;
    return d.os2 == Presence::Unreadable || d.maxp == Presence::Unreadable || d.cmap == Presence::Unreadable;
}

} // namespace

std::string DecodeNameCp1252(const std::uint8_t* raw, std::uint32_t length)
{
    const std::uint32_t units = length / 2;
    auto unit = [&](std::uint32_t i) -> std::uint32_t { return U16(raw + 2 * i); };
    std::string text;
    text.reserve(units);
    for (std::uint32_t i = 0; i < units; ++i) {
        const std::uint32_t u = unit(i);
        // A character beyond the first 65,536 is one the code page lacks.
        if (u >= 0xD800 && u <= 0xDBFF && i + 1 < units && unit(i + 1) >= 0xDC00 && unit(i + 1) <= 0xDFFF) {
            ++i;
            text += '?';
            continue;
        }
        if (u == '\r' || u == '\n' || u == 0x85 || u == 0x2028 || u == 0x2029) {
            if (u == '\r' && i + 1 < units && unit(i + 1) == '\n') ++i;
            text += "\r\n";
            continue;
        }
        if (u == '\t') {
            text += ' ';
            continue;
        }
        if (u < 0x20 || (u >= 0x7F && u <= 0x9F) || u == 0xFEFF) continue;
        const int b = Cp1252FromUnicode(u);
        text += b < 0 ? '?' : static_cast<char>(b);
    }
    while (!text.empty() && (text.back() == ' ' || text.back() == '\r' || text.back() == '\n')) text.pop_back();
    return text;
}

std::string EmbeddingRightsText(std::uint16_t fsType)
{
    std::string text = (fsType & 0x0008)   ? "Modifiable"
                       : (fsType & 0x0004) ? "Aper\xE7u et impression"
                       : (fsType & 0x0002) ? "Restreinte"
                                           : "Installable";
    if (fsType & 0x0100) text += ", sans sous-ensemble";
    if (fsType & 0x0200) text += ", bitmap uniquement";
    return text;
}

DetailsStatus ReadFontDetails(RandomAccess& file, FontDetails& out, std::uint16_t userLanguage)
{
    out = FontDetails{};
    Windows window(file);
    Directory dir;
    if (!ReadDirectory(window, dir) || !dir.AnyFound()) return DetailsStatus::NotAFont;

    NameText names[kSlotCount];
    if (dir.name.found)
        ReadNames(window, file, dir.name, userLanguage, names);
    else
        SetAll(names, dir.Missing());
    out.family = Preferred(names[kTypoFamily], names[kFamily]);
    out.subfamily = Preferred(names[kTypoSubfamily], names[kSubfamily]);
    out.fullName = std::move(names[kFullName]);
    out.version = std::move(names[kVersion]);
    out.copyright = std::move(names[kCopyright]);
    out.trademark = std::move(names[kTrademark]);
    out.manufacturer = std::move(names[kManufacturer]);
    out.designer = std::move(names[kDesigner]);
    out.description = std::move(names[kDescription]);
    out.licence = std::move(names[kLicence]);
    out.licenceUrl = std::move(names[kLicenceUrl]);

    if (!dir.os2.found) {
        out.os2 = dir.Missing();
    } else if (const std::uint8_t* p = TableStart(window, dir.os2, kOs2Size)) {
        out.os2 = Presence::Present;
        out.weightClass = U16(p + 4);
        out.widthClass = U16(p + 6);
        out.fsType = U16(p + 8);
    } else {
        out.os2 = Presence::Unreadable;
    }

    out.outlines = OutlinesOf(dir);

    if (!dir.maxp.found) {
        out.maxp = dir.Missing();
    } else if (const std::uint8_t* p = TableStart(window, dir.maxp, kMaxpSize)) {
        out.maxp = Presence::Present;
        out.glyphCount = U16(p + 4);
    } else {
        out.maxp = Presence::Unreadable;
    }

    if (!dir.cmap.found) {
        out.cmap = dir.Missing();
    } else {
        CmapResult cmap = ReadCmap(CmapContext{window, file, dir.cmap});
        out.cmap = cmap.presence;
        out.symbolCmap = cmap.symbol;
        out.characterCount = cmap.count;
        out.ansiCharacters = cmap.ansi;
    }

    return AnyUnreadable(out) ? DetailsStatus::Partial : DetailsStatus::Complete;
}

} // namespace typa::ttf
