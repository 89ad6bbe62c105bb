#pragma once
// Reads the names and style of one TrueType file: the offset table, the table directory, the
// first 78 bytes of `OS/2` and the platform-3 family, subfamily and full names of `name`.
// Standard C++ only, over a "read n bytes at offset" interface, so that the same code runs in
// TYPA.EXE and natively under the fuzzer and the benchmark.
#include <cstdint>
#include <functional>
#include <string>

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

// What one file gave. The reader empties `family` and `fullName` first; `subfamily` and
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

// Limits of one file.
inline constexpr std::uint32_t kMaxNameBytes = 400;     // longest name string accepted
inline constexpr std::size_t kMaxFaceNameChars = 31;    // LOGFONTA's face name without its NUL
inline constexpr std::uint32_t kMaxOffset = 0x7FFFFFFF; // positions are signed 32-bit values
// Name records read in one call, over all `name` tables the directory lists: one table can
// hold 65535; a directory naming a `name` table again and again must not make the work grow
// with the product of the two counts.
inline constexpr std::uint32_t kMaxNameRecordsPerFile = 65535;

// Reads `file` into `out`. Never throws on any content; only allocation can throw.
ReadStatus ReadFontNames(RandomAccess& file, FontNames& out, const LanguageQuery& systemLanguage);

// The 8-bit text of a big-endian UTF-16 name: the low byte of each code unit, a trailing odd
// byte dropped; the text ends at its first NUL, since an 8-bit name is a C string.
std::string DecodeNameLowBytes(const std::uint8_t* raw, std::uint32_t length);

} // namespace typa::ttf
