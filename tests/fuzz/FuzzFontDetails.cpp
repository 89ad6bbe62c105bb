// libFuzzer target for the font sheet's deeper read of one file.
#include "FuzzFontDetails.h"

#include "fonts/FontDetails.h"
#include "support/MemoryFile.h"

#include <array>
#include <cstdio>
#include <cstdlib>
#include <cstring>

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

// Whether the first `name` table of the directory lies wholly inside the file.
bool NameTableWhole(const std::uint8_t* data, std::size_t size)
{
    auto u16 = [&](std::size_t at) { return static_cast<std::uint32_t>((data[at] << 8) | data[at + 1]); };
    auto u32 = [&](std::size_t at) { return (u16(at) << 16) | u16(at + 2); };
    if (size < 12) return false;
    for (std::size_t i = 0, n = u16(4); i < n && 12 + 16 * (i + 1) <= size; ++i) {
        const std::size_t e = 12 + 16 * i;
        if (std::memcmp(data + e, "name", 4) == 0) return std::uint64_t{u32(e + 8)} + u32(e + 12) <= size;
    }
    return false;
}

struct Run {
    ttf::DetailsStatus status;
    FontDetails details;
};

Run ReadWith(const std::uint8_t* data, std::size_t size, std::uint16_t language)
{
    test::MemoryFile file(data, size);
    Run r{ttf::DetailsStatus::NotAFont, {}};
    // A stale result in `out` must not survive.
    r.details.family = {Presence::Unreadable, "stale"};
    r.details.characterCount = 7;
    r.status = ttf::ReadFontDetails(file, r.details, language);
    if (file.emptyReads) Fail("a read that asks for nothing");
    // Each window of the file is read again only when the read moves on past it: the directory,
    // the record lists and the groups in order, up to 52 strings, 10 subtable formats.
    if (file.reads > 100 + 4 * (size / 4096)) Fail("too many reads");
    CheckOneResult(r.status, r.details);
    return r;
}

} // namespace

void CheckDetails(const std::uint8_t* data, std::size_t size)
{
    const Run english = ReadWith(data, size, 0x0409);
    const std::uint16_t other = size >= 2 ? static_cast<std::uint16_t>((data[size - 2] << 8) | data[size - 1]) : 0x040C;
    const Run user = ReadWith(data, size, other);

    // The language chooses among the records of a name, never whether the file has it. Nor
    // whether it can be read, while the file holds the whole table: only where the file ends
    // inside it can the record of one language fail where another's would have been read.
    const bool whole = NameTableWhole(data, size);
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
        x.symbolCmap != y.symbolCmap || x.characterCount != y.characterCount || x.ansiCharacters != y.ansiCharacters)
        Fail("a table's figures depend on the language");
}

} // namespace typa::fuzz

#ifndef TYPA_FUZZ_NO_MAIN
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    typa::fuzz::CheckDetails(data, size);
    return 0;
}
#endif
