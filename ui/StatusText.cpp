#include "ui/StatusText.h"
#include "app/Messages.h"

#include <windows.h>

namespace typa {

SizePair SizeOf(std::uint64_t bytes)
{
    std::uint64_t k = bytes / 1024;
    if (k <= 1024) return {static_cast<double>(k), "KB"};
    return {static_cast<double>(k / 1024), "MB"};
}

std::string BuildStatusText(const StatusInput& in)
{
    const bool count = in.options & 1, sel = in.options & 2, size = in.options & 4, free = in.options & 8;
    const bool someSelected = sel && in.selected >= 1;
    std::string s = "|";
    if (sel) {
        if (in.selected > 0)
            s += std::to_string(in.selected);
        else if (in.total == 0)
            s += LoadMessage(1001);
    } else if (count && in.total == 0) {
        s += LoadMessage(1001);
    }
    if (count && in.total >= 1) {
        if (someSelected) s += " " + LoadMessage(1002);
        s += " " + std::to_string(in.total);
    }
    if (someSelected || count) {
        s += " " + LoadMessage(1003);
        if (someSelected) s += " " + LoadMessage(1004);
    }
    if (in.availableSideActive && (someSelected || (count && in.total >= 1)))
        s += ", " + FormatMessage(1005, {in.notInstalled});
    if (size && in.selected >= 1 && in.availableSideActive) {
        SizePair p = SizeOf(in.selectedSize);
        s += "   " + FormatMessage(1006, {p.number, p.unit});
    }
    if (free) {
        SizePair p = SizeOf(in.freeBytes);
        char drive[2] = {static_cast<char>(in.windowsDrive), 0};
        CharUpperBuffA(drive, 1);
        s += "   " + FormatMessage(1007, {drive, p.number, p.unit});
    }
    return s;
}

} // namespace typa
