#include "TrueTypeWriter.h"

#include <algorithm>

namespace typa::test {

namespace {

void Put16(Bytes& b, std::uint16_t v)
{
    b.push_back(static_cast<std::uint8_t>(v >> 8));
    b.push_back(static_cast<std::uint8_t>(v));
}

void Put32(Bytes& b, std::uint32_t v)
{
    Put16(b, static_cast<std::uint16_t>(v >> 16));
    Put16(b, static_cast<std::uint16_t>(v));
}

void Set16(Bytes& b, std::size_t at, std::uint16_t v)
{
    b[at] = static_cast<std::uint8_t>(v >> 8);
    b[at + 1] = static_cast<std::uint8_t>(v);
}

std::uint32_t Checksum(const Bytes& data)
{
    std::uint32_t sum = 0;
    for (std::size_t i = 0; i < data.size(); i += 4) {
        std::uint32_t word = 0;
        for (std::size_t k = 0; k < 4; ++k)
            word = (word << 8) | (i + k < data.size() ? data[i + k] : 0);
        sum += word;
    }
    return sum;
}

std::size_t Align4(std::size_t n) { return (n + 3) & ~std::size_t{3}; }

} // namespace

Bytes Utf16Be(std::u16string_view text)
{
    Bytes b;
    for (char16_t c : text) Put16(b, static_cast<std::uint16_t>(c));
    return b;
}

Bytes Raw(std::string_view text) { return Bytes(text.begin(), text.end()); }

NameRecord Record(std::uint16_t platformId, std::uint16_t encodingId, std::uint16_t languageId, std::uint16_t nameId,
                  Bytes text)
{
    NameRecord r;
    r.platformId = platformId;
    r.encodingId = encodingId;
    r.languageId = languageId;
    r.nameId = nameId;
    r.text = std::move(text);
    return r;
}

NameRecord MsName(std::uint16_t nameId, std::u16string_view text, std::uint16_t languageId)
{
    NameRecord r;
    r.nameId = nameId;
    r.languageId = languageId;
    r.text = Utf16Be(text);
    return r;
}

Bytes NameTable(const std::vector<NameRecord>& records, const NameTableOptions& options)
{
    const std::size_t stringStart = 6 + 12 * records.size();
    Bytes b;
    Put16(b, 0);
    Put16(b, options.count.value_or(static_cast<std::uint16_t>(records.size())));
    Put16(b, options.stringOffset.value_or(static_cast<std::uint16_t>(stringStart)));
    Bytes strings;
    for (const NameRecord& r : records) {
        Put16(b, r.platformId);
        Put16(b, r.encodingId);
        Put16(b, r.languageId);
        Put16(b, r.nameId);
        Put16(b, r.length.value_or(static_cast<std::uint16_t>(r.text.size())));
        Put16(b, r.offset.value_or(static_cast<std::uint16_t>(strings.size())));
        strings.insert(strings.end(), r.text.begin(), r.text.end());
    }
    b.insert(b.end(), strings.begin(), strings.end());
    return b;
}

Bytes Os2Table(std::uint16_t weightClass, std::uint16_t fsSelection, std::size_t size, std::uint16_t widthClass,
               std::uint16_t fsType)
{
    Bytes b(std::max<std::size_t>(size, 64), 0);
    Set16(b, 0, 1);              // version
    Set16(b, 2, 500);            // xAvgCharWidth
    Set16(b, 4, weightClass);    // usWeightClass
    Set16(b, 6, widthClass);     // usWidthClass
    Set16(b, 8, fsType);         // fsType
    Set16(b, 62, fsSelection);   // fsSelection
    b.resize(size);
    return b;
}

Bytes MaxpTable(std::uint16_t numGlyphs)
{
    Bytes b;
    Put32(b, 0x00005000);
    Put16(b, numGlyphs);
    return b;
}

Bytes CmapTable(const std::vector<CmapSubtable>& subtables)
{
    Bytes b;
    Put16(b, 0);
    Put16(b, static_cast<std::uint16_t>(subtables.size()));
    std::size_t at = 4 + 8 * subtables.size();
    for (const CmapSubtable& s : subtables) {
        Put16(b, s.platformId);
        Put16(b, s.encodingId);
        Put32(b, s.offset.value_or(static_cast<std::uint32_t>(at)));
        at += s.data.size();
    }
    for (const CmapSubtable& s : subtables) b.insert(b.end(), s.data.begin(), s.data.end());
    return b;
}

Bytes CmapFormat0(const std::vector<std::uint8_t>& glyphs)
{
    Bytes b;
    Put16(b, 0);
    Put16(b, 262);
    Put16(b, 0);
    for (std::size_t c = 0; c < 256; ++c) b.push_back(c < glyphs.size() ? glyphs[c] : 0);
    return b;
}

Bytes CmapFormat4(const std::vector<CmapSegment>& given)
{
    std::vector<CmapSegment> segments = given;
    if (segments.empty() || segments.back().end != 0xFFFF) segments.push_back({0xFFFF, 0xFFFF, 1, {}});
    const auto n = static_cast<std::uint16_t>(segments.size());
    std::vector<std::uint16_t> glyphArray, rangeOffsets;
    for (std::size_t i = 0; i < segments.size(); ++i) {
        const CmapSegment& s = segments[i];
        // From the segment's own idRangeOffset entry to its run in the glyph array.
        rangeOffsets.push_back(s.glyphs.empty() ? 0 : static_cast<std::uint16_t>(2 * (n - i) + 2 * glyphArray.size()));
        glyphArray.insert(glyphArray.end(), s.glyphs.begin(), s.glyphs.end());
    }
    std::uint16_t entrySelector = 0;
    while ((2u << entrySelector) <= n) ++entrySelector;
    const auto searchRange = static_cast<std::uint16_t>(2u << entrySelector);

    Bytes b;
    Put16(b, 4);
    Put16(b, static_cast<std::uint16_t>(16 + 8 * n + 2 * glyphArray.size()));
    Put16(b, 0);
    Put16(b, static_cast<std::uint16_t>(2 * n));
    Put16(b, searchRange);
    Put16(b, entrySelector);
    Put16(b, static_cast<std::uint16_t>(2 * n - searchRange));
    for (const CmapSegment& s : segments) Put16(b, s.end);
    Put16(b, 0);
    for (const CmapSegment& s : segments) Put16(b, s.start);
    for (const CmapSegment& s : segments) Put16(b, s.idDelta);
    for (std::uint16_t r : rangeOffsets) Put16(b, r);
    for (std::uint16_t g : glyphArray) Put16(b, g);
    return b;
}

Bytes CmapFormat12(const std::vector<CmapGroup>& groups, std::optional<std::uint32_t> numGroups)
{
    Bytes b;
    Put16(b, 12);
    Put16(b, 0);
    Put32(b, static_cast<std::uint32_t>(16 + 12 * groups.size()));
    Put32(b, 0);
    Put32(b, numGroups.value_or(static_cast<std::uint32_t>(groups.size())));
    for (const CmapGroup& g : groups) {
        Put32(b, g.start);
        Put32(b, g.end);
        Put32(b, g.startGlyph);
    }
    return b;
}

TrueTypeWriter& TrueTypeWriter::Version(std::uint32_t tag)
{
    m_version = tag;
    return *this;
}

TrueTypeWriter& TrueTypeWriter::Add(std::string tag, Bytes data, std::optional<std::uint32_t> offset)
{
    tag.resize(4, ' ');
    m_tables.push_back(Table{std::move(tag), std::move(data), offset});
    return *this;
}

TrueTypeWriter& TrueTypeWriter::NumTables(std::uint16_t n)
{
    m_numTables = n;
    return *this;
}

TrueTypeWriter& TrueTypeWriter::ReverseData(bool reverse)
{
    m_reverse = reverse;
    return *this;
}

std::uint32_t TrueTypeWriter::TableOffset(std::size_t index) const
{
    std::size_t pos = 12 + 16 * m_tables.size();
    const std::size_t n = m_tables.size();
    for (std::size_t k = 0; k < n; ++k) {
        const std::size_t i = m_reverse ? n - 1 - k : k;
        if (i == index) return static_cast<std::uint32_t>(pos);
        pos += Align4(m_tables[i].data.size());
    }
    return static_cast<std::uint32_t>(pos);
}

Bytes TrueTypeWriter::Build() const
{
    const auto n = static_cast<std::uint16_t>(m_tables.size());
    std::uint16_t entrySelector = 0;
    while ((2u << entrySelector) <= n) ++entrySelector;
    const auto searchRange = static_cast<std::uint16_t>(16u << entrySelector);

    Bytes b;
    Put32(b, m_version);
    Put16(b, m_numTables.value_or(n));
    Put16(b, n ? searchRange : 0);
    Put16(b, n ? entrySelector : 0);
    Put16(b, static_cast<std::uint16_t>(n * 16 - (n ? searchRange : 0)));
    for (std::size_t i = 0; i < m_tables.size(); ++i) {
        const Table& t = m_tables[i];
        b.insert(b.end(), t.tag.begin(), t.tag.begin() + 4);
        Put32(b, Checksum(t.data));
        Put32(b, t.offset.value_or(TableOffset(i)));
        Put32(b, static_cast<std::uint32_t>(t.data.size()));
    }
    for (std::size_t k = 0; k < m_tables.size(); ++k) {
        const Table& t = m_tables[m_reverse ? m_tables.size() - 1 - k : k];
        b.insert(b.end(), t.data.begin(), t.data.end());
        b.resize(Align4(b.size()), 0);
    }
    return b;
}

std::uint32_t CollectionFaceOffset(const std::vector<Bytes>& fonts, std::size_t index, const CollectionOptions& options)
{
    std::size_t pos = 12 + 4 * fonts.size() + (options.majorVersion >= 2 ? 12 : 0);
    for (std::size_t i = 0; i < index && i < fonts.size(); ++i) pos += Align4(fonts[i].size());
    return static_cast<std::uint32_t>(pos);
}

Bytes Collection(const std::vector<Bytes>& fonts, const CollectionOptions& options)
{
    Bytes b{'t', 't', 'c', 'f'};
    Put16(b, options.majorVersion);
    Put16(b, 0);
    Put32(b, options.count.value_or(static_cast<std::uint32_t>(fonts.size())));
    for (std::size_t i = 0; i < fonts.size(); ++i) {
        const std::uint32_t at = CollectionFaceOffset(fonts, i, options);
        Put32(b, i < options.offsets.size() && options.offsets[i] ? *options.offsets[i] : at);
    }
    if (options.majorVersion >= 2) {
        Put32(b, 0); // no DSIG
        Put32(b, 0);
        Put32(b, 0);
    }
    for (std::size_t i = 0; i < fonts.size(); ++i) {
        const std::uint32_t base = CollectionFaceOffset(fonts, i, options);
        Bytes font = fonts[i];
        // Each directory entry's offset counted from the file's start.
        if (font.size() >= 12) {
            const std::size_t n = (std::size_t{font[4]} << 8) | font[5];
            for (std::size_t e = 0; e < n && 12 + 16 * e + 16 <= font.size(); ++e) {
                std::uint8_t* p = font.data() + 12 + 16 * e + 8;
                const std::uint32_t offset = (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) |
                                             (std::uint32_t{p[2]} << 8) | p[3];
                const std::uint32_t moved = offset + base;
                p[0] = static_cast<std::uint8_t>(moved >> 24);
                p[1] = static_cast<std::uint8_t>(moved >> 16);
                p[2] = static_cast<std::uint8_t>(moved >> 8);
                p[3] = static_cast<std::uint8_t>(moved);
            }
        }
        b.resize(base, 0);
        b.insert(b.end(), font.begin(), font.end());
    }
    b.resize(Align4(b.size()), 0);
    return b;
}

Bytes SimpleFont(std::u16string_view family, std::u16string_view subfamily, std::u16string_view fullName,
                 std::uint16_t weight, std::uint16_t fsSelection)
{
    return TrueTypeWriter()
        .Add("OS/2", Os2Table(weight, fsSelection))
        .Add("name", NameTable({MsName(1, family), MsName(2, subfamily), MsName(4, fullName)}))
        .Build();
}

Bytes DetailedFont()
{
    const Bytes cmap = CmapTable({
        {3, 1, CmapFormat4({{0x20, 0x7E, 0xFFE3, {}}, {0xE8, 0xE9, 0, {98, 99}}, {0x20AC, 0x20AC, 0, {100}}}), {}},
        {3, 10, CmapFormat12({{0x20, 0x7E, 3}, {0xE8, 0xE9, 98}, {0x20AC, 0x20AC, 100}, {0x1F600, 0x1F600, 101}}), {}},
        {3, 0, CmapFormat4({{0xF020, 0xF07E, 0x0FE3, {}}}), {}},
    });
    return TrueTypeWriter()
        .Add("OS/2", Os2Table(700, 0x0020, 96, 5, 0x0008))
        .Add("cmap", cmap)
        .Add("glyf", Bytes(8, 0))
        .Add("maxp", MaxpTable(102))
        .Add("name", NameTable({MsName(1, u"Typa"), MsName(2, u"Gras"), MsName(2, u"Bold", 0x0409),
                                MsName(0, u"\u00A9 2024 Typa \u2019\u0152\u20AC", 0x040C), MsName(5, u"Version 1.0"),
                                MsName(13, u"Licence\r\nlibre", 0x040C), MsName(13, u"Free\nlicence"),
                                Record(0, 3, 0, 14, Utf16Be(u"https://typa.example/licence"))}))
        .Build();
}

Bytes WithTable(const Bytes& font, const std::string& tag, const Bytes& data)
{
    auto get16 = [&](std::size_t at) { return static_cast<std::uint16_t>(font[at] << 8 | font[at + 1]); };
    auto get32 = [&](std::size_t at) { return static_cast<std::uint32_t>(get16(at)) << 16 | get16(at + 2); };
    if (font.size() < 12) return {};
    const std::size_t count = get16(4);
    if (font.size() < 12 + 16 * count) return {};
    TrueTypeWriter writer;
    writer.Version(get32(0));
    bool replaced = false;
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t entry = 12 + 16 * i;
        std::string own(font.begin() + static_cast<std::ptrdiff_t>(entry), font.begin() + static_cast<std::ptrdiff_t>(entry + 4));
        const std::uint32_t offset = get32(entry + 8), length = get32(entry + 12);
        if (offset > font.size() || length > font.size() - offset) return {};
        if (own == tag) {
            writer.Add(own, data);
            replaced = true;
        } else {
            writer.Add(own, Bytes(font.begin() + offset, font.begin() + offset + length));
        }
    }
    if (!replaced) writer.Add(tag, data);
    return writer.Build();
}

Bytes WithStyle(const Bytes& font, std::uint16_t weightClass, std::uint16_t fsSelection)
{
    Bytes out = font;
    auto get16 = [&](std::size_t at) { return static_cast<std::uint16_t>(out[at] << 8 | out[at + 1]); };
    auto get32 = [&](std::size_t at) { return static_cast<std::uint32_t>(get16(at)) << 16 | get16(at + 2); };
    if (out.size() < 12) return out;
    const std::size_t count = get16(4);
    for (std::size_t i = 0; i < count && 12 + 16 * i + 16 <= out.size(); ++i) {
        const std::size_t entry = 12 + 16 * i;
        if (std::string(out.begin() + static_cast<std::ptrdiff_t>(entry), out.begin() + static_cast<std::ptrdiff_t>(entry + 4)) != "OS/2")
            continue;
        const std::size_t at = get32(entry + 8);
        if (at + 64 > out.size()) return out;
        out[at + 4] = static_cast<std::uint8_t>(weightClass >> 8);
        out[at + 5] = static_cast<std::uint8_t>(weightClass);
        out[at + 62] = static_cast<std::uint8_t>(fsSelection >> 8);
        out[at + 63] = static_cast<std::uint8_t>(fsSelection);
    }
    return out;
}

Bytes Renamed(const Bytes& font, std::u16string_view family, std::u16string_view subfamily,
              std::u16string_view fullName, const std::vector<NameRecord>& more)
{
    std::u16string postScript;
    for (char16_t c : fullName)
        if (c != u' ') postScript += c;
    std::vector<NameRecord> records{MsName(1, family), MsName(2, subfamily), MsName(4, fullName), MsName(6, postScript)};
    records.insert(records.end(), more.begin(), more.end());
    return WithTable(font, "name", NameTable(records));
}

} // namespace typa::test
