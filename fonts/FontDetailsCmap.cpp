// The `cmap` half of the deeper read: which characters a font maps to a glyph.
#include "fonts/FontDetailsParts.h"

#include <algorithm>

namespace typa::ttf::details {
namespace {

constexpr std::uint32_t kCmapHeaderSize = 4;
constexpr std::uint32_t kCmapRecordSize = 8;
constexpr std::uint32_t kFormat0Size = 6 + 256;
constexpr std::uint32_t kFormat4HeaderSize = 14; // up to segCountX2 and the search fields
constexpr std::uint32_t kFormat12HeaderSize = 16;
constexpr std::uint32_t kFormat12GroupSize = 12;

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


} // namespace

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


} // namespace typa::ttf::details
