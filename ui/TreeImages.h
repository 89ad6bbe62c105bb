#pragma once
// The 16 × 16 pictures of the two trees, drawn here rather than shipped as bitmaps.
#include <windows.h>
#include <commctrl.h>

namespace typa {

// ilInstalledGroup: 0/1 closed/open folder with a coloured "A" ("Polices Windows"), 2/3 the same
// with a black "A" (user groups), 4 a computer (the root), 5 as 0.
HIMAGELIST CreateInstalledGroupImages();
// ilAvailableGroup: 0/1 question mark, 2 floppy, 3 hard disk, 4 network drive, 5 CD-ROM,
// 6 memory chip, 7/8 closed/open folder with an "A".
HIMAGELIST CreateAvailableGroupImages();

} // namespace typa
