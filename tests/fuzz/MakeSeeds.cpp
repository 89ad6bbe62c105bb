// Writes the fuzzer's seed corpus: crafted fonts and collections built in code, and real fonts
// and collections cut down to what the reader reads (the collection's header, every face's
// directory, the first 96 bytes of OS/2 and the names it looks at, tables shared as before).
// With --details, the seeds of the font sheet's deeper read instead: crafted fonts with cmaps,
// and real fonts cut down to OS/2, maxp, cmap and the names the sheet shows, a collection also
// once for each face, chosen by its last byte. A seed stays within the fuzzer's longest input
// (4096 bytes, 16384 with --details): what does not fit loses the records the read skips, then
// the end of its cmap, and a collection that still does not fit is written as several, each of
// some of its faces.
//   ttf_seeds [--details] OUTDIR [FONT.ttf|.otf|.ttc|.otc ...]
#include "support/TrueTypeWriter.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <string>
#include <tuple>
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

void Put16(Bytes& b, unsigned v)
{
    b.push_back(static_cast<std::uint8_t>(v >> 8));
    b.push_back(static_cast<std::uint8_t>(v));
}

void Put32(Bytes& b, std::uint32_t v)
{
    Put16(b, v >> 16);
    Put16(b, v & 0xFFFF);
}

void Set32(Bytes& b, std::size_t at, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i) b[at + i] = static_cast<std::uint8_t>(v >> (24 - 8 * i));
}

// The names each read looks at: the scan's platform-3 family, subfamily, full and PostScript
// names; the sheet's names of platforms 0 and 3.
bool ScanName(unsigned platform, unsigned id) { return platform == 3 && (id == 1 || id == 2 || id == 4 || id == 6); }
bool SheetName(unsigned platform, unsigned id)
{
    return (platform == 0 || platform == 3) && (id <= 2 || id == 4 || id == 5 || (id >= 7 && id <= 10) || id == 13 ||
                                                id == 14 || id == 16 || id == 17);
}

struct CutRules {
    bool details = false;
    std::size_t maxString = 65535; // longer strings are cut to this many bytes
    std::size_t maxSize = 4096;    // the fuzzer's longest input
};

// How far a real font is cut: everything it reads, or only the records it looks at and as much
// of cmap as fits.
struct Cut {
    bool readRecordsOnly = false;
    std::size_t cmapBytes = SIZE_MAX;
};

// The name table with the strings the read looks at: every record kept (the others with empty
// strings), or only the records it looks at.
Bytes CutDownNames(const Bytes& table, const CutRules& rules, const Cut& cut)
{
    const unsigned count = U16(table, 2), stringOffset = U16(table, 4);
    std::vector<NameRecord> records;
    for (unsigned r = 0; r < count && 6 + 12 * (r + 1) <= table.size(); ++r) {
        const std::size_t at = 6 + 12 * r;
        NameRecord rec = Record(static_cast<std::uint16_t>(U16(table, at)), static_cast<std::uint16_t>(U16(table, at + 2)),
                                static_cast<std::uint16_t>(U16(table, at + 4)), static_cast<std::uint16_t>(U16(table, at + 6)), {});
        const std::size_t from = stringOffset + U16(table, at + 10), length = U16(table, at + 8);
        const bool wanted = rules.details ? SheetName(rec.platformId, rec.nameId) : ScanName(rec.platformId, rec.nameId);
        if (!wanted && cut.readRecordsOnly) continue;
        if (wanted && from + length <= table.size())
            rec.text.assign(table.begin() + static_cast<std::ptrdiff_t>(from),
                            table.begin() + static_cast<std::ptrdiff_t>(from + std::min(length, rules.maxString)));
        records.push_back(std::move(rec));
    }
    return NameTable(records);
}

// A face of a real file: its offset table's fields and its directory as the file gives them.
struct Entry {
    std::string tag;
    std::uint32_t checksum, offset, length;
};
struct Face {
    Bytes offsetTable; // 12 bytes
    std::vector<Entry> entries;
};
struct Source {
    bool collection = false;
    Bytes header; // a collection's tag and version
    std::vector<Face> faces;
};

// False when a header, a directory or a table does not lie inside the file.
bool Parse(const Bytes& font, Source& out)
{
    std::vector<std::uint32_t> offsets{0};
    if (font.size() >= 12 && std::equal(font.begin(), font.begin() + 4, "ttcf")) {
        out.collection = true;
        out.header.assign(font.begin(), font.begin() + 8);
        const std::uint32_t count = U32(font, 8);
        if (count == 0 || 12 + 4 * std::uint64_t{count} > font.size()) return false;
        offsets.clear();
        for (std::uint32_t i = 0; i < count; ++i) offsets.push_back(U32(font, 12 + 4 * i));
    }
    for (std::uint32_t at : offsets) {
        if (std::uint64_t{at} + 12 > font.size()) return false;
        Face face;
        face.offsetTable.assign(font.begin() + at, font.begin() + at + 12);
        const unsigned n = U16(font, at + 4);
        if (std::uint64_t{at} + 12 + 16 * n > font.size()) return false;
        for (unsigned i = 0; i < n; ++i) {
            const std::size_t e = at + 12 + 16 * i;
            Entry entry{std::string(font.begin() + static_cast<std::ptrdiff_t>(e), font.begin() + static_cast<std::ptrdiff_t>(e + 4)),
                        U32(font, e + 4), U32(font, e + 8), U32(font, e + 12)};
            if (entry.offset > font.size() || entry.length > font.size() - entry.offset) return false;
            face.entries.push_back(std::move(entry));
        }
        out.faces.push_back(std::move(face));
    }
    return true;
}

// What is kept of one table: OS/2 and name for the scan; OS/2, maxp, cmap and name for the sheet.
Bytes CutTable(const Bytes& font, const Entry& e, const CutRules& rules, const Cut& cut)
{
    std::size_t length = e.length;
    if (e.tag == "OS/2")
        length = std::min<std::size_t>(length, 96);
    else if (rules.details && e.tag == "maxp")
        length = std::min<std::size_t>(length, 32);
    else if (rules.details && e.tag == "cmap")
        length = std::min(length, cut.cmapBytes);
    else if (e.tag != "name")
        length = 0;
    const Bytes data(font.begin() + e.offset, font.begin() + e.offset + length);
    return e.tag == "name" ? CutDownNames(data, rules, cut) : data;
}

// The faces `first` to `last` (excluded) of `source` as a file of their own: a collection keeps
// its header, each face its directory; a table that faces share is written once.
Bytes Build(const Bytes& font, const Source& source, std::size_t first, std::size_t last, const CutRules& rules,
            const Cut& cut)
{
    Bytes out;
    const std::uint32_t count = static_cast<std::uint32_t>(last - first);
    std::size_t pos = 0;
    if (source.collection) {
        out = source.header;
        Put32(out, count);
        const bool signature = U16(source.header, 4) >= 2; // version 2: no signature, all zero
        pos = out.size() + 4 * count + (signature ? 12 : 0);
        for (std::size_t f = first; f < last; ++f) {
            Put32(out, static_cast<std::uint32_t>(pos));
            pos += 12 + 16 * source.faces[f].entries.size();
        }
        if (signature) out.resize(out.size() + 12, 0);
    }
    // Each table once, by where it lay and what it was, in the order the directories name them.
    std::map<std::tuple<std::string, std::uint32_t, std::uint32_t>, std::pair<std::uint32_t, std::uint32_t>> placed;
    Bytes tables;
    std::size_t tablesAt = pos ? pos : 12 + 16 * source.faces[first].entries.size();
    for (std::size_t f = first; f < last; ++f) {
        const Face& face = source.faces[f];
        out.insert(out.end(), face.offsetTable.begin(), face.offsetTable.end());
        for (const Entry& e : face.entries) {
            const auto key = std::make_tuple(e.tag, e.offset, e.length);
            auto it = placed.find(key);
            if (it == placed.end()) {
                const Bytes data = CutTable(font, e, rules, cut);
                it = placed.emplace(key, std::make_pair(static_cast<std::uint32_t>(tablesAt + tables.size()),
                                                        static_cast<std::uint32_t>(data.size())))
                         .first;
                tables.insert(tables.end(), data.begin(), data.end());
                tables.resize((tables.size() + 3) & ~std::size_t{3}, 0);
            }
            out.insert(out.end(), e.tag.begin(), e.tag.end());
            Put32(out, e.checksum);
            Put32(out, it->second.first);
            Put32(out, it->second.second);
        }
    }
    out.insert(out.end(), tables.begin(), tables.end());
    return out;
}

// The real font or collection cut down to seeds that fit: named by the faces each holds when
// there are several.
std::vector<std::pair<std::string, Bytes>> CutDown(const Bytes& font, const CutRules& rules)
{
    Source source;
    if (!Parse(font, source) || source.faces.empty()) return {};
    const std::size_t n = source.faces.size();
    Bytes whole = Build(font, source, 0, n, rules, {});
    if (whole.size() <= rules.maxSize) return {{"", whole}};

    // The records the read skips go, then the end of each cmap, sharing what room is left.
    Cut cut{true, 0};
    const Bytes bare = Build(font, source, 0, n, rules, cut);
    std::set<std::pair<std::uint32_t, std::uint32_t>> cmaps;
    for (const Face& face : source.faces)
        for (const Entry& e : face.entries)
            if (e.tag == "cmap") cmaps.insert({e.offset, e.length});
    if (bare.size() <= rules.maxSize) {
        cut.cmapBytes = cmaps.empty() ? 0 : (rules.maxSize - bare.size()) / cmaps.size() & ~std::size_t{3};
        return {{"", Build(font, source, 0, n, rules, cut)}};
    }

    // A collection too big even so: as many faces in each seed as fit, with a little of cmap.
    cut.cmapBytes = 512;
    std::vector<std::pair<std::string, Bytes>> seeds;
    for (std::size_t first = 0; first < n;) {
        std::size_t last = first + 1;
        Bytes seed = Build(font, source, first, last, rules, cut);
        while (last < n) {
            Bytes more = Build(font, source, first, last + 1, rules, cut);
            if (more.size() > rules.maxSize) break;
            seed = std::move(more);
            ++last;
        }
        if (seed.size() > rules.maxSize) std::fprintf(stderr, "ttf_seeds: face %zu alone is %zu bytes\n", first, seed.size());
        seeds.emplace_back("-faces" + std::to_string(first) + "-" + std::to_string(last - 1), std::move(seed));
        first = last;
    }
    return seeds;
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

    // Names the code page cannot hold: another record of the name, else the PostScript name.
    const std::u16string cyrillic = u"\u0428\u0440\u0438\u0444\u0442";
    v.emplace_back("cyrillic-postscript", names({MsName(1, cyrillic, 0x0419), MsName(2, cyrillic, 0x0419),
                                                 MsName(4, cyrillic + u" 1", 0x0419), MsName(6, u"Shrift-Other", 0x0419),
                                                 MsName(6, u"Shrift-Regular")}));
    v.emplace_back("cyrillic-alone", names({MsName(1, cyrillic), MsName(4, cyrillic + u" 2", 0x0419)}));
    v.emplace_back("fallback-order", names({MsName(4, cyrillic, 0x040C), MsName(4, u"Deutsch", 0x0407),
                                            MsName(4, u"English"), MsName(4, u"Fran\u00E7ais", 0x040C),
                                            MsName(1, u"Last English"), MsName(1, u"Deutsch", 0x0407),
                                            MsName(1, cyrillic, 0x0419), MsName(2, u"\u0152uvre \u20AC")}));
    // A pair, a lone high and a lone low surrogate, a C1 control, a NUL before the end.
    const std::u16string family{u'A', 0xD83D, 0xDE00, u'B', 0xD800, u'C'};
    const std::u16string full{0xDC00, 0x0081, u'x', 0, u'y'};
    v.emplace_back("surrogates", names({MsName(1, family), MsName(4, full)}));
    NameRecord farPostScript = MsName(6, u"PS");
    farPostScript.offset = 60000;
    v.emplace_back("postscript-outside", names({MsName(1, cyrillic), MsName(4, u"Full"), farPostScript}));
    v.emplace_back("postscript-too-long", names({MsName(1, u"F"), MsName(4, cyrillic), MsName(6, std::u16string(201, u'p'))}));
    v.emplace_back("postscript-longest", names({MsName(1, u"F"), MsName(4, cyrillic), MsName(6, std::u16string(200, u'p'))}));
    // Not needed, so never read: a family that fits stands in.
    v.emplace_back("postscript-unneeded", names({MsName(1, u"English"), MsName(1, cyrillic, 0x0419), MsName(4, u"Full"),
                                                 farPostScript}));

    // Collections: versions 1 and 2, 'OTTO' faces, a face that is not usable, shared tables.
    const Bytes otto = TrueTypeWriter()
                           .Version(0x4F54544F)
                           .Add("CFF ", Bytes(8, 1))
                           .Add("OS/2", Os2Table(400, 0x0001, 78))
                           .Add("name", NameTable({MsName(1, u"Otto"), MsName(2, u"Italic"), MsName(4, u"Otto Italic"),
                                                   MsName(4, u"Otto Italique", 0x040C)}))
                           .Build();
    const Bytes macOnly = TrueTypeWriter().Add("OS/2", Os2Table(400, 0)).Add("name", NameTable({Record(1, 0, 0, 4, Raw("Mac"))})).Build();
    const Bytes cyrillicFace = names({MsName(1, cyrillic, 0x0419), MsName(4, cyrillic, 0x0419), MsName(6, u"Shrift")});
    const std::vector<Bytes> faces = {SimpleFont(u"Typa", u"Regular", u"Typa Regular"),
                                      SimpleFont(u"Typa", u"Bold", u"Typa Bold", 700), otto};
    v.emplace_back("ttc-v1", Collection(faces));
    CollectionOptions v2;
    v2.majorVersion = 2;
    v.emplace_back("ttc-v2", Collection(faces, v2));
    v.emplace_back("ttc-otto", Collection({otto, otto}));
    v.emplace_back("ttc-unusable-face", Collection({macOnly, faces[0]}));
    v.emplace_back("ttc-cyrillic", Collection({cyrillicFace, names({MsName(1, cyrillic), MsName(4, cyrillic)}), faces[1]}));
    Bytes shared = Collection(faces);
    // The second face's OS/2 and name are the first face's.
    const std::uint32_t face1 = CollectionFaceOffset(faces, 0), face2 = CollectionFaceOffset(faces, 1);
    for (int e = 0; e < 2; ++e) Set32(shared, face2 + 12 + 16 * e + 8, U32(shared, face1 + 12 + 16 * e + 8));
    v.emplace_back("ttc-shared", shared);

    // Damaged headers: no faces, too many, a count past the file, offsets at 2^31 or past the
    // file, two faces at one offset, a header cut short.
    v.emplace_back("ttc-no-faces", Collection(faces, {1, 0u, {}}));
    v.emplace_back("ttc-too-many", Collection(faces, {1, 1025u, {}}));
    v.emplace_back("ttc-count-past-file", Collection(faces, {1, 900u, {}}));
    v.emplace_back("ttc-offset-2g", Collection(faces, {1, {}, {std::nullopt, 0x80000000u}}));
    v.emplace_back("ttc-offset-edge", Collection(faces, {1, {}, {std::nullopt, 0x7FFFFFF4u}}));
    v.emplace_back("ttc-offset-past-edge", Collection(faces, {1, {}, {std::nullopt, 0x7FFFFFF5u}}));
    v.emplace_back("ttc-offset-past-file", Collection(faces, {1, {}, {std::nullopt, 0x00100000u}}));
    v.emplace_back("ttc-same-offset", Collection(faces, {1, {}, {std::nullopt, CollectionFaceOffset(faces, 0)}}));
    const Bytes ttc = Collection(faces);
    v.emplace_back("ttc-cut-header", Bytes(ttc.begin(), ttc.begin() + 14));

    // Faces 16 bytes apart over one run of directory entries, each an offset table too.
    Bytes overlapping{'t', 't', 'c', 'f', 0, 1, 0, 0};
    const std::uint32_t count = 64, first = 12 + 4 * count;
    Put32(overlapping, count);
    for (std::uint32_t i = 0; i < count; ++i) Put32(overlapping, first + 16 * i);
    const std::uint32_t nameAt = first + 16 * (count + 40);
    for (std::uint32_t i = 0; i < count + 40; ++i) {
        overlapping.insert(overlapping.end(), {'n', 'a', 'm', 'e', 0, 40, 0, 0});
        Put32(overlapping, nameAt);
        Put32(overlapping, 0);
    }
    const Bytes table = NameTable({MsName(4, u"Full"), MsName(2, u"Sub")});
    overlapping.insert(overlapping.end(), table.begin(), table.end());
    v.emplace_back("ttc-overlapping", overlapping);
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

    // Collections; the last byte chooses the face read, so each is also written ending in the
    // number of its last face.
    const std::vector<Bytes> faces = {DetailedFont(), v[5].second, v[6].second};
    auto withLastFace = [](Bytes b, std::uint8_t face) {
        b.push_back(face);
        return b;
    };
    CollectionOptions v2;
    v2.majorVersion = 2;
    v.emplace_back("ttc-v1", Collection(faces));
    v.emplace_back("ttc-v1-face2", withLastFace(Collection(faces), 2));
    v.emplace_back("ttc-v2-face1", withLastFace(Collection(faces, v2), 1));
    Bytes shared = Collection({DetailedFont(), DetailedFont()});
    // The second face's cmap and OS/2 are the first face's.
    const std::uint32_t face1 = CollectionFaceOffset({DetailedFont(), DetailedFont()}, 0);
    const std::uint32_t face2 = CollectionFaceOffset({DetailedFont(), DetailedFont()}, 1);
    for (int e = 0; e < 2; ++e) Set32(shared, face2 + 12 + 16 * e + 8, U32(shared, face1 + 12 + 16 * e + 8));
    v.emplace_back("ttc-shared-face1", withLastFace(shared, 1));
    v.emplace_back("ttc-no-faces", Collection(faces, {1, 0u, {}}));
    v.emplace_back("ttc-same-offset-face1", withLastFace(Collection(faces, {1, {}, {std::nullopt, CollectionFaceOffset(faces, 0)}}), 1));
    v.emplace_back("ttc-offset-past-file-face1", withLastFace(Collection(faces, {1, {}, {std::nullopt, 0x00100000u}}), 1));
    v.emplace_back("ttc-offset-2g-face1", withLastFace(Collection(faces, {1, {}, {std::nullopt, 0x80000000u}}), 1));
    v.emplace_back("ttc-count-past-file-face2", withLastFace(Collection(faces, {1, 900u, {}}), 2));
    v.emplace_back("ttc-too-many-face2", withLastFace(Collection(faces, {1, 1025u, {}}), 2));
    v.emplace_back("ttc-face-not-there", withLastFace(Collection(faces), 3));
    return v;
}

// The sheet's read takes the face the input's last byte chooses: a real collection's seed once
// for each of its faces (the first 16), so that every face of it is read from the start.
std::vector<std::pair<std::string, Bytes>> EachFace(const Bytes& seed, std::size_t maxSize)
{
    std::vector<std::pair<std::string, Bytes>> v;
    if (seed.size() < 16 || !std::equal(seed.begin(), seed.begin() + 4, "ttcf")) return v;
    const std::uint32_t faces = std::min<std::uint32_t>(U32(seed, 8), 16);
    for (std::uint32_t face = 0; face < faces; ++face) {
        Bytes b = seed;
        // Past the tables when there is room, else over the last byte of the last one.
        if (b.size() < maxSize) b.push_back(0);
        b.back() = static_cast<std::uint8_t>(face);
        v.emplace_back("-face" + std::to_string(face), std::move(b));
    }
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
        rules.maxSize = 16384;
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
        const auto seeds = CutDown(font, rules);
        if (seeds.empty()) {
            std::fprintf(stderr, "ttf_seeds: skipped %s\n", argv[i]);
            continue;
        }
        std::string base = argv[i];
        base = base.substr(base.find_last_of('/') + 1);
        for (const auto& [suffix, data] : seeds) {
            Write(dir, "real-" + base + suffix, data);
            ++written;
            if (!rules.details) continue;
            for (const auto& [faceSuffix, chosen] : EachFace(data, rules.maxSize)) {
                Write(dir, "real-" + base + suffix + faceSuffix, chosen);
                ++written;
            }
        }
    }
    std::printf("%d seeds in %s\n", written, dir.c_str());
    return 0;
}
