#include "app/Scale.h"
#include <windows.h>

namespace typa {

int ScreenPpi()
{
    static const int ppi = [] {
        HDC dc = GetDC(nullptr);
        int v = dc ? GetDeviceCaps(dc, LOGPIXELSY) : 96;
        if (dc) ReleaseDC(nullptr, dc);
        return v > 0 ? v : 96;
    }();
    return ppi;
}

} // namespace typa
