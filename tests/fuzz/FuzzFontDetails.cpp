// libFuzzer target for the font sheet's deeper read of one file.
#include "FuzzFontDetails.h"

#include "fonts/FontDetails.h"
#include "support/MemoryFile.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace typa::fuzz {

namespace {

using ttf::FontDetails;
using ttf::NameText;
using ttf::Presence;

[[noreturn]] void Fail(const char* what)
{
    std::fprintf(stderr, "ttf_details_fuzz: %s\n", what);
    std::abort();
}

std::array<const NameText*, 11> Names(const FontDetails& d)
{
    return {&d.family, &d.subfamily, &d.fullName, &d.version, &d.copyright, &d.trademark,
            &d.manufacturer, &d.designer, &d.description, &d.licence, &d.licenceUrl};
}

// A text as the sheet receives it: CR only before LF and LF only after CR, no other control
// character, no blank or line break at the end, no more than a name record can give.
void CheckText(const NameText& t)
{
    if (t.presence != Presence::Present) {
        if (!t.text.empty()) Fail("text of a name that is not present");
        return;
    }
    const std::string& s = t.text;
    if (s.size() > 65535) Fail("text longer than a record can give");
    for (std::size_t i = 0; i < s.size(); ++i) {
        const auto c = static_cast<unsigned char>(s[i]);
        if (c == '\r' && (i + 1 == s.size() || s[i + 1] != '\n')) Fail("CR without LF");
        if (c == '\n' && (i == 0 || s[i - 1] != '\r')) Fail("LF without CR");
        if (c < 0x20 && c != '\r' && c != '\n') Fail("control character in a text");
        if (c == 0x7F) Fail("DEL in a text");
    }
    if (!s.empty() && (s.back() == ' ' || s.back() == '\n')) Fail("blank or line break at the end");
}

void CheckOneResult(ttf::DetailsStatus status, const FontDetails& d)
{
    const auto names = Names(d);
    bool unreadable = false;
    for (const NameText* t : names) {
        CheckText(*t);
        unreadable |= t->presence == Presence::Unreadable;
    }
    unreadable |= d.os2 == Presence::Unreadable || d.maxp == Presence::Unreadable || d.cmap == Presence::Unreadable;

    if (d.os2 != Presence::Present && (d.weightClass || d.widthClass || d.fsType)) Fail("OS/2 figures without OS/2");
    if (d.maxp != Presence::Present && d.glyphCount) Fail("glyph count without maxp");
    if (d.cmap != Presence::Present && (d.characterCount || d.ansiCharacters.any() || d.symbolCmap))
        Fail("characters without cmap");
    if (d.characterCount > ttf::kMaxCodePoint + 1) Fail("more characters than code points");
    if (d.ansiCharacters.count() > d.characterCount) Fail("more code page characters than characters");
    for (int b = 0; b < 0x20; ++b)
        if (d.ansiCharacters[b]) Fail("a control byte in the code page set");
    if (!d.symbolCmap)
        for (int b : {0x81, 0x8D, 0x8F, 0x90, 0x9D})
            if (d.ansiCharacters[b]) Fail("a byte the code page lacks in its set");

    switch (status) {
    case ttf::DetailsStatus::NotAFont:
        for (const NameText* t : names)
            if (t->presence != Presence::Absent) Fail("a name in what is not a font");
        if (d.os2 != Presence::Absent || d.maxp != Presence::Absent || d.cmap != Presence::Absent ||
            d.outlines != ttf::OutlineKind::Unknown)
            Fail("a table in what is not a font");
        break;
    case ttf::DetailsStatus::Partial:
        if (!unreadable) Fail("partial without anything unreadable");
        break;
    case ttf::DetailsStatus::Complete:
        if (unreadable) Fail("complete with something unreadable");
        break;
    }
}

std::uint32_t U16(const std::uint8_t* data, std::size_t at) { return static_cast<std::uint32_t>((data[at] << 8) | data[at + 1]); }
std::uint32_t U32(const std::uint8_t* data, std::size_t at) { return (U16(data, at) << 16) | U16(data, at + 2); }

// The faces of the file as its first bytes give them: one at 0 unless it starts with 'ttcf';
// then the header's, with `sound` false for a header that cannot be a collection's (no faces,
// too many, offsets past the file's end or at 2^31, two faces at one offset).
struct Faces {
    bool collection = false;
    bool sound = true;
    std::vector<std::uint32_t> offsets{0};
};

Faces FacesOf(const std::uint8_t* data, std::size_t size)
{
    Faces f;
    if (size < 4 || std::memcmp(data, "ttcf", 4) != 0) return f;
    f.collection = true;
    f.offsets.clear();
    const std::uint32_t count = size >= 12 ? U32(data, 8) : 0;
    f.sound = count >= 1 && count <= ttf::kMaxFacesPerFile && 12 + 4 * std::uint64_t{count} <= size;
    for (std::uint32_t i = 0; f.sound && i < count; ++i) {
        const std::uint32_t at = U32(data, 12 + 4 * i);
        f.sound = at <= 0x80000000u - 12 && std::find(f.offsets.begin(), f.offsets.end(), at) == f.offsets.end();
        f.offsets.push_back(at);
    }
    if (!f.sound) f.offsets.clear();
    return f;
}

// Whether the first `name` table of the face's directory lies wholly inside the file.
bool NameTableWhole(const std::uint8_t* data, std::size_t size, std::uint32_t face)
{
    if (std::uint64_t{face} + 12 > size) return false;
    for (std::size_t i = 0, n = U16(data, face + 4); i < n && face + 12 + 16 * (i + 1) <= size; ++i) {
        const std::size_t e = face + 12 + 16 * i;
        if (std::memcmp(data + e, "name", 4) == 0) return std::uint64_t{U32(data, e + 8)} + U32(data, e + 12) <= size;
    }
    return false;
}

struct Run {
    ttf::DetailsStatus status;
    FontDetails details;
};

Run ReadWith(const std::uint8_t* data, std::size_t size, std::uint16_t language, std::uint32_t faceIndex)
{
    test::MemoryFile file(data, size);
    Run r{ttf::DetailsStatus::NotAFont, {}};
    // A stale result in `out` must not survive.
    r.details.family = {Presence::Unreadable, "stale"};
    r.details.characterCount = 7;
    r.details.faceCount = 9;
    r.status = ttf::ReadFontDetails(file, r.details, language, faceIndex);
    if (file.emptyReads) Fail("a read that asks for nothing");
    // Each window of the file is read again only when the read moves on past it: the
    // collection's header and offsets, the directory, the record lists and the groups in order,
    // up to 52 strings, 10 subtable formats.
    if (file.reads > 103 + 4 * (size / 4096)) Fail("too many reads");
    CheckOneResult(r.status, r.details);
    return r;
}

// The faces: the header as the file gives it, the face asked for, and how many the sheet says.
void CheckFaces(const std::uint8_t* data, std::size_t size, std::uint32_t faceIndex, const Run& run)
{
    const Faces faces = FacesOf(data, size);
    std::vector<std::uint32_t> offsets;
    bool collection = false;
    test::MemoryFile file(data, size);
    const bool sound = ttf::ReadFaceOffsets(file, offsets, collection);
    if (sound != faces.sound || collection != faces.collection || (sound && offsets != faces.offsets))
        Fail("the faces differ from the header's");
    if (file.emptyReads || file.reads > 3) Fail("a collection's header in more than three reads");

    if (run.status == ttf::DetailsStatus::NotAFont) {
        if (run.details.faceCount != 1) Fail("a face count for what is not a font");
        return;
    }
    if (!faces.sound) Fail("a face of a damaged collection");
    if (faceIndex >= faces.offsets.size()) Fail("a face the file does not have");
    if (run.details.faceCount != faces.offsets.size()) Fail("face count differs from the header's");
}

bool SameText(const NameText& a, const NameText& b) { return a.presence == b.presence && a.text == b.text; }

bool SameDetails(const FontDetails& x, const FontDetails& y)
{
    const auto a = Names(x), b = Names(y);
    for (std::size_t i = 0; i < a.size(); ++i)
        if (!SameText(*a[i], *b[i])) return false;
    return x.os2 == y.os2 && x.weightClass == y.weightClass && x.widthClass == y.widthClass && x.fsType == y.fsType &&
           x.outlines == y.outlines && x.maxp == y.maxp && x.glyphCount == y.glyphCount && x.cmap == y.cmap &&
           x.symbolCmap == y.symbolCmap && x.characterCount == y.characterCount &&
           x.ansiCharacters == y.ansiCharacters && x.faceCount == y.faceCount;
}

// Whether [from, from + length) meets any of the header's offsets of faces 0 and `face`.
bool MeetsOffsets(std::uint64_t from, std::uint64_t length, std::uint32_t face)
{
    for (const std::uint64_t slot : {std::uint64_t{12}, 12 + 4 * std::uint64_t{face}})
        if (from < slot + 4 && slot < from + length) return true;
    return false;
}

// A face is read from its own offset table, wherever the header lists it: with its offset
// swapped with the first face's, the same face is face 0. Only where what the face reads lies
// clear of the two offsets changed: its directory and the first table of each tag read.
void CheckFaceMoved(const std::uint8_t* data, std::size_t size, const Faces& faces, std::uint32_t faceIndex,
                    const Run& english)
{
    if (!faces.sound || faceIndex == 0 || faceIndex >= faces.offsets.size()) return;
    const std::uint32_t at = faces.offsets[faceIndex];
    const std::uint64_t n = std::uint64_t{at} + 12 <= size ? U16(data, at + 4) : 0;
    if (MeetsOffsets(at, 12 + 16 * n, faceIndex)) return;
    std::vector<std::string> seen;
    for (std::uint64_t i = 0; i < n && at + 12 + 16 * (i + 1) <= size; ++i) {
        const std::size_t e = at + 12 + 16 * i;
        const std::string tag(data + e, data + e + 4);
        if (std::find(seen.begin(), seen.end(), tag) != seen.end()) continue;
        seen.push_back(tag);
        if ((tag == "name" || tag == "OS/2" || tag == "maxp" || tag == "cmap") &&
            MeetsOffsets(U32(data, e + 8), U32(data, e + 12), faceIndex))
            return;
    }
    std::vector<std::uint8_t> swapped(data, data + size);
    std::swap_ranges(swapped.begin() + 12, swapped.begin() + 16, swapped.begin() + 12 + 4 * faceIndex);
    const Run first = ReadWith(swapped.data(), size, 0x0409, 0);
    if (first.status != english.status || !SameDetails(first.details, english.details))
        Fail("a face read otherwise than from its own offset table");
}

} // namespace

void CheckDetails(const std::uint8_t* data, std::size_t size)
{
    // The face and the second language come from the input's last bytes; most faces asked for
    // are ones a small collection has.
    const std::uint32_t faceIndex = size >= 1 ? data[size - 1] % 16 : 0;
    const Run english = ReadWith(data, size, 0x0409, faceIndex);
    const std::uint16_t other = size >= 2 ? static_cast<std::uint16_t>((data[size - 2] << 8) | data[size - 1]) : 0x040C;
    const Run user = ReadWith(data, size, other, faceIndex);
    CheckFaces(data, size, faceIndex, english);
    CheckFaces(data, size, faceIndex, user);

    // The language chooses among the records of a name, never whether the file has it. Nor
    // whether it can be read, while the file holds the whole table: only where the file ends
    // inside it can the record of one language fail where another's would have been read.
    const Faces faces = FacesOf(data, size);
    const bool whole = faceIndex < faces.offsets.size() && NameTableWhole(data, size, faces.offsets[faceIndex]);
    if (whole && english.status != user.status) Fail("status depends on the language");
    const auto a = Names(english.details), b = Names(user.details);
    for (std::size_t i = 0; i < a.size(); ++i) {
        if ((a[i]->presence == Presence::Absent) != (b[i]->presence == Presence::Absent))
            Fail("whether a name is there depends on the language");
        if (whole && a[i]->presence != b[i]->presence) Fail("whether a name can be read depends on the language");
    }
    const FontDetails& x = english.details;
    const FontDetails& y = user.details;
    if (x.os2 != y.os2 || x.weightClass != y.weightClass || x.widthClass != y.widthClass || x.fsType != y.fsType ||
        x.outlines != y.outlines || x.maxp != y.maxp || x.glyphCount != y.glyphCount || x.cmap != y.cmap ||
        x.symbolCmap != y.symbolCmap || x.characterCount != y.characterCount || x.ansiCharacters != y.ansiCharacters ||
        x.faceCount != y.faceCount)
        Fail("a table's figures depend on the language");
    CheckFaceMoved(data, size, faces, faceIndex, english);
}

} // namespace typa::fuzz

#ifndef TYPA_FUZZ_NO_MAIN
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    typa::fuzz::CheckDetails(data, size);
    return 0;
}
#endif
