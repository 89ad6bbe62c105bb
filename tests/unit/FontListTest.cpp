#include "ui/FontList.h"

#include "app/Messages.h"
#include "platform/Handles.h"

#include <doctest/doctest.h>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

using namespace typa;

namespace {

constexpr int kWidth = 240;
constexpr int kHeight = 200;
constexpr std::uint8_t kAllParts = 31;

// A 32-bit top-down DIB selected into a memory DC: what the row painter draws can be read back.
class Canvas {
public:
    Canvas()
    {
        m_dc.Reset(CreateCompatibleDC(nullptr));
        BITMAPINFO bi{};
        bi.bmiHeader.biSize = sizeof bi.bmiHeader;
        bi.bmiHeader.biWidth = kWidth;
        bi.bmiHeader.biHeight = -kHeight;
        bi.bmiHeader.biPlanes = 1;
        bi.bmiHeader.biBitCount = 32;
        bi.bmiHeader.biCompression = BI_RGB;
        void* bits = nullptr;
        m_bitmap.Reset(CreateDIBSection(m_dc.Get(), &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
        m_bits = static_cast<const std::uint32_t*>(bits);
        m_select.emplace(m_dc.Get(), m_bitmap.Get());
        REQUIRE(m_dc);
        REQUIRE(m_bits);
    }
    HDC Dc() const { return m_dc.Get(); }
    COLORREF Pixel(int x, int y) const
    {
        GdiFlush();
        const std::uint32_t v = m_bits[y * kWidth + x];
        return RGB((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF);
    }
    std::vector<std::uint32_t> Snapshot() const
    {
        GdiFlush();
        return std::vector<std::uint32_t>(m_bits, m_bits + kWidth * kHeight);
    }
    // Pixels of rows [top, bottom) and columns [left, right) that differ from `back`.
    int Ink(int left, int top, int right, int bottom, COLORREF back) const
    {
        int n = 0;
        for (int y = top; y < bottom; ++y)
            for (int x = left; x < right; ++x) n += Pixel(x, y) != back;
        return n;
    }
    int Count(int left, int top, int right, int bottom, COLORREF colour) const
    {
        int n = 0;
        for (int y = top; y < bottom; ++y)
            for (int x = left; x < right; ++x) n += Pixel(x, y) == colour;
        return n;
    }

private:
    UniqueMemoryDc m_dc;
    UniqueBitmap m_bitmap;
    std::optional<ScopedSelect> m_select;
    const std::uint32_t* m_bits = nullptr;
};

int FontHeight(HDC dc, const LOGFONTA& lf, int* ascent = nullptr)
{
    UniqueFont font(CreateFontIndirectA(&lf));
    ScopedSelect select(dc, font.Get());
    TEXTMETRICA tm{};
    GetTextMetricsA(dc, &tm);
    if (ascent) *ascent = tm.tmAscent;
    return tm.tmHeight;
}

TToShowItem FolderItem(const std::string& name)
{
    TToShowItem item;
    item.Name = name;
    item.FileName = "Arial.ttf";
    item.Path = "c:\\fonts\\arial.ttf";
    item.Size = 1000;
    return item;
}

int CALLBACK CountFamily(const LOGFONTA*, const TEXTMETRICA*, DWORD, LPARAM p)
{
    ++*reinterpret_cast<int*>(p);
    return 1;
}

int FamilyCount(HDC dc, const char* family)
{
    int n = 0;
    EnumFontFamiliesA(dc, family, CountFamily, reinterpret_cast<LPARAM>(&n));
    return n;
}

// Wine keeps the mappings of the last few fonts released and reuses one for the same
// description, even when the face it stands for appeared since. Using enough other
// descriptions pushes them out.
void ForgetFontMappings(HDC dc)
{
    for (int i = 0; i < 40; ++i) {
        LOGFONTA lf = SystemFontLogFont(dc);
        lf.lfHeight = -(20 + i);
        UniqueFont font(CreateFontIndirectA(&lf));
        ScopedSelect select(dc, font.Get());
        TEXTMETRICA tm{};
        GetTextMetricsA(dc, &tm);
    }
}

const std::string kFace = "Arial";
const std::string kDefaultSample = LoadMessage(1215);

} // namespace

TEST_CASE("The sample text is split after 50 characters and the rest loses its leading blanks")
{
    REQUIRE(kDefaultSample.size() == 92);
    SampleLines lines = SplitSampleText(kDefaultSample);
    CHECK(lines.first.size() == 50);
    CHECK(lines.first.ends_with("assis au"));
    CHECK(lines.second.starts_with("fond, une bi\xE8re"));
    CHECK(lines.first.size() + 1 + lines.second.size() == kDefaultSample.size());

    CHECK(SplitSampleText("court").first == "court");
    CHECK(SplitSampleText("court").second.empty());
    const std::string fifty(50, 'x');
    CHECK(SplitSampleText(fifty).second.empty());
    CHECK(SplitSampleText(fifty + "   ").second.empty());
    CHECK(SplitSampleText(fifty + "  \tfin").second == "fin");
    CHECK(SplitSampleText("").first.empty());
}

TEST_CASE("The font itself is named by the first 31 characters of the row text, 12 point regular")
{
    Canvas canvas;
    const int dpi = GetDeviceCaps(canvas.Dc(), LOGPIXELSY);
    const std::string row = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789abcd";
    REQUIRE(row.size() == 40);
    LOGFONTA lf = RowFontLogFont(canvas.Dc(), row);
    CHECK(std::string(lf.lfFaceName) == row.substr(0, 31));
    CHECK(lf.lfHeight == -MulDiv(12, dpi, 72));
    CHECK(lf.lfWeight == FW_NORMAL);
    CHECK_FALSE(lf.lfItalic);

    CHECK(std::string(RowFontLogFont(canvas.Dc(), "Lato").lfFaceName) == "Lato");

    LOGFONTA sys = SystemFontLogFont(canvas.Dc());
    CHECK(std::string(sys.lfFaceName) == "MS Sans Serif");
    CHECK(sys.lfHeight == -MulDiv(10, dpi, 72));
}

TEST_CASE("Row heights follow the display options")
{
    Canvas canvas;
    HDC dc = canvas.Dc();
    TToShowItem item = FolderItem(kFace);
    const int h1 = FontHeight(dc, RowFontLogFont(dc, kFace));
    const int h2 = FontHeight(dc, SystemFontLogFont(dc));
    REQUIRE(h1 > 0);
    REQUIRE(h2 > 0);

    CHECK(MeasureFontRow(dc, item, kFace, 0, kDefaultSample) == 6);
    CHECK(MeasureFontRow(dc, item, kFace, 1, kDefaultSample) == h1 + 7);
    CHECK(MeasureFontRow(dc, item, kFace, 2 | 4, kDefaultSample) == 6 + 2 * (h2 + 1));
    // Five parts, the sample on two lines.
    CHECK(MeasureFontRow(dc, item, kFace, kAllParts, kDefaultSample) == 6 + 5 * h1 + 2 * h2 + 11);
    // A sample of exactly 50 characters takes one line.
    CHECK(MeasureFontRow(dc, item, kFace, 16, std::string(50, 'a')) == 6 + h1 + 3);
    CHECK(MeasureFontRow(dc, item, kFace, 16, std::string(51, 'a')) == 6 + 2 * h1 + 4);

    // A list measures its rows with the system lines' height taken once for the fill.
    CHECK(SystemLineHeight(dc) == h2);
    for (int parts : {0, 1, 2, 4, 2 | 4, 8, 16, int{kAllParts}}) {
        const auto options = static_cast<std::uint8_t>(parts);
        CHECK(MeasureFontRow(dc, item, kFace, options, kDefaultSample, h2) ==
              MeasureFontRow(dc, item, kFace, options, kDefaultSample));
    }
}

TEST_CASE("A row with no parts shows only its frame: top, bottom at R.bottom - 2, left, no right edge")
{
    Canvas canvas;
    HDC dc = canvas.Dc();
    TToShowItem item = FolderItem(kFace);
    const RECT r{0, 10, 200, 10 + MeasureFontRow(dc, item, kFace, 0, kDefaultSample)};
    REQUIRE(r.bottom - r.top == 6);
    DrawFontRow(dc, r, item, kFace, false, false, 0, kDefaultSample);
    const COLORREF back = GetSysColor(COLOR_WINDOW);
    const COLORREF fore = GetSysColor(COLOR_WINDOWTEXT);
    REQUIRE(back != fore);

    CHECK(canvas.Count(0, r.top, r.right, r.top + 1, fore) == r.right);             // top line
    CHECK(canvas.Count(0, r.bottom - 2, r.right, r.bottom - 1, fore) == r.right);   // bottom line
    CHECK(canvas.Count(0, r.top, 1, r.bottom - 1, fore) == r.bottom - 1 - r.top);   // left edge
    CHECK(canvas.Count(r.right - 1, r.top + 1, r.right, r.bottom - 2, back) == r.bottom - 3 - r.top);
    CHECK(canvas.Count(0, r.bottom - 1, r.right, r.bottom, back) == r.right);       // last row filled
    CHECK(canvas.Ink(1, r.top + 1, r.right, r.bottom - 2, back) == 0);              // no text
}

TEST_CASE("The name alone is drawn once at x = 3, on the baseline R.top + 3 + tmAscent")
{
    Canvas canvas;
    HDC dc = canvas.Dc();
    TToShowItem item = FolderItem(kFace);
    int ascent = 0;
    const int h1 = FontHeight(dc, RowFontLogFont(dc, kFace), &ascent);
    const RECT r{0, 20, 200, 20 + MeasureFontRow(dc, item, kFace, 1, kDefaultSample)};
    DrawFontRow(dc, r, item, kFace, false, false, 1, kDefaultSample);
    const COLORREF back = GetSysColor(COLOR_WINDOW);

    CHECK(canvas.Ink(3, r.top + 3, r.right, r.top + 3 + h1, back) > 0);
    CHECK(canvas.Ink(1, r.top + 1, 3, r.bottom - 2, back) == 0);
    // The capital letters stand on the baseline: nothing of "Arial" lies below it.
    CHECK(canvas.Ink(3, r.top + 3 + ascent + 2, r.right, r.bottom - 2, back) == 0);
    CHECK(canvas.Ink(3, r.top + 3 + ascent - 2, r.right, r.top + 3 + ascent, back) > 0);
}

TEST_CASE("All five parts: separators above the alphabet and the sample, the row fills its measure")
{
    Canvas canvas;
    HDC dc = canvas.Dc();
    TToShowItem item = FolderItem(kFace);
    const int h1 = FontHeight(dc, RowFontLogFont(dc, kFace));
    const int h2 = FontHeight(dc, SystemFontLogFont(dc));
    const int height = MeasureFontRow(dc, item, kFace, kAllParts, kDefaultSample);
    REQUIRE(height < kHeight);
    const RECT r{0, 0, 200, height};
    DrawFontRow(dc, r, item, kFace, false, false, kAllParts, kDefaultSample);
    const COLORREF back = GetSysColor(COLOR_WINDOW);
    const COLORREF fore = GetSysColor(COLOR_WINDOWTEXT);

    const int s1 = 3 + (h1 + 1) + 2 * (h2 + 1);
    const int s2 = s1 + 2 + 2 * (h1 + 1);
    CHECK(canvas.Count(0, s1, r.right, s1 + 1, fore) == r.right);
    CHECK(canvas.Count(0, s2, r.right, s2 + 1, fore) == r.right);
    // Both sample lines carry text, and the last ends 3 pixels above the row's end.
    CHECK(canvas.Ink(3, s2 + 2, r.right, s2 + 2 + h1, back) > 0);
    CHECK(canvas.Ink(3, s2 + 3 + h1, r.right, s2 + 3 + 2 * h1, back) > 0);
    CHECK(s2 + 3 + 2 * h1 + 1 + 3 == height);
    CHECK(canvas.Count(0, height - 2, r.right, height - 1, fore) == r.right);
    // The name written in the system font and the file name each have their line.
    CHECK(canvas.Ink(3, 3 + h1 + 1, r.right, 3 + h1 + 1 + h2, back) > 0);
    CHECK(canvas.Ink(3, 3 + h1 + 1 + h2 + 1, r.right, s1 - 1, back) > 0);
}

TEST_CASE("Colours: installed folder fonts red on the window colour, selected rows highlighted")
{
    Canvas canvas;
    HDC dc = canvas.Dc();
    const COLORREF red = RGB(255, 0, 0);
    const COLORREF window = GetSysColor(COLOR_WINDOW);
    const COLORREF highlight = GetSysColor(COLOR_HIGHLIGHT);
    const COLORREF highlightText = GetSysColor(COLOR_HIGHLIGHTTEXT);
    TToShowItem item = FolderItem(kFace);
    const RECT r{0, 0, 200, MeasureFontRow(dc, item, kFace, 1, kDefaultSample)};
    const int midY = (r.top + r.bottom) / 2;

    item.Installed = true;
    for (bool selected : {false, true}) {
        CAPTURE(selected);
        DrawFontRow(dc, r, item, kFace, selected, true, 1, kDefaultSample);
        CHECK(canvas.Pixel(50, r.top) == red);
        CHECK(canvas.Pixel(0, midY) == red);
        CHECK(canvas.Pixel(r.right - 2, midY) == window);
        CHECK(canvas.Count(3, r.top + 1, r.right, r.bottom - 2, red) > 0); // the name itself
        CHECK(canvas.Count(3, r.top + 1, r.right, r.bottom - 2, highlight) == 0);
    }

    // The installed list knows no red: its selected rows are highlighted.
    DrawFontRow(dc, r, item, kFace, true, false, 1, kDefaultSample);
    CHECK(canvas.Pixel(r.right - 2, midY) == highlight);
    CHECK(canvas.Pixel(50, r.top) == highlightText);
    CHECK(canvas.Count(0, r.top, r.right, r.bottom, red) == 0);

    item.Installed = false;
    DrawFontRow(dc, r, item, kFace, true, true, 1, kDefaultSample);
    CHECK(canvas.Pixel(r.right - 2, midY) == highlight);
}

TEST_CASE("Drawing leaves the DC as it found it")
{
    Canvas canvas;
    HDC dc = canvas.Dc();
    TToShowItem item = FolderItem(kFace);
    SetTextAlign(dc, TA_TOP | TA_RIGHT);
    SetTextColor(dc, RGB(1, 2, 3));
    SetBkColor(dc, RGB(4, 5, 6));
    MoveToEx(dc, 7, 8, nullptr);
    HGDIOBJ font = GetCurrentObject(dc, OBJ_FONT);
    HGDIOBJ pen = GetCurrentObject(dc, OBJ_PEN);

    for (bool selected : {false, true})
        DrawFontRow(dc, RECT{0, 0, 200, 150}, item, kFace, selected, true, kAllParts, kDefaultSample);

    CHECK(GetTextAlign(dc) == (TA_TOP | TA_RIGHT));
    CHECK(GetTextColor(dc) == RGB(1, 2, 3));
    CHECK(GetBkColor(dc) == RGB(4, 5, 6));
    POINT p{};
    GetCurrentPositionEx(dc, &p);
    CHECK(p.x == 7);
    CHECK(p.y == 8);
    CHECK(GetCurrentObject(dc, OBJ_FONT) == font);
    CHECK(GetCurrentObject(dc, OBJ_PEN) == pen);
}

TEST_CASE("Odd inputs draw without harm")
{
    Canvas canvas;
    HDC dc = canvas.Dc();
    TToShowItem item;
    const std::string longText(5000, 'W');
    CHECK(MeasureFontRow(dc, item, "", kAllParts, "") > 6);
    CHECK(MeasureFontRow(dc, item, longText, kAllParts, longText) > 6);
    DrawFontRow(dc, RECT{0, 0, 200, 150}, item, "", false, false, kAllParts, "");
    DrawFontRow(dc, RECT{0, 0, 200, 150}, item, longText, true, true, kAllParts, longText);
    DrawFontRow(dc, RECT{200, 150, 0, 0}, item, longText, false, false, kAllParts, longText); // inverted
    DrawFontRow(dc, RECT{0, 0, 200, 2}, item, kFace, false, false, kAllParts, kDefaultSample); // too low
    std::string withNul = "Ari";
    withNul += '\0';
    withNul += "al";
    CHECK(std::string(RowFontLogFont(dc, withNul).lfFaceName) == "Ari");
    DrawFontRow(dc, RECT{0, 0, 200, 150}, item, withNul, false, false, kAllParts, withNul);
}

TEST_CASE("Preview resources: only folder fonts that are not installed, loaded and unloaded once")
{
    TToShowItem installedFont;
    installedFont.Path = "ARIAL.TTF";
    CHECK_FALSE(NeedsPreview(installedFont)); // Size 0
    UnloadPreview(installedFont);             // never loaded: nothing to remove
    CHECK_FALSE(installedFont.PreviewLoaded);

    TToShowItem alreadyInstalled = FolderItem("Arial");
    alreadyInstalled.Installed = alreadyInstalled.OwnFileInstalled = true;
    CHECK_FALSE(NeedsPreview(alreadyInstalled));
    // Marked installed for its family only: another style of it is installed, not this file.
    TToShowItem otherStyle = FolderItem("Arial Italique");
    otherStyle.Installed = true;
    CHECK(NeedsPreview(otherStyle));

    TToShowItem missing = FolderItem("Nulle");
    missing.Path = "z:\\no such folder\\nulle.ttf";
    CHECK(NeedsPreview(missing));
    LoadPreview(missing); // not reported, and nothing to remove later
    CHECK_FALSE(missing.PreviewLoaded);

    const std::string lato = "Z:\\work\\main\\build\\demo-fonts\\Sans\\Lato-Regular.TTF";
    if (GetFileAttributesA(lato.c_str()) == INVALID_FILE_ATTRIBUTES) {
        MESSAGE("Lato-Regular.TTF not found under build/demo-fonts: the drawing in itself is not checked");
        return;
    }
    Canvas canvas;
    HDC dc = canvas.Dc();
    TToShowItem item = FolderItem("Lato");
    item.FileName = "Lato-regular.ttf";
    item.Path = "z:\\work\\main\\build\\demo-fonts\\sans\\lato-regular.ttf";
    const RECT r{0, 0, 200, 40};
    auto faceOf = [&] {
        LOGFONTA lf = RowFontLogFont(dc, item.Name);
        UniqueFont font(CreateFontIndirectA(&lf));
        ScopedSelect select(dc, font.Get());
        char face[LF_FACESIZE]{};
        GetTextFaceA(dc, LF_FACESIZE, face);
        return std::string(face);
    };

    DrawFontRow(dc, r, item, item.Name, false, true, 1, kDefaultSample);
    const std::vector<std::uint32_t> substitute = canvas.Snapshot();
    CHECK(FamilyCount(dc, "Lato") == 0);
    ForgetFontMappings(dc);

    CHECK(NeedsPreview(item));
    LoadPreview(item);
    CHECK(item.PreviewLoaded);
    CHECK_FALSE(NeedsPreview(item));
    LoadPreview(item); // already loaded: no second reference
    CHECK(faceOf() == "Lato");
    DrawFontRow(dc, r, item, item.Name, false, true, 1, kDefaultSample);
    CHECK(canvas.Snapshot() != substitute);

    UnloadPreview(item);
    CHECK_FALSE(item.PreviewLoaded);
    CHECK(NeedsPreview(item));
    // One add, one remove: the family is gone again.
    CHECK(FamilyCount(dc, "Lato") == 0);
}

namespace {

// build\demo-fonts, beside the folder of the running test program (build\bin).
std::string DemoFolder()
{
    char exe[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, exe, MAX_PATH);
    std::string path = exe;
    path = path.substr(0, path.find_last_of('\\')); // build\bin
    return path.substr(0, path.find_last_of('\\')) + "\\demo-fonts";
}

} // namespace

TEST_CASE("Preview resources: the faces of a collection load their file once and give it back once")
{
    const std::string duo = DemoFolder() + "\\OpenType\\Duo.ttc";
    REQUIRE(GetFileAttributesA(duo.c_str()) != INVALID_FILE_ATTRIBUTES);
    Canvas canvas;
    HDC dc = canvas.Dc();
    auto file = std::make_shared<TFontFile>();
    file->Collection = true;
    file->Faces = {{"Caladea Regular", "Caladea"}, {"Carlito", "Carlito"}};
    TToShowItem caladea = FolderItem("Caladea Regular"), carlito = FolderItem("Carlito");
    for (TToShowItem* face : {&caladea, &carlito}) {
        face->Path = duo;
        face->File = file;
    }
    carlito.FaceIndex = 1;
    REQUIRE(FamilyCount(dc, "Carlito") == 0);

    LoadPreview(caladea);
    LoadPreview(carlito);
    CHECK(caladea.PreviewLoaded);
    CHECK(carlito.PreviewLoaded);
    CHECK(file->PreviewRefs == 2);
    CHECK(FamilyCount(dc, "Carlito") > 0);
    CHECK(FamilyCount(dc, "Caladea") > 0);

    // One face gives its hold back: the other still draws in the file.
    UnloadPreview(caladea);
    CHECK_FALSE(caladea.PreviewLoaded);
    CHECK(FamilyCount(dc, "Carlito") > 0);
    // The file was added once: the last face's remove takes it out of the system.
    UnloadPreview(carlito);
    CHECK(file->PreviewRefs == 0);
    CHECK(FamilyCount(dc, "Carlito") == 0);
    CHECK(FamilyCount(dc, "Caladea") == 0);

    // Again, and one remove from outside the lists is enough to take it away: a single add.
    LoadPreview(caladea);
    LoadPreview(carlito);
    REQUIRE(RemoveFontResourceA(duo.c_str()));
    CHECK(FamilyCount(dc, "Carlito") == 0);
    caladea.PreviewLoaded = carlito.PreviewLoaded = false;
    file->PreviewRefs = 0;
}
