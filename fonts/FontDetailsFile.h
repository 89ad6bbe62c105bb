#pragma once
// The deeper read of one font file for its sheet, from the file itself.
#include "fonts/FontDetails.h"

#include <string>

namespace typa {

enum class DetailsFile { Read, NotFound, Failed };

// Opens `path`, reads its face `faceIndex` with ReadFontDetails in the user's language and closes
// it. NotFound: the file (or its folder) has gone; Failed: it could not be opened (`details`
// stays empty).
DetailsFile ReadFontDetailsFile(const std::string& path, ttf::FontDetails& details, std::uint16_t userLanguage,
                                ttf::DetailsStatus* status = nullptr, int faceIndex = 0);

} // namespace typa
