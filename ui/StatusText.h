#pragma once
// The selection summary that the status bar shows for the active side.
#include <cstdint>
#include <string>

namespace typa {

struct StatusInput {
    std::uint8_t options = 15;        // StatusOptions: 0 count, 1 selected, 2 size, 3 free space
    bool availableSideActive = false;
    int total = 0;                    // rows of the active list (or all installed fonts at the root)
    int selected = 0;                 // selected rows; on the available side only those not installed
    int notInstalled = 0;             // available rows, selected or not, whose font is not installed
    std::uint64_t selectedSize = 0;   // bytes of the selected available fonts not installed
    char windowsDrive = 'C';
    std::uint64_t freeBytes = 0;      // 0 when the system cannot tell
};

struct SizePair {
    double number;
    const char* unit;
};
// Kilobytes up to 1024 KB, megabytes above, fractions dropped at each step.
SizePair SizeOf(std::uint64_t bytes);

// The summary as the window's own hint: it starts with "|"; the status bar shows the rest.
std::string BuildStatusText(const StatusInput& in);

} // namespace typa
