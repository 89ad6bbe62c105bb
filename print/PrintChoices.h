#pragma once
// What the user chose in the print dialog for one job: which fonts, what each block shows and
// the font of the additional data; and how the block options are kept in the PrintOptions setting.
#include <cstdint>

namespace typa {

// The four selection modes, in the order of their radio buttons.
enum class PrintMode { rbSelected, rbSelectedGroup, rbAllInstalled, rbAllAvailable };

struct PrintChoices {
    PrintMode mode = PrintMode::rbAllInstalled;
    bool cbFontname = true; // the font's name
    bool cbFilename = true; // the file name
    bool cbChars = true;    // the alphabet
    bool cbSample = true;   // the sample text
    // rgAdditionalFont: 0 "Police &respective" (name column and file name in the font itself),
    // 1 "Police &système".
    int rgAdditionalFont = 1;
};

// Bits of PrintOptions. Their order is not the order of the boxes on screen.
enum PrintOptionBit : std::uint8_t {
    kPrintFontname = 1 << 0,
    kPrintChars = 1 << 1,
    kPrintFilename = 1 << 2,
    kPrintSample = 1 << 3,
    kPrintSystemFont = 1 << 4,
};

inline void ApplyPrintOptions(std::uint8_t options, PrintChoices& c)
{
    c.cbFontname = options & kPrintFontname;
    c.cbChars = options & kPrintChars;
    c.cbFilename = options & kPrintFilename;
    c.cbSample = options & kPrintSample;
    c.rgAdditionalFont = (options & kPrintSystemFont) ? 1 : 0;
}

inline std::uint8_t PrintOptionsOf(const PrintChoices& c)
{
    return static_cast<std::uint8_t>((c.cbFontname ? kPrintFontname : 0) | (c.cbChars ? kPrintChars : 0) |
                                     (c.cbFilename ? kPrintFilename : 0) | (c.cbSample ? kPrintSample : 0) |
                                     (c.rgAdditionalFont == 1 ? kPrintSystemFont : 0));
}

} // namespace typa
