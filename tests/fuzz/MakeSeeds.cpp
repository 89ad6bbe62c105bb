// Writes the fuzzer's seed corpus: crafted fonts built in code, and real fonts cut down to what
// the reader reads (their directory, the first 96 bytes of OS/2 and the whole name table).
//   ttf_seeds OUTDIR [FONT.ttf ...]
#include "support/TrueTypeWriter.h"

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

// The name table with every record kept but only the strings the reader reads.
Bytes CutDownNames(const Bytes& table)
{
    const unsigned count = U16(table, 2), stringOffset = U16(table, 4);
    std::vector<NameRecord> records;
    for (unsigned r = 0; r < count && 6 + 12 * (r + 1) <= table.size(); ++r) {
        const std::size_t at = 6 + 12 * r;
        NameRecord rec = Record(static_cast<std::uint16_t>(U16(table, at)), static_cast<std::uint16_t>(U16(table, at + 2)),
                                static_cast<std::uint16_t>(U16(table, at + 4)), static_cast<std::uint16_t>(U16(table, at + 6)), {});
        const unsigned id = rec.nameId;
        const std::size_t from = stringOffset + U16(table, at + 10), length = U16(table, at + 8);
        if (rec.platformId == 3 && (id == 1 || id == 2 || id == 4) && from + length <= table.size())
            rec.text.assign(table.begin() + static_cast<std::ptrdiff_t>(from),
                            table.begin() + static_cast<std::ptrdiff_t>(from + length));
        records.push_back(std::move(rec));
    }
    return NameTable(records);
}

// The real font with every table but OS/2 and name emptied, in its own directory order.
bool CutDown(const Bytes& font, Bytes& out)
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
        else if (tag != "name")
            length = 0;
        if (offset > font.size() || length > font.size() - offset) return false;
        Bytes data(font.begin() + offset, font.begin() + offset + length);
        w.Add(tag, tag == "name" ? CutDownNames(data) : data);
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

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s OUTDIR [FONT.ttf ...]\n", argv[0]);
        return 2;
    }
    const std::string dir = argv[1];
    int written = 0;
    for (const auto& [name, data] : Crafted()) {
        Write(dir, "crafted-" + name, data);
        ++written;
    }
    for (int i = 2; i < argc; ++i) {
        std::ifstream in(argv[i], std::ios::binary);
        const Bytes font((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        Bytes cut;
        if (!CutDown(font, cut)) {
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
