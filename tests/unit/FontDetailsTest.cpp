// The deeper read of one font for its sheet: crafted fonts built in memory (languages, the code
// page, damaged names and cmaps, hostile counts), then real fonts of Wine and Debian.
#include <doctest/doctest.h>

#include "fonts/FontDetails.h"
#include "platform/FontFile.h"
#include "support/MemoryFile.h"
#include "support/TrueTypeWriter.h"

#include <windows.h>

#include <string>
#include <vector>

using namespace typa;
using namespace typa::test;
using ttf::DetailsStatus;
using ttf::FontDetails;
using ttf::OutlineKind;
using ttf::Presence;

namespace {

constexpr std::uint16_t kFrench = 0x040C;
constexpr std::uint16_t kEnglish = 0x0409;
constexpr std::uint16_t kGerman = 0x0407;
constexpr std::uint16_t kSpanish = 0x0C0A;

struct Result {
    DetailsStatus status;
    FontDetails details;
    unsigned reads = 0;
    std::uint64_t bytes = 0;
};

Result ReadBytes(Bytes data, std::uint16_t language = kFrench)
{
    MemoryFile file(std::move(data));
    Result r{DetailsStatus::NotAFont, {}};
    r.status = ttf::ReadFontDetails(file, r.details, language);
    r.reads = file.reads;
    r.bytes = file.bytes;
    CHECK(file.emptyReads == 0);
    return r;
}

// A sound font but for its names and cmap.
Bytes Font(const std::vector<NameRecord>& names, Bytes cmap = {})
{
    TrueTypeWriter w;
    w.Add("OS/2", Os2Table(400, 0)).Add("glyf", Bytes(8, 0)).Add("maxp", MaxpTable(300));
    if (!cmap.empty()) w.Add("cmap", std::move(cmap));
    w.Add("name", NameTable(names));
    return w.Build();
}

Bytes CmapFont(std::vector<CmapSubtable> subtables)
{
    return Font({MsName(1, u"Typa")}, CmapTable(subtables));
}

CmapSubtable Sub(std::uint16_t platform, std::uint16_t encoding, Bytes data)
{
    return CmapSubtable{platform, encoding, std::move(data), {}};
}

std::string Version(const Bytes& font, std::uint16_t language)
{
    Result r = ReadBytes(font, language);
    CHECK(r.details.version.presence == Presence::Present);
    return r.details.version.text;
}

std::vector<int> AnsiBytes(const FontDetails& d)
{
    std::vector<int> v;
    for (int b = 0; b < 256; ++b)
        if (d.ansiCharacters[b]) v.push_back(b);
    return v;
}

// A font file of the machine, read through the program's own file access.
class FileAccess final : public ttf::RandomAccess {
public:
    explicit FileAccess(FontFile& file) : m_file(file) {}
    std::int32_t ReadAt(std::uint32_t offset, void* buffer, std::uint32_t size) override
    {
        return m_file.ReadAt(offset, buffer, size);
    }

private:
    FontFile& m_file;
};

bool ReadFile(const std::string& path, FontDetails& out, DetailsStatus& status)
{
    FontFile file;
    if (file.Open(path) != FontFileOpen::Opened) {
        MESSAGE("not on this machine: " << path);
        return false;
    }
    FileAccess access(file);
    status = ttf::ReadFontDetails(access, out, kFrench);
    return true;
}

} // namespace

TEST_CASE("every name the sheet shows comes from its own name ID")
{
    std::vector<NameRecord> records;
    for (std::uint16_t id : {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14})
        records.push_back(MsName(id, u"id" + std::u16string(1, static_cast<char16_t>(u'A' + id))));
    Result r = ReadBytes(Font(records));
    REQUIRE(r.status == DetailsStatus::Complete);
    const FontDetails& d = r.details;
    CHECK(d.copyright.text == "idA");
    CHECK(d.family.text == "idB");
    CHECK(d.subfamily.text == "idC");
    CHECK(d.fullName.text == "idE");
    CHECK(d.version.text == "idF");
    CHECK(d.trademark.text == "idH");
    CHECK(d.manufacturer.text == "idI");
    CHECK(d.designer.text == "idJ");
    CHECK(d.description.text == "idK");
    CHECK(d.licence.text == "idN");
    CHECK(d.licenceUrl.text == "idO");
    CHECK(d.licenceUrl.presence == Presence::Present);

    Result none = ReadBytes(Font({MsName(1, u"Typa")}));
    CHECK(none.status == DetailsStatus::Complete);
    CHECK(none.details.family.text == "Typa");
    CHECK(none.details.copyright.presence == Presence::Absent);
    CHECK(none.details.licence.presence == Presence::Absent);
    CHECK(none.details.licence.text.empty());

    SUBCASE("the typographic family and subfamily where the file has them")
    {
        Result typo = ReadBytes(Font({MsName(1, u"Typa Sans Light"), MsName(2, u"Regular"), MsName(16, u"Typa Sans"),
                                      MsName(17, u"Light")}));
        CHECK(typo.details.family.text == "Typa Sans");
        CHECK(typo.details.subfamily.text == "Light");
        NameRecord broken = MsName(16, u"Typa Sans");
        broken.offset = 4000;
        Result fallback = ReadBytes(Font({broken, MsName(1, u"Typa Sans Light")}));
        CHECK(fallback.details.family.presence == Presence::Present);
        CHECK(fallback.details.family.text == "Typa Sans Light");
    }
}

TEST_CASE("names in the user's language, else U.S. English, else another language, else the Unicode platform")
{
    SUBCASE("the user's language wherever its record stands; U.S. English when the file lacks it")
    {
        const Bytes font = Font({MsName(5, u"Version 1.0 en"), MsName(5, u"Version 1.0 de", kGerman),
                                 MsName(5, u"Version 1,0 fr", kFrench)});
        CHECK(Version(font, kFrench) == "Version 1,0 fr");
        CHECK(Version(font, kGerman) == "Version 1.0 de");
        CHECK(Version(font, kEnglish) == "Version 1.0 en");
        CHECK(Version(font, 0x0410) == "Version 1.0 en");
    }
    SUBCASE("another language of the Microsoft platform, the first in record order, when neither is there")
    {
        const Bytes font = Font({MsName(5, u"Version de", kGerman), MsName(5, u"Versi\u00F3n es", kSpanish)});
        CHECK(Version(font, kFrench) == "Version de");
        CHECK(Version(font, kSpanish) == "Versi\xF3n es");
    }
    SUBCASE("the Unicode platform only when the Microsoft platform lacks the name; never the Macintosh one")
    {
        const Bytes font = Font({Record(0, 3, 0, 5, Utf16Be(u"Unicode")), MsName(5, u"Version de", kGerman),
                                 Record(0, 3, 0, 0, Utf16Be(u"(c) Unicode")), Record(1, 0, 0, 0, Raw("(c) Mac")),
                                 Record(1, 0, 0, 7, Raw("Mac trademark"))});
        Result r = ReadBytes(font);
        CHECK(r.details.version.text == "Version de");
        CHECK(r.details.copyright.text == "(c) Unicode");
        CHECK(r.details.trademark.presence == Presence::Absent);
    }
    SUBCASE("each name chooses its language on its own")
    {
        Result r = ReadBytes(Font({MsName(13, u"Licence en"), MsName(0, u"Copyright en"), MsName(13, u"Licence fr", kFrench)}));
        CHECK(r.details.licence.text == "Licence fr");
        CHECK(r.details.copyright.text == "Copyright en");
    }
}

TEST_CASE("names come through in Windows-1252, laid out for display")
{
    auto licence = [](std::u16string_view text) {
        Result r = ReadBytes(Font({MsName(13, text)}));
        CHECK(r.details.licence.presence == Presence::Present);
        return r.details.licence.text;
    };
    SUBCASE("the code page's own bytes, not the low byte of each character")
    {
        CHECK(licence(u"Caf\u00E9 \u20AC l\u2019\u0152uvre \u0153 \u0178 \u0160 \u017E \u2026 \u2013\u2014 \u2122") ==
              "Caf\xE9 \x80 l\x92\x8Cuvre \x9C \x9F \x8A \x9E \x85 \x96\x97 \x99");
        CHECK(licence(u"\u00A0\u00FF") == "\xA0\xFF");
    }
    SUBCASE("what the code page lacks is '?', a character beyond 0xFFFF once")
    {
        CHECK(licence(u"\u0100 \u4E2D \U0001F600 \xD800x") == "? ? ? ?x");
    }
    SUBCASE("line breaks become CR LF, tabs blanks, other control characters go; blanks at the end are cut")
    {
        CHECK(licence(u"L1\r\nL2\nL3\rL4\u2028L5") == "L1\r\nL2\r\nL3\r\nL4\r\nL5");
        CHECK(licence(u"a\tb") == "a b");
        CHECK(licence(std::u16string(u"\uFEFFa") + u'\0' + u"b\u0001c\u0085d\u0090e") == "abc\r\nde");
        CHECK(licence(u"  Texte\r\n\r\n  ") == "  Texte");
    }
    SUBCASE("an odd trailing byte is dropped")
    {
        const Bytes raw = {0x00, 0xE9, 0x20, 0xAC, 0x00};
        CHECK(ttf::DecodeNameCp1252(raw.data(), 5) == "\xE9\x80");
        CHECK(ttf::DecodeNameCp1252(raw.data(), 1).empty());
    }
    SUBCASE("a licence longer than one read window comes whole")
    {
        std::u16string text;
        for (int i = 0; i < 600; ++i) text += u"Licence \u00E9\n";
        const std::string got = licence(text);
        CHECK(got.size() == 600 * 11 - 2);
        CHECK(got.substr(0, 22) == "Licence \xE9\r\nLicence \xE9\r\n");
    }
}

TEST_CASE("a name that cannot be read is unreadable, and gives way to one that can")
{
    SUBCASE("a string past the end of the table, with more of the file after it")
    {
        NameRecord past = MsName(13, u"Licence");
        past.length = 200;
        const Bytes font = TrueTypeWriter()
                               .Add("name", NameTable({MsName(1, u"Typa"), past}))
                               .Add("OS/2", Os2Table(400, 0))
                               .Add("maxp", MaxpTable(3))
                               .Build();
        Result r = ReadBytes(font);
        CHECK(r.status == DetailsStatus::Partial);
        CHECK(r.details.licence.presence == Presence::Unreadable);
        CHECK(r.details.licence.text.empty());
        CHECK(r.details.family.text == "Typa");
        CHECK(r.details.copyright.presence == Presence::Absent);
        CHECK(r.details.os2 == Presence::Present);
    }
    SUBCASE("the user's language damaged, U.S. English sound")
    {
        NameRecord french = MsName(0, u"Copyright fr", kFrench);
        french.offset = 60000;
        Result r = ReadBytes(Font({french, MsName(0, u"Copyright en")}));
        CHECK(r.details.copyright.presence == Presence::Present);
        CHECK(r.details.copyright.text == "Copyright en");
    }
    SUBCASE("a file cut inside the strings")
    {
        const Bytes whole = Font({MsName(1, u"Typa"), MsName(13, std::u16string(100, u'x'))});
        Result r = ReadBytes(Bytes(whole.begin(), whole.end() - 60));
        CHECK(r.status == DetailsStatus::Partial);
        CHECK(r.details.family.text == "Typa");
        CHECK(r.details.licence.presence == Presence::Unreadable);
    }
    SUBCASE("a record list that ends outside the table: names not reached are unreadable, not absent")
    {
        const Bytes font = TrueTypeWriter()
                               .Add("OS/2", Os2Table(400, 0))
                               .Add("name", NameTable({MsName(1, u"Typa"), MsName(5, u"1.0")}, {std::uint16_t{50}, {}}))
                               .Build();
        Result cut = ReadBytes(font);
        CHECK(cut.details.family.presence == Presence::Present);
        CHECK(cut.details.version.presence == Presence::Present);
        CHECK(cut.details.copyright.presence == Presence::Unreadable);
        CHECK(cut.details.os2 == Presence::Present);
    }
    SUBCASE("a name table outside the file, and none at all")
    {
        Result outside = ReadBytes(TrueTypeWriter().Add("OS/2", Os2Table(400, 0)).Add("name", NameTable({}), 90000).Build());
        CHECK(outside.status == DetailsStatus::Partial);
        CHECK(outside.details.family.presence == Presence::Unreadable);
        CHECK(outside.details.licenceUrl.presence == Presence::Unreadable);
        CHECK(outside.details.os2 == Presence::Present);
        Result none = ReadBytes(TrueTypeWriter().Add("OS/2", Os2Table(400, 0)).Build());
        CHECK(none.status == DetailsStatus::Complete);
        CHECK(none.details.family.presence == Presence::Absent);
    }
}

TEST_CASE("OS/2: weight, width and embedding rights; a short or missing table spoils nothing else")
{
    Result r = ReadBytes(TrueTypeWriter().Add("OS/2", Os2Table(700, 0, 78, 3, 0x0008)).Add("name", NameTable({MsName(1, u"T")})).Build());
    CHECK(r.details.os2 == Presence::Present);
    CHECK(r.details.weightClass == 700);
    CHECK(r.details.widthClass == 3);
    CHECK(r.details.fsType == 0x0008);

    Result shortOs2 = ReadBytes(TrueTypeWriter().Add("OS/2", Os2Table(700, 0, 8)).Add("name", NameTable({MsName(1, u"T")})).Build());
    CHECK(shortOs2.status == DetailsStatus::Partial);
    CHECK(shortOs2.details.os2 == Presence::Unreadable);
    CHECK(shortOs2.details.weightClass == 0);
    CHECK(shortOs2.details.family.text == "T");

    Result past = ReadBytes(TrueTypeWriter().Add("OS/2", Os2Table(700, 0), 0x7FFFFFF0u).Add("name", NameTable({MsName(1, u"T")})).Build());
    CHECK(past.details.os2 == Presence::Unreadable);

    Result missing = ReadBytes(TrueTypeWriter().Add("name", NameTable({MsName(1, u"T")})).Build());
    CHECK(missing.status == DetailsStatus::Complete);
    CHECK(missing.details.os2 == Presence::Absent);
}

TEST_CASE("the embedding rights in words: the least restrictive usage bit wins")
{
    CHECK(ttf::EmbeddingRightsText(0x0000) == "Installable");
    CHECK(ttf::EmbeddingRightsText(0x0002) == "Restreinte");
    CHECK(ttf::EmbeddingRightsText(0x0004) == "Aper\xE7u et impression");
    CHECK(ttf::EmbeddingRightsText(0x0008) == "Modifiable");
    CHECK(ttf::EmbeddingRightsText(0x000E) == "Modifiable");
    CHECK(ttf::EmbeddingRightsText(0x0006) == "Aper\xE7u et impression");
    CHECK(ttf::EmbeddingRightsText(0x0001) == "Installable");
    CHECK(ttf::EmbeddingRightsText(0x0302) == "Restreinte, sans sous-ensemble, bitmap uniquement");
    CHECK(ttf::EmbeddingRightsText(0x0200) == "Installable, bitmap uniquement");
}

TEST_CASE("outline kind and glyph count")
{
    auto outlines = [](std::uint32_t version, std::vector<const char*> tags) {
        TrueTypeWriter w;
        w.Version(version).Add("name", NameTable({MsName(1, u"T")}));
        for (const char* tag : tags) w.Add(tag, Bytes(4, 0));
        return ReadBytes(w.Build()).details.outlines;
    };
    CHECK(outlines(0x00010000, {"glyf", "loca"}) == OutlineKind::TrueType);
    CHECK(outlines(0x74727565, {"glyf"}) == OutlineKind::TrueType);
    CHECK(outlines(0x00010000, {}) == OutlineKind::TrueType);
    CHECK(outlines(0x4F54544F, {"CFF "}) == OutlineKind::Cff);
    CHECK(outlines(0x4F54544F, {}) == OutlineKind::Cff);
    CHECK(outlines(0x00010000, {"CFF2"}) == OutlineKind::Cff);
    CHECK(outlines(0x61626364, {"CFF "}) == OutlineKind::Cff);
    CHECK(outlines(0x61626364, {}) == OutlineKind::Unknown);

    Result r = ReadBytes(TrueTypeWriter().Add("maxp", MaxpTable(65535)).Add("name", NameTable({MsName(1, u"T")})).Build());
    CHECK(r.details.maxp == Presence::Present);
    CHECK(r.details.glyphCount == 65535);
    CHECK(r.reads <= 3);
    Result shortMaxp = ReadBytes(TrueTypeWriter().Add("maxp", Bytes(4, 0)).Add("name", NameTable({MsName(1, u"T")})).Build());
    CHECK(shortMaxp.details.maxp == Presence::Unreadable);
    CHECK(shortMaxp.details.glyphCount == 0);
    CHECK(shortMaxp.status == DetailsStatus::Partial);
}

TEST_CASE("cmap format 4: idDelta, idRangeOffset and the code page's characters")
{
    const Bytes format4 = CmapFormat4({
        {0x20, 0x7E, static_cast<std::uint16_t>(-29), {}},           // glyphs 3 to 97
        {0xE0, 0xE9, 0, {10, 11, 12, 13, 14, 15, 16, 17, 0, 19}},    // è (U+00E8) has glyph 0
        {0x0150, 0x0153, static_cast<std::uint16_t>(-0x0152), {}},   // Œ (U+0152) comes to glyph 0
        {0x2019, 0x2019, 0, {40}},
        {0x20AC, 0x20AC, static_cast<std::uint16_t>(41 - 0x20AC), {}},
        // idDelta is added to the array's glyph, but never to a 0 there.
        {0x4E00, 0x4E01, 0xFFFF, {0, 1}},
        {0x4E10, 0x4E10, 0xFFFF, {2}},
    });
    Result r = ReadBytes(CmapFont({Sub(3, 1, format4)}));
    REQUIRE(r.details.cmap == Presence::Present);
    CHECK(!r.details.symbolCmap);
    CHECK(r.details.characterCount == 95 + 9 + 3 + 1 + 1 + 1);
    std::vector<int> want;
    for (int b = 0x20; b <= 0x7E; ++b) want.push_back(b);
    for (int b : {0x80, 0x92, 0x9C}) want.push_back(b);
    for (int b = 0xE0; b <= 0xE9; ++b)
        if (b != 0xE8) want.push_back(b);
    CHECK(AnsiBytes(r.details) == want);
    CHECK(r.status == DetailsStatus::Complete);

    SUBCASE("é present or absent")
    {
        Result with = ReadBytes(CmapFont({Sub(3, 1, CmapFormat4({{0x41, 0x41, 0, {3}}, {0xE9, 0xE9, 0, {4}}}))}));
        Result without = ReadBytes(CmapFont({Sub(3, 1, CmapFormat4({{0x41, 0x41, 0, {3}}, {0xEA, 0xEA, 0, {4}}}))}));
        CHECK(with.details.ansiCharacters[0xE9]);
        CHECK(!without.details.ansiCharacters[0xE9]);
        CHECK(without.details.ansiCharacters[0xEA]);
        CHECK(with.details.characterCount == 2);
    }
    SUBCASE("an idRangeOffset reaching past the table: those characters are missing, the rest counts")
    {
        Result beyond = ReadBytes(CmapFont({Sub(3, 1, CmapFormat4({{0x30, 0x39, 0, {7, 8}}}))}));
        CHECK(beyond.details.cmap == Presence::Present);
        CHECK(beyond.details.characterCount == 2);
        CHECK(beyond.details.ansiCharacters['1']);
        CHECK(!beyond.details.ansiCharacters['2']);
    }
}

TEST_CASE("cmap: format 12 over format 4, format 0, the symbol area")
{
    const Bytes bmp = CmapFormat4({{0x41, 0x5A, 1, {}}});
    SUBCASE("format 12 is chosen whatever the record order, and counts beyond 0xFFFF")
    {
        const Bytes full = CmapFormat12({{0x41, 0x5A, 1}, {0xE9, 0xE9, 30}, {0x4E00, 0x4E0F, 0}, {0x1F600, 0x1F64F, 40}});
        Result r = ReadBytes(CmapFont({Sub(3, 1, bmp), Sub(3, 10, full)}));
        REQUIRE(r.details.cmap == Presence::Present);
        // U+4E00 maps to glyph 0.
        CHECK(r.details.characterCount == 26 + 1 + 15 + 80);
        CHECK(r.details.ansiCharacters['A']);
        CHECK(r.details.ansiCharacters[0xE9]);
        CHECK(r.details.ansiCharacters.count() == 27);
        Result unicode = ReadBytes(CmapFont({Sub(3, 1, bmp), Sub(0, 4, full)}));
        CHECK(unicode.details.characterCount == 122);
    }
    SUBCASE("overlapping groups count once; code points stop at U+10FFFF; the code page's others are found")
    {
        Result r = ReadBytes(CmapFont({Sub(3, 10, CmapFormat12({{0x00, 0x1F, 1}, {0x41, 0x5A, 1}, {0x50, 0x60, 100},
                                                                {0x2000, 0x20FF, 9}, {0x10FFF0, 0xFFFFFFFF, 5}}))}));
        CHECK(r.details.characterCount == 32 + 26 + 6 + 256 + 16);
        for (int b : {0x80, 0x85, 0x86, 0x89, 0x91, 0x92, 0x93, 0x97}) CHECK(r.details.ansiCharacters[b]);
        CHECK(!r.details.ansiCharacters[0x8C]);
        CHECK(!r.details.ansiCharacters[0x81]);
    }
    SUBCASE("a format 12 whose count is impossible gives way to format 4, or leaves the cmap unreadable")
    {
        const Bytes huge = CmapFormat12({{0x41, 0x5A, 1}}, 0xFFFFFFFF);
        Result withBmp = ReadBytes(CmapFont({Sub(3, 10, huge), Sub(3, 1, bmp)}));
        CHECK(withBmp.details.cmap == Presence::Present);
        CHECK(withBmp.details.characterCount == 26);
        Result alone = ReadBytes(CmapFont({Sub(3, 10, CmapFormat12({{0x41, 0x5A, 1}}, ttf::kMaxCmapGroups))}));
        CHECK(alone.details.cmap == Presence::Unreadable);
        CHECK(alone.details.characterCount == 0);
        CHECK(alone.status == DetailsStatus::Partial);
        CHECK(alone.reads <= 6);
    }
    SUBCASE("a symbol cmap: 0xF020-0xF0FF stands for the bytes 0x20-0xFF")
    {
        Result all = ReadBytes(CmapFont({Sub(3, 0, CmapFormat4({{0xF020, 0xF0FF, static_cast<std::uint16_t>(3 - 0xF020), {}}}))}));
        REQUIRE(all.details.cmap == Presence::Present);
        CHECK(all.details.symbolCmap);
        CHECK(all.details.characterCount == 224);
        CHECK(all.details.ansiCharacters.count() == 224);
        CHECK(all.details.ansiCharacters[0x81]);
        Result one = ReadBytes(CmapFont({Sub(3, 0, CmapFormat4({{0xF041, 0xF041, 0, {3}}}))}));
        CHECK(AnsiBytes(one.details) == std::vector<int>{0x41});
        // The same codes in a Unicode cmap are private-use characters, none of the code page's.
        Result unicode = ReadBytes(CmapFont({Sub(3, 1, CmapFormat4({{0xF041, 0xF041, 0, {3}}}))}));
        CHECK(unicode.details.characterCount == 1);
        CHECK(unicode.details.ansiCharacters.none());
        // A Unicode cmap beside a symbol one wins.
        Result both = ReadBytes(CmapFont({Sub(3, 0, CmapFormat4({{0xF041, 0xF041, 0, {3}}})), Sub(3, 1, bmp)}));
        CHECK(!both.details.symbolCmap);
        CHECK(both.details.characterCount == 26);
    }
    SUBCASE("format 0, and a Macintosh cmap that is not read")
    {
        std::vector<std::uint8_t> glyphs(256, 0);
        glyphs[0x41] = 3;
        glyphs[0x80] = 4; // U+0080 is a control character, not €
        glyphs[0xE9] = 5;
        Result r = ReadBytes(CmapFont({Sub(3, 1, CmapFormat0(glyphs))}));
        CHECK(r.details.characterCount == 3);
        CHECK(AnsiBytes(r.details) == std::vector<int>{0x41, 0xE9});
        Result mac = ReadBytes(CmapFont({Sub(1, 0, CmapFormat0(glyphs))}));
        CHECK(mac.details.cmap == Presence::Unreadable);
    }
}

TEST_CASE("a cut cmap is unreadable; what else the file has is not")
{
    const Bytes format4 = CmapFormat4({{0x20, 0x7E, 1, {}}, {0xC0, 0xFF, 0, std::vector<std::uint16_t>(64, 9)}});
    auto cmapLast = [&](Bytes cmap) {
        return TrueTypeWriter()
            .Add("OS/2", Os2Table(400, 0))
            .Add("maxp", MaxpTable(10))
            .Add("name", NameTable({MsName(1, u"Typa")}))
            .Add("cmap", std::move(cmap))
            .Build();
    };
    const Bytes whole = cmapLast(CmapTable({Sub(3, 1, format4)}));
    REQUIRE(ReadBytes(whole).details.characterCount == 95 + 64);

    SUBCASE("the file ends inside the subtable")
    {
        for (std::size_t cut : {std::size_t{20}, std::size_t{100}, format4.size() - 8}) {
            CAPTURE(cut);
            Result r = ReadBytes(Bytes(whole.begin(), whole.end() - static_cast<std::ptrdiff_t>(cut)));
            CHECK(r.status == DetailsStatus::Partial);
            CHECK(r.details.cmap == Presence::Unreadable);
            CHECK(r.details.characterCount == 0);
            CHECK(r.details.ansiCharacters.none());
            CHECK(r.details.family.text == "Typa");
            CHECK(r.details.maxp == Presence::Present);
            CHECK(r.details.os2 == Presence::Present);
        }
    }
    SUBCASE("the table ends before the subtable's arrays")
    {
        Bytes cmap = CmapTable({Sub(3, 1, format4)});
        cmap.resize(4 + 8 + 14 + 6);
        CHECK(ReadBytes(cmapLast(cmap)).details.cmap == Presence::Unreadable);
    }
    SUBCASE("a subtable offset past the table, and a table past the file")
    {
        CHECK(ReadBytes(cmapLast(CmapTable({CmapSubtable{3, 1, format4, 5000u}}))).details.cmap == Presence::Unreadable);
        Result past = ReadBytes(TrueTypeWriter().Add("name", NameTable({MsName(1, u"T")})).Add("cmap", Bytes(40, 0), 70000).Build());
        CHECK(past.details.cmap == Presence::Unreadable);
    }
}

TEST_CASE("not a font, and a directory cut short")
{
    for (const Bytes& data : {Bytes{}, Bytes(11, 0), TrueTypeWriter().Build(), Raw("Ceci n'est pas une police.\r\nVraiment.\r\n")}) {
        Result r = ReadBytes(data);
        CHECK(r.status == DetailsStatus::NotAFont);
        CHECK(r.details.family.presence == Presence::Absent);
        CHECK(r.details.cmap == Presence::Absent);
        CHECK(r.details.outlines == OutlineKind::Unknown);
    }
    // What an earlier read left in `out` goes.
    MemoryFile sound(Font({MsName(1, u"T")}, CmapTable({Sub(3, 1, CmapFormat4({{0x41, 0x41, 1, {}}}))})));
    FontDetails d;
    REQUIRE(ttf::ReadFontDetails(sound, d, kFrench) == DetailsStatus::Complete);
    MemoryFile text(Raw("Ceci n'est pas une police."));
    CHECK(ttf::ReadFontDetails(text, d, kFrench) == DetailsStatus::NotAFont);
    CHECK(d.family.presence == Presence::Absent);
    CHECK(d.family.text.empty());
    CHECK(d.characterCount == 0);
    CHECK(d.ansiCharacters.none());
    CHECK(d.glyphCount == 0);

    // The entries past the file's end cannot be read: tables they might name are unreadable.
    Result cut = ReadBytes(TrueTypeWriter().Add("name", NameTable({MsName(1, u"Typa")})).NumTables(60000).Build());
    CHECK(cut.status == DetailsStatus::Partial);
    CHECK(cut.details.family.text == "Typa");
    CHECK(cut.details.os2 == Presence::Unreadable);
    CHECK(cut.details.cmap == Presence::Unreadable);
    CHECK(cut.reads <= 4);
}

TEST_CASE("hostile counts cost a few reads of the file")
{
    SUBCASE("65535 name records in a short table")
    {
        Result r = ReadBytes(TrueTypeWriter().Add("name", NameTable({MsName(1, u"T")}, {std::uint16_t{65535}, {}})).Build());
        CHECK(r.details.family.text == "T");
        CHECK(r.details.licence.presence == Presence::Unreadable);
        CHECK(r.reads <= 4);
    }
    SUBCASE("65535 cmap records and 8,000 segments over the whole range")
    {
        Bytes many = CmapTable({Sub(3, 1, CmapFormat4({{0x41, 0x41, 1, {}}}))});
        many[2] = many[3] = 0xFF;
        Result r = ReadBytes(Font({MsName(1, u"T")}, many));
        CHECK(r.details.cmap == Presence::Present);
        CHECK(r.details.characterCount == 1);

        std::vector<CmapSegment> segments(8000, CmapSegment{0x0000, 0xFFFE, 1, {}});
        Result overlapping = ReadBytes(CmapFont({Sub(3, 1, CmapFormat4(segments))}));
        CHECK(overlapping.details.cmap == Presence::Present);
        CHECK(overlapping.details.characterCount == 0xFFFF);
        CHECK(overlapping.reads <= 8);
    }
    SUBCASE("a format 4 that says it has 32,767 segments")
    {
        Bytes format4 = CmapFormat4({{0x41, 0x5A, 1, {}}});
        format4[6] = 0xFF;
        format4[7] = 0xFE;
        Result r = ReadBytes(CmapFont({Sub(3, 1, format4)}));
        CHECK(r.details.cmap == Presence::Unreadable);
        CHECK(r.bytes < 2000);
    }
}

TEST_CASE("real fonts of this machine")
{
    FontDetails d;
    DetailsStatus status = DetailsStatus::NotAFont;

    REQUIRE(ReadFile("Z:\\usr\\share\\wine\\fonts\\tahoma.ttf", d, status));
    CHECK(status == DetailsStatus::Complete);
    CHECK(d.family.text == "Tahoma");
    CHECK(d.subfamily.text == "Regular");
    CHECK(d.version.text == "Version 0.001");
    CHECK(d.copyright.text.rfind("Copyright (c) 2004 Larry Snyder", 0) == 0);
    CHECK(d.licence.text.rfind("This library is free software;", 0) == 0);
    CHECK(d.licenceUrl.text == "http://www.gnu.org/licenses/lgpl.html");
    CHECK(d.designer.presence == Presence::Absent);
    CHECK(d.outlines == OutlineKind::TrueType);
    CHECK(d.weightClass == 400);
    CHECK(ttf::EmbeddingRightsText(d.fsType) == "Installable");
    CHECK(d.glyphCount == 988);
    CHECK(d.characterCount == 846);
    CHECK(!d.symbolCmap);
    for (int b : {0x41, 0xE9, 0x80, 0x92, 0x8C}) CHECK(d.ansiCharacters[b]);

    REQUIRE(ReadFile("Z:\\usr\\share\\wine\\fonts\\wingding.ttf", d, status));
    CHECK(d.family.text == "Wingdings");
    CHECK(d.symbolCmap);
    CHECK(d.characterCount > 0);
    CHECK(d.ansiCharacters.count() == d.characterCount);

    if (ReadFile("Z:\\usr\\share\\fonts\\truetype\\dejavu\\DejaVuSans.ttf", d, status)) {
        CHECK(status == DetailsStatus::Complete);
        CHECK(d.family.text == "DejaVu Sans");
        CHECK(d.copyright.text.rfind("Copyright (c) 2003 by Bitstream, Inc. All Rights Reserved.\r\n", 0) == 0);
        CHECK(d.licenceUrl.text == "http://dejavu.sourceforge.net/wiki/index.php/License");
        // The licence is longer than one read window.
        CHECK(d.licence.text.size() > 4096);
        CHECK(d.glyphCount > 6000);
        // Its format 12 subtable has characters beyond the format 4 one's 65,536.
        CHECK(d.characterCount > 5370);
        CHECK(d.ansiCharacters.count() == 218); // all but the five gaps of the code page and DEL
    }
    if (ReadFile("Z:\\usr\\share\\fonts\\opentype\\urw-base35\\NimbusSans-Regular.otf", d, status)) {
        CHECK(status == DetailsStatus::Complete);
        CHECK(d.family.text == "Nimbus Sans");
        CHECK(d.outlines == OutlineKind::Cff);
        CHECK(ttf::EmbeddingRightsText(d.fsType) == "Aper\xE7u et impression");
        CHECK(d.ansiCharacters[0xE9]);
    }
}
