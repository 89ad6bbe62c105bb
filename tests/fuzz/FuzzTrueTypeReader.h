#pragma once
// The checks one fuzz input goes through; shared by the fuzz target and the regression runner.
#include <cstddef>
#include <cstdint>

namespace typa::fuzz {

// Reads `data` as a font file with the reader and with a plain step-by-step reading that
// follows the algorithm literally (one seek and one exact read at a time, every full-name
// candidate kept), for two system languages, and traps on any difference or broken invariant.
void CheckOne(const std::uint8_t* data, std::size_t size);

} // namespace typa::fuzz
