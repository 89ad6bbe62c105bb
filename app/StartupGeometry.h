#pragma once
// Where the main window opens: the default size centred on the screen, or the size saved at the
// last exit (its position is not restored), never smaller than the minimum.
#include "app/Settings.h"
#include <windows.h>

namespace typa {

struct StartupInput {
    settings::OptionSet appTools = settings::kAppToolsDefault;
    settings::AppPos appPos;
    SIZE workArea{};  // size of the desktop work area
    SIZE screen{};    // size of the whole screen
    int ppi = 96;
};

RECT InitialWindowBounds(const StartupInput& in);

} // namespace typa
