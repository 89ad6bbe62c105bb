#include "app/StartupGeometry.h"
#include "app/Scale.h"

namespace typa {

RECT InitialWindowBounds(const StartupInput& in)
{
    int width = ScaledFor(631, in.ppi);
    int height = ScaledFor(452, in.ppi);
    int left = (in.screen.cx - width) / 2;
    int top = (in.screen.cy - height) / 2;

    const settings::AppPos& p = in.appPos;
    if ((in.appTools & settings::kRestoreSize) && p.right > p.left && p.bottom > p.top && p.right > 0 &&
        p.bottom > 0) {
        // Differences of two int32 may not fit an int32: compute wide, then clamp to the work area.
        long long w = static_cast<long long>(p.right) - p.left;
        long long h = static_cast<long long>(p.bottom) - p.top;
        width = static_cast<int>(w < in.workArea.cx ? w : in.workArea.cx);
        height = static_cast<int>(h < in.workArea.cy ? h : in.workArea.cy);
        // Centred in the work area's size; its origin is deliberately not added.
        left = (in.workArea.cx - width) / 2;
        top = (in.workArea.cy - height) / 2;
    }

    if (height < ScaledFor(435, in.ppi)) height = ScaledFor(435, in.ppi);
    if (width < ScaledFor(560, in.ppi)) width = ScaledFor(560, in.ppi);
    if (in.screen.cx < width) width = in.screen.cx;
    return RECT{left, top, left + width, top + height};
}

} // namespace typa
