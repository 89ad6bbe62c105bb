#pragma once
// Reads the names and style of the faces of one font file: a TrueType or OpenType file (version
// tag 0x00010000, 'true' or 'OTTO') holds one face, a collection ('ttcf') several, each with its
// own offset table and directory over tables that it may share with the others. Of each face it
// reads the offset table, the table directory, the first 78 bytes of `OS/2` and the platform-3
// family, subfamily and full names of `name`.
// Standard C++ only, over a "read n bytes at offset" interface, so that the same code runs in
// TYPA.EXE and natively under the fuzzer and the benchmark.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace typa::ttf {

// A file opened for reading, read by position.
class RandomAccess {
public:
    virtual ~RandomAccess() = default;
    // Reads at most `size` bytes at `offset` into `buffer`. Returns the number of bytes read,
    // fewer than `size` only at the end of the file (0 at or past it), or -1 on an error.
    virtual std::int32_t ReadAt(std::uint32_t offset, void* buffer, std::uint32_t size) = 0;
};

// The fields of a Win32 LOGFONTA, in its order, without the Windows headers.
struct LogFontFields {
    std::int32_t height = 0;
    std::int32_t width = 0;
    std::int32_t escapement = 0;
    std::int32_t orientation = 0;
    std::int32_t weight = 0;
    std::uint8_t italic = 0;
    std::uint8_t underline = 0;
    std::uint8_t strikeOut = 0;
    std::uint8_t charSet = 0;
    std::uint8_t outPrecision = 0;
    std::uint8_t clipPrecision = 0;
    std::uint8_t quality = 0;
    std::uint8_t pitchAndFamily = 0;
    char faceName[32] = {};
};

// What one face gave. The reader empties `family` and `fullName` first; `subfamily` and
// `logFont` are written only when the file supplies them (the caller hands them in empty).
struct FontNames {
    std::string family;
    std::string fullName;
    std::string subfamily;
    LogFontFields logFont;
    // Whether an `OS/2` table filled `logFont` (everything but the face name).
    bool os2Seen = false;
};

enum class ReadStatus {
    Usable,    // OS/2 seen, family and full name non-empty
    NotUsable, // a sound file without what the lists need
    Fault,     // the file is damaged: a short read, an offset out of range, a name too long
};

// The system's language identifier, asked for at most once per file and only when the file
// has a platform-3 full name.
using LanguageQuery = std::function<std::uint16_t()>;

// Turns the big-endian UTF-16 strings of `name` into the program's 8-bit text.
class NameDecoder {
public:
    virtual ~NameDecoder() = default;
    // The text of `length` bytes up to its first NUL, a trailing odd byte dropped. A character
    // that the code page cannot hold becomes "?" and clears `whole`; `whole` is left as it is
    // otherwise.
    virtual std::string Decode(const std::uint8_t* raw, std::uint32_t length, bool& whole) const = 0;
};

// Windows-1252, the code page of the program's own texts, without asking the system: for the
// fuzzer, the benchmarks and the tests.
const NameDecoder& Cp1252Names();

// Limits of one file.
inline constexpr std::uint32_t kMaxNameBytes = 400;     // longest name string accepted
inline constexpr std::size_t kMaxFaceNameChars = 31;    // LOGFONTA's face name without its NUL
inline constexpr std::uint32_t kMaxOffset = 0x7FFFFFFF; // positions are signed 32-bit values
// Name records read for one face, over all `name` tables its directory lists: one table can
// hold 65535; a directory naming a `name` table again and again must not make the work grow
// with the product of the two counts.
inline constexpr std::uint32_t kMaxNameRecordsPerFile = 65535;
// A collection: at most this many faces (real ones hold a few dozen at most), and over all its
// faces at most this many directory entries and name records, so that no crafted header makes
// the work grow with the product of its counts.
inline constexpr std::uint32_t kMaxFacesPerFile = 1024;
inline constexpr std::uint32_t kMaxEntriesPerCollection = 1u << 20;

// Reads the face that starts the file into `out`; for a collection, its first face. Never
// throws on any content; only allocation can throw.
ReadStatus ReadFontNames(RandomAccess& file, FontNames& out, const LanguageQuery& systemLanguage,
                         const NameDecoder& decoder = Cp1252Names());

struct FontFace {
    ReadStatus status = ReadStatus::NotUsable;
    FontNames names;
};

// Every face of one file, in the file's order.
struct FontFaces {
    bool collection = false; // a 'ttcf' header, whatever the file's name
    std::vector<FontFace> faces;
};

// Reads every face of `file`. Usable when at least one face is; Fault when the collection's
// header is damaged (no faces, more than kMaxFacesPerFile, a face table past the file, two
// faces at one offset) or any face is; NotUsable otherwise. The system language is asked at
// most once for the whole file.
ReadStatus ReadFontFaces(RandomAccess& file, FontFaces& out, const LanguageQuery& systemLanguage,
                         const NameDecoder& decoder = Cp1252Names());

// Where the faces of a file start: one face at 0 for a single font, the offsets of a
// collection's header otherwise. False when a collection's header is damaged as above.
bool ReadFaceOffsets(RandomAccess& file, std::vector<std::uint32_t>& offsets, bool& collection);

} // namespace typa::ttf
