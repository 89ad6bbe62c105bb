#include "ui/FontSheet.h"

#include "app/Application.h"
#include "app/ErrorBox.h"
#include "app/ExceptionGuard.h"
#include "app/Scale.h"
#include "fonts/FontDetailsFile.h"
#include "platform/GdiFonts.h"
#include "res/Resource.h"
#include "ui/FontList.h"

#include <algorithm>
#include <cstring>

namespace typa {
namespace {

constexpr const char* kSheetClass = "TypaFontSheet";
constexpr const char* kCharMapClass = "TypaCharMap";

// Design sizes at 96 pixels per inch: two columns, the words and the sample on the left, the
// characters and what the file says on the right.
constexpr int kClientWidth = 840, kClientHeight = 548;
constexpr int kMargin = 8, kColumnWidth = 408;
constexpr int kHeaderHeight = 120;
constexpr int kMapHeight = 336; // 14 rows of 24 pixels
constexpr int kCountsHeight = 16;
constexpr int kLabelWidth = 48;
constexpr int kColumns = 16, kRows = 14, kFirstCode = 0x20;

HFONT CreateGuiFont()
{
    LOGFONTA lf{};
    lf.lfHeight = -MulDiv(8, ScreenPpi(), 72);
    lf.lfCharSet = DEFAULT_CHARSET;
    lstrcpynA(lf.lfFaceName, "MS Sans Serif", LF_FACESIZE);
    return CreateFontIndirectA(&lf);
}

// A file that could not be opened says nothing readable.
ttf::FontDetails UnreadableDetails()
{
    ttf::FontDetails d;
    for (ttf::NameText* t : {&d.family, &d.subfamily, &d.fullName, &d.version, &d.copyright, &d.trademark,
                             &d.manufacturer, &d.designer, &d.description, &d.licence, &d.licenceUrl})
        t->presence = ttf::Presence::Unreadable;
    d.os2 = d.maxp = d.cmap = ttf::Presence::Unreadable;
    return d;
}

} // namespace

bool TFontSheet::RegisterClasses(HINSTANCE instance)
{
    WNDCLASSA wc{};
    wc.hInstance = instance;
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.lpfnWndProc = WndProc;
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(IDI_TYPARIUM));
    wc.lpszClassName = kSheetClass;
    bool ok = RegisterClassA(&wc) != 0;
    wc.lpfnWndProc = CharMapProc;
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.hIcon = nullptr;
    wc.lpszClassName = kCharMapClass;
    return RegisterClassA(&wc) != 0 && ok;
}

bool TFontSheet::Show(HWND owner, const SheetFont& font, const std::string& sampleText)
{
    ttf::FontDetails details;
    switch (ReadFontDetailsFile(font.path, details, GetUserDefaultLangID(), nullptr, font.faceIndex)) {
    case DetailsFile::NotFound: ShowError(40, font.path); return false;
    case DetailsFile::Failed: details = UnreadableDetails(); break;
    case DetailsFile::Read: break;
    }
    if (!m_wnd) {
        HINSTANCE instance = App().instance ? App().instance : GetModuleHandleA(nullptr);
        RECT frame{0, 0, Scaled(kClientWidth), Scaled(kClientHeight)};
        const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
        AdjustWindowRectEx(&frame, style, FALSE, WS_EX_CONTROLPARENT);
        CreateWindowExA(WS_EX_CONTROLPARENT, kSheetClass, "", style, CW_USEDEFAULT, CW_USEDEFAULT,
                        frame.right - frame.left, frame.bottom - frame.top, owner, nullptr, instance, this);
        if (!m_wnd) return false;
        CentreOnWindow(m_wnd, owner);
    }
    UnloadFile(); // the font shown before gives its file back
    m_font = font;
    m_details = details;
    m_sample = sampleText.empty() ? font.name : sampleText;
    LoadFile();
    MakeFonts();
    Fill();
    ShowWindow(m_wnd, SW_SHOWNORMAL);
    SetForegroundWindow(m_wnd);
    SetFocus(m_waterfall);
    return true;
}

void TFontSheet::Close()
{
    if (m_wnd) DestroyWindow(m_wnd); // its end gives the file back
}

void TFontSheet::LoadFile()
{
    if (m_font.loadFile && gdi::AddFontResourceFile(m_font.path)) m_loadedPath = m_font.path;
}

void TFontSheet::UnloadFile()
{
    if (m_loadedPath.empty()) return;
    gdi::RemoveFontResourceFile(m_loadedPath);
    m_loadedPath.clear();
}

void TFontSheet::CreateChildren()
{
    HINSTANCE instance = App().instance ? App().instance : GetModuleHandleA(nullptr);
    m_guiFont.Reset(CreateGuiFont());
    auto make = [&](DWORD exStyle, const char* cls, DWORD style, int id, int x, int y, int w, int h) {
        HWND child = CreateWindowExA(exStyle, cls, "", WS_CHILD | WS_VISIBLE | style, Scaled(x), Scaled(y), Scaled(w),
                                     Scaled(h), m_wnd, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance,
                                     nullptr);
        SendMessageA(child, WM_SETFONT, reinterpret_cast<WPARAM>(m_guiFont.Get()), FALSE);
        return child;
    };
    const DWORD readOnlyText = WS_TABSTOP | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL | WS_VSCROLL;
    const int right = kMargin + kColumnWidth + kMargin;
    const int rightWidth = kClientWidth - right - kMargin;
    m_header = make(WS_EX_CLIENTEDGE, "EDIT", readOnlyText, kIdHeader, kMargin, kMargin, kColumnWidth, kHeaderHeight);
    const int waterfallTop = kMargin + kHeaderHeight + kMargin;
    m_waterfall = make(WS_EX_CLIENTEDGE, "LISTBOX",
                       WS_TABSTOP | WS_VSCROLL | LBS_OWNERDRAWVARIABLE | LBS_HASSTRINGS | LBS_NOSEL | LBS_NOINTEGRALHEIGHT,
                       kIdWaterfall, kMargin, waterfallTop, kColumnWidth, kClientHeight - waterfallTop - kMargin);
    m_characters = make(WS_EX_CLIENTEDGE, kCharMapClass, 0, kIdCharacters, right, kMargin, rightWidth, kMapHeight);
    {
        // Cells of whole pixels fill the map: its client is made a multiple of the grid.
        RECT outer{}, inner{};
        GetWindowRect(m_characters, &outer);
        GetClientRect(m_characters, &inner);
        const int edgeX = (outer.right - outer.left) - inner.right, edgeY = (outer.bottom - outer.top) - inner.bottom;
        SetWindowPos(m_characters, nullptr, 0, 0, inner.right / kColumns * kColumns + edgeX,
                     inner.bottom / kRows * kRows + edgeY, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    const int countsTop = kMargin + kMapHeight + 4;
    m_counts = make(0, "STATIC", SS_LEFT | SS_NOPREFIX, kIdCounts, right, countsTop, rightWidth, kCountsHeight);
    const int infoTop = countsTop + kCountsHeight + 4;
    m_info = make(WS_EX_CLIENTEDGE, "EDIT", readOnlyText, kIdInfo, right, infoTop, rightWidth,
                  kClientHeight - infoTop - kMargin);
}

void TFontSheet::MakeFonts()
{
    LOGFONTA lf = m_font.logFont;
    WindowDc dc(m_wnd);
    if (!lf.lfFaceName[0]) lf = RowFontLogFont(dc.Get(), m_font.name); // the list draws it so too
    const int ppi = GetDeviceCaps(dc.Get(), LOGPIXELSY);
    lf.lfWidth = 0;
    for (int i = 0; i < 9; ++i) {
        lf.lfHeight = -MulDiv(kSizes[i], ppi, 72);
        m_sizeFonts[i].Reset(CreateFontIndirectA(&lf));
    }
    lf.lfHeight = -Scaled(16);
    m_cellFont.Reset(CreateFontIndirectA(&lf));
}

void TFontSheet::Fill()
{
    m_texts = BuildSheetTexts(m_font, m_details);
    SetWindowTextA(m_wnd, m_texts.caption.c_str());
    SetWindowTextA(m_header, m_texts.header.c_str());
    SetWindowTextA(m_counts, m_texts.counts.c_str());
    SetWindowTextA(m_info, m_texts.info.c_str());
    SendMessageA(m_waterfall, WM_SETREDRAW, FALSE, 0);
    SendMessageA(m_waterfall, LB_RESETCONTENT, 0, 0);
    for (int size : kSizes) {
        const std::string label = std::to_string(size) + " pt";
        SendMessageA(m_waterfall, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(label.c_str()));
    }
    SendMessageA(m_waterfall, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(m_waterfall, nullptr, TRUE);
    InvalidateRect(m_characters, nullptr, TRUE);
}

void TFontSheet::MeasureRow(MEASUREITEMSTRUCT& mis)
{
    if (mis.itemID >= 9) return;
    WindowDc dc(m_waterfall);
    ScopedSelect font(dc.Get(), m_sizeFonts[mis.itemID].Get());
    TEXTMETRICA tm{};
    GetTextMetricsA(dc.Get(), &tm);
    mis.itemHeight = static_cast<UINT>(std::clamp<LONG>(tm.tmHeight + Scaled(6), Scaled(16), 255));
}

void TFontSheet::DrawRow(const DRAWITEMSTRUCT& dis)
{
    if (dis.itemID >= 9) return;
    HDC dc = dis.hDC;
    RECT r = dis.rcItem;
    FillRect(dc, &r, GetSysColorBrush(COLOR_WINDOW));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
    const int size = kSizes[dis.itemID];
    const std::string label = std::to_string(size) + " pt";
    RECT labelBox{r.left + Scaled(4), r.top, r.left + Scaled(kLabelWidth), r.bottom};
    {
        ScopedSelect font(dc, m_guiFont.Get());
        DrawTextA(dc, label.c_str(), -1, &labelBox, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
    }
    RECT sampleBox{labelBox.right, r.top, r.right, r.bottom};
    {
        ScopedSelect font(dc, m_sizeFonts[dis.itemID].Get());
        DrawTextA(dc, m_sample.c_str(), -1, &sampleBox, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
    }
    // A line under each size.
    RECT line{r.left, r.bottom - 1, r.right, r.bottom};
    FillRect(dc, &line, GetSysColorBrush(COLOR_BTNFACE));
}

void TFontSheet::PaintCharacters(HDC dc, const RECT& client) const
{
    const int cellWidth = std::max<LONG>(client.right / kColumns, 1);
    const int cellHeight = std::max<LONG>(client.bottom / kRows, 1);
    const bool coverageKnown = m_details.cmap == ttf::Presence::Present;
    FillRect(dc, &client, GetSysColorBrush(COLOR_WINDOW));
    ScopedSelect font(dc, m_cellFont.Get());
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
    for (int code = kFirstCode; code <= 0xFF; ++code) {
        const int index = code - kFirstCode;
        RECT cell{index % kColumns * cellWidth, index / kColumns * cellHeight, 0, 0};
        cell.right = cell.left + cellWidth;
        cell.bottom = cell.top + cellHeight;
        // What the font lacks stays empty, greyed; where the file could not tell, everything is drawn.
        if (coverageKnown && !m_details.ansiCharacters[static_cast<std::size_t>(code)]) {
            FillRect(dc, &cell, GetSysColorBrush(COLOR_BTNFACE));
        } else {
            const char ch = static_cast<char>(code);
            DrawTextA(dc, &ch, 1, &cell, DT_SINGLELINE | DT_CENTER | DT_VCENTER | DT_NOPREFIX);
        }
        RECT right{cell.right - 1, cell.top, cell.right, cell.bottom};
        RECT bottom{cell.left, cell.bottom - 1, cell.right, cell.bottom};
        FillRect(dc, &right, GetSysColorBrush(COLOR_BTNSHADOW));
        FillRect(dc, &bottom, GetSysColorBrush(COLOR_BTNSHADOW));
    }
}

std::string TFontSheet::Text() const
{
    return m_texts.header + "\r\n\r\n" + m_texts.counts + "\r\n\r\n" + m_texts.info;
}

void TFontSheet::CopyText() const
{
    const std::string text = Text();
    if (!OpenClipboard(m_wnd)) return;
    EmptyClipboard();
    if (HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, text.size() + 1)) {
        if (void* p = GlobalLock(memory)) {
            std::memcpy(p, text.c_str(), text.size() + 1);
            GlobalUnlock(memory);
            if (!SetClipboardData(CF_TEXT, memory)) GlobalFree(memory); // the clipboard owns it once taken
        } else {
            GlobalFree(memory);
        }
    }
    CloseClipboard();
}

bool TFontSheet::PreTranslateMessage(MSG& msg)
{
    if (!m_wnd || (msg.hwnd != m_wnd && !IsChild(m_wnd, msg.hwnd))) return false;
    if (msg.message == WM_KEYDOWN) {
        if (msg.wParam == VK_ESCAPE) {
            Close();
            return true;
        }
        if (msg.wParam == 'C' && GetKeyState(VK_CONTROL) < 0) {
            CopyText();
            return true;
        }
        if (msg.wParam == VK_F1) {
            ShowHelpTopic(m_wnd, static_cast<DWORD>(kHelpContext));
            return true;
        }
    }
    return IsDialogMessageA(m_wnd, &msg) != FALSE;
}

LRESULT CALLBACK TFontSheet::WndProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp)
{
    TFontSheet* self;
    if (msg == WM_NCCREATE) {
        self = static_cast<TFontSheet*>(reinterpret_cast<CREATESTRUCTA*>(lp)->lpCreateParams);
        self->m_wnd = wnd;
        SetWindowLongPtrA(wnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    } else {
        self = reinterpret_cast<TFontSheet*>(GetWindowLongPtrA(wnd, GWLP_USERDATA));
    }
    if (!self) return DefWindowProcA(wnd, msg, wp, lp);
    const LRESULT result = Guarded<LRESULT>(0, [&] { return self->HandleMessage(msg, wp, lp); });
    if (msg == WM_NCDESTROY) {
        SetWindowLongPtrA(wnd, GWLP_USERDATA, 0);
        self->m_wnd = self->m_header = self->m_waterfall = self->m_characters = self->m_counts = self->m_info = nullptr;
    }
    return result;
}

LRESULT TFontSheet::HandleMessage(UINT msg, WPARAM wp, LPARAM lp)
{
    switch (msg) {
    case WM_CREATE: CreateChildren(); return 0;
    case WM_CLOSE: Close(); return 0;
    case WM_DESTROY: UnloadFile(); return 0;
    case WM_MEASUREITEM: {
        auto& mis = *reinterpret_cast<MEASUREITEMSTRUCT*>(lp);
        if (mis.CtlID == kIdWaterfall) MeasureRow(mis);
        return TRUE;
    }
    case WM_DRAWITEM: {
        const auto& dis = *reinterpret_cast<DRAWITEMSTRUCT*>(lp);
        if (dis.CtlID == kIdWaterfall) DrawRow(dis);
        return TRUE;
    }
    default: return DefWindowProcA(m_wnd, msg, wp, lp);
    }
}

LRESULT CALLBACK TFontSheet::CharMapProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp)
{
    auto* sheet = reinterpret_cast<TFontSheet*>(GetWindowLongPtrA(GetParent(wnd), GWLP_USERDATA));
    if (!sheet || (msg != WM_PAINT && msg != WM_PRINTCLIENT)) return DefWindowProcA(wnd, msg, wp, lp);
    return Guarded<LRESULT>(0, [&]() -> LRESULT {
        RECT client{};
        GetClientRect(wnd, &client);
        if (msg == WM_PRINTCLIENT) {
            sheet->PaintCharacters(reinterpret_cast<HDC>(wp), client);
            return 0;
        }
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(wnd, &ps);
        sheet->PaintCharacters(dc, client);
        EndPaint(wnd, &ps);
        return 0;
    });
}

} // namespace typa
