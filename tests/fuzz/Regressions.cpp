// Replays the crashers found by fuzzing (built here in code) and, when given a folder, every
// file of a corpus, through the checks of both fuzz targets.
//   ttf_regressions [CORPUS_DIR]
#include "FuzzFontDetails.h"
#include "FuzzTrueTypeReader.h"
#include "fonts/TrueTypeReader.h"
#include "support/MemoryFile.h"
#include "support/TrueTypeWriter.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <tuple>
#include <vector>

using namespace typa::test;

namespace {

// Inputs that once broke the reader or the fuzz target's checks. None so far: every run of
// the fuzzer (see run.sh) has ended without a crash, a leak or a sanitizer report.
std::vector<std::pair<const char*, Bytes>> Crashers()
{
    std::vector<std::pair<const char*, Bytes>> v;
    return v;
}

void Put32(Bytes& b, std::uint32_t v)
{
    for (int shift : {24, 16, 8, 0}) b.push_back(static_cast<std::uint8_t>(v >> shift));
}

// A collection header of version 1 for faces at `offsets`.
Bytes CollectionHeader(const std::vector<std::uint32_t>& offsets)
{
    Bytes b{'t', 't', 'c', 'f', 0, 1, 0, 0};
    Put32(b, static_cast<std::uint32_t>(offsets.size()));
    for (std::uint32_t at : offsets) Put32(b, at);
    return b;
}

// A face's offset table and a directory of `tables` entries, each {tag, offset}.
void PutDirectory(Bytes& b, const std::vector<std::pair<const char*, std::uint32_t>>& tables)
{
    Put32(b, 0x00010000);
    b.insert(b.end(), {0, static_cast<std::uint8_t>(tables.size()), 0, 0, 0, 0, 0, 0});
    for (const auto& [tag, offset] : tables) {
        b.insert(b.end(), tag, tag + 4);
        Put32(b, 0);
        Put32(b, offset);
        Put32(b, 0);
    }
}

// A name table of `count` records of which only the last is a platform-3 full name: the face
// goes on to its next name table, with no family yet.
Bytes LongNameTable(std::uint16_t count)
{
    std::vector<NameRecord> records(count - 1u, Record(1, 0, 0, 4, Raw("M")));
    records.push_back(MsName(4, u"Full"));
    return NameTable(records);
}

// Faces with `tables` entries each (of no table the reader reads) in one collection.
Bytes ManyEntries(const std::vector<std::uint16_t>& tables)
{
    std::vector<std::uint32_t> offsets;
    std::uint32_t at = 12 + 4 * static_cast<std::uint32_t>(tables.size());
    for (std::uint16_t n : tables) {
        offsets.push_back(at);
        at += 12 + 16 * n;
    }
    Bytes file = CollectionHeader(offsets);
    for (std::uint16_t n : tables) {
        Put32(file, 0x00010000);
        file.insert(file.end(), {static_cast<std::uint8_t>(n >> 8), static_cast<std::uint8_t>(n), 0, 0, 0, 0, 0, 0});
        file.resize(file.size() + 16 * std::size_t{n}, 'z');
    }
    return file;
}

// A collection of faces that each name one `name` table of `records` records once.
Bytes ManyRecords(const std::vector<std::uint16_t>& records)
{
    const auto faces = static_cast<std::uint32_t>(records.size());
    const std::uint32_t first = 12 + 4 * faces, directory = 12 + 16;
    std::vector<std::uint32_t> offsets;
    std::uint32_t table = first + faces * directory;
    std::vector<std::uint32_t> tables;
    for (std::uint32_t i = 0; i < faces; ++i) {
        offsets.push_back(first + directory * i);
        tables.push_back(table);
        table += static_cast<std::uint32_t>(LongNameTable(records[i]).size() + 3) & ~3u;
    }
    Bytes file = CollectionHeader(offsets);
    for (std::uint32_t i = 0; i < faces; ++i) PutDirectory(file, {{"name", tables[i]}});
    for (std::uint16_t n : records) {
        const Bytes names = LongNameTable(n);
        file.insert(file.end(), names.begin(), names.end());
        file.resize((file.size() + 3) & ~std::size_t{3}, 0);
    }
    return file;
}

// Files that only the collection's budgets keep bounded: too large for the fuzzer's inputs.
// Each is stopped by its budget, or read to its end when it takes exactly the budget.
std::vector<std::tuple<const char*, Bytes, bool>> Budgets()
{
    std::vector<std::tuple<const char*, Bytes, bool>> v;
    // 2^20 entries: 16 faces of 65535, and one of 16 or 17.
    std::vector<std::uint16_t> entries(16, 65535);
    entries.push_back(16);
    v.emplace_back("exactly the entries of a collection", ManyEntries(entries), false);
    entries.back() = 17;
    v.emplace_back("one entry more than a collection's", ManyEntries(entries), true);
    // 2^20 records: 16 faces of 65535, and one of 16 or 17; a face's 65535 is allowed.
    std::vector<std::uint16_t> records(16, 65535);
    records.push_back(16);
    v.emplace_back("exactly the name records of a collection", ManyRecords(records), false);
    records.back() = 17;
    v.emplace_back("one name record more than a collection's", ManyRecords(records), true);
    {
        // A thousand faces 16 bytes apart over one run of entries, each claiming 65535 tables:
        // the entries run out after 16 faces.
        const std::uint32_t faces = 1024, first = 12 + 4 * faces;
        std::vector<std::uint32_t> offsets;
        for (std::uint32_t i = 0; i < faces; ++i) offsets.push_back(first + 16 * i);
        Bytes file = CollectionHeader(offsets);
        const std::uint8_t entry[16] = {'z', 'z', 'z', 'z', 0xFF, 0xFF, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
        for (std::uint32_t i = 0; i < faces + 65536; ++i) file.insert(file.end(), entry, entry + 16);
        v.emplace_back("entries of a collection", std::move(file), true);
    }
    {
        // Eighteen faces naming one table of 60000 records: the records run out at the 18th.
        const std::uint32_t faces = 18, directory = 12 + 16;
        std::vector<std::uint32_t> offsets;
        const std::uint32_t first = 12 + 4 * faces, table = first + faces * directory;
        for (std::uint32_t i = 0; i < faces; ++i) offsets.push_back(first + directory * i);
        Bytes file = CollectionHeader(offsets);
        for (std::uint32_t i = 0; i < faces; ++i) PutDirectory(file, {{"name", table}});
        const Bytes names = LongNameTable(60000);
        file.insert(file.end(), names.begin(), names.end());
        v.emplace_back("name records of a collection", std::move(file), true);
    }
    {
        // The second face names a table of 40000 records twice: more than one face may read.
        const std::uint32_t first = 12 + 8, table = first + 2 * (12 + 32);
        Bytes file = CollectionHeader({first, first + 12 + 32});
        PutDirectory(file, {{"name", table}, {"OS/2", table}});
        PutDirectory(file, {{"name", table}, {"name", table}});
        const Bytes names = LongNameTable(40000);
        file.insert(file.end(), names.begin(), names.end());
        v.emplace_back("name records of a face", std::move(file), true);
    }
    return v;
}

// Sound fonts, and every file made from them by cutting them short or changing one byte: the
// reader must agree with the step-by-step reading on each, and the deeper read keep its rules.
std::vector<Bytes> Variants()
{
    const std::u16string cyrillic = u"\u0428\u0440\u0438\u0444\u0442";
    const Bytes otto = TrueTypeWriter()
                           .Version(0x4F54544F)
                           .Add("CFF ", Bytes(4, 0))
                           .Add("OS/2", Os2Table(400, 0x0001, 78))
                           .Add("name", NameTable({MsName(1, cyrillic, 0x0419), MsName(4, cyrillic, 0x0419),
                                                   MsName(6, u"Shrift-Italic", 0x0419), MsName(6, u"Shrift")}))
                           .Build();
    CollectionOptions v2;
    v2.majorVersion = 2;
    const std::vector<Bytes> fonts = {
        SimpleFont(u"Typa", u"Regular", u"Typa Regular", 700, 0x0013),
        TrueTypeWriter()
            .Add("name", NameTable({MsName(4, u"First", 0x040C)}))
            .Add("OS/2", Os2Table(400, 0x0020, 78))
            .Add("name", NameTable({Record(1, 0, 0, 1, Raw("Mac")), MsName(1, u"Caf\u00E9"), MsName(2, u"Gras", 0x040C),
                                    MsName(4, u"Full", 0x0409), MsName(4, u"Complet", 0x040C)}))
            .ReverseData()
            .Build(),
        DetailedFont(),
        Collection({otto, SimpleFont(u"Caf\u00E9", u"Gras", u"Caf\u00E9 Gras", 700)}, v2),
    };
    std::vector<Bytes> v;
    for (const Bytes& font : fonts) {
        for (std::size_t cut = 0; cut <= font.size(); ++cut)
            v.emplace_back(font.begin(), font.begin() + static_cast<std::ptrdiff_t>(cut));
        for (std::size_t i = 0; i < font.size(); ++i)
            for (std::uint8_t value : {0x00, 0x01, 0x7F, 0x80, 0xFF}) {
                Bytes changed = font;
                changed[i] = value;
                v.push_back(std::move(changed));
            }
    }
    return v;
}

void CheckBoth(const Bytes& data)
{
    typa::fuzz::CheckOne(data.data(), data.size());
    typa::fuzz::CheckDetails(data.data(), data.size());
}

} // namespace

int main(int argc, char** argv)
{
    unsigned checked = 0;
    for (const auto& [name, data] : Crashers()) {
        std::printf("crasher %s\n", name);
        CheckBoth(data);
        ++checked;
    }
    for (const auto& [name, data, stopped] : Budgets()) {
        std::printf("budget: %s\n", name);
        CheckBoth(data);
        // Stopped by the budget, not by the end of the file; or not stopped at all.
        MemoryFile file(data);
        typa::ttf::FontFaces faces;
        if ((typa::ttf::ReadFontFaces(file, faces, {}) == typa::ttf::ReadStatus::Fault) != stopped) {
            std::printf("budget: %s %s\n", name, stopped ? "not stopped" : "stopped");
            return 1;
        }
        ++checked;
    }
    for (const Bytes& data : Variants()) {
        CheckBoth(data);
        ++checked;
    }
    if (argc > 1) {
        for (const auto& entry : std::filesystem::directory_iterator(argv[1])) {
            if (!entry.is_regular_file()) continue;
            std::ifstream in(entry.path(), std::ios::binary);
            const Bytes data((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
            CheckBoth(data);
            ++checked;
        }
    }
    std::printf("%u passed, 0 failed\n", checked);
    return 0;
}
