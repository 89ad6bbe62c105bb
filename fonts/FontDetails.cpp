#include "fonts/FontDetails.h"

#include "fonts/FontDetailsParts.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace typa::ttf {

namespace details {

bool ReadExact(RandomAccess& file, std::uint64_t offset, std::uint32_t size, std::vector<std::uint8_t>& out)
{
    out.clear();
    if (!BelowMaxOffset(offset, size)) return false;
    if (size == 0) return true;
    std::uint8_t last = 0;
    if (file.ReadAt(static_cast<std::uint32_t>(offset + size - 1), &last, 1) != 1) return false;
    out.resize(size);
    const std::int32_t got = file.ReadAt(static_cast<std::uint32_t>(offset), out.data(), size);
    return got >= 0 && static_cast<std::uint32_t>(got) == size;
}

} // namespace details

namespace {

using namespace bytes;
using namespace details;

constexpr std::uint32_t kVersionTrueType = 0x00010000;
constexpr std::uint32_t kVersionTrue = 0x74727565; // 'true', Apple's TrueType tag
constexpr std::uint32_t kVersionOtto = 0x4F54544F; // 'OTTO', CFF outlines

constexpr std::uint32_t kOs2Size = 10; // version, xAvgCharWidth, usWeightClass, usWidthClass, fsType
constexpr std::uint32_t kMaxpSize = 6; // version 0.5: the version and numGlyphs
// Read-ahead hint for a name string: its neighbours are the other names of the same language.
constexpr std::uint32_t kStringAhead = 128;


struct Directory {
    std::uint32_t version = 0;
    bool cut = false; // the file ends inside the directory: what was not reached is unreadable
    TableRef name, os2, maxp, cmap;
    bool glyf = false;
    bool cff = false;

    bool AnyFound() const noexcept { return name.found || os2.found || maxp.found || cmap.found || glyf || cff; }
    // What an item whose table is not in the directory is.
    Presence Missing() const noexcept { return cut ? Presence::Unreadable : Presence::Absent; }
};

// The first entry of each tag counts, as a font file has each table once.
void NoteEntry(const std::uint8_t* entry, Directory& dir) noexcept
{
    TableRef* ref = nullptr;
    if (std::memcmp(entry, "name", 4) == 0) ref = &dir.name;
    if (std::memcmp(entry, "OS/2", 4) == 0) ref = &dir.os2;
    if (std::memcmp(entry, "maxp", 4) == 0) ref = &dir.maxp;
    if (std::memcmp(entry, "cmap", 4) == 0) ref = &dir.cmap;
    if (std::memcmp(entry, "glyf", 4) == 0) dir.glyf = true;
    if (std::memcmp(entry, "CFF ", 4) == 0 || std::memcmp(entry, "CFF2", 4) == 0) dir.cff = true;
    if (!ref || ref->found) return;
    ref->found = true;
    ref->offset = U32(entry + 8);
    ref->length = U32(entry + 12);
    ref->usable = BelowMaxOffset(ref->offset, ref->length);
}

// False when the face has no offset table at `faceOffset`.
bool ReadDirectory(Windows& window, std::uint32_t faceOffset, Directory& dir)
{
    const std::uint8_t* p = window.Get(Part::Directory, faceOffset, kOffsetTableSize, kDirectoryAhead);
    if (!p) return false;
    dir.version = U32(p);
    const std::uint32_t numTables = U16(p + 4);
    for (std::uint32_t i = 0; i < numTables; ++i) {
        p = window.Get(Part::Directory, std::uint64_t{faceOffset} + kOffsetTableSize + i * kDirEntrySize, kDirEntrySize,
                       (numTables - i) * kDirEntrySize);
        if (!p) {
            dir.cut = true;
            break;
        }
        NoteEntry(p, dir);
    }
    return true;
}

OutlineKind OutlinesOf(const Directory& dir) noexcept
{
    if (dir.version == kVersionOtto || (dir.cff && !dir.glyf)) return OutlineKind::Cff;
    if (dir.glyf || dir.version == kVersionTrueType || dir.version == kVersionTrue) return OutlineKind::TrueType;
    return OutlineKind::Unknown;
}

// ---- name ----------------------------------------------------------------------------------

enum NameSlot {
    kCopyright, kFamily, kSubfamily, kFullName, kVersion, kTrademark, kManufacturer, kDesigner,
    kDescription, kLicence, kLicenceUrl, kTypoFamily, kTypoSubfamily, kSlotCount
};
constexpr std::uint16_t kSlotNameIds[kSlotCount] = {0, 1, 2, 4, 5, 7, 8, 9, 10, 13, 14, 16, 17};

int SlotOf(std::uint16_t nameId) noexcept
{
    for (int s = 0; s < kSlotCount; ++s)
        if (kSlotNameIds[s] == nameId) return s;
    return -1;
}

// How well a record's language suits the user, 0 best; -1 for records never shown: other
// platforms, and the Microsoft platform's old double-byte encodings.
constexpr int kRanks = 4;
int LanguageRank(const NameRecordFields& r, std::uint16_t userLanguage) noexcept
{
    if (r.platformId == kPlatformUnicode) return 3;
    if (r.platformId != kPlatformMicrosoft) return -1;
    if (r.encodingId != kMicrosoftSymbol && r.encodingId != kMicrosoftBmp && r.encodingId != kMicrosoftFull)
        return -1;
    if (r.languageId == userLanguage) return 0;
    if (r.languageId == kUsEnglish) return 1;
    return 2;
}

// For one name ID: the first record of each rank whose string lies inside the table, and
// whether any record of it could not be read.
struct NameChoice {
    struct Candidate {
        bool found = false;
        std::uint64_t pos = 0;
        std::uint32_t length = 0;
    };
    Candidate byRank[kRanks];
    bool unreadable = false;
};

bool ReadString(Windows& window, RandomAccess& file, const NameChoice::Candidate& c, std::string& text)
{
    if (c.length <= kWindowSize) {
        const std::uint8_t* raw = window.Get(Part::String, c.pos, c.length, std::max(c.length, kStringAhead));
        if (!raw) return false;
        text = DecodeNameCp1252(raw, c.length);
        return true;
    }
    std::vector<std::uint8_t> raw;
    if (!ReadExact(file, c.pos, c.length, raw)) return false;
    text = DecodeNameCp1252(raw.data(), c.length);
    return true;
}

void SetAll(NameText (&slots)[kSlotCount], Presence presence)
{
    for (NameText& t : slots) t = NameText{presence, {}};
}

void ReadNames(Windows& window, RandomAccess& file, const TableRef& table, std::uint16_t userLanguage,
               NameText (&slots)[kSlotCount])
{
    const std::uint8_t* p = table.Holds(0, kNameHeaderSize)
                                ? window.Get(Part::Table, table.offset, kNameHeaderSize, kDirectoryAhead)
                                : nullptr;
    if (!p) return SetAll(slots, Presence::Unreadable);
    const std::uint32_t count = U16(p + 2);
    const std::uint32_t stringOffset = U16(p + 4);

    NameChoice choices[kSlotCount];
    bool cut = false; // the record list ends outside the table or the file
    for (std::uint32_t r = 0; r < count; ++r) {
        const std::uint64_t at = kNameHeaderSize + std::uint64_t{r} * kNameRecordSize;
        p = table.Holds(at, kNameRecordSize)
                ? window.Get(Part::Table, table.offset + at, kNameRecordSize, (count - r) * kNameRecordSize)
                : nullptr;
        if (!p) {
            cut = true;
            break;
        }
        const NameRecordFields record = ParseNameRecord(p);
        const int slot = SlotOf(record.nameId);
        const int rank = slot < 0 ? -1 : LanguageRank(record, userLanguage);
        if (rank < 0) continue;
        const std::uint64_t stringAt = NameStringPos(0, stringOffset, record);
        if (!table.Holds(stringAt, record.length)) {
            choices[slot].unreadable = true;
            continue;
        }
        NameChoice::Candidate& c = choices[slot].byRank[rank];
        if (!c.found) c = {true, table.offset + stringAt, record.length};
    }

    // The best readable record of each name; a damaged one gives way to the next language.
    for (int s = 0; s < kSlotCount; ++s) {
        NameText& t = slots[s];
        t = NameText{};
        for (const NameChoice::Candidate& c : choices[s].byRank) {
            if (!c.found) continue;
            if (ReadString(window, file, c, t.text)) {
                t.presence = Presence::Present;
                break;
            }
            t.text.clear();
            choices[s].unreadable = true;
        }
        if (t.presence != Presence::Present)
            t.presence = choices[s].unreadable || cut ? Presence::Unreadable : Presence::Absent;
    }
}

// The typographic name where the file has one, else the plain one.
NameText Preferred(NameText& typographic, NameText& plain)
{
    if (typographic.presence == Presence::Present) return std::move(typographic);
    if (plain.presence == Presence::Present) return std::move(plain);
    if (typographic.presence == Presence::Unreadable) return std::move(typographic);
    return std::move(plain);
}

// ---- OS/2 and maxp ---------------------------------------------------------------------------

// `size` bytes at the start of a table, or null when it is missing, too short or cut.
const std::uint8_t* TableStart(Windows& window, const TableRef& table, std::uint32_t size)
{
    return table.Holds(0, size) ? window.Get(Part::Table, table.offset, size, size) : nullptr;
}

bool AnyUnreadable(const FontDetails& d) noexcept
{
    for (const NameText* t : {&d.family, &d.subfamily, &d.fullName, &d.version, &d.copyright, &d.trademark,
                              &d.manufacturer, &d.designer, &d.description, &d.licence, &d.licenceUrl})
        if (t->presence == Presence::Unreadable) return true;
    return d.os2 == Presence::Unreadable || d.maxp == Presence::Unreadable || d.cmap == Presence::Unreadable;
}

} // namespace

std::string DecodeNameCp1252(const std::uint8_t* raw, std::uint32_t length)
{
    const std::uint32_t units = length / 2;
    auto unit = [&](std::uint32_t i) -> std::uint32_t { return U16(raw + 2 * i); };
    std::string text;
    text.reserve(units);
    for (std::uint32_t i = 0; i < units; ++i) {
        const std::uint32_t u = unit(i);
        // A character beyond the first 65,536 is one the code page lacks.
        if (u >= 0xD800 && u <= 0xDBFF && i + 1 < units && unit(i + 1) >= 0xDC00 && unit(i + 1) <= 0xDFFF) {
            ++i;
            text += '?';
            continue;
        }
        if (u == '\r' || u == '\n' || u == 0x85 || u == 0x2028 || u == 0x2029) {
            if (u == '\r' && i + 1 < units && unit(i + 1) == '\n') ++i;
            text += "\r\n";
            continue;
        }
        if (u == '\t') {
            text += ' ';
            continue;
        }
        if (u < 0x20 || (u >= 0x7F && u <= 0x9F) || u == 0xFEFF) continue;
        const int b = Cp1252FromUnicode(u);
        text += b < 0 ? '?' : static_cast<char>(b);
    }
    while (!text.empty() && (text.back() == ' ' || text.back() == '\r' || text.back() == '\n')) text.pop_back();
    return text;
}

std::string EmbeddingRightsText(std::uint16_t fsType)
{
    std::string text = (fsType & 0x0008)   ? "Modifiable"
                       : (fsType & 0x0004) ? "Aper\xE7u et impression"
                       : (fsType & 0x0002) ? "Restreinte"
                                           : "Installable";
    if (fsType & 0x0100) text += ", sans sous-ensemble";
    if (fsType & 0x0200) text += ", bitmap uniquement";
    return text;
}

DetailsStatus ReadFontDetails(RandomAccess& file, FontDetails& out, std::uint16_t userLanguage, std::uint32_t faceIndex)
{
    out = FontDetails{};
    // A collection's face lies at its own offset table; its tables' offsets count from the
    // start of the file, like a single font's.
    std::vector<std::uint32_t> faces;
    bool collection = false;
    if (!ReadFaceOffsets(file, faces, collection) || faceIndex >= faces.size()) return DetailsStatus::NotAFont;
    out.faceCount = static_cast<std::uint32_t>(faces.size());
    Windows window(file);
    Directory dir;
    if (!ReadDirectory(window, faces[faceIndex], dir) || !dir.AnyFound()) {
        out = FontDetails{};
        return DetailsStatus::NotAFont;
    }

    NameText names[kSlotCount];
    if (dir.name.found)
        ReadNames(window, file, dir.name, userLanguage, names);
    else
        SetAll(names, dir.Missing());
    out.family = Preferred(names[kTypoFamily], names[kFamily]);
    out.subfamily = Preferred(names[kTypoSubfamily], names[kSubfamily]);
    out.fullName = std::move(names[kFullName]);
    out.version = std::move(names[kVersion]);
    out.copyright = std::move(names[kCopyright]);
    out.trademark = std::move(names[kTrademark]);
    out.manufacturer = std::move(names[kManufacturer]);
    out.designer = std::move(names[kDesigner]);
    out.description = std::move(names[kDescription]);
    out.licence = std::move(names[kLicence]);
    out.licenceUrl = std::move(names[kLicenceUrl]);

    if (!dir.os2.found) {
        out.os2 = dir.Missing();
    } else if (const std::uint8_t* p = TableStart(window, dir.os2, kOs2Size)) {
        out.os2 = Presence::Present;
        out.weightClass = U16(p + 4);
        out.widthClass = U16(p + 6);
        out.fsType = U16(p + 8);
    } else {
        out.os2 = Presence::Unreadable;
    }

    out.outlines = OutlinesOf(dir);

    if (!dir.maxp.found) {
        out.maxp = dir.Missing();
    } else if (const std::uint8_t* p = TableStart(window, dir.maxp, kMaxpSize)) {
        out.maxp = Presence::Present;
        out.glyphCount = U16(p + 4);
    } else {
        out.maxp = Presence::Unreadable;
    }

    if (!dir.cmap.found) {
        out.cmap = dir.Missing();
    } else {
        CmapResult cmap = ReadCmap(CmapContext{window, file, dir.cmap});
        out.cmap = cmap.presence;
        out.symbolCmap = cmap.symbol;
        out.characterCount = cmap.count;
        out.ansiCharacters = cmap.ansi;
    }

    return AnyUnreadable(out) ? DetailsStatus::Partial : DetailsStatus::Complete;
}

} // namespace typa::ttf
