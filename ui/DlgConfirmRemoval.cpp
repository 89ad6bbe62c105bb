// The confirmation dialog, laid out in code at creation. Its pictures are drawn here too: a
// sheet struck through in red for deleting, a bin for the Recycle Bin.
#include "ui/DlgConfirmRemoval.h"

#include "app/Messages.h"
#include "app/Scale.h"

#include <algorithm>
#include <functional>
#include <utility>

namespace typa {
namespace {

// A 32 × 32 icon drawn by `draw` on white; pixels left white are transparent.
HICON DrawIcon32(const std::function<void(HDC)>& draw)
{
    constexpr int kSize = 32;
    WindowDc screen(nullptr);
    UniqueMemoryDc dc(CreateCompatibleDC(screen.Get()));
    UniqueBitmap colour(CreateCompatibleBitmap(screen.Get(), kSize, kSize));
    UniqueBitmap mask(CreateBitmap(kSize, kSize, 1, 1, nullptr));
    if (!dc || !colour || !mask) return nullptr;
    {
        ScopedSelect select(dc.Get(), colour.Get());
        RECT all{0, 0, kSize, kSize};
        FillRect(dc.Get(), &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
        draw(dc.Get());
        // The mask: white where the picture was left untouched.
        UniqueMemoryDc maskDc(CreateCompatibleDC(screen.Get()));
        ScopedSelect selectMask(maskDc.Get(), mask.Get());
        SetBkColor(dc.Get(), RGB(255, 255, 255));
        BitBlt(maskDc.Get(), 0, 0, kSize, kSize, dc.Get(), 0, 0, SRCCOPY);
        // Transparent pixels must be black in the colour bitmap.
        BitBlt(dc.Get(), 0, 0, kSize, kSize, maskDc.Get(), 0, 0, 0x00220326); // DSna
    }
    ICONINFO info{TRUE, 0, 0, mask.Get(), colour.Get()};
    return CreateIconIndirect(&info);
}

void Shape(HDC dc, COLORREF fill, COLORREF edge, int width, const std::function<void()>& draw)
{
    UniqueBrush brush(CreateSolidBrush(fill));
    UniquePen pen(CreatePen(PS_SOLID, width, edge));
    ScopedSelect b(dc, brush.Get()), p(dc, pen.Get());
    draw();
}

void DrawDelete(HDC dc)
{
    // A sheet with a folded corner and a few lines of text, struck through.
    POINT sheet[] = {{6, 2}, {20, 2}, {26, 8}, {26, 29}, {6, 29}};
    Shape(dc, RGB(250, 250, 250), RGB(80, 80, 80), 1, [&] { Polygon(dc, sheet, 5); });
    Shape(dc, RGB(200, 200, 200), RGB(80, 80, 80), 1, [&] {
        POINT fold[] = {{20, 2}, {20, 8}, {26, 8}};
        Polygon(dc, fold, 3);
    });
    Shape(dc, RGB(0, 0, 0), RGB(120, 120, 120), 1, [&] {
        for (int y = 12; y <= 24; y += 4) {
            MoveToEx(dc, 9, y, nullptr);
            LineTo(dc, 23, y);
        }
    });
    Shape(dc, RGB(0, 0, 0), RGB(200, 0, 0), 4, [&] {
        MoveToEx(dc, 9, 9, nullptr);
        LineTo(dc, 27, 27);
        MoveToEx(dc, 27, 9, nullptr);
        LineTo(dc, 9, 27);
    });
}

void DrawBin(HDC dc)
{
    POINT body[] = {{8, 9}, {24, 9}, {22, 29}, {10, 29}};
    Shape(dc, RGB(170, 200, 170), RGB(40, 80, 40), 1, [&] { Polygon(dc, body, 4); });
    Shape(dc, RGB(140, 170, 140), RGB(40, 80, 40), 1, [&] { Rectangle(dc, 6, 5, 26, 9); });
    Shape(dc, RGB(0, 0, 0), RGB(40, 80, 40), 1, [&] {
        for (int x = 12; x <= 20; x += 4) {
            MoveToEx(dc, x, 12, nullptr);
            LineTo(dc, x, 27);
        }
    });
}

} // namespace

std::string TDlgConfirmRemoval::TextFor(Mode mode, int count, int count2, const std::string& group)
{
    switch (mode) {
    case RemoveFonts: return FormatMessage(5020, {count, count2});
    case DeleteGroup: return FormatMessage(5030, {group, count});
    case StandardFonts: return LoadMessage(5010);
    }
    return {};
}

MsgResult TDlgConfirmRemoval::Execute(HWND owner, Mode mode, int count, int count2, const std::string& group)
{
    m_mode = mode;
    m_text = TextFor(mode, count, count2, group);
    // Nothing is removed while the session ends.
    if (auto answer = AnswerWithoutDialog({m_text, MsgKind::Confirmation, MsgButton::Yes | MsgButton::No,
                                           LoadMessage(5011), GetCursor(), false},
                                          MsgResult::Yes, MsgResult::No))
        return *answer;
    HCURSOR previous = SetCursor(LoadCursor(nullptr, IDC_ARROW));
    const MsgResult r = Ask(owner, {WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME,
                                    WS_EX_DLGMODALFRAME | WS_EX_TOPMOST});
    SetCursor(previous);
    return r;
}

bool TDlgConfirmRemoval::OnInit()
{
    SetWindowTextA(Handle(), LoadMessage(5011).c_str());
    HFONT font = Font();

    if (!m_deleteIcon) m_deleteIcon.Reset(DrawIcon32(DrawDelete));
    if (!m_binIcon) m_binIcon.Reset(DrawIcon32(DrawBin));

    const int margin = Margin();
    const int iconSize = GetSystemMetrics(SM_CXICON);
    const int labelLeft = margin + iconSize + Scaled(12);
    const int labelWidth = Scaled(315);
    const int labelHeight = WrappedTextHeight(m_text, font, labelWidth, DT_WORDBREAK | DT_NOPREFIX | DT_EDITCONTROL,
                                              Scaled(13));

    // Three hidden holders of the pictures, then the one shown.
    HICON exclamation = LoadIcon(nullptr, IDI_EXCLAMATION);
    const std::pair<int, HICON> pictures[] = {{kIdRBin, m_binIcon.Get()},
                                              {kIdExclamation, exclamation},
                                              {kIdDelete, m_deleteIcon.Get()},
                                              {kIdIcon, m_mode == StandardFonts ? exclamation : m_deleteIcon.Get()}};
    for (const auto& [id, icon] : pictures) {
        HWND holder = AddControlInPixels({id, "STATIC", nullptr, SS_ICON, margin, margin, iconSize, iconSize});
        SendMessageA(holder, STM_SETICON, reinterpret_cast<WPARAM>(icon), 0);
        if (id != kIdIcon) ShowWindow(holder, SW_HIDE);
    }
    AddControlInPixels({kIdText, "STATIC", m_text.c_str(), SS_LEFT | SS_NOPREFIX | SS_EDITCONTROL, labelLeft, margin,
                        labelWidth, labelHeight});

    static constexpr DialogButton kButtons[] = {
        {IDYES, "&Oui", WS_TABSTOP | WS_GROUP | BS_DEFPUSHBUTTON},
        {IDNO, "&Non", WS_TABSTOP | BS_PUSHBUTTON},
    };
    AddButtonsBelow(kButtons, IDYES, labelLeft + labelWidth + margin, std::max(iconSize, labelHeight));
    return false; // the focus is set
}

} // namespace typa
