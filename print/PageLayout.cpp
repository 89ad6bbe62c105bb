#include "print/PageLayout.h"
#include "platform/Printing.h"

#include "app/Messages.h"
#include "fonts/NameCompare.h"

#include <cmath>

namespace typa {
namespace {

constexpr long double kMmFactor = 0.0394216528158689498L;
constexpr std::size_t kSampleLineLength = 50;

// The nearest integer, halves to the even neighbour.
int RoundEven(long double v) { return static_cast<int>(std::nearbyintl(v)); }

int Hundredths(int ppiX, long double f) { return RoundEven(static_cast<long double>(ppiX) * f * 0.01L); }

} // namespace

// ---- Arithmetic ---------------------------------------------------------------------------

int MmToDevice(int mm, int ppi)
{
    const long long product = static_cast<long long>(mm) * ppi;
    return RoundEven(static_cast<long double>(product) * kMmFactor);
}

int TextInset(int ppiX) { return Hundredths(ppiX, 0.8L); }
int FramePen(int ppiX) { return Hundredths(ppiX, 1.5L); }
int SeparatorPen(int ppiX) { return Hundredths(ppiX, 0.2L); }
int HalfFramePen(int ppiX) { return RoundEven(static_cast<long double>(ppiX) * 1.5L * 0.01L * 0.5L); }

int EnsureLeading(int height, int externalLeading)
{
    const long double tenth = static_cast<long double>(height) * 0.1L;
    return tenth > externalLeading ? RoundEven(tenth) : externalLeading;
}

BlockLines CountBlockLines(const PrintChoices& c, std::size_t sampleLength)
{
    BlockLines b;
    if (c.cbFontname || c.cbFilename) b.lines += 1, b.leadings += 2;
    if (c.cbChars) b.lines += 2, b.leadings += 3;
    if (c.cbSample) {
        b.lines += 1, b.leadings += 2;
        if (sampleLength > kSampleLineLength) b.lines += 1, b.leadings += 1;
    }
    return b;
}

int BlockHeight(const PrintChoices& c, std::size_t sampleLength, int H, int E, int ppiX, int ppiY)
{
    const BlockLines b = CountBlockLines(c, sampleLength);
    return MmToDevice(5, ppiY) + b.lines * H + b.leadings * E + HalfFramePen(ppiX);
}

SampleSplit SplitSample(const std::string& sample)
{
    SampleSplit s;
    s.first = sample.substr(0, kSampleLineLength);
    if (sample.size() > kSampleLineLength) {
        std::size_t start = kSampleLineLength;
        while (start < sample.size() && static_cast<unsigned char>(sample[start]) <= 32) ++start;
        s.second = sample.substr(start);
    }
    return s;
}

std::string HeaderDate(const SYSTEMTIME& date)
{
    // The pattern's letters are the usual date letters: d day, m month, y year. The system's
    // picture writes the month with a capital M.
    std::string picture = LoadMessage(1230);
    for (char& ch : picture)
        if (ch == 'm') ch = 'M';
    char text[128] = {};
    if (!GetDateFormatA(LOCALE_USER_DEFAULT, 0, &date, picture.c_str(), text, sizeof text)) return {};
    return text;
}

// ---- Drawing ------------------------------------------------------------------------------

TSampleSheet::TSampleSheet(HDC dc, SheetSetup setup)
    : m_dc(dc), m_setup(std::move(setup)), m_ppiX(GetDeviceCaps(dc, LOGPIXELSX)), m_ppiY(GetDeviceCaps(dc, LOGPIXELSY))
{
    if (m_ppiX <= 0) m_ppiX = 300;
    if (m_ppiY <= 0) m_ppiY = 300;
    GetLocalTime(&Date);
}

TSampleSheet::~TSampleSheet()
{
    if (m_originalFont) SelectObject(m_dc, m_originalFont);
    if (m_originalPen) SelectObject(m_dc, m_originalPen);
}

void TSampleSheet::SelectFont(const LOGFONTA& lf)
{
    UniqueFont font(CreateFontIndirectA(&lf));
    if (!font) return; // the previous font stays; the platform's matching is not second-guessed
    HGDIOBJ previous = SelectObject(m_dc, font.Get());
    if (!m_originalFont) m_originalFont = previous;
    m_font = std::move(font); // the replaced font is no longer selected: it can go
    m_fontAsOutlines = !printing::PrinterTakesFontAsText(m_dc);
}

void TSampleSheet::SelectNamedFont(const char* face, int points)
{
    LOGFONTA lf{};
    lf.lfHeight = -MulDiv(points, m_ppiY, 72);
    lf.lfWeight = FW_NORMAL;
    lf.lfCharSet = DEFAULT_CHARSET;
    lstrcpynA(lf.lfFaceName, face, LF_FACESIZE);
    SelectFont(lf);
}

void TSampleSheet::SelectSampleFont(const TToShowItem& item)
{
    if (item.Family == "*") {
        SelectNamedFont(item.Name.c_str(), 12);
        return;
    }
    LOGFONTA lf = item.LogFont;
    lf.lfFaceName[LF_FACESIZE - 1] = '\0'; // a record read from a file is not trusted to end
    lf.lfHeight = -MulDiv(12, m_ppiY, 72);
    lf.lfWidth = 0;
    SelectFont(lf);
}

TEXTMETRICA TSampleSheet::Metrics() const
{
    TEXTMETRICA tm{};
    GetTextMetricsA(m_dc, &tm);
    return tm;
}

int TSampleSheet::Width(const std::string& text) const
{
    SIZE size{};
    GetTextExtentPoint32A(m_dc, text.c_str(), static_cast<int>(text.size()), &size);
    return size.cx;
}

void TSampleSheet::BoxText(int x0, int y0, int x1, int y1, int x, int y, const std::string& text) const
{
    RECT box{x0, y0, x1, y1};
    if (!m_fontAsOutlines) {
        ExtTextOutA(m_dc, x, y, ETO_CLIPPED | ETO_OPAQUE, &box, text.c_str(), static_cast<UINT>(text.size()), nullptr);
        return;
    }
    // The same, drawn as the glyphs' outlines: the box in the background colour, then the text
    // filled in the text colour, clipped to the box.
    UniqueBrush background(CreateSolidBrush(GetBkColor(m_dc)));
    FillRect(m_dc, &box, background.Get());
    const int saved = SaveDC(m_dc);
    IntersectClipRect(m_dc, box.left, box.top, box.right, box.bottom);
    SetBkMode(m_dc, TRANSPARENT);
    UniqueBrush ink(CreateSolidBrush(GetTextColor(m_dc)));
    SelectObject(m_dc, ink.Get());
    SelectObject(m_dc, GetStockObject(NULL_PEN));
    BeginPath(m_dc);
    TextOutA(m_dc, x, y, text.c_str(), static_cast<int>(text.size()));
    EndPath(m_dc);
    FillPath(m_dc);
    RestoreDC(m_dc, saved); // the brush and pen before it, so `ink` can go
}

void TSampleSheet::Line(int x0, int y0, int x1, int y1) const
{
    MoveToEx(m_dc, x0, y0, nullptr);
    LineTo(m_dc, x1, y1);
}

std::string TSampleSheet::Subtitle(const std::string& groupText) const
{
    switch (m_setup.choices.mode) {
    case PrintMode::rbSelected: return FormatMessage(1240, {groupText});
    case PrintMode::rbSelectedGroup: return FormatMessage(1241, {groupText});
    case PrintMode::rbAllInstalled: return FormatMessage(1242, {groupText});
    case PrintMode::rbAllAvailable: return FormatMessage(1243, {LowerCase(m_setup.folderPath)});
    }
    return {};
}

void TSampleSheet::DrawPageHeader(int pageNumber, const std::string& groupName)
{
    SetTextAlign(m_dc, TA_LEFT | TA_BASELINE | TA_NOUPDATECP);
    SetTextColor(m_dc, RGB(0, 0, 0));
    SetBkColor(m_dc, RGB(255, 255, 255));
    SetBkMode(m_dc, TRANSPARENT);

    CurrentY = MmToDeviceY(15);
    const std::string pageText = FormatMessage(1220, {pageNumber});

    SelectNamedFont("MS Sans Serif", 14);
    const TEXTMETRICA t14 = Metrics();
    const int baseline = CurrentY + t14.tmAscent + 5;
    const std::string title = LoadMessage(100);
    TextOutA(m_dc, m_setup.LeftX, baseline, title.c_str(), static_cast<int>(title.size()));
    const int titleWidth = Width(title);
    // Between the title and the page number, measured from the page's left edge.
    const int dateX = titleWidth + (m_setup.RightX - titleWidth - Width(pageText)) / 2;
    CurrentY += t14.tmHeight + t14.tmExternalLeading;

    SelectNamedFont("MS Sans Serif", 10);
    const std::string date = HeaderDate(Date);
    TextOutA(m_dc, dateX, baseline, date.c_str(), static_cast<int>(date.size()));
    TextOutA(m_dc, m_setup.RightX - Width(pageText), baseline, pageText.c_str(), static_cast<int>(pageText.size()));

    const std::string groupText = groupName.empty() ? LoadMessage(1091) : groupName;
    const std::string subtitle = Subtitle(groupText);
    TEXTMETRICA t10 = Metrics();
    TextOutA(m_dc, m_setup.LeftX, CurrentY + 2 * t10.tmAscent + 5, subtitle.c_str(), static_cast<int>(subtitle.size()));

    if (m_setup.HasFailedFonts) {
        CurrentY += 2 * (t10.tmHeight + t10.tmExternalLeading);
        SelectNamedFont("MS Sans Serif", 8);
        const int a8 = Metrics().tmAscent;
        const std::string note = LoadMessage(1244);
        TextOutA(m_dc, m_setup.LeftX, CurrentY + a8, note.c_str(), static_cast<int>(note.size()));
        SelectNamedFont("MS Sans Serif", 10);
        t10 = Metrics();
    }
    CurrentY += 3 * (t10.tmHeight + t10.tmExternalLeading);
}

int TSampleSheet::MeasureFontBlock(const TToShowItem& item)
{
    SelectSampleFont(item);
    const TEXTMETRICA tm = Metrics();
    return BlockHeight(m_setup.choices, m_setup.sampleText.size(), tm.tmHeight,
                       EnsureLeading(tm.tmHeight, tm.tmExternalLeading), m_ppiX, m_ppiY);
}

void TSampleSheet::DrawFontBlock(const TToShowItem& item, int L, int T, int R, int B)
{
    const PrintChoices& c = m_setup.choices;
    const bool systemColumn = c.rgAdditionalFont == 1;
    const int inset = TextInset(m_ppiX);
    SetTextAlign(m_dc, TA_LEFT | TA_BASELINE | TA_NOUPDATECP);
    SetTextColor(m_dc, RGB(0, 0, 0));
    SetBkColor(m_dc, RGB(255, 255, 255));
    SetBkMode(m_dc, OPAQUE);

    SelectSampleFont(item);
    const TEXTMETRICA tm = Metrics();
    const int H = tm.tmHeight, A = tm.tmAscent, E = EnsureLeading(tm.tmHeight, tm.tmExternalLeading);
    int x0 = L, y0 = T + E, x1 = R, y1 = T + E + H;
    int textX = L + MmToDeviceX(3), y = T + E + A;
    bool nameDrawn = false, charsDrawn = false;

    if (c.cbFontname) {
        nameDrawn = true;
        int column = 0; // the system-font column at the right: 3 mm, name, [7 mm, file name], 3 mm
        if (systemColumn) {
            SelectNamedFont("MS Sans Serif", 10);
            column = c.cbFilename ? Width(item.Name) + Width(item.FileName) + MmToDeviceX(13)
                                  : Width(item.Name) + MmToDeviceX(6);
            x1 = R - column;
            SelectSampleFont(item);
        }
        std::string text = item.Name;
        if (item.Family == "*") text.insert(text.begin(), '*');
        BoxText(x0 + inset, y0, x1 + inset, y1, textX, y, text);
        if (systemColumn) {
            SelectNamedFont("MS Sans Serif", 10);
            x0 = R - column + MmToDeviceX(3);
            x1 = x0 + Width(item.Name);
            BoxText(x0, y0, x1, y1, x0, y, item.Name);
        }
    }
    if (c.cbFilename) {
        if (systemColumn) SelectNamedFont("MS Sans Serif", 10);
        nameDrawn = true;
        x0 = R - Width(item.FileName) - MmToDeviceX(3);
        x1 = R;
        BoxText(x0 - inset, y0, R - inset, y1, x0, y, item.FileName);
    }
    if (c.cbChars) {
        charsDrawn = true;
        SelectSampleFont(item);
        x0 = L;
        if (nameDrawn) y0 = y0 + H + 2 * E, y1 = y0 + H;
        textX = L + MmToDeviceX(3);
        y = y0 + A;
        BoxText(L + inset, y0, x1 - inset, y1, textX, y, LoadMessage(1200));
        y0 = y0 + H + E, y1 = y0 + H, y = y0 + A;
        BoxText(L + inset, y0, x1 - inset, y1, textX, y, LoadMessage(1210));
    }
    if (c.cbSample) {
        SelectSampleFont(item);
        x0 = L;
        if (nameDrawn || charsDrawn) y0 = y0 + H + 2 * E, y1 = y0 + H;
        textX = L + MmToDeviceX(3);
        y = y0 + A;
        const SampleSplit lines = SplitSample(m_setup.sampleText);
        BoxText(L + inset, y0, x1 - inset, y1, textX, y, lines.first);
        if (m_setup.sampleText.size() > kSampleLineLength) {
            y0 = y0 + H + E, y1 = y0 + H, y = y0 + A;
            BoxText(L + inset, y0, x1 - inset, y1, textX, y, lines.second);
        }
    }

    const int frameBottom = B - MmToDeviceY(5);
    // A pen is replaced in the DC before it is deleted.
    UniquePen frame(CreatePen(PS_SOLID, FramePen(m_ppiX), RGB(0, 0, 0)));
    HGDIOBJ previous = SelectObject(m_dc, frame.Get());
    if (!m_originalPen) m_originalPen = previous;
    m_pen = std::move(frame);
    MoveToEx(m_dc, L, T, nullptr);
    LineTo(m_dc, R, T);
    LineTo(m_dc, R, frameBottom);
    LineTo(m_dc, L, frameBottom);
    LineTo(m_dc, L, T);

    UniquePen separator(CreatePen(PS_SOLID, SeparatorPen(m_ppiX), RGB(0, 0, 0)));
    SelectObject(m_dc, separator.Get());
    m_pen = std::move(separator);
    int s = T;
    if (nameDrawn) {
        s = T + H + 2 * E;
        Line(L, s, R, s);
    }
    if (charsDrawn) {
        s = s + 2 * H + 3 * E;
        Line(L, s, R, s);
    }
}

} // namespace typa
