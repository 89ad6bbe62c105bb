// libFuzzer target for the scan's reader: every face of a file (ReadFontFaces) and the first one
// (ReadFontNames), each against a plain step-by-step reading of the same file.
#include "FuzzTrueTypeReader.h"

#include "fonts/TrueTypeReader.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace typa::fuzz {

namespace {

using ttf::FontFaces;
using ttf::FontNames;
using ttf::ReadStatus;

[[noreturn]] void Fail(const char* what)
{
    std::fprintf(stderr, "ttf_fuzz: %s\n", what);
    std::abort();
}

// The most one call asks for: the reader reads through windows of 4 KB.
constexpr std::uint32_t kMostPerCall = 4096;

// Whatever the file holds, the reader makes at most this many calls: the collection header in
// three (its tag, its fields, its offsets); one offset table per face; per directory entry, the
// entry, then OS/2 or a `name` header and the PostScript name after it; per name record, the
// record and its string. The budgets bound the entries and records over the whole file.
constexpr std::uint64_t kMostCalls = 3 + ttf::kMaxFacesPerFile + 3 * std::uint64_t{ttf::kMaxEntriesPerCollection} +
                                     2 * std::uint64_t{ttf::kMaxEntriesPerCollection};

class MemoryFile final : public ttf::RandomAccess {
public:
    MemoryFile(const std::uint8_t* data, std::size_t size) : m_data(data), m_size(size) {}
    std::int32_t ReadAt(std::uint32_t offset, void* buffer, std::uint32_t size) override
    {
        ++calls;
        if (size == 0) Fail("a read that asks for nothing");
        if (size > kMostPerCall) Fail("a read larger than a window");
        if (offset >= m_size) return 0;
        const std::size_t n = std::min<std::size_t>(size, m_size - offset);
        std::memcpy(buffer, m_data + offset, n);
        return static_cast<std::int32_t>(n);
    }
    std::uint64_t calls = 0;

private:
    const std::uint8_t* m_data;
    std::size_t m_size;
};

// ---- Windows-1252, from the code page's own table ------------------------------------------

// What the bytes 0x80-0x9F stand for; 0xFFFF for the five bytes the code page leaves undefined.
constexpr char16_t kCp1252[32] = {
    0x20AC, 0xFFFF, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, // 80-87
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0xFFFF, 0x017D, 0xFFFF, // 88-8F
    0xFFFF, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, // 90-97
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0xFFFF, 0x017E, 0x0178, // 98-9F
};

// The byte that stands for code point `c`, or -1: the code page's table turned round once.
int Cp1252Byte(std::uint32_t c)
{
    static const std::vector<std::int16_t> byteOf = [] {
        std::vector<std::int16_t> v(0x10000, -1);
        for (int b = 1; b < 256; ++b) {
            const std::uint32_t meaning = b >= 0x80 && b < 0xA0 ? kCp1252[b - 0x80] : static_cast<std::uint32_t>(b);
            if (meaning != 0xFFFF) v[meaning] = static_cast<std::int16_t>(b);
        }
        return v;
    }();
    return c < byteOf.size() ? byteOf[c] : -1;
}

struct Decoded {
    std::string text;
    bool whole = true; // every character is in the code page
};

// A big-endian UTF-16 string up to its first NUL, a trailing odd byte dropped, one code point at
// a time: a surrogate pair is one beyond 0xFFFF, a lone surrogate stands as it is.
Decoded Decode(const std::uint8_t* raw, unsigned length)
{
    Decoded d;
    const unsigned units = length / 2;
    auto unit = [&](unsigned i) { return static_cast<std::uint32_t>((raw[2 * i] << 8) | raw[2 * i + 1]); };
    for (unsigned i = 0; i < units && unit(i) != 0; ++i) {
        std::uint32_t c = unit(i);
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < units && unit(i + 1) >= 0xDC00 && unit(i + 1) <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (unit(i + 1) - 0xDC00);
            ++i;
        }
        const int b = Cp1252Byte(c);
        d.text += b < 0 ? '?' : static_cast<char>(b);
        d.whole = d.whole && b >= 0;
    }
    return d;
}

// ---- the algorithm as written --------------------------------------------------------------

// One record of the family, subfamily or full name, as read.
struct Candidate {
    Decoded name;
    unsigned language;
};

// A PostScript name record: where its string lies.
struct PostScriptRecord {
    unsigned language;
    std::uint64_t pos;
    unsigned length;
};

constexpr unsigned kEnglish = 0x0409;

// A name as chosen: the chosen record's text, or one that fits in its place; `fits` is false when
// neither the record nor any other of its name fits, where the PostScript name stands in.
struct Choice {
    std::string text;
    bool fits;
};

// The family and subfamily: the last record; where it does not fit, the last English record
// that does, else the last record that does.
Choice ChooseLast(const std::vector<Candidate>& all)
{
    const Candidate& chosen = all.back();
    if (chosen.name.whole) return {chosen.name.text, true};
    for (auto it = all.rbegin(); it != all.rend(); ++it)
        if (it->name.whole && it->language == kEnglish) return {it->name.text, true};
    for (auto it = all.rbegin(); it != all.rend(); ++it)
        if (it->name.whole) return {it->name.text, true};
    return {chosen.name.text, false};
}

// The full name: the first record in the system's language, else the first; where it does not
// fit, the first English record that does, else the first record that does.
Choice ChooseFirstInLanguage(const std::vector<Candidate>& all, unsigned language)
{
    const Candidate* chosen = &all.front();
    for (const Candidate& c : all)
        if (c.language == language) {
            chosen = &c;
            break;
        }
    if (chosen->name.whole) return {chosen->name.text, true};
    for (const Candidate& c : all)
        if (c.name.whole && c.language == kEnglish) return {c.name.text, true};
    for (const Candidate& c : all)
        if (c.name.whole) return {c.name.text, true};
    return {chosen->name.text, false};
}

// A file position, exact reads, every candidate kept and chosen from at the end of each table.
class Reference {
public:
    Reference(const std::uint8_t* data, std::size_t size, std::uint16_t language)
        : m_data(data), m_size(size), m_language(language) {}

    ReadStatus Faces(FontFaces& out)
    {
        out.faces.clear();
        std::vector<std::uint32_t> offsets;
        if (!Header(offsets, out.collection)) return ReadStatus::Fault;
        bool anyUsable = false;
        out.faces.reserve(offsets.size());
        for (std::uint32_t at : offsets) {
            out.faces.emplace_back();
            ttf::FontFace& face = out.faces.back();
            face.status = Face(at, face.names);
            if (face.status == ReadStatus::Fault) return ReadStatus::Fault;
            anyUsable = anyUsable || face.status == ReadStatus::Usable;
        }
        return anyUsable ? ReadStatus::Usable : ReadStatus::NotUsable;
    }

    ReadStatus FirstFace(FontNames& out)
    {
        std::vector<std::uint32_t> offsets;
        bool collection = false;
        if (!Header(offsets, collection)) {
            out.family.clear();
            out.fullName.clear();
            out.os2Seen = false;
            return ReadStatus::Fault;
        }
        return Face(offsets[0], out);
    }

    bool languageAsked = false;
    std::uint64_t reads = 0; // exact reads of at least one byte, failed ones too

private:
    static unsigned U16(const std::uint8_t* p) { return (p[0] << 8) | p[1]; }
    static std::uint32_t U32(const std::uint8_t* p) { return (std::uint32_t{U16(p)} << 16) | U16(p + 2); }

    bool Seek(std::uint64_t pos)
    {
        if (pos > 0x7FFFFFFF) return false;
        m_pos = pos;
        return true;
    }
    bool Read(std::uint8_t* to, unsigned n)
    {
        if (n == 0) return true; // reading nothing never fails, even past the end
        ++reads;
        if (m_pos + n > 0x80000000ull || m_pos + n > m_size) return false;
        std::memcpy(to, m_data + m_pos, n);
        m_pos += n;
        return true;
    }

    // A single font is one face at 0; a collection's header lists its faces.
    bool Header(std::vector<std::uint32_t>& offsets, bool& collection)
    {
        collection = false;
        offsets.clear();
        std::uint8_t tag[4];
        if (!Seek(0) || !Read(tag, 4) || std::memcmp(tag, "ttcf", 4) != 0) {
            offsets.push_back(0);
            return true;
        }
        collection = true;
        std::uint8_t head[12];
        if (!Seek(0) || !Read(head, 12)) return false;
        const std::uint32_t count = U32(head + 8);
        if (count == 0 || count > ttf::kMaxFacesPerFile) return false;
        offsets.reserve(count);
        for (std::uint32_t i = 0; i < count; ++i) {
            std::uint8_t at[4];
            if (!Read(at, 4)) return false;
            offsets.push_back(U32(at));
        }
        for (std::uint32_t at : offsets)
            if (std::uint64_t{at} + 12 > 0x80000000ull) return false;
        std::vector<std::uint32_t> sorted = offsets;
        std::sort(sorted.begin(), sorted.end());
        return std::adjacent_find(sorted.begin(), sorted.end()) == sorted.end();
    }

    ReadStatus Face(std::uint32_t at, FontNames& out)
    {
        out.family.clear();
        out.fullName.clear();
        out.os2Seen = false;
        std::uint8_t head[12];
        if (!Seek(at) || !Read(head, 12)) return ReadStatus::Fault;
        const unsigned numTables = U16(head + 4);
        std::uint32_t faceRecordsLeft = ttf::kMaxNameRecordsPerFile;
        // Over every name table of the face: the candidates of each name, the PostScript records.
        std::vector<Candidate> family, subfamily, fullName;
        std::vector<PostScriptRecord> postScript;

        for (unsigned i = 0; i < numTables; ++i) {
            if (m_entriesLeft == 0) return ReadStatus::Fault;
            --m_entriesLeft;
            std::uint8_t entry[16];
            if (!Read(entry, 16)) return ReadStatus::Fault;
            const std::uint64_t nextEntry = m_pos;
            const std::uint32_t offset = U32(entry + 8);
            if (std::memcmp(entry, "OS/2", 4) == 0) {
                out.os2Seen = true;
                std::uint8_t os2[78];
                if (!Seek(offset) || !Read(os2, 78)) return ReadStatus::Fault;
                const unsigned fs = U16(os2 + 62);
                ttf::LogFontFields& lf = out.logFont;
                lf.height = lf.width = lf.escapement = lf.orientation = 0;
                lf.weight = static_cast<std::int32_t>(U16(os2 + 4));
                lf.italic = fs & 1;
                lf.underline = (fs & 2) ? 1 : 0;
                lf.strikeOut = (fs & 16) ? 1 : 0;
                lf.charSet = 1;
                lf.outPrecision = lf.clipPrecision = lf.quality = lf.pitchAndFamily = 0;
            }
            if (std::memcmp(entry, "name", 4) == 0) {
                std::uint8_t header[6];
                if (!Seek(offset) || !Read(header, 6)) return ReadStatus::Fault;
                const unsigned count = U16(header + 2);
                const unsigned stringOffset = U16(header + 4);
                if (count > faceRecordsLeft || count > m_recordsLeft) return ReadStatus::Fault;
                faceRecordsLeft -= count;
                m_recordsLeft -= count;
                for (unsigned r = 0; r < count; ++r) {
                    std::uint8_t rec[12];
                    if (!Read(rec, 12)) return ReadStatus::Fault;
                    const unsigned platform = U16(rec), language = U16(rec + 4), id = U16(rec + 6);
                    const unsigned length = U16(rec + 8);
                    const std::uint64_t stringPos = std::uint64_t{offset} + stringOffset + U16(rec + 10);
                    if (platform != 3) continue;
                    if (id == 6) {
                        postScript.push_back({language, stringPos, length});
                        continue;
                    }
                    if (id != 1 && id != 2 && id != 4) continue;
                    if (length > 400) return ReadStatus::Fault;
                    const std::uint64_t nextRecord = m_pos;
                    std::uint8_t raw[400];
                    if (!Seek(stringPos) || !Read(raw, length)) return ReadStatus::Fault;
                    Candidate c{Decode(raw, length), language};
                    if (id == 1) family.push_back(std::move(c));
                    if (id == 2) subfamily.push_back(std::move(c));
                    if (id == 4) {
                        languageAsked = true;
                        fullName.push_back(std::move(c));
                    }
                    m_pos = nextRecord;
                }
                if (fullName.empty()) return ReadStatus::NotUsable;

                const Choice familyChoice = family.empty() ? Choice{{}, true} : ChooseLast(family);
                const Choice subfamilyChoice = subfamily.empty() ? Choice{{}, true} : ChooseLast(subfamily);
                const Choice fullChoice = ChooseFirstInLanguage(fullName, m_language);
                std::string psName;
                const bool needPostScript = !familyChoice.fits || !subfamilyChoice.fits || !fullChoice.fits;
                if (needPostScript && !postScript.empty()) {
                    // The first English record, else the first.
                    PostScriptRecord ps = postScript.front();
                    for (const PostScriptRecord& p : postScript)
                        if (p.language == kEnglish) {
                            ps = p;
                            break;
                        }
                    if (ps.length > 400) return ReadStatus::Fault;
                    std::uint8_t raw[400];
                    if (!Seek(ps.pos) || !Read(raw, ps.length)) return ReadStatus::Fault;
                    psName = Decode(raw, ps.length).text;
                }
                auto take = [&](const Choice& c) {
                    return c.fits || postScript.empty() ? c.text : psName;
                };
                if (!family.empty()) {
                    out.family = take(familyChoice);
                    std::memset(out.logFont.faceName, 0, sizeof out.logFont.faceName);
                    std::memcpy(out.logFont.faceName, out.family.data(), std::min<std::size_t>(out.family.size(), 31));
                }
                if (!subfamily.empty()) out.subfamily = take(subfamilyChoice);
                out.fullName = take(fullChoice);
                if (!out.family.empty() && !out.fullName.empty() && out.os2Seen) return ReadStatus::Usable;
            }
            m_pos = nextEntry;
        }
        return ReadStatus::NotUsable;
    }

    const std::uint8_t* m_data;
    std::size_t m_size;
    std::uint16_t m_language;
    std::uint64_t m_pos = 0;
    // The collection's budgets, over all its faces.
    std::uint32_t m_entriesLeft = ttf::kMaxEntriesPerCollection;
    std::uint32_t m_recordsLeft = ttf::kMaxEntriesPerCollection;
};

// ---- the checks ----------------------------------------------------------------------------

bool SameLogFont(const ttf::LogFontFields& a, const ttf::LogFontFields& b)
{
    return a.height == b.height && a.width == b.width && a.escapement == b.escapement &&
           a.orientation == b.orientation && a.weight == b.weight && a.italic == b.italic &&
           a.underline == b.underline && a.strikeOut == b.strikeOut && a.charSet == b.charSet &&
           a.outPrecision == b.outPrecision && a.clipPrecision == b.clipPrecision && a.quality == b.quality &&
           a.pitchAndFamily == b.pitchAndFamily && std::memcmp(a.faceName, b.faceName, 32) == 0;
}

void CheckSame(const FontNames& got, const FontNames& want)
{
    if (got.family != want.family) Fail("family differs");
    if (got.fullName != want.fullName) Fail("full name differs");
    if (got.subfamily != want.subfamily) Fail("subfamily differs");
    if (got.os2Seen != want.os2Seen) Fail("OS/2 flag differs");
    if (!SameLogFont(got.logFont, want.logFont)) Fail("creation record differs");
}

void CheckFace(ReadStatus status, const FontNames& names)
{
    if (names.logFont.faceName[31] != 0) Fail("face name not terminated");
    if (status == ReadStatus::Usable && (names.family.empty() || names.fullName.empty() || !names.os2Seen))
        Fail("usable without names or OS/2");
    for (const std::string* s : {&names.family, &names.fullName, &names.subfamily})
        if (s->size() > 200 || s->find('\0') != std::string::npos) Fail("name too long or with a NUL");
}

void CheckCalls(std::uint64_t calls, const Reference& reference)
{
    // Its windows only save calls: one per step of the plain reading at most.
    if (calls > reference.reads) Fail("more reads than the step-by-step reading");
    if (calls > kMostCalls) Fail("more reads than any file allows");
}

// What the caller hands ReadFontNames: family and full name must go, the rest stay unless the
// file supplies them.
FontNames Stale()
{
    FontNames n;
    n.family = "stale family";
    n.fullName = "stale full name";
    n.subfamily = "kept subfamily";
    n.os2Seen = true;
    n.logFont.weight = 123;
    std::strcpy(n.logFont.faceName, "kept face");
    return n;
}

// Returns whether the reader asked for the language.
bool CheckLanguage(const std::uint8_t* data, std::size_t size, std::uint16_t language)
{
    // Every face.
    MemoryFile file(data, size);
    FontFaces got;
    int queries = 0;
    const ReadStatus status = ttf::ReadFontFaces(file, got, [&] {
        ++queries;
        return language;
    });
    Reference reference(data, size, language);
    FontFaces want;
    const ReadStatus wantStatus = reference.Faces(want);

    if (status != wantStatus) Fail("status differs from the step-by-step reading");
    if (got.collection != want.collection) Fail("collection flag differs");
    if (got.faces.size() != want.faces.size()) Fail("number of faces differs");
    for (std::size_t i = 0; i < got.faces.size(); ++i) {
        if (got.faces[i].status != want.faces[i].status) Fail("a face's status differs");
        CheckSame(got.faces[i].names, want.faces[i].names);
        CheckFace(got.faces[i].status, got.faces[i].names);
    }
    // The language is asked once, when the file has a platform-3 full name, and only then.
    if (queries != (reference.languageAsked ? 1 : 0)) Fail("language asked other than once for a full name");
    const bool asked = queries > 0;
    if (got.faces.size() > ttf::kMaxFacesPerFile) Fail("more faces than a file may have");
    if (!got.collection && got.faces.size() > 1) Fail("faces of a single font");
    CheckCalls(file.calls, reference);

    // The first face.
    MemoryFile first(data, size);
    FontNames names = Stale();
    queries = 0;
    const ReadStatus firstStatus = ttf::ReadFontNames(first, names, [&] {
        ++queries;
        return language;
    });
    Reference firstReference(data, size, language);
    FontNames wantNames = Stale();
    const ReadStatus wantFirst = firstReference.FirstFace(wantNames);
    if (firstStatus != wantFirst) Fail("first face's status differs from the step-by-step reading");
    CheckSame(names, wantNames);
    CheckFace(firstStatus, names);
    if (queries != (firstReference.languageAsked ? 1 : 0)) Fail("language asked other than once for a full name");
    CheckCalls(first.calls, firstReference);
    // The same face as the whole file's first.
    if (!got.faces.empty() && (firstStatus != got.faces[0].status || names.family != got.faces[0].names.family ||
                               names.fullName != got.faces[0].names.fullName))
        Fail("first face read alone differs");
    return asked || queries > 0;
}

} // namespace

void CheckOne(const std::uint8_t* data, std::size_t size)
{
    const bool asked = CheckLanguage(data, size, 0x0409);
    // A second language taken from the input, so that the language choice is explored too; a
    // reader that did not ask for the language cannot read otherwise in another.
    const std::uint16_t other = size >= 2 ? static_cast<std::uint16_t>((data[size - 2] << 8) | data[size - 1]) : 0x040C;
    if (asked && other != 0x0409) CheckLanguage(data, size, other);
}

} // namespace typa::fuzz

#ifndef TYPA_FUZZ_NO_MAIN
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    typa::fuzz::CheckOne(data, size);
    return 0;
}
#endif
