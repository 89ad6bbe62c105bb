#pragma once
// ReadTrueTypeInfo: the names and creation record of each face of one font file (TrueType,
// OpenType, or a collection of either), for the folder scan. Opens the file, reads it with the
// portable reader, names in the system's ANSI code page, reports a damaged file itself (message
// 3008, "&Oui"/"&Non") and closes the file on every path.
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace typa {

enum class TrueTypeOutcome : int {
    Usable = 0,    // the family, full name and creation record are complete
    NotUsable = 1, // no message shown, or the user answered "&Oui" to message 3008
    NotFound = 2,  // the file does not exist; no message
    StopScan = 4,  // the user answered "&Non" to message 3008
};

// Results of one call. `family` and `fullName` are emptied first; `subfamily` and `logFont`
// are written only when the file supplies them, so the caller hands them in empty (all zero).
// On any outcome but Usable the caller discards them.
struct TrueTypeInfo {
    std::string family;
    std::string fullName;
    std::string subfamily;
    LOGFONTA logFont{};
    int faceIndex = 0; // where the face lies among the faces of its file, from 0
};

// The usable faces of one file in the file's order, a face whose full name an earlier face of
// the file already has left out (two rows of one name could not be told apart).
struct FontFileInfo {
    bool collection = false; // a collection's header, whatever the file's name
    int faceCount = 0;       // faces the file holds, usable or not
    std::vector<TrueTypeInfo> faces;
};

// What the reads of one call cost: read calls, bytes they returned, and (when `log` is set)
// each read's offset and requested size, in order.
struct FontReadRequest {
    std::uint32_t offset = 0;
    std::uint32_t size = 0;
};
struct FontReadStats {
    unsigned reads = 0;
    std::uint64_t bytes = 0;
    std::vector<FontReadRequest>* log = nullptr;
};

// Every face of the file at `path` (the full path; it is also the %s of message 3008). Usable
// when at least one face is. `systemLanguage` is looked up once by callers that read many files
// (sys::SystemLanguage()); `stats`, when given, receives the cost of the reads.
TrueTypeOutcome ReadFontFileInfo(const std::string& path, FontFileInfo& info, LANGID systemLanguage,
                                 FontReadStats* stats = nullptr);

// The first usable face of the file, as above. Looks up the system language (KERNEL32.DLL's
// version resource) when the file has a platform-3 full name.
TrueTypeOutcome ReadTrueTypeInfo(const std::string& path, TrueTypeInfo& info);

// The same with the system language given.
TrueTypeOutcome ReadTrueTypeInfo(const std::string& path, TrueTypeInfo& info, LANGID systemLanguage,
                                 FontReadStats* stats = nullptr);

} // namespace typa
