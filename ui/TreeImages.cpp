#include "ui/TreeImages.h"
#include "platform/Handles.h"

#include <functional>

namespace typa {
namespace {

constexpr COLORREF kMaskColour = RGB(255, 0, 255);
constexpr COLORREF kFolder = RGB(240, 200, 80), kFolderEdge = RGB(150, 110, 20);

void Box(HDC dc, int l, int t, int r, int b, COLORREF fill, COLORREF edge)
{
    UniqueBrush brush(CreateSolidBrush(fill));
    UniquePen pen(CreatePen(PS_SOLID, 1, edge));
    ScopedSelect b1(dc, brush.Get()), p1(dc, pen.Get());
    Rectangle(dc, l, t, r, b);
}

void Letter(HDC dc, const char* text, COLORREF colour, int x, int y, int height, bool bold = true)
{
    LOGFONTA lf{};
    lf.lfHeight = -height;
    lf.lfWeight = bold ? FW_BOLD : FW_NORMAL;
    lstrcpynA(lf.lfFaceName, "Times New Roman", LF_FACESIZE);
    UniqueFont font(CreateFontIndirectA(&lf));
    ScopedSelect f(dc, font.Get());
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, colour);
    TextOutA(dc, x, y, text, lstrlenA(text));
}

void Folder(HDC dc, bool open, COLORREF letter)
{
    Box(dc, 1, 3, 7, 6, kFolder, kFolderEdge); // the tab
    if (open) {
        Box(dc, 1, 5, 14, 14, RGB(250, 225, 130), kFolderEdge);
        POINT lid[] = {{3, 8}, {16, 8}, {14, 14}, {1, 14}};
        UniqueBrush brush(CreateSolidBrush(kFolder));
        UniquePen pen(CreatePen(PS_SOLID, 1, kFolderEdge));
        ScopedSelect b1(dc, brush.Get()), p1(dc, pen.Get());
        Polygon(dc, lid, 4);
    } else {
        Box(dc, 1, 5, 15, 14, kFolder, kFolderEdge);
    }
    Letter(dc, "A", letter, 5, 4, 10);
}

void Drive(HDC dc, COLORREF body, COLORREF light)
{
    Box(dc, 1, 6, 15, 12, body, RGB(64, 64, 64));
    Box(dc, 11, 8, 13, 10, light, light);
}

// One picture: draws it on a 16 × 16 bitmap whose untouched pixels are transparent.
void Add(HIMAGELIST list, const std::function<void(HDC)>& draw)
{
    UniqueMemoryDc dc(CreateCompatibleDC(nullptr));
    BITMAPINFO bi{};
    bi.bmiHeader = {sizeof(BITMAPINFOHEADER), 16, 16, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    UniqueBitmap bitmap(CreateDIBSection(dc.Get(), &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
    {
        ScopedSelect select(dc.Get(), bitmap.Get());
        UniqueBrush mask(CreateSolidBrush(kMaskColour));
        RECT all{0, 0, 16, 16};
        FillRect(dc.Get(), &all, mask.Get());
        draw(dc.Get());
    }
    ImageList_AddMasked(list, bitmap.Get(), kMaskColour);
}

} // namespace

HIMAGELIST CreateInstalledGroupImages()
{
    HIMAGELIST list = ImageList_Create(16, 16, ILC_COLOR24 | ILC_MASK, 6, 0);
    const COLORREF red = RGB(200, 0, 0), black = RGB(0, 0, 0);
    Add(list, [&](HDC dc) { Folder(dc, false, red); });
    Add(list, [&](HDC dc) { Folder(dc, true, red); });
    Add(list, [&](HDC dc) { Folder(dc, false, black); });
    Add(list, [&](HDC dc) { Folder(dc, true, black); });
    Add(list, [](HDC dc) { // a computer: screen and base
        Box(dc, 2, 1, 14, 10, RGB(0, 128, 128), RGB(64, 64, 64));
        Box(dc, 4, 3, 12, 8, RGB(160, 220, 255), RGB(160, 220, 255));
        Box(dc, 5, 10, 11, 12, RGB(192, 192, 192), RGB(64, 64, 64));
        Box(dc, 1, 12, 15, 15, RGB(192, 192, 192), RGB(64, 64, 64));
    });
    Add(list, [&](HDC dc) { Folder(dc, false, red); });
    return list;
}

HIMAGELIST CreateAvailableGroupImages()
{
    HIMAGELIST list = ImageList_Create(16, 16, ILC_COLOR24 | ILC_MASK, 9, 0);
    auto question = [](HDC dc) { Letter(dc, "?", RGB(0, 0, 160), 4, 0, 16); };
    Add(list, question);
    Add(list, question);
    Add(list, [](HDC dc) { // floppy
        Box(dc, 2, 2, 14, 14, RGB(40, 40, 40), RGB(0, 0, 0));
        Box(dc, 5, 2, 11, 6, RGB(200, 200, 200), RGB(200, 200, 200));
        Box(dc, 4, 9, 12, 14, RGB(240, 240, 240), RGB(240, 240, 240));
    });
    Add(list, [](HDC dc) { Drive(dc, RGB(192, 192, 192), RGB(0, 200, 0)); });
    Add(list, [](HDC dc) { // network drive: a drive on a cable
        Drive(dc, RGB(192, 192, 192), RGB(0, 200, 0));
        Box(dc, 7, 12, 9, 16, RGB(0, 0, 0), RGB(0, 0, 0));
        Box(dc, 3, 14, 13, 15, RGB(0, 0, 0), RGB(0, 0, 0));
    });
    Add(list, [](HDC dc) { // CD-ROM: a drive with a disc
        Drive(dc, RGB(192, 192, 192), RGB(0, 200, 0));
        UniqueBrush disc(CreateSolidBrush(RGB(210, 230, 255)));
        UniquePen pen(CreatePen(PS_SOLID, 1, RGB(90, 90, 150)));
        ScopedSelect b1(dc, disc.Get()), p1(dc, pen.Get());
        Ellipse(dc, 3, 0, 11, 8);
    });
    Add(list, [](HDC dc) { // memory chip
        Box(dc, 3, 4, 13, 12, RGB(30, 30, 30), RGB(0, 0, 0));
        for (int x = 4; x < 13; x += 3) {
            Box(dc, x, 2, x + 1, 4, RGB(200, 200, 200), RGB(200, 200, 200));
            Box(dc, x, 12, x + 1, 14, RGB(200, 200, 200), RGB(200, 200, 200));
        }
    });
    Add(list, [](HDC dc) { Folder(dc, false, RGB(0, 0, 0)); });
    Add(list, [](HDC dc) { Folder(dc, true, RGB(0, 0, 0)); });
    return list;
}

} // namespace typa
