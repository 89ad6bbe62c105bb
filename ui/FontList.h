#pragma once
// The rows of the two owner-drawn font lists: how high a row is and how it is painted, and the
// temporary font resource that lets a folder font be drawn in itself. The main window owns the
// lists and the items; these functions only borrow the DC and the item for one call.
#include "fonts/FontItem.h"

#include <windows.h>
#include <cstdint>
#include <string>

namespace typa {

// Bits of the FontOptions setting: the parts of a row, top to bottom.
enum FontRowPart : std::uint8_t {
    kRowNameInFont = 1,   // the row text in the font itself
    kRowNameInSystem = 2, // the row text in "MS Sans Serif" 10 point
    kRowFileName = 4,     // the item's file name in "MS Sans Serif" 10 point
    kRowAlphabet = 8,     // messages 1200 and 1210 in the font itself, below a separator
    kRowSample = 16,      // the sample text in the font itself, below a separator
};

// The sample text shown on at most two lines: the first 50 characters, then the rest without
// its leading blanks (empty when the text fits on one line).
struct SampleLines {
    std::string first;
    std::string second;
};
SampleLines SplitSampleText(const std::string& sample);

// The font itself: the face named by the first 31 characters of the row text, 12 point,
// regular, sized for `dc`.
LOGFONTA RowFontLogFont(HDC dc, const std::string& rowText);
// "MS Sans Serif" 10 point, regular, sized for `dc`.
LOGFONTA SystemFontLogFont(HDC dc);

// The height of a row with the parts of `fontOptions`, as the list box wants it from
// WM_MEASUREITEM. Loads no resource: the caller does that around the call. `systemLine` is
// SystemLineHeight(dc), the same for every row, which a caller measuring many rows takes once.
int MeasureFontRow(HDC dc, const TToShowItem& item, const std::string& rowText, std::uint8_t fontOptions,
                   const std::string& sampleText);
int MeasureFontRow(HDC dc, const TToShowItem& item, const std::string& rowText, std::uint8_t fontOptions,
                   const std::string& sampleText, int systemLine);
// The same with the height of the row's own font given when it is known (`*fontHeight` above 0),
// or measured and written there (when `fontHeight` is given): a list that fills thousands of rows
// again need not create every font again.
int MeasureFontRow(HDC dc, const std::string& rowText, std::uint8_t fontOptions, const std::string& sampleText,
                   int systemLine, int* fontHeight);
// The height of the lines of a row drawn in the system font (name and file name).
int SystemLineHeight(HDC dc);

// Paints one row into `r` of `dc` (WM_DRAWITEM). `availableList` marks the folder list, where
// an installed font is shown red whether selected or not. The DC's selected objects, text
// alignment, colours and current position are as before on return; the focus rectangle is the
// caller's.
void DrawFontRow(HDC dc, const RECT& r, const TToShowItem& item, const std::string& rowText, bool selected,
                 bool availableList, std::uint8_t fontOptions, const std::string& sampleText);

// A folder font must be loaded as a font resource before the system can draw it in itself,
// unless its own file is the installed one: a font marked installed for its family or its name
// may differ from the installed face (another style of the family).
bool NeedsPreview(const TToShowItem& item);
// Loads item.Path as a temporary font resource and marks the item when it loaded; a failure is
// not reported (the mapper then draws a substitute face). Does nothing when already loaded. The
// faces of one file load it once: the first face adds it, the others count themselves in.
void LoadPreview(TToShowItem& item);
// Clears the mark and removes the resource that LoadPreview added once no other face of the
// file holds it; does nothing when not loaded.
void UnloadPreview(TToShowItem& item);

} // namespace typa
