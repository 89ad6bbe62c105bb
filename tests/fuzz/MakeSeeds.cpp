// Writes the fuzzer's seed corpus: crafted fonts built in code, and real fonts cut down to what
// the reader reads (their directory, the first 96 bytes of OS/2 and the whole name table).
// With --details, the seeds of the font sheet's deeper read instead: crafted fonts with cmaps,
// and real fonts cut down to OS/2, maxp, cmap and the names the sheet shows.
//   ttf_seeds [--details] OUTDIR [FONT.ttf ...]
#include "support/TrueTypeWriter.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

using namespace typa::test;

namespace {

void Write(const std::string& dir, const std::string& name, const Bytes& data)
{
    std::ofstream out(dir + "/" + name, std::ios::binary);
    out.write(reinterpret_cast<const char*>(data.data()), static_cast<std::streamsize>(data.size()));
}

unsigned U16(const Bytes& b, std::size_t at) { return at + 2 <= b.size() ? (b[at] << 8) | b[at + 1] : 0; }
std::uint32_t U32(const Bytes& b, std::size_t at) { return (U16(b, at) << 16) | U16(b, at + 2); }

// The names each read looks at: the scan's platform-3 family, subfamily and full name; the
// sheet's names of platforms 0 and 3.
bool ScanName(unsigned platform, unsigned id) { return platform == 3 && (id == 1 || id == 2 || id == 4); }
bool SheetName(unsigned platform, unsigned id)
{
    return (platform == 0 || platform == 3) && (id <= 2 || id == 4 || id == 5 || (id >= 7 && id <= 10) || id == 13 ||
                                                id == 14 || id == 16 || id == 17);
}

struct CutRules {
    bool details = false;
    std::size_t maxString = 65535; // longer strings are cut to this many bytes
};

// The name table with every record kept but only the strings the read looks at.
Bytes CutDownNames(const Bytes& table, const CutRules& rules)
{
    const unsigned count = U16(table, 2), stringOffset = U16(table, 4);
    std::vector<NameRecord> records;
    for (unsigned r = 0; r < count && 6 + 12 * (r + 1) <= table.size(); ++r) {
        const std::size_t at = 6 + 12 * r;
        NameRecord rec = Record(static_cast<std::uint16_t>(U16(table, at)), static_cast<std::uint16_t>(U16(table, at + 2)),
                                static_cast<std::uint16_t>(U16(table, at + 4)), static_cast<std::uint16_t>(U16(table, at + 6)), {});
        const std::size_t from = stringOffset + U16(table, at + 10), length = U16(table, at + 8);
        const bool wanted = rules.details ? SheetName(rec.platformId, rec.nameId) : ScanName(rec.platformId, rec.nameId);
        if (wanted && from + length <= table.size())
            rec.text.assign(table.begin() + static_cast<std::ptrdiff_t>(from),
                            table.begin() + static_cast<std::ptrdiff_t>(from + std::min(length, rules.maxString)));
        records.push_back(std::move(rec));
    }
    return NameTable(records);
}

// The real font with every table but those the read looks at emptied, in its own directory
// order: OS/2 and name for the scan; OS/2, maxp, cmap and name for the sheet.
bool CutDown(const Bytes& font, const CutRules& rules, Bytes& out)
{
    if (font.size() < 12) return false;
    const unsigned n = U16(font, 4);
    if (font.size() < 12 + 16u * n) return false;
    TrueTypeWriter w;
    w.Version(U32(font, 0));
    for (unsigned i = 0; i < n; ++i) {
        const std::size_t e = 12 + 16 * i;
        const std::string tag(font.begin() + static_cast<std::ptrdiff_t>(e), font.begin() + static_cast<std::ptrdiff_t>(e + 4));
        const std::uint32_t offset = U32(font, e + 8);
        std::uint32_t length = U32(font, e + 12);
        if (tag == "OS/2")
            length = std::min<std::uint32_t>(length, 96);
        else if (rules.details && tag == "maxp")
            length = std::min<std::uint32_t>(length, 32);
        else if (tag != "name" && !(rules.details && tag == "cmap"))
            length = 0;
        if (offset > font.size() || length > font.size() - offset) return false;
        Bytes data(font.begin() + offset, font.begin() + offset + length);
        w.Add(tag, tag == "name" ? CutDownNames(data, rules) : data);
    }
    out = w.Build();
    return true;
}

std::vector<std::pair<std::string, Bytes>> Crafted()
{
    std::vector<std::pair<std::string, Bytes>> v;
    auto names = [](std::vector<NameRecord> r) {
        return TrueTypeWriter().Add("OS/2", Os2Table(400, 0)).Add("name", NameTable(r)).Build();
    };
    v.emplace_back("simple", SimpleFont(u"Typa", u"Regular", u"Typa Regular"));
    v.emplace_back("style-0013", SimpleFont(u"Typa", u"Italic", u"Typa Italic", 300, 0x0013));
    v.emplace_back("languages", names({MsName(1, u"F"), MsName(4, u"Full", 1033), MsName(4, u"Nom", 1036),
                                       MsName(2, u"Gras", 1036), MsName(1, u"Famille", 1036)}));
    v.emplace_back("mac-only", names({Record(1, 0, 0, 1, Raw("Mac")), Record(1, 0, 0, 4, Raw("Mac R"))}));
    v.emplace_back("forty", names({MsName(1, u"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmn"), MsName(4, u"F")}));
    v.emplace_back("accents", names({MsName(1, u"Caf\u00E9 \u0152"), MsName(4, u"\u0100x")}));
    NameRecord odd = MsName(1, u"Abcd");
    odd.text.resize(7);
    v.emplace_back("odd", names({odd, MsName(4, u"F")}));
    v.emplace_back("name-first", TrueTypeWriter()
                                     .Add("name", NameTable({MsName(1, u"F"), MsName(4, u"F")}))
                                     .Add("OS/2", Os2Table(400, 0))
                                     .Build());
    v.emplace_back("two-names", TrueTypeWriter()
                                    .Add("name", NameTable({MsName(4, u"F")}))
                                    .Add("OS/2", Os2Table(400, 0))
                                    .Add("name", NameTable({MsName(1, u"F"), MsName(4, u"G", 1036)}))
                                    .Build());
    v.emplace_back("otto", TrueTypeWriter()
                               .Version(0x4F54544F)
                               .Add("OS/2", Os2Table(400, 0, 78))
                               .Add("name", NameTable({MsName(1, u"F"), MsName(4, u"F")}))
                               .ReverseData()
                               .Build());
    NameRecord self = MsName(1, u"");
    self.length = 30;
    self.offset = 2;
    v.emplace_back("self", TrueTypeWriter()
                               .Add("OS/2", Os2Table(400, 0))
                               .Add("name", NameTable({self, MsName(4, u"F")}, {std::nullopt, std::uint16_t{0}}))
                               .Build());
    v.emplace_back("big-count", TrueTypeWriter()
                                    .Add("OS/2", Os2Table(400, 0))
                                    .Add("name", NameTable({MsName(1, u"F")}, {std::uint16_t{65535}, {}}))
                                    .Build());
    v.emplace_back("far-offset", TrueTypeWriter()
                                     .Add("OS/2", Os2Table(400, 0), 0x80000000u)
                                     .Add("name", NameTable({MsName(1, u"F"), MsName(4, u"F")}))
                                     .Build());
    NameRecord tooLong = MsName(1, std::u16string(201, u'a'));
    v.emplace_back("too-long", names({tooLong, MsName(4, u"F")}));
    v.emplace_back("many-tables", TrueTypeWriter()
                                      .Add("OS/2", Os2Table(400, 0))
                                      .Add("name", NameTable({MsName(1, u"F"), MsName(4, u"F")}))
                                      .NumTables(300)
                                      .Build());
    const Bytes simple = SimpleFont(u"Cut", u"Regular", u"Cut Regular");
    v.emplace_back("cut-directory", Bytes(simple.begin(), simple.begin() + 20));
    v.emplace_back("empty", Bytes{});
    return v;
}

// Fonts for the sheet's read: each cmap format and kind, languages, long and damaged names.
std::vector<std::pair<std::string, Bytes>> CraftedDetails()
{
    std::vector<std::pair<std::string, Bytes>> v;
    auto withCmap = [](std::vector<CmapSubtable> subtables) {
        return TrueTypeWriter()
            .Add("OS/2", Os2Table(400, 0, 96, 5, 0x0004))
            .Add("cmap", CmapTable(subtables))
            .Add("glyf", Bytes(4, 0))
            .Add("maxp", MaxpTable(40))
            .Add("name", NameTable({MsName(1, u"Typa"), MsName(13, u"Licence", 0x040C)}))
            .Build();
    };
    v.emplace_back("detailed", DetailedFont());
    v.emplace_back("format4", withCmap({{3, 1, CmapFormat4({{0x20, 0x7E, 3, {}}, {0xE0, 0xE3, 0, {4, 0, 6, 7}}}), {}}}));
    v.emplace_back("format12", withCmap({{3, 10, CmapFormat12({{0x20, 0x7E, 3}, {0x2013, 0x2026, 0}, {0x1F600, 0x1F601, 9}}), {}},
                                         {3, 1, CmapFormat4({{0x20, 0x7E, 3, {}}}), {}}}));
    v.emplace_back("symbol", withCmap({{3, 0, CmapFormat4({{0xF020, 0xF0FF, 3, {}}}), {}}}));
    std::vector<std::uint8_t> glyphs(256, 0);
    for (std::size_t c = 0x20; c < 0x80; ++c) glyphs[c] = static_cast<std::uint8_t>(c);
    v.emplace_back("format0", withCmap({{0, 3, CmapFormat0(glyphs), {}}, {1, 0, CmapFormat0(glyphs), {}}}));
    v.emplace_back("cff", TrueTypeWriter()
                              .Version(0x4F54544F)
                              .Add("CFF ", Bytes(4, 0))
                              .Add("OS/2", Os2Table(700, 0, 78, 3, 0x0302))
                              .Add("name", NameTable({MsName(16, u"Typa"), MsName(17, u"Gras"), MsName(0, u"\u00A9 2024\r\nTypa")}))
                              .Build());
    NameRecord outside = MsName(13, u"Licence");
    outside.offset = 3000;
    v.emplace_back("names-outside", TrueTypeWriter()
                                        .Add("name", NameTable({outside, MsName(1, u"Typa"), Record(0, 3, 0, 5, Utf16Be(u"1.0"))}))
                                        .Build());
    return v;
}

} // namespace

int main(int argc, char** argv)
{
    int first = 1;
    CutRules rules;
    if (argc > 1 && std::string(argv[1]) == "--details") {
        rules.details = true;
        rules.maxString = 240;
        ++first;
    }
    if (argc <= first) {
        std::fprintf(stderr, "usage: %s [--details] OUTDIR [FONT.ttf ...]\n", argv[0]);
        return 2;
    }
    const std::string dir = argv[first];
    int written = 0;
    for (const auto& [name, data] : rules.details ? CraftedDetails() : Crafted()) {
        Write(dir, "crafted-" + name, data);
        ++written;
    }
    for (int i = first + 1; i < argc; ++i) {
        std::ifstream in(argv[i], std::ios::binary);
        const Bytes font((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        Bytes cut;
        if (!CutDown(font, rules, cut)) {
            std::fprintf(stderr, "ttf_seeds: skipped %s\n", argv[i]);
            continue;
        }
        std::string base = argv[i];
        base = base.substr(base.find_last_of('/') + 1);
        Write(dir, "real-" + base, cut);
        ++written;
    }
    std::printf("%d seeds in %s\n", written, dir.c_str());
    return 0;
}
