#include "ui/FontList.h"

#include "app/Messages.h"
#include "platform/GdiFonts.h"
#include "platform/Handles.h"

#include <algorithm>

namespace typa {
namespace {

constexpr std::size_t kSampleLineLength = 50;
constexpr int kRowFontPoints = 12;
constexpr int kSystemFontPoints = 10;
constexpr int kTextLeft = 3;

LOGFONTA RegularLogFont(HDC dc, const std::string& face, int points)
{
    LOGFONTA lf{};
    lf.lfHeight = -MulDiv(points, GetDeviceCaps(dc, LOGPIXELSY), 72);
    lf.lfWeight = FW_NORMAL;
    // Any character set, so that a symbol font is found by its name like any other.
    lf.lfCharSet = DEFAULT_CHARSET;
    lf.lfOutPrecision = OUT_DEFAULT_PRECIS;
    lf.lfClipPrecision = CLIP_DEFAULT_PRECIS;
    lf.lfQuality = DEFAULT_QUALITY;
    lf.lfPitchAndFamily = DEFAULT_PITCH | FF_DONTCARE;
    const std::size_t n = std::min(face.size(), sizeof lf.lfFaceName - 1);
    std::copy_n(face.begin(), n, lf.lfFaceName);
    return lf;
}

// A font created for one call, with the metrics it has in the DC.
struct RowFont {
    UniqueFont font;
    TEXTMETRICA tm{};

    RowFont(HDC dc, const LOGFONTA& lf) : font(CreateFontIndirectA(&lf))
    {
        ScopedSelect select(dc, font.Get());
        if (!GetTextMetricsA(dc, &tm)) tm = TEXTMETRICA{};
    }
};

// Puts back what the drawing changes in the caller's DC, on every path.
class DcTextState {
public:
    explicit DcTextState(HDC dc)
        : m_dc(dc), m_align(GetTextAlign(dc)), m_text(GetTextColor(dc)), m_back(GetBkColor(dc))
    {
        if (!GetCurrentPositionEx(dc, &m_position)) m_position = POINT{};
    }
    DcTextState(const DcTextState&) = delete;
    DcTextState& operator=(const DcTextState&) = delete;
    ~DcTextState()
    {
        MoveToEx(m_dc, m_position.x, m_position.y, nullptr);
        if (m_back != CLR_INVALID) SetBkColor(m_dc, m_back);
        if (m_text != CLR_INVALID) SetTextColor(m_dc, m_text);
        if (m_align != GDI_ERROR) SetTextAlign(m_dc, m_align);
    }

private:
    HDC m_dc;
    UINT m_align;
    COLORREF m_text;
    COLORREF m_back;
    POINT m_position{};
};

// Draws one line of a row and moves the running top below it.
void DrawLine(HDC dc, const RowFont& font, int left, int right, int& top, const std::string& text)
{
    ScopedSelect select(dc, font.font.Get());
    const RECT clip{left, top, right, top + font.tm.tmHeight};
    ExtTextOutA(dc, left, top + font.tm.tmAscent, ETO_CLIPPED | ETO_OPAQUE, &clip, text.data(),
                static_cast<UINT>(text.size()), nullptr);
    top += font.tm.tmHeight + 1;
}

void DrawHorizontal(HDC dc, int left, int right, int y)
{
    MoveToEx(dc, left, y, nullptr);
    LineTo(dc, right, y);
}

} // namespace

SampleLines SplitSampleText(const std::string& sample)
{
    SampleLines lines;
    lines.first = sample.substr(0, kSampleLineLength);
    if (sample.size() > kSampleLineLength) {
        const std::size_t start = sample.find_first_not_of(" \t", kSampleLineLength);
        if (start != std::string::npos) lines.second = sample.substr(start);
    }
    return lines;
}

LOGFONTA RowFontLogFont(HDC dc, const std::string& rowText)
{
    return RegularLogFont(dc, rowText, kRowFontPoints);
}

LOGFONTA SystemFontLogFont(HDC dc)
{
    return RegularLogFont(dc, "MS Sans Serif", kSystemFontPoints);
}

int SystemLineHeight(HDC dc) { return RowFont(dc, SystemFontLogFont(dc)).tm.tmHeight; }

int MeasureFontRow(HDC dc, const TToShowItem& item, const std::string& rowText, std::uint8_t fontOptions,
                   const std::string& sampleText)
{
    return MeasureFontRow(dc, item, rowText, fontOptions, sampleText, SystemLineHeight(dc));
}

int MeasureFontRow(HDC dc, const TToShowItem&, const std::string& rowText, std::uint8_t fontOptions,
                   const std::string& sampleText, int systemLine)
{
    return MeasureFontRow(dc, rowText, fontOptions, sampleText, systemLine, nullptr);
}

int MeasureFontRow(HDC dc, const std::string& rowText, std::uint8_t fontOptions, const std::string& sampleText,
                   int systemLine, int* fontHeight)
{
    // The font itself is created only when a line is drawn in it.
    const bool ownLines = (fontOptions & (kRowNameInFont | kRowAlphabet | kRowSample)) != 0;
    int h1 = 0;
    if (ownLines) {
        if (fontHeight && *fontHeight > 0) {
            h1 = *fontHeight;
        } else {
            h1 = RowFont(dc, RowFontLogFont(dc, rowText)).tm.tmHeight;
            if (fontHeight) *fontHeight = h1;
        }
    }
    const int h2 = systemLine;
    int height = 6;
    if (fontOptions & kRowNameInFont) height += h1 + 1;
    if (fontOptions & kRowNameInSystem) height += h2 + 1;
    if (fontOptions & kRowFileName) height += h2 + 1;
    if (fontOptions & kRowAlphabet) height += 2 * h1 + 4;
    if (fontOptions & kRowSample) {
        height += h1 + 3;
        if (sampleText.size() > kSampleLineLength) height += h1 + 1;
    }
    return height;
}

void DrawFontRow(HDC dc, const RECT& r, const TToShowItem& item, const std::string& rowText, bool selected,
                 bool availableList, std::uint8_t fontOptions, const std::string& sampleText)
{
    // Fonts and pen are declared before the state guard: the DC gets its own objects back
    // before these are deleted.
    const RowFont own(dc, RowFontLogFont(dc, rowText));
    const RowFont system(dc, SystemFontLogFont(dc));

    COLORREF back = GetSysColor(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW);
    COLORREF fore = GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT);
    if (availableList && item.Installed) {
        back = GetSysColor(COLOR_WINDOW);
        fore = RGB(255, 0, 0);
    }
    const UniquePen pen(CreatePen(PS_SOLID, 1, fore));

    DcTextState restore(dc);
    SetBkColor(dc, back);
    SetTextColor(dc, fore);
    // An empty opaque text output fills the rectangle without a brush.
    ExtTextOutA(dc, r.left, r.top, ETO_OPAQUE, &r, "", 0, nullptr);
    SetTextAlign(dc, TA_BASELINE | TA_LEFT | TA_NOUPDATECP);

    // Texts start 3 pixels into the row; the row's own left edge keeps them in step with
    // horizontal scrolling of the list.
    const int left = r.left + kTextLeft;
    int top = r.top + 3;
    int separator1 = r.top;
    int separator2 = r.top;
    if (fontOptions & kRowNameInFont) DrawLine(dc, own, left, r.right, top, rowText);
    if (fontOptions & kRowNameInSystem) DrawLine(dc, system, left, r.right, top, rowText);
    if (fontOptions & kRowFileName) DrawLine(dc, system, left, r.right, top, item.FileName);
    if (fontOptions & kRowAlphabet) {
        separator1 = top;
        top += 2;
        DrawLine(dc, own, left, r.right, top, LoadMessage(1200));
        DrawLine(dc, own, left, r.right, top, LoadMessage(1210));
    }
    if (fontOptions & kRowSample) {
        separator2 = top;
        top += 2;
        const SampleLines lines = SplitSampleText(sampleText);
        DrawLine(dc, own, left, r.right, top, lines.first);
        if (sampleText.size() > kSampleLineLength) DrawLine(dc, own, left, r.right, top, lines.second);
    }

    // Top, bottom and left edges; the right edge stays open.
    ScopedSelect selectPen(dc, pen.Get());
    DrawHorizontal(dc, r.left, r.right, r.top);
    MoveToEx(dc, r.right, r.bottom - 2, nullptr);
    LineTo(dc, r.left, r.bottom - 2);
    LineTo(dc, r.left, r.top);
    if (fontOptions & kRowAlphabet) DrawHorizontal(dc, r.left, r.right, separator1);
    if (fontOptions & kRowSample) DrawHorizontal(dc, r.left, r.right, separator2);
}

bool NeedsPreview(const TToShowItem& item)
{
    return item.Size != 0 && !item.OwnFileInstalled && !item.PreviewLoaded;
}

void LoadPreview(TToShowItem& item)
{
    // Resources are counted: a second add would need a second remove. The faces of one file
    // share one add, counted in the file they share.
    // A file that cannot be loaded is not marked, so that no later remove takes away a
    // reference that another holder of the same file owns.
    if (item.PreviewLoaded) return;
    if (item.File && item.File->PreviewRefs > 0) {
        ++item.File->PreviewRefs;
        item.PreviewLoaded = true;
        return;
    }
    item.PreviewLoaded = gdi::AddFontResourceFile(item.Path);
    if (item.PreviewLoaded && item.File) item.File->PreviewRefs = 1;
}

void UnloadPreview(TToShowItem& item)
{
    // Only what LoadPreview added: never an installed font's own resource.
    if (!item.PreviewLoaded) return;
    item.PreviewLoaded = false;
    if (item.File && --item.File->PreviewRefs > 0) return; // another face of the file still shows it
    if (item.File) item.File->PreviewRefs = 0;
    gdi::RemoveFontResourceFile(item.Path);
}

} // namespace typa
