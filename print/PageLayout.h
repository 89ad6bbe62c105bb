#pragma once
// The sample sheet: a page header and, below it, one framed block per font. Every measure is in
// printer device pixels, x from the left edge of the printable area, y down from its top.
//
// The arithmetic (millimetres and hundredths of an inch to pixels, leading, block heights) is
// free of any device so that it can be checked on its own; TSampleSheet draws on a page with it.
#include <windows.h>

#include <cstdint>
#include <string>

#include "fonts/FontItem.h"
#include "platform/Handles.h"
#include "print/PrintChoices.h"

namespace typa {

// ---- Arithmetic ---------------------------------------------------------------------------

// The nearest integer to (mm × ppi) × 0.0394216528158689498, the product formed first, then
// scaled in extended precision; halves go to the even neighbour. The factor is slightly above
// 1/25.4, and the printed sheets keep it: 15 mm at 600 pixels per inch is 355.
int MmToDevice(int mm, int ppi);

// Lengths in hundredths of an inch, all measured with the horizontal resolution: the nearest
// integer (halves to even) to ppi × f × 0.01.
int TextInset(int ppiX);     // f = 0.8
int FramePen(int ppiX);      // f = 1.5
int SeparatorPen(int ppiX);  // f = 0.2
int HalfFramePen(int ppiX);  // f = 1.5, halved: what the frame adds to a block's height

// The external leading of the sample font is at least a tenth of its height (halves to even).
int EnsureLeading(int height, int externalLeading);

// Lines and leadings of a block with these options and a sample text of `sampleLength`
// characters (two sample lines above 50).
struct BlockLines {
    int lines = 0;
    int leadings = 0;
};
BlockLines CountBlockLines(const PrintChoices& choices, std::size_t sampleLength);

// The height of a block whose sample font has height H and (raised) leading E: 5 mm, n lines,
// m leadings and half the frame pen.
int BlockHeight(const PrintChoices& choices, std::size_t sampleLength, int H, int E, int ppiX, int ppiY);

// The two sample lines: the first 50 characters, then the rest without its leading characters
// of code 32 or below. The second is empty when the text fits on one line.
struct SampleSplit {
    std::string first;
    std::string second;
};
SampleSplit SplitSample(const std::string& sample);

// The header's date: message 1230's pattern ("d mmmm yyyy") for `date` in the user's locale.
std::string HeaderDate(const SYSTEMTIME& date);

// ---- Drawing ------------------------------------------------------------------------------

// What a sheet needs to know of the job besides the fonts.
struct SheetSetup {
    PrintChoices choices;
    std::string sampleText;
    // The folder named in the header of mode rbAllAvailable, as the user's folder tree has it.
    std::string folderPath;
    int LeftX = 0;  // left edge of every block
    int RightX = 0; // right edge of every block
    bool HasFailedFonts = false; // every header carries the footnote 1244
};

// Draws headers and blocks on the pages of one printer device context. The font current on the
// page belongs to the sheet: it is deleted when the next one replaces it, and the DC gets its
// own font back when the sheet goes.
class TSampleSheet {
public:
    TSampleSheet(HDC dc, SheetSetup setup);
    ~TSampleSheet();
    TSampleSheet(const TSampleSheet&) = delete;
    TSampleSheet& operator=(const TSampleSheet&) = delete;

    // Top of the next block; the header sets it, the job moves it down.
    int CurrentY = 0;
    SheetSetup& Setup() noexcept { return m_setup; }
    int PpiX() const noexcept { return m_ppiX; }
    int PpiY() const noexcept { return m_ppiY; }
    int MmToDeviceX(int mm) const { return MmToDevice(mm, m_ppiX); }
    int MmToDeviceY(int mm) const { return MmToDevice(mm, m_ppiY); }

    // The header of a page: program name, date and page number on one baseline, the subtitle
    // below, the footnote when some chosen font failed; leaves CurrentY at the first block.
    // An empty group name stands for "Polices Windows".
    void DrawPageHeader(int pageNumber, const std::string& groupName);
    // The height of the item's block on this page.
    int MeasureFontBlock(const TToShowItem& item);
    // The item's block in the rectangle: its lines, the frame and the separators.
    void DrawFontBlock(const TToShowItem& item, int L, int T, int R, int B);
    // The item's own font at 12 point: from its creation record, or by its name when the record
    // holds nothing usable (Family "*").
    void SelectSampleFont(const TToShowItem& item);
    // The date the headers show (today unless a test sets it).
    SYSTEMTIME Date{};

private:
    void SelectNamedFont(const char* face, int points);
    void SelectFont(const LOGFONTA& lf);
    TEXTMETRICA Metrics() const;
    int Width(const std::string& text) const;
    void BoxText(int x0, int y0, int x1, int y1, int x, int y, const std::string& text) const;
    void Line(int x0, int y0, int x1, int y1) const;
    std::string Subtitle(const std::string& groupText) const;

    HDC m_dc;
    SheetSetup m_setup;
    int m_ppiX, m_ppiY;
    UniqueFont m_font; // the font current on the page
    bool m_fontAsOutlines = false; // ... goes to the printer as filled outlines, not as text
    HGDIOBJ m_originalFont = nullptr;
    HGDIOBJ m_originalPen = nullptr;
    UniquePen m_pen;
    int m_savedDc = 0;
};

} // namespace typa
