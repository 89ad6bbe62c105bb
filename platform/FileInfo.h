#pragma once
// What a directory search tells about one file, and dates in the user's format.
#include <windows.h>

#include <optional>
#include <string>

namespace typa::files {

// Last-write time, in local time, of the first entry that a directory search for `path` finds
// (entries of any attributes, folders included). Empty when the search finds nothing.
std::optional<SYSTEMTIME> LastWriteTime(const std::string& path);

// `date` in the user's short date format ("29/02/2024" under French settings); "" when the
// system cannot format it.
std::string ShortDateText(const SYSTEMTIME& date);

} // namespace typa::files
