#pragma once
// The deeper read of one TrueType or OpenType file for the font's sheet: what its `name` table
// says of it in the user's language, its weight, width and embedding rights from `OS/2`, its
// outline kind, its glyph count from `maxp` and the characters its `cmap` covers. It runs once
// when the user opens a sheet, never during the folder scan. Standard C++ only, over the same
// "read n bytes at offset" interface as the scan's reader, so that it runs natively under the
// fuzzer too.
#include "fonts/TrueTypeReader.h"

#include <bitset>
#include <cstdint>
#include <string>

namespace typa::ttf {

// What the file gave for one item of the sheet. Unreadable: the file has it but it could not
// be read (its record or table points outside the table or the file, or the file is cut); the
// sheet shows "illisible" for it.
enum class Presence : std::uint8_t { Absent, Present, Unreadable };

// A string of `name` in the program's 8-bit code page (Windows-1252): characters the code page
// lacks are '?', line breaks are "\r\n", tabs blanks, other control characters left out, blanks
// and line breaks at the end cut off. `text` is empty unless `presence` is Present.
struct NameText {
    Presence presence = Presence::Absent;
    std::string text;
};

enum class OutlineKind : std::uint8_t {
    Unknown,
    TrueType, // `glyf` outlines, or the version tag 0x00010000 or 'true'
    Cff,      // `CFF ` or `CFF2` outlines, or the version tag 'OTTO'
};

enum class DetailsStatus {
    Complete,  // every item the file has was read
    Partial,   // a font, but at least one item is Unreadable
    NotAFont,  // no offset table, no directory, or none of the tables read here: `out` is empty
};

struct FontDetails {
    // From `name`: each in the user's language where the file has it, else U.S. English, else
    // any other language of the Microsoft platform, else the Unicode platform.
    NameText family;       // the typographic family (16) where there is one, else the family (1)
    NameText subfamily;    // the typographic subfamily (17) where there is one, else the subfamily (2)
    NameText fullName;     // 4
    NameText version;      // 5
    NameText copyright;    // 0
    NameText trademark;    // 7
    NameText manufacturer; // 8
    NameText designer;     // 9
    NameText description;  // 10
    NameText licence;      // 13
    NameText licenceUrl;   // 14

    // From `OS/2`; the three numbers are 0 unless `os2` is Present.
    Presence os2 = Presence::Absent;
    std::uint16_t weightClass = 0;
    std::uint16_t widthClass = 0;
    std::uint16_t fsType = 0;

    // From the version tag and the directory.
    OutlineKind outlines = OutlineKind::Unknown;

    // From `maxp`; 0 unless `maxp` is Present.
    Presence maxp = Presence::Absent;
    std::uint16_t glyphCount = 0;

    // From the best subtable of `cmap` (format 12, else 4, else 0; a symbol font's (3,0) one):
    // how many characters map to a glyph other than 0, and which bytes 0x20-0xFF of the code
    // page do (for a symbol font, the codes themselves and 0xF020-0xF0FF for 0x20-0xFF).
    // Both empty unless `cmap` is Present.
    Presence cmap = Presence::Absent;
    bool symbolCmap = false;
    std::uint32_t characterCount = 0;
    std::bitset<256> ansiCharacters;

    // Faces of the file: 1 for a single font, the header's count for a collection.
    std::uint32_t faceCount = 1;
};

// Limits of the deeper read.
// A `cmap` format 12 table with more groups than there are code points cannot be sound.
inline constexpr std::uint32_t kMaxCmapGroups = 0x110000;
inline constexpr std::uint32_t kMaxCodePoint = 0x10FFFF;
// A format 4 table is read whole, at most this many bytes: 16 bytes of header, four arrays of
// 32,767 segments, and a glyph array as far as the last idRangeOffset can reach.
inline constexpr std::uint32_t kMaxCmapFormat4Bytes = 16 + 8 * 32767 + 65535 + 2 * 65535;

// Reads face `faceIndex` (from 0; a single font has only face 0) of `file` into `out` (emptied
// first). `userLanguage` is a Windows language identifier such as 0x040C. NotAFont also for a
// damaged collection header or a face the file does not have. Never throws on any content; only
// allocation can throw.
DetailsStatus ReadFontDetails(RandomAccess& file, FontDetails& out, std::uint16_t userLanguage,
                              std::uint32_t faceIndex = 0);

// A big-endian UTF-16 string of `name` in Windows-1252, as NameText says; a trailing odd byte
// is dropped.
std::string DecodeNameCp1252(const std::uint8_t* raw, std::uint32_t length);

// The embedding rights of an `OS/2` fsType in French, Windows-1252: "Installable",
// "Modifiable", "Aperçu et impression" or "Restreinte" (the least restrictive of the bits
// set wins, as the format asks), followed by ", sans sous-ensemble" and ", bitmap uniquement"
// for bits 8 and 9.
std::string EmbeddingRightsText(std::uint16_t fsType);

} // namespace typa::ttf
