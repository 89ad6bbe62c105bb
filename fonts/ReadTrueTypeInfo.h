#pragma once
// ReadTrueTypeInfo: the names and creation record of one TrueType file, for the folder scan.
// Opens the file, reads it with the portable reader, reports a damaged file itself (message
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

// `path` is the full path; it is also the %s of message 3008. Looks up the system language
// (KERNEL32.DLL's version resource) when the file has a platform-3 full name.
TrueTypeOutcome ReadTrueTypeInfo(const std::string& path, TrueTypeInfo& info);

// The same with the system language given, for callers that read many files and look the
// language up once (sys::SystemLanguage()). `stats`, when given, receives the cost of the reads.
TrueTypeOutcome ReadTrueTypeInfo(const std::string& path, TrueTypeInfo& info, LANGID systemLanguage,
                                 FontReadStats* stats = nullptr);

} // namespace typa
