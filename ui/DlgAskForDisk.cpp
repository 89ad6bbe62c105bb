// The insert-medium dialog, laid out in code at creation, its two drive pictures drawn in GDI.
#include "ui/DlgAskForDisk.h"

#include "app/Application.h"
#include "app/Scale.h"
#include "platform/Handles.h"
#include "ui/DialogTemplate.h"

#include <algorithm>
#include <vector>

namespace typa {
namespace {

// Design sizes at 96 pixels per inch.
constexpr int kClientWidth = 427;
constexpr int kClientHeight = 182;
constexpr int kPicture = 32;
constexpr int kLabelLeft = 70, kLabelWidth = 340;
constexpr int kButtonWidth = 75, kButtonHeight = 25, kButtonTop = 141;

// The label's text is the caller's, set once the controls are made.
constexpr DialogControl kControls[] = {
    {TDlgAskForDisk::kIdCD, "STATIC", nullptr, SS_OWNERDRAW, 20, 21, kPicture, kPicture},
    {TDlgAskForDisk::kIdDisk, "STATIC", nullptr, SS_OWNERDRAW, 20, 60, kPicture, kPicture},
    {TDlgAskForDisk::kIdLabel, "STATIC", "", SS_LEFT | SS_NOPREFIX | SS_EDITCONTROL, kLabelLeft, 21, kLabelWidth, 68},
};
// Below the label, flush with its right edge.
constexpr DialogButton kButtons[] = {
    {IDOK, "OK", WS_TABSTOP | WS_GROUP | BS_DEFPUSHBUTTON},
    {IDCANCEL, "Annuler", WS_TABSTOP | BS_PUSHBUTTON},
};

// Drawing on a 32-unit grid laid over the picture's rectangle, whatever its scaled size.
class Grid {
public:
    Grid(HDC dc, const RECT& r) : m_dc(dc), m_r(r), m_size(std::max<LONG>(1, std::min(r.right - r.left, r.bottom - r.top))) {}

    int X(int u) const { return m_r.left + u * m_size / kPicture; }
    int Y(int u) const { return m_r.top + u * m_size / kPicture; }

    void Box(int l, int t, int r, int b, COLORREF fill) const
    {
        UniqueBrush brush(CreateSolidBrush(fill));
        RECT rc{X(l), Y(t), X(r), Y(b)};
        FillRect(m_dc, &rc, brush.Get());
    }
    // A raised box with a light top-left and a dark bottom-right edge.
    void Raised(int l, int t, int r, int b, COLORREF fill) const
    {
        Box(l, t, r, b, fill);
        RECT rc{X(l), Y(t), X(r), Y(b)};
        DrawEdge(m_dc, &rc, EDGE_RAISED, BF_RECT);
    }
    void Sunken(int l, int t, int r, int b, COLORREF fill) const
    {
        Box(l, t, r, b, fill);
        RECT rc{X(l), Y(t), X(r), Y(b)};
        DrawEdge(m_dc, &rc, BDR_SUNKENOUTER, BF_RECT);
    }
    void Ellipse(int l, int t, int r, int b, COLORREF fill, COLORREF edge) const
    {
        UniqueBrush brush(CreateSolidBrush(fill));
        UniquePen pen(CreatePen(PS_SOLID, 1, edge));
        ScopedSelect b1(m_dc, brush.Get());
        ScopedSelect p1(m_dc, pen.Get());
        ::Ellipse(m_dc, X(l), Y(t), X(r), Y(b));
    }

private:
    HDC m_dc;
    RECT m_r;
    int m_size;
};

// A CD-ROM drive with a disc lying half out of its tray.
void DrawCdDrive(HDC dc, const RECT& r)
{
    Grid g(dc, r);
    g.Ellipse(4, 1, 28, 21, RGB(226, 230, 236), RGB(112, 118, 128));
    g.Ellipse(9, 5, 23, 17, RGB(200, 214, 236), RGB(150, 160, 176)); // the rainbow sheen, softly
    g.Ellipse(14, 9, 18, 13, RGB(255, 255, 255), RGB(112, 118, 128));
    g.Raised(1, 16, 31, 29, RGB(192, 192, 192));
    g.Sunken(4, 20, 24, 23, RGB(96, 96, 96)); // the tray
    g.Raised(25, 24, 29, 27, RGB(192, 192, 192)); // eject button
    g.Box(5, 25, 8, 27, RGB(0, 176, 64)); // busy light
}

// A floppy drive with a disk half inserted.
void DrawFloppyDrive(HDC dc, const RECT& r)
{
    Grid g(dc, r);
    g.Box(8, 2, 24, 16, RGB(32, 40, 64)); // the disk
    g.Box(12, 2, 20, 9, RGB(176, 180, 188)); // its metal shutter
    g.Box(15, 3, 17, 8, RGB(32, 40, 64));
    g.Raised(1, 12, 31, 27, RGB(192, 192, 192));
    g.Sunken(5, 15, 27, 18, RGB(16, 16, 16)); // the slot
    g.Raised(22, 21, 28, 24, RGB(192, 192, 192)); // eject button
    g.Box(5, 22, 8, 24, RGB(0, 176, 64)); // busy light
}

} // namespace

MsgResult TDlgAskForDisk::Execute(const std::string& text)
{
    if (auto answer = AnswerWithoutDialog({text, MsgKind::Confirmation, MsgButton::OK | MsgButton::Cancel, kCaption,
                                           GetCursor(), false},
                                          MsgResult::OK, MsgResult::Cancel))
        return *answer;

    m_text = text;
    // A fixed frame without title-bar buttons, above every other window.
    HWND owner = App().mainWindow && IsWindow(App().mainWindow) ? App().mainWindow : nullptr;
    const INT_PTR r = RunModal(owner, {WS_POPUP | WS_CAPTION | DS_MODALFRAME, WS_EX_DLGMODALFRAME | WS_EX_TOPMOST,
                                       "MS Sans Serif", 8});
    // Anything but a clear OK, a failed dialog included, gives up rather than asking forever.
    return r == IDOK ? MsgResult::OK : MsgResult::Cancel;
}

bool TDlgAskForDisk::OnDrawItem(const DRAWITEMSTRUCT& dis)
{
    if (dis.CtlID == kIdCD) DrawCdDrive(dis.hDC, dis.rcItem);
    else if (dis.CtlID == kIdDisk) DrawFloppyDrive(dis.hDC, dis.rcItem);
    else return false;
    return true;
}

bool TDlgAskForDisk::OnInit()
{
    SetWindowTextA(Handle(), kCaption);
    AddControls(kControls);
    SetDlgItemTextA(Handle(), kIdLabel, m_text.c_str());
    const int right = Scaled(kLabelLeft) + Scaled(kLabelWidth), buttonWidth = Scaled(kButtonWidth), gap = Scaled(8);
    AddButtonRow(kButtons, right - ButtonRowWidth(2, buttonWidth, gap), Scaled(kButtonTop), buttonWidth,
                 Scaled(kButtonHeight), gap);
    PlaceTopmostDialog(Handle(), Scaled(kClientWidth), Scaled(kClientHeight));
    FocusDefault(IDOK);
    return false; // the focus is set
}

} // namespace typa
