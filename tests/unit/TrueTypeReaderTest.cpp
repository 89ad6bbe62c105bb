// The TrueType reader: the portable core over fonts built in memory, then ReadTrueTypeInfo over
// real files in a temporary folder and the fonts Wine and Debian put on the machine.
#include <doctest/doctest.h>

#include "app/ErrorBox.h"
#include "app/Messages.h"
#include "fonts/ReadTrueTypeInfo.h"
#include "fonts/TrueTypeReader.h"
#include "platform/SystemLanguage.h"
#include "support/MemoryFile.h"
#include "support/TrueTypeWriter.h"

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

using namespace typa;
using namespace typa::test;
using ttf::ReadStatus;

namespace {

// A file of `size` bytes, zero everywhere but in the pieces placed into it: lets a test put a
// table two gigabytes into a file without the file.
class SparseFile : public ttf::RandomAccess {
public:
    explicit SparseFile(std::uint64_t size) : m_size(size) {}
    void Place(std::uint32_t at, Bytes data) { m_pieces[at] = std::move(data); }
    std::int32_t ReadAt(std::uint32_t offset, void* buffer, std::uint32_t size) override
    {
        if (offset >= m_size) return 0;
        const auto n = static_cast<std::uint32_t>(std::min<std::uint64_t>(size, m_size - offset));
        auto* out = static_cast<std::uint8_t*>(buffer);
        std::memset(out, 0, n);
        for (const auto& [at, data] : m_pieces)
            for (std::size_t i = 0; i < data.size(); ++i)
                if (at + i >= offset && at + i < std::uint64_t{offset} + n) out[at + i - offset] = data[i];
        return static_cast<std::int32_t>(n);
    }

private:
    std::uint64_t m_size;
    std::map<std::uint32_t, Bytes> m_pieces;
};

struct CoreResult {
    ReadStatus status;
    ttf::FontNames names;
    int languageQueries = 0;
};

CoreResult ReadBytes(Bytes data, std::uint16_t language = 0x0409, ttf::FontNames start = {})
{
    MemoryFile file(std::move(data));
    CoreResult r{ReadStatus::NotUsable, std::move(start)};
    ttf::LanguageQuery query = [&] {
        ++r.languageQueries;
        return language;
    };
    r.status = ttf::ReadFontNames(file, r.names, query);
    return r;
}

ReadStatus ReadSource(ttf::RandomAccess& file)
{
    ttf::FontNames names;
    return ttf::ReadFontNames(file, names, [] { return std::uint16_t{0x0409}; });
}

Bytes FontWithNames(std::vector<NameRecord> records)
{
    return TrueTypeWriter().Add("OS/2", Os2Table(400, 0)).Add("name", NameTable(records)).Build();
}

} // namespace

TEST_CASE("a sound font gives its names and a complete creation record")
{
    CoreResult r = ReadBytes(
        TrueTypeWriter()
            .Add("cmap", Bytes(40, 7))
            .Add("OS/2", Os2Table(700, 0x0001))
            .Add("glyf", Bytes(3001, 0)) // odd length, padded in the file
            .Add("name", NameTable({MsName(1, u"Typa Sans"), MsName(2, u"Bold Italic"),
                                    MsName(4, u"Typa Sans Bold Italic"), MsName(6, u"TypaSans-BoldItalic")}))
            .Add("post", Bytes(32, 0))
            .Build());
    REQUIRE(r.status == ReadStatus::Usable);
    CHECK(r.names.family == "Typa Sans");
    CHECK(r.names.subfamily == "Bold Italic");
    CHECK(r.names.fullName == "Typa Sans Bold Italic");
    const ttf::LogFontFields& lf = r.names.logFont;
    CHECK(lf.height == 0);
    CHECK(lf.width == 0);
    CHECK(lf.escapement == 0);
    CHECK(lf.orientation == 0);
    CHECK(lf.weight == 700);
    CHECK(lf.italic == 1);
    CHECK(lf.underline == 0);
    CHECK(lf.strikeOut == 0);
    CHECK(lf.charSet == 1);
    CHECK(lf.outPrecision == 0);
    CHECK(lf.clipPrecision == 0);
    CHECK(lf.quality == 0);
    CHECK(lf.pitchAndFamily == 0);
    CHECK(std::string(lf.faceName) == "Typa Sans");
    CHECK(r.languageQueries == 1);
}

TEST_CASE("full name by the system language, else the first in record order")
{
    const Bytes font = FontWithNames({MsName(1, u"Famille"), MsName(4, u"Full German", 0x0407),
                                      MsName(4, u"Full English", 0x0409), MsName(4, u"Nom complet", 0x040C),
                                      MsName(4, u"Second French", 0x040C)});
    CHECK(ReadBytes(font, 1036).names.fullName == "Nom complet");
    CHECK(ReadBytes(font, 1033).names.fullName == "Full English");
    CHECK(ReadBytes(font, 0x0410).names.fullName == "Full German");

    // Only 1033 and 1036: a system in neither language gets the one that comes first.
    const Bytes two = FontWithNames(
        {MsName(1, u"F"), MsName(4, u"Nom complet", 1036), MsName(4, u"Full name", 1033)});
    CHECK(ReadBytes(two, 1036).names.fullName == "Nom complet");
    CHECK(ReadBytes(two, 1033).names.fullName == "Full name");
    CHECK(ReadBytes(two, 1031).names.fullName == "Nom complet");

    // Candidates gather over all `name` tables of the directory; the language is asked once.
    CoreResult r = ReadBytes(TrueTypeWriter()
                                 .Add("name", NameTable({MsName(4, u"First table", 1033)}))
                                 .Add("OS/2", Os2Table(400, 0))
                                 .Add("name", NameTable({MsName(1, u"Fam"), MsName(4, u"Zweite", 1031),
                                                         MsName(4, u"Seconde", 1036)}))
                                 .Build(),
                             1036);
    CHECK(r.status == ReadStatus::Usable);
    CHECK(r.names.fullName == "Seconde");
    CHECK(r.languageQueries == 1);
}

TEST_CASE("only Microsoft-platform names count")
{
    NameRecord mac1 = Record(1, 0, 0, 1, Raw("Mac Family"));
    NameRecord mac4 = Record(1, 0, 0, 4, Raw("Mac Family Regular"));
    NameRecord unicode1 = Record(0, 3, 0, 1, Utf16Be(u"Unicode Family"));
    NameRecord unicode4 = Record(0, 3, 0, 4, Utf16Be(u"Unicode Full"));
    CoreResult r = ReadBytes(FontWithNames({mac1, mac4, unicode1, unicode4}));
    CHECK(r.status == ReadStatus::NotUsable);
    CHECK(r.names.family.empty());
    CHECK(r.languageQueries == 0);

    // Skipped records are never followed, however long or far their strings.
    NameRecord farMac = Record(1, 0, 0, 4, {});
    farMac.length = 60000;
    farMac.offset = 65000;
    NameRecord longCopyright = MsName(0, std::u16string(300, u'c'));
    NameRecord farUniqueId = Record(3, 1, 0x409, 3, {});
    farUniqueId.length = 5000;
    farUniqueId.offset = 65535;
    r = ReadBytes(FontWithNames({farMac, longCopyright, farUniqueId, MsName(1, u"F"), MsName(4, u"F R")}));
    CHECK(r.status == ReadStatus::Usable);
}

TEST_CASE("the last family and subfamily records win, whatever their language or encoding")
{
    NameRecord symbolFamily = MsName(1, u"Symbol Fam", 0x0409);
    symbolFamily.encodingId = 0;
    CoreResult r = ReadBytes(FontWithNames({MsName(1, u"English Fam", 0x0409), MsName(2, u"Regular", 0x0409),
                                            MsName(4, u"Full", 0x0409), MsName(1, u"Famille", 0x040C),
                                            MsName(2, u"Normal", 0x040C), symbolFamily,
                                            Record(1, 0, 0, 1, Raw("Mac wins not"))}),
                             0x0409);
    CHECK(r.status == ReadStatus::Usable);
    CHECK(r.names.family == "Symbol Fam");
    CHECK(std::string(r.names.logFont.faceName) == "Symbol Fam");
    CHECK(r.names.subfamily == "Normal");
    CHECK(r.names.fullName == "Full");

    // A shorter family after a longer one leaves no trace of the longer in the face name.
    r = ReadBytes(FontWithNames({MsName(1, u"A much longer family"), MsName(1, u"Short"), MsName(4, u"X")}));
    CHECK(std::string(r.names.logFont.faceName) == "Short");
    CHECK(std::all_of(r.names.logFont.faceName + 5, r.names.logFont.faceName + 32, [](char c) { return c == 0; }));
}

TEST_CASE("names come through in the code page, as Windows converts them")
{
    SUBCASE("a 40-character family keeps all 40; the face name holds 31 and a NUL")
    {
        const std::u16string forty = u"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmn";
        REQUIRE(forty.size() == 40);
        CoreResult r = ReadBytes(FontWithNames({MsName(1, forty), MsName(4, u"Full")}));
        CHECK(r.names.family == "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmn");
        CHECK(std::string(r.names.logFont.faceName) == "ABCDEFGHIJKLMNOPQRSTUVWXYZabcde");
        CHECK(r.names.logFont.faceName[31] == '\0');
    }
    SUBCASE("é, Œ, € and ’ are the code page's own bytes")
    {
        CoreResult r = ReadBytes(FontWithNames({MsName(1, u"Caf\u00E9"), MsName(4, u"\u0152uvre \u20AC l\u2019\u00E9t\u00E9")}));
        CHECK(r.names.family == "Caf\xE9");
        CHECK(r.names.fullName == "\x8Cuvre \x80 l\x92\xE9t\xE9");
        CHECK(std::string(r.names.logFont.faceName) == "Caf\xE9");
    }
    SUBCASE("a record of odd length 7 gives 3 characters")
    {
        NameRecord odd = MsName(1, u"Abcd");
        odd.text.resize(7);
        CoreResult r = ReadBytes(FontWithNames({odd, MsName(4, u"Full")}));
        CHECK(r.names.family == "Abc");
        CHECK(std::string(r.names.logFont.faceName) == "Abc");
    }
    SUBCASE("a short family fills the face name with itself only")
    {
        // 10 bytes are 5 characters; the face name never takes bytes beyond them.
        CoreResult r = ReadBytes(FontWithNames({MsName(1, u"Short"), MsName(4, u"Short Full")}));
        CHECK(std::string(r.names.logFont.faceName) == "Short");
        CHECK(std::all_of(r.names.logFont.faceName + 5, r.names.logFont.faceName + 32,
                          [](char c) { return c == 0; }));
    }
    SUBCASE("a NUL ends the name")
    {
        CoreResult r = ReadBytes(FontWithNames({MsName(1, std::u16string(u"Ab\0cd", 5)), MsName(4, std::u16string(u"\0Full", 5))}));
        CHECK(r.names.family == "Ab");
        CHECK(r.names.fullName.empty());
        CHECK(r.status == ReadStatus::NotUsable);
    }
}

TEST_CASE("a name the code page cannot hold gives way to one that it can, else to the PostScript name")
{
    const std::u16string cyrillic = u"\u0428\u0440\u0438\u0444\u0442"; // Шрифт
    SUBCASE("only Cyrillic names: the PostScript name, so that two such fonts never share a name")
    {
        for (const auto& [ps, want] : {std::pair{u"Shrift-Regular", "Shrift-Regular"}, std::pair{u"ShriftDva", "ShriftDva"}}) {
            CoreResult r = ReadBytes(FontWithNames({MsName(1, cyrillic, 0x0419), MsName(4, cyrillic + u" " + ps, 0x0419),
                                                    MsName(6, ps)}),
                                     0x0419);
            CHECK(r.status == ReadStatus::Usable);
            CHECK(r.names.fullName == want);
            CHECK(r.names.family == want);
            CHECK(std::string(r.names.logFont.faceName) == std::string(want).substr(0, 31));
        }
        // The English PostScript record is preferred to another language's.
        CoreResult r = ReadBytes(FontWithNames({MsName(1, cyrillic), MsName(4, cyrillic), MsName(6, u"Other", 0x0419),
                                                MsName(6, u"English")}));
        CHECK(r.names.fullName == "English");
    }
    SUBCASE("the system language's name does not fit: the English one, else the next that fits")
    {
        const Bytes font = FontWithNames({MsName(1, u"Famille"), MsName(4, cyrillic, 0x0419), MsName(4, u"Nom fran\u00E7ais", 0x040C),
                                          MsName(4, u"English Name", 0x0409), MsName(6, u"PSName")});
        CHECK(ReadBytes(font, 0x0419).names.fullName == "English Name");
        // What fits keeps the usual choice.
        CHECK(ReadBytes(font, 0x040C).names.fullName == "Nom fran\xE7" "ais");
        const Bytes noEnglish = FontWithNames({MsName(1, u"F"), MsName(4, cyrillic, 0x0419), MsName(4, u"Deutsch", 0x0407),
                                               MsName(4, u"Fran\u00E7ais", 0x040C)});
        CHECK(ReadBytes(noEnglish, 0x0419).names.fullName == "Deutsch");
    }
    SUBCASE("the last family that fits, the English one first")
    {
        CoreResult r = ReadBytes(FontWithNames({MsName(1, u"Deutsch", 0x0407), MsName(1, u"English"), MsName(4, u"Full"),
                                                MsName(1, cyrillic, 0x0419)}));
        CHECK(r.names.family == "English");
        CHECK(std::string(r.names.logFont.faceName) == "English");
    }
    SUBCASE("nothing fits and no PostScript name: the name as the code page holds it")
    {
        CoreResult r = ReadBytes(FontWithNames({MsName(1, cyrillic), MsName(4, cyrillic + u" 2")}));
        CHECK(r.status == ReadStatus::Usable);
        CHECK(r.names.fullName == "????? 2");
    }
    SUBCASE("a character beyond the first 65,536 is one '?'")
    {
        CoreResult r = ReadBytes(FontWithNames({MsName(1, u"A\U0001F600B"), MsName(4, u"F")}));
        CHECK(r.names.family == "A?B");
    }
    SUBCASE("a damaged PostScript name counts only when it is needed")
    {
        NameRecord farPs = MsName(6, u"PS");
        farPs.offset = 60000;
        CHECK(ReadBytes(FontWithNames({MsName(1, u"F"), MsName(4, u"Full"), farPs})).status == ReadStatus::Usable);
        CHECK(ReadBytes(FontWithNames({MsName(1, cyrillic), MsName(4, u"Full"), farPs})).status == ReadStatus::Fault);
    }
}

TEST_CASE("the style comes from usWeightClass and fsSelection bits 0, 1 and 4")
{
    CoreResult r = ReadBytes(SimpleFont(u"F", u"S", u"F S", 300, 0x0013));
    CHECK(r.names.logFont.weight == 300);
    CHECK(r.names.logFont.italic == 1);
    CHECK(r.names.logFont.underline == 1);
    CHECK(r.names.logFont.strikeOut == 1);

    r = ReadBytes(SimpleFont(u"F", u"S", u"F S", 400, 0x0020));
    CHECK(r.names.logFont.weight == 400);
    CHECK(r.names.logFont.italic == 0);
    CHECK(r.names.logFont.underline == 0);
    CHECK(r.names.logFont.strikeOut == 0);

    // Exactly 78 bytes of a version 0 table are enough.
    r = ReadBytes(TrueTypeWriter()
                      .Add("OS/2", Os2Table(900, 0x0002, 78))
                      .Add("name", NameTable({MsName(1, u"F"), MsName(4, u"F")}))
                      .Build());
    CHECK(r.status == ReadStatus::Usable);
    CHECK(r.names.logFont.weight == 900);
    CHECK(r.names.logFont.underline == 1);
}

TEST_CASE("the directory order and the file's version tag")
{
    SUBCASE("any version tag is accepted")
    {
        for (std::uint32_t tag : {0x4F54544Fu /* OTTO */, 0x74727565u /* true */, 0xDEADBEEFu, 0u}) {
            Bytes font = TrueTypeWriter()
                             .Version(tag)
                             .Add("OS/2", Os2Table(400, 0))
                             .Add("name", NameTable({MsName(1, u"F"), MsName(4, u"F")}))
                             .Build();
            CHECK(ReadBytes(font).status == ReadStatus::Usable);
        }
    }
    SUBCASE("name before OS/2 is not usable: the test runs right after a name table only")
    {
        CoreResult r = ReadBytes(TrueTypeWriter()
                                     .Add("name", NameTable({MsName(1, u"F"), MsName(4, u"F R")}))
                                     .Add("OS/2", Os2Table(400, 0))
                                     .Build());
        CHECK(r.status == ReadStatus::NotUsable);
        CHECK(r.names.family == "F");
        CHECK(r.names.fullName == "F R");
    }
    SUBCASE("table data in reverse order of the directory")
    {
        Bytes font = TrueTypeWriter()
                         .Add("OS/2", Os2Table(500, 0))
                         .Add("name", NameTable({MsName(1, u"Rev"), MsName(4, u"Rev Full")}))
                         .ReverseData()
                         .Build();
        CoreResult r = ReadBytes(font);
        CHECK(r.status == ReadStatus::Usable);
        CHECK(r.names.logFont.weight == 500);
    }
    SUBCASE("nothing to read")
    {
        CHECK(ReadBytes(TrueTypeWriter().Build()).status == ReadStatus::NotUsable);
        CHECK(ReadBytes(TrueTypeWriter().Add("OS/2", Os2Table(400, 0)).Build()).status == ReadStatus::NotUsable);
        CHECK(ReadBytes(TrueTypeWriter().Add("name", NameTable({MsName(1, u"F"), MsName(4, u"F")})).Build())
                  .status == ReadStatus::NotUsable);
        // Tags are compared exactly.
        CHECK(ReadBytes(TrueTypeWriter()
                            .Add("os/2", Os2Table(400, 0))
                            .Add("name", NameTable({MsName(1, u"F"), MsName(4, u"F")}))
                            .Build())
                  .status == ReadStatus::NotUsable);
    }
    SUBCASE("a name table without a platform-3 full name ends the call, even with another to come")
    {
        CoreResult r = ReadBytes(TrueTypeWriter()
                                     .Add("OS/2", Os2Table(400, 0))
                                     .Add("name", NameTable({MsName(1, u"F")}))
                                     .Add("name", NameTable({MsName(1, u"F"), MsName(4, u"F")}))
                                     .Build());
        CHECK(r.status == ReadStatus::NotUsable);
        CHECK(r.languageQueries == 0);
    }
    SUBCASE("an empty family or full name is not usable")
    {
        CHECK(ReadBytes(FontWithNames({MsName(1, u""), MsName(4, u"Full")})).status == ReadStatus::NotUsable);
        CHECK(ReadBytes(FontWithNames({MsName(1, u"Fam"), MsName(4, u"")})).status == ReadStatus::NotUsable);
        // Only the chosen full name has to be non-empty.
        CoreResult r = ReadBytes(FontWithNames({MsName(1, u"Fam"), MsName(4, u"", 1036), MsName(4, u"Full", 1033)}),
                                 1033);
        CHECK(r.status == ReadStatus::Usable);
    }
    SUBCASE("the reader stops at success and never looks at the rest of the directory")
    {
        // The directory claims 2000 tables; the file ends long before.
        Bytes font = TrueTypeWriter()
                         .Add("OS/2", Os2Table(400, 0))
                         .Add("name", NameTable({MsName(1, u"F"), MsName(4, u"F")}))
                         .NumTables(2000)
                         .Build();
        CHECK(ReadBytes(font).status == ReadStatus::Usable);
    }
}

TEST_CASE("what the caller hands in")
{
    ttf::FontNames start;
    start.family = "old family";
    start.fullName = "old full";
    start.subfamily = "kept subfamily";
    start.logFont.weight = 123;
    std::strcpy(start.logFont.faceName, "kept face");
    CoreResult r = ReadBytes(TrueTypeWriter().Add("name", NameTable({MsName(4, u"Only full")})).Build(), 1033, start);
    CHECK(r.status == ReadStatus::NotUsable);
    CHECK(r.names.family.empty());
    CHECK(r.names.fullName == "Only full");
    CHECK(r.names.subfamily == "kept subfamily");
    CHECK(r.names.logFont.weight == 123);
    CHECK(std::string(r.names.logFont.faceName) == "kept face");

    r = ReadBytes(Bytes{}, 1033, start);
    CHECK(r.names.family.empty());
    CHECK(r.names.fullName.empty());
    CHECK(r.names.subfamily == "kept subfamily");
}

TEST_CASE("damaged files are faults")
{
    const Bytes good = SimpleFont(u"Good", u"Regular", u"Good Regular");
    TrueTypeWriter twoTables;
    twoTables.Add("OS/2", Os2Table(400, 0)).Add("name", NameTable({MsName(1, u"Good"), MsName(4, u"Good R")}));
    REQUIRE(ReadBytes(good).status == ReadStatus::Usable);

    SUBCASE("a file of zero length or cut anywhere before success")
    {
        CHECK(ReadBytes(Bytes{}).status == ReadStatus::Fault);
        const Bytes font = twoTables.Build();
        const std::size_t nameEnd = twoTables.TableOffset(1) + NameTable({MsName(1, u"Good"), MsName(4, u"Good R")}).size();
        for (std::size_t cut = 0; cut < nameEnd; ++cut) {
            CAPTURE(cut);
            CHECK(ReadBytes(Bytes(font.begin(), font.begin() + static_cast<std::ptrdiff_t>(cut))).status ==
                  ReadStatus::Fault);
        }
    }
    SUBCASE("a table past the end of the file")
    {
        Bytes font = TrueTypeWriter()
                         .Add("OS/2", Os2Table(400, 0), 100000)
                         .Add("name", NameTable({MsName(1, u"F"), MsName(4, u"F")}))
                         .Build();
        CHECK(ReadBytes(font).status == ReadStatus::Fault);
    }
    SUBCASE("an offset of 2^31 or more")
    {
        for (std::uint32_t offset : {0x80000000u, 0xFFFFFFFFu, 0x7FFFFFFFu}) {
            CAPTURE(offset);
            Bytes font = TrueTypeWriter()
                             .Add("OS/2", Os2Table(400, 0), offset)
                             .Add("name", NameTable({MsName(1, u"F"), MsName(4, u"F")}))
                             .Build();
            CHECK(ReadBytes(font).status == ReadStatus::Fault);
        }
        // The same in a file that really is that long.
        SparseFile file(0x90000000ull);
        Bytes head = TrueTypeWriter().Add("OS/2", Bytes{}, 0x80000000u).Build();
        file.Place(0, head);
        file.Place(0x80000000u, Os2Table(400, 0));
        CHECK(ReadSource(file) == ReadStatus::Fault);
    }
    SUBCASE("a name string whose offsets add up to 2^31 or more")
    {
        const std::uint32_t nameAt = 0x7FFF0000u;
        auto fileWith = [&](std::uint16_t stringOffset, std::uint16_t recordOffset) {
            auto file = std::make_unique<SparseFile>(0x80010000ull + 0x20000);
            Bytes head = TrueTypeWriter().Add("OS/2", Os2Table(400, 0)).Add("name", Bytes{}, nameAt).Build();
            file->Place(0, head);
            NameRecord family = MsName(1, u"F");
            family.offset = recordOffset;
            file->Place(nameAt, NameTable({family, MsName(4, u"F")}, {std::nullopt, stringOffset}));
            return file;
        };
        // 0x7FFF0000 + 0xFFF0 + 0x0008 stays below 2^31: readable (zeros there end the name).
        CHECK(ReadSource(*fileWith(0xFFF0, 0x0008)) == ReadStatus::NotUsable);
        CHECK(ReadSource(*fileWith(0xFFFF, 0xFFFF)) == ReadStatus::Fault);
        CHECK(ReadSource(*fileWith(0x8000, 0x8000)) == ReadStatus::Fault);
    }
    SUBCASE("a name string over 400 bytes; 400 is allowed")
    {
        CHECK(ReadBytes(FontWithNames({MsName(1, std::u16string(200, u'a')), MsName(4, u"F")})).status ==
              ReadStatus::Usable);
        NameRecord long401 = MsName(1, std::u16string(201, u'a'));
        long401.length = 401;
        CHECK(ReadBytes(FontWithNames({long401, MsName(4, u"F")})).status == ReadStatus::Fault);
        CHECK(ReadBytes(FontWithNames({MsName(4, std::u16string(201, u'a')), MsName(1, u"F")})).status ==
              ReadStatus::Fault);
        CHECK(ReadBytes(FontWithNames({MsName(2, std::u16string(300, u'a')), MsName(1, u"F"), MsName(4, u"F")}))
                  .status == ReadStatus::Fault);
    }
    SUBCASE("a name record count beyond the table")
    {
        Bytes font = TrueTypeWriter()
                         .Add("OS/2", Os2Table(400, 0))
                         .Add("name", NameTable({MsName(1, u"F"), MsName(4, u"F")}, {std::uint16_t{65535}, {}}))
                         .Build();
        CHECK(ReadBytes(font).status == ReadStatus::Fault);
    }
    SUBCASE("a string past the end of the file")
    {
        NameRecord family = MsName(1, u"F");
        family.offset = 60000;
        CHECK(ReadBytes(FontWithNames({family, MsName(4, u"F")})).status == ReadStatus::Fault);
        // An empty string is never read, wherever it points.
        family.text.clear();
        CHECK(ReadBytes(FontWithNames({family, MsName(4, u"F")})).status == ReadStatus::NotUsable);
    }
    SUBCASE("a read error")
    {
        struct BrokenFile : ttf::RandomAccess {
            std::int32_t ReadAt(std::uint32_t, void*, std::uint32_t) override { return -1; }
        } broken;
        CHECK(ReadSource(broken) == ReadStatus::Fault);
    }
}

TEST_CASE("hostile tables cannot make the reader loop or run away")
{
    SUBCASE("a name table whose strings point into itself")
    {
        NameRecord family = MsName(1, u"");
        family.length = 30;
        family.offset = 2;
        Bytes font = TrueTypeWriter()
                         .Add("OS/2", Os2Table(400, 0))
                         .Add("name", NameTable({family, MsName(4, u"Full")}, {std::nullopt, std::uint16_t{0}}))
                         .Build();
        CoreResult r = ReadBytes(font);
        // The family is read from the header itself: the count's low byte 2, then the string
        // offset's 0 ends it. The full name starts at the format's 0 and is empty.
        CHECK(r.names.family == "\x02");
        CHECK(r.names.fullName.empty());
        CHECK(r.status == ReadStatus::NotUsable);
    }
    SUBCASE("the directory names one big name table again and again")
    {
        std::vector<NameRecord> records(30000, Record(0, 3, 0, 5, {}));
        records.push_back(MsName(4, u"Full"));
        const Bytes table = NameTable(records);
        // The first entry's data lies right after the directory; the others point there too.
        auto repeated = [&](std::uint32_t entries) {
            const std::uint32_t at = 12 + 16 * entries;
            TrueTypeWriter w;
            w.Add("name", table);
            for (std::uint32_t i = 1; i < entries; ++i) w.Add("name", {}, at);
            return w.Build();
        };
        // Three entries: 90003 records in all.
        CHECK(ReadBytes(repeated(3)).status == ReadStatus::Fault);
        // Two entries (60002 records) are still read, and one table of 65535 records too.
        CHECK(ReadBytes(repeated(2)).status == ReadStatus::NotUsable);

        // 65535 records end 786 KB into the table, beyond any 16-bit string offset: the two
        // names take their text from the first filler record, whose language field reads "F".
        std::vector<NameRecord> full(65533, Record(0, 3, 0x0046, 5, {}));
        for (std::uint16_t id : {1, 4}) {
            NameRecord r = MsName(id, u"");
            r.length = 2;
            r.offset = 6 + 4;
            full.push_back(r);
        }
        CoreResult big = ReadBytes(TrueTypeWriter()
                                       .Add("OS/2", Os2Table(400, 0))
                                       .Add("name", NameTable(full, {std::nullopt, std::uint16_t{0}}))
                                       .Build());
        CHECK(big.status == ReadStatus::Usable);
        CHECK(big.names.family == "F");
    }
}

// --- collections --------------------------------------------------------------------------------

namespace {

struct FacesResult {
    ReadStatus status;
    ttf::FontFaces faces;
    int languageQueries = 0;
    unsigned reads = 0;
};

FacesResult ReadFaces(Bytes data, std::uint16_t language = 0x0409)
{
    MemoryFile file(std::move(data));
    FacesResult r{ReadStatus::NotUsable, {}, 0, 0};
    r.status = ttf::ReadFontFaces(file, r.faces, [&] {
        ++r.languageQueries;
        return language;
    });
    r.reads = file.reads;
    return r;
}

std::vector<std::string> FullNames(const ttf::FontFaces& faces)
{
    std::vector<std::string> names;
    for (const ttf::FontFace& f : faces.faces) names.push_back(f.names.fullName);
    return names;
}

void Put32At(Bytes& b, std::size_t at, std::uint32_t v)
{
    b[at] = static_cast<std::uint8_t>(v >> 24);
    b[at + 1] = static_cast<std::uint8_t>(v >> 16);
    b[at + 2] = static_cast<std::uint8_t>(v >> 8);
    b[at + 3] = static_cast<std::uint8_t>(v);
}

} // namespace

TEST_CASE("a collection gives each of its faces, read from its own offset table")
{
    const std::vector<Bytes> fonts = {SimpleFont(u"Caladea", u"Regular", u"Caladea Regular"),
                                      SimpleFont(u"Carlito", u"Bold", u"Carlito Bold", 700),
                                      TrueTypeWriter().Version(0x4F54544F).Add("OS/2", Os2Table(400, 0x0001))
                                          .Add("CFF ", Bytes(64, 1))
                                          .Add("name", NameTable({MsName(1, u"Cantarell"), MsName(4, u"Cantarell Italic")}))
                                          .Build()};
    for (std::uint16_t version : {1, 2}) {
        CAPTURE(version);
        CollectionOptions options;
        options.majorVersion = version;
        FacesResult r = ReadFaces(Collection(fonts, options), 0x040C);
        REQUIRE(r.status == ReadStatus::Usable);
        CHECK(r.faces.collection);
        CHECK(FullNames(r.faces) == std::vector<std::string>{"Caladea Regular", "Carlito Bold", "Cantarell Italic"});
        CHECK(r.faces.faces[1].names.family == "Carlito");
        CHECK(r.faces.faces[1].names.logFont.weight == 700);
        CHECK(r.faces.faces[2].names.logFont.italic == 1); // an 'OTTO' face in a collection
        CHECK(r.languageQueries == 1);                       // once for the whole file
        // ReadFontNames reads the first face.
        MemoryFile file(Collection(fonts, options));
        ttf::FontNames first;
        CHECK(ttf::ReadFontNames(file, first, [] { return std::uint16_t{0x409}; }) == ReadStatus::Usable);
        CHECK(first.fullName == "Caladea Regular");
    }
    // A single font is one face, whatever its version tag.
    FacesResult single = ReadFaces(fonts[2]);
    CHECK(single.status == ReadStatus::Usable);
    CHECK_FALSE(single.faces.collection);
    CHECK(FullNames(single.faces) == std::vector<std::string>{"Cantarell Italic"});
}

TEST_CASE("faces may share tables: offsets count from the start of the file")
{
    const std::vector<Bytes> fonts = {SimpleFont(u"A", u"Regular", u"A Regular", 300),
                                      SimpleFont(u"B", u"Regular", u"B Regular", 900)};
    Bytes ttc = Collection(fonts);
    // Face 2's OS/2 entry points at face 1's table.
    const std::uint32_t face1 = CollectionFaceOffset(fonts, 0), face2 = CollectionFaceOffset(fonts, 1);
    const std::uint32_t os2Of1 = face1 + TrueTypeWriter().Add("OS/2", Os2Table(300, 0)).Add("name", Bytes{}).TableOffset(0);
    Put32At(ttc, face2 + 12 + 8, os2Of1);
    FacesResult r = ReadFaces(ttc);
    REQUIRE(r.status == ReadStatus::Usable);
    CHECK(r.faces.faces[0].names.logFont.weight == 300);
    CHECK(r.faces.faces[1].names.logFont.weight == 300);
    CHECK(r.faces.faces[1].names.fullName == "B Regular");
}

TEST_CASE("a collection with an unusable face lists the others; a damaged face damages the file")
{
    const Bytes good = SimpleFont(u"Good", u"Regular", u"Good Regular");
    const Bytes macOnly = TrueTypeWriter().Add("OS/2", Os2Table(400, 0))
                              .Add("name", NameTable({Record(1, 0, 0, 4, Raw("Mac"))})).Build();
    FacesResult r = ReadFaces(Collection({macOnly, good}));
    CHECK(r.status == ReadStatus::Usable);
    REQUIRE(r.faces.faces.size() == 2);
    CHECK(r.faces.faces[0].status == ReadStatus::NotUsable);
    CHECK(r.faces.faces[1].status == ReadStatus::Usable);
    CHECK(ReadFaces(Collection({macOnly, macOnly})).status == ReadStatus::NotUsable);

    // The second face's name table lies past the end of the file.
    Bytes cut = Collection({good, good});
    cut.resize(CollectionFaceOffset({good, good}, 1) + 40);
    CHECK(ReadFaces(cut).status == ReadStatus::Fault);
}

TEST_CASE("a damaged collection header is a fault, never a crash or a long loop")
{
    const std::vector<Bytes> fonts = {SimpleFont(u"A", u"R", u"A R"), SimpleFont(u"B", u"R", u"B R")};
    const Bytes ttc = Collection(fonts);
    SUBCASE("no faces") { CHECK(ReadFaces(Collection(fonts, {1, 0u, {}})).status == ReadStatus::Fault); }
    SUBCASE("a face count past the file, or beyond any real collection")
    {
        CHECK(ReadFaces(Collection(fonts, {1, 900u, {}})).status == ReadStatus::Fault);
        CHECK(ReadFaces(Collection(fonts, {1, 0xFFFFFFFFu, {}})).status == ReadStatus::Fault);
        CHECK(ReadFaces(Collection(fonts, {1, ttf::kMaxFacesPerFile + 1, {}})).status == ReadStatus::Fault);
    }
    SUBCASE("a face offset outside the file or at 2^31")
    {
        for (std::uint32_t at : {0x00100000u, 0x7FFFFFF8u, 0x80000000u, 0xFFFFFFFFu}) {
            CAPTURE(at);
            CHECK(ReadFaces(Collection(fonts, {1, {}, {std::nullopt, at}})).status == ReadStatus::Fault);
        }
    }
    SUBCASE("two faces at one offset")
    {
        CHECK(ReadFaces(Collection(fonts, {1, {}, {std::nullopt, CollectionFaceOffset(fonts, 0)}})).status ==
              ReadStatus::Fault);
    }
    SUBCASE("a header cut short")
    {
        for (std::size_t size : {4, 8, 11, 12, 15}) {
            CAPTURE(size);
            CHECK(ReadFaces(Bytes(ttc.begin(), ttc.begin() + static_cast<std::ptrdiff_t>(size))).status == ReadStatus::Fault);
        }
    }
    SUBCASE("a thousand faces whose directories claim 65535 tables each stop at the file's budget")
    {
        // Faces 16 bytes apart over one long run of entries, each entry also an offset table of
        // 65535 tables: without a budget, 67 million entries.
        const std::uint32_t faces = ttf::kMaxFacesPerFile;
        const std::uint32_t first = 12 + 4 * faces;
        Bytes file{'t', 't', 'c', 'f', 0, 1, 0, 0};
        for (int shift : {24, 16, 8, 0}) file.push_back(static_cast<std::uint8_t>(faces >> shift));
        for (std::uint32_t i = 0; i < faces; ++i)
            for (int shift : {24, 16, 8, 0}) file.push_back(static_cast<std::uint8_t>((first + 16 * i) >> shift));
        const std::uint8_t entry[16] = {'z', 'z', 'z', 'z', 0xFF, 0xFF, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
        for (std::uint32_t i = 0; i < faces + 65536; ++i) file.insert(file.end(), entry, entry + 16);
        FacesResult r = ReadFaces(file);
        CHECK(r.status == ReadStatus::Fault);
        MESSAGE("reads: " << r.reads);
        CHECK(r.reads < 20000);
    }
}

TEST_CASE("the reader reads little, in few calls, and never a whole table")
{
    MemoryFile file(TrueTypeWriter()
                        .Add("OS/2", Os2Table(400, 0))
                        .Add("glyf", Bytes(200000, 0x55))
                        .Add("name", NameTable({MsName(1, u"Family"), MsName(2, u"Regular"), MsName(4, u"Family Regular"),
                                                Record(3, 1, 0x409, 0, Utf16Be(std::u16string(5000, u'c')))}))
                        .Add("zzzz", Bytes(100000, 0))
                        .Build());
    ttf::FontNames names;
    REQUIRE(ttf::ReadFontNames(file, names, [] { return std::uint16_t{0x409}; }) == ReadStatus::Usable);
    CHECK(file.reads <= 5);
    CHECK(file.bytes < 2000);
    MESSAGE("reads: " << file.reads << ", bytes: " << file.bytes);
}

// --- ReadTrueTypeInfo over real files ----------------------------------------------------------

namespace {

class TempFolder {
public:
    TempFolder()
    {
        char tmp[MAX_PATH] = {};
        GetTempPathA(MAX_PATH, tmp);
        m_path = std::string(tmp) + "typa-ttf-" + std::to_string(GetCurrentProcessId());
        CreateDirectoryA(m_path.c_str(), nullptr);
    }
    ~TempFolder()
    {
        WIN32_FIND_DATAA fd;
        HANDLE h = FindFirstFileA((m_path + "\\*").c_str(), &fd);
        if (h != INVALID_HANDLE_VALUE) {
            do {
                const std::string name = fd.cFileName;
                if (name == "." || name == "..") continue;
                const std::string p = m_path + "\\" + name;
                if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                    RemoveDirectoryA(p.c_str());
                else
                    DeleteFileA(p.c_str());
            } while (FindNextFileA(h, &fd));
            FindClose(h);
        }
        RemoveDirectoryA(m_path.c_str());
    }
    std::string Write(const std::string& name, const Bytes& data) const
    {
        const std::string p = m_path + "\\" + name;
        HANDLE h = CreateFileA(p.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        REQUIRE(h != INVALID_HANDLE_VALUE);
        DWORD written = 0;
        if (!data.empty()) WriteFile(h, data.data(), static_cast<DWORD>(data.size()), &written, nullptr);
        CloseHandle(h);
        return p;
    }
    const std::string& Path() const { return m_path; }

private:
    std::string m_path;
};

// True when nobody holds the file open: an exclusive open succeeds.
bool IsClosed(const std::string& path)
{
    HANDLE h = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    CloseHandle(h);
    return true;
}

std::string Message3008(const std::string& path)
{
    return "Le format du fichier " + path +
           " n'est pas un format TrueType correct.\nR\xE9" "clamez une nouvelle version de ce fichier \xE0 "
           "votre fournisseur.\n\nSouhaitez-vous poursuivre ?";
}

void FindFonts(const std::string& folder, std::vector<std::string>& out)
{
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA((folder + "\\*").c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE) return;
    do {
        const std::string name = fd.cFileName;
        if (name == "." || name == "..") continue;
        const std::string p = folder + "\\" + name;
        if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            FindFonts(p, out);
        else if (name.size() > 4 && lstrcmpiA(name.c_str() + name.size() - 4, ".ttf") == 0)
            out.push_back(p);
    } while (FindNextFileA(h, &fd));
    FindClose(h);
}

} // namespace

TEST_CASE("ReadTrueTypeInfo: a sound file, its creation record and the file closed")
{
    TempFolder dir;
    const std::string path = dir.Write("Sound.ttf", SimpleFont(u"Typa Caf\u00E9", u"Gras", u"Typa Caf\u00E9 Gras", 700, 0x0011));
    ScriptedBoxes boxes;
    TrueTypeInfo info;
    FontReadStats stats;
    std::vector<FontReadRequest> log;
    stats.log = &log;
    CHECK(ReadTrueTypeInfo(path, info, 0x040C, &stats) == TrueTypeOutcome::Usable);
    CHECK(info.family == "Typa Caf\xE9");
    CHECK(info.fullName == "Typa Caf\xE9 Gras");
    CHECK(info.subfamily == "Gras");
    CHECK(info.logFont.lfWeight == 700);
    CHECK(info.logFont.lfItalic == 1);
    CHECK(info.logFont.lfUnderline == 0);
    CHECK(info.logFont.lfStrikeOut == 1);
    CHECK(info.logFont.lfCharSet == DEFAULT_CHARSET);
    CHECK(std::string(info.logFont.lfFaceName) == "Typa Caf\xE9");
    CHECK(stats.reads == log.size());
    CHECK(stats.reads >= 1);
    CHECK(stats.bytes > 0);
    CHECK(boxes.Boxes().empty());
    CHECK(IsClosed(path));

    // The language of the system decides when none is given.
    const std::string two = dir.Write("Two.ttf", FontWithNames({MsName(1, u"F"), MsName(4, u"Nom complet", 1036),
                                                                  MsName(4, u"Full name", 1033)}));
    const LANGID language = sys::SystemLanguage();
    MESSAGE("system language: " << language);
    CHECK(language != 0);
    TrueTypeInfo viaSystem;
    REQUIRE(ReadTrueTypeInfo(two, viaSystem) == TrueTypeOutcome::Usable);
    CHECK(viaSystem.fullName == (language == 1033 ? "Full name" : "Nom complet"));
    TrueTypeInfo french;
    REQUIRE(ReadTrueTypeInfo(two, french, 1036) == TrueTypeOutcome::Usable);
    CHECK(french.fullName == "Nom complet");
}

TEST_CASE("ReadTrueTypeInfo: damaged files ask message 3008 with the full path")
{
    TempFolder dir;
    const Bytes font = SimpleFont(u"Fam", u"Regular", u"Fam Regular");
    const std::string zero = dir.Write("Zero.ttf", {});
    const std::string cut = dir.Write("Cut.ttf", Bytes(font.begin(), font.begin() + 20));
    const std::string past = dir.Write("Past.ttf", TrueTypeWriter()
                                                       .Add("OS/2", Os2Table(400, 0), 0x10000)
                                                       .Add("name", NameTable({MsName(1, u"F"), MsName(4, u"F")}))
                                                       .Build());

    for (const std::string& path : {zero, cut, past}) {
        CAPTURE(path);
        {
            ScriptedBoxes boxes{MsgResult::No};
            TrueTypeInfo info;
            CHECK(ReadTrueTypeInfo(path, info, 1036) == TrueTypeOutcome::StopScan);
            REQUIRE(boxes.Boxes().size() == 1);
            CHECK(boxes.Boxes()[0].text == Message3008(path));
            CHECK(boxes.Boxes()[0].text == FormatMessage(3008, {path}));
            CHECK(boxes.Boxes()[0].kind == MsgKind::Error);
            CHECK(boxes.Boxes()[0].buttons == (MsgButton::Yes | MsgButton::No));
            CHECK(IsClosed(path));
        }
        {
            ScriptedBoxes boxes{MsgResult::Yes};
            TrueTypeInfo info;
            CHECK(ReadTrueTypeInfo(path, info) == TrueTypeOutcome::NotUsable);
            CHECK(boxes.Boxes().size() == 1);
            CHECK(boxes.Pending() == 0);
            CHECK(IsClosed(path));
        }
    }
}

TEST_CASE("ReadTrueTypeInfo: files that cannot be opened give no message")
{
    TempFolder dir;
    ScriptedBoxes boxes;
    TrueTypeInfo info;
    info.family = "stale";
    CHECK(ReadTrueTypeInfo(dir.Path() + "\\Missing.ttf", info) == TrueTypeOutcome::NotFound);
    CHECK(info.family.empty());
    CHECK(ReadTrueTypeInfo(dir.Path() + "\\NoSuchFolder\\Missing.ttf", info) == TrueTypeOutcome::NotFound);

    const std::string folder = dir.Path() + "\\x.ttf";
    REQUIRE(CreateDirectoryA(folder.c_str(), nullptr));
    CHECK(ReadTrueTypeInfo(folder, info) == TrueTypeOutcome::NotUsable);

    // Held by another program that shares nothing.
    const std::string locked = dir.Write("Locked.ttf", SimpleFont(u"F", u"R", u"F R"));
    HANDLE h = CreateFileA(locked.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    REQUIRE(h != INVALID_HANDLE_VALUE);
    CHECK(ReadTrueTypeInfo(locked, info) == TrueTypeOutcome::NotUsable);
    CloseHandle(h);
    CHECK(ReadTrueTypeInfo(locked, info) == TrueTypeOutcome::Usable);
    CHECK(boxes.Boxes().empty());
}

TEST_CASE("ReadTrueTypeInfo: the fonts on this machine are usable")
{
    std::vector<std::string> fonts;
    FindFonts("Z:\\usr\\share\\wine\\fonts", fonts);
    FindFonts("Z:\\usr\\share\\fonts\\truetype", fonts);
    MESSAGE(fonts.size() << " .ttf files");
    REQUIRE(!fonts.empty());
    ScriptedBoxes boxes;
    const LANGID language = sys::SystemLanguage();
    std::size_t usable = 0;
    for (const std::string& path : fonts) {
        TrueTypeInfo info;
        const TrueTypeOutcome outcome = ReadTrueTypeInfo(path, info, language);
        CAPTURE(path);
        CHECK(outcome == TrueTypeOutcome::Usable);
        if (outcome != TrueTypeOutcome::Usable) continue;
        ++usable;
        CHECK(!info.family.empty());
        CHECK(!info.fullName.empty());
        CHECK(info.logFont.lfWeight >= 100);
        CHECK(std::string(info.logFont.lfFaceName) == info.family.substr(0, 31));
    }
    CHECK(boxes.Boxes().empty());

    const std::string dejavu = "Z:\\usr\\share\\fonts\\truetype\\dejavu\\DejaVuSans-Bold.ttf";
    if (GetFileAttributesA(dejavu.c_str()) != INVALID_FILE_ATTRIBUTES) {
        TrueTypeInfo info;
        REQUIRE(ReadTrueTypeInfo(dejavu, info, 1033) == TrueTypeOutcome::Usable);
        CHECK(info.family == "DejaVu Sans");
        CHECK(info.subfamily == "Bold");
        CHECK(info.fullName == "DejaVu Sans Bold");
        CHECK(info.logFont.lfWeight == 700);
        CHECK(info.logFont.lfItalic == 0);
    }
}
