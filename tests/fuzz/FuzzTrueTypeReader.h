#pragma once
// The checks one fuzz input goes through; shared by the fuzz target and the regression runner.
#include <cstddef>
#include <cstdint>

namespace typa::fuzz {

// Reads `data` as a font file, every face (ReadFontFaces) and the first (ReadFontNames), with
// the reader and with a plain step-by-step reading that follows the algorithm literally (one
// seek and one exact read at a time, every candidate of a name kept and chosen from at the end
// of its table), for two system languages, and traps on any difference or broken invariant.
void CheckOne(const std::uint8_t* data, std::size_t size);

} // namespace typa::fuzz
