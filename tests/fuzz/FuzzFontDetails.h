#pragma once
// The checks one fuzz input goes through in the font sheet's deeper read; shared by its fuzz
// target and the regression runner.
#include <cstddef>
#include <cstdint>

namespace typa::fuzz {

// Reads one face of `data` (chosen by its last byte) with ReadFontDetails for two user
// languages and traps on a read that asks for nothing, too many reads, a broken invariant of
// the result, faces other than the collection header's, or a difference between the two
// languages in anything but the texts chosen.
void CheckDetails(const std::uint8_t* data, std::size_t size);

} // namespace typa::fuzz
