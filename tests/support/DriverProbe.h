#pragma once
// What the driver and DriverHook.dll exchange for a probe: a measurement taken inside the program
// under test, on its own thread. The driver fills the request in a named shared section, posts
// the probe marker to the thread and waits for the event the marker carries; the hook writes
// the answer into the same section before it sets the event.
#include <windows.h>

namespace typa::e2e {

inline constexpr char kProbeSection[] = "TypariumDriverProbe";
inline constexpr char kProbeMarker[] = "TypariumDriverProbe";

enum class ProbeKind : LONG {
    FontFamilies = 1, // value: families whose name starts with `text`, as the program enumerates them
    GdiObjects = 2,   // value: GDI objects the program holds
    Redraw = 3,       // micros: `window` and its children invalidated and painted at once
    ScrollTo = 4,     // micros: LB_SETTOPINDEX `param` on `window` and the paint; value: top row after
    Ink = 5,          // value: pixels of `rect` (client coordinates of `window`) that differ from
                      // the rectangle's top-left pixel, as the window paints itself (WM_PRINTCLIENT)
    Face = 6,         // the font a list row named `text` is drawn in (12 point, regular): `text`
                      // becomes the face the system chose, value the size of its 'CFF ' table
                      // (-1 when it has none)
};

// The marker's wParam: wait for pending input and paints to be handled before measuring.
inline constexpr WPARAM kProbeAfterPaint = 1;

struct ProbeRequest {
    ProbeKind kind;
    HWND window;
    LONG param;
    RECT rect;
    char text[64];
    // Answer.
    LONG value;
    double micros;
};

} // namespace typa::e2e
