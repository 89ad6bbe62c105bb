// The main window's geometry: the sides and the middle column laid out, the bars between trees
// and lists dragged, the tool bar painted, and the keys and hints that pass through the window
// before their controls see them.
#include "app/fTYPA.h"

#include "app/ExceptionGuard.h"
#include "app/MenuInfo.h"
#include "app/Scale.h"

#include <windowsx.h>

namespace typa {
namespace {

void MoveTo(HWND wnd, const RECT& r)
{
    if (wnd) MoveWindow(wnd, r.left, r.top, r.right - r.left, r.bottom - r.top, TRUE);
}

} // namespace

LayoutInput TfrmTYPA::CurrentLayoutInput() const
{
    LayoutInput in;
    RECT c;
    GetClientRect(m_wnd, &c);
    in.client = SIZE{c.right, c.bottom};
    in.ppi = ScreenPpi();
    in.toolbarHeight = m_toolbarVisible ? ScaledFor(30, in.ppi) : 0;
    if (m_statusBarVisible) {
        RECT s;
        GetWindowRect(m_statusBar, &s);
        in.statusBarHeight = s.bottom - s.top;
    }
    in.captionHeight = m_captionHeight;
    in.availableTreePanel = m_available.TreeHeight();
    in.installedTreePanel = m_installed.TreeHeight();
    return in;
}

void TfrmTYPA::LayOut()
{
    if (!m_toolbar) return;
    if (m_statusBarVisible) SendMessageA(m_statusBar, WM_SIZE, 0, 0);
    MainLayout m = ComputeLayout(CurrentLayoutInput());
    MoveTo(m_toolbar, m.toolbar);
    m_available.LayOut(m.available);
    m_installed.LayOut(m.installed);
    MoveTo(m_groupBoxAction, m.middle.action);
    MoveTo(m_groupBoxGroups, m.middle.groups);
    MoveTo(m_groupBoxProgram, m.middle.program);
    for (int i = 0; i < 9; ++i) MoveTo(m_buttons[i], m.middle.buttons[i]);
}

TFontSide* TfrmTYPA::SideOfSplitter(HWND splitter)
{
    if (splitter == m_available.Splitter()) return &m_available;
    if (splitter == m_installed.Splitter()) return &m_installed;
    return nullptr;
}

LRESULT CALLBACK TfrmTYPA::SplitBarProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp)
{
    auto* self = reinterpret_cast<TfrmTYPA*>(GetWindowLongPtrA(GetAncestor(wnd, GA_ROOT), GWLP_USERDATA));
    if (!self) return DefWindowProcA(wnd, msg, wp, lp);
    return Guarded<LRESULT>(0, [&]() -> LRESULT {
        switch (msg) {
        case WM_LBUTTONDOWN:
        case WM_RBUTTONDOWN:
        case WM_MBUTTONDOWN: self->SplitterMouseDown(wnd, msg == WM_LBUTTONDOWN ? wp : 0); return 0;
        case WM_MOUSEMOVE: self->SplitterMouseMove(wnd, GET_X_LPARAM(lp), GET_Y_LPARAM(lp)); return 0;
        case WM_LBUTTONUP:
        case WM_RBUTTONUP:
        case WM_MBUTTONUP: self->SplitterMouseUp(wnd); return 0;
        case WM_LBUTTONDBLCLK: return 0; // the second press of a double click starts nothing
        case WM_CAPTURECHANGED:
            if (self->m_splitControl && self->m_splitControl->Splitter() == wnd) self->SplitterMouseUp(wnd);
            return 0;
        default: return DefWindowProcA(wnd, msg, wp, lp);
        }
    });
}

void TfrmTYPA::SplitterMouseDown(HWND splitter, WPARAM keys)
{
    // Only the left button alone: no Shift, Ctrl or Alt, no other button held.
    TFontSide* side = SideOfSplitter(splitter);
    if (keys != MK_LBUTTON || GetKeyState(VK_MENU) < 0 || !m_splitControl || !side) return;
    RECT pr;
    GetWindowRect(side->Panel(), &pr);
    MapWindowPoints(nullptr, m_wnd, reinterpret_cast<POINT*>(&pr), 2);
    TSplitControl::Target target;
    target.origin = POINT{pr.left, pr.top};
    target.apply = [this, side](int height) {
        side->SetTreeHeight(height);
        // The left bar's drag keeps the installed tree at 50 pixels at least.
        if (side->IsAvailable() && m_installed.TreeHeight() < 50) m_installed.SetTreeHeight(50);
        LayOut();
    };
    m_splitControl->BeginDrag(splitter, std::move(target));
}

void TfrmTYPA::SplitterMouseMove(HWND splitter, int x, int y)
{
    if (!m_splitControl || m_splitControl->Splitter() != splitter) return;
    // Keep the bar at least 50 pixels away from the top and the bottom of its side.
    MainLayout m = ComputeLayout(CurrentLayoutInput());
    const SideLayout& side = splitter == m_available.Splitter() ? m.available : m.installed;
    int top = side.splitter.top - side.panel.top;
    int parentHeight = side.panel.bottom - side.panel.top;
    if (top + y < 50)
        y = 50 - top;
    else if (top + y > parentHeight - 50)
        y = parentHeight - 50 - top;
    m_splitControl->DragTo(x, y);
}

void TfrmTYPA::SplitterMouseUp(HWND splitter)
{
    if (m_splitControl && m_splitControl->Splitter() == splitter) m_splitControl->EndDrag();
}

void TfrmTYPA::OnPaintToolbar(HWND toolbar)
{
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(toolbar, &ps);
    RECT r;
    GetClientRect(toolbar, &r);
    FillRect(dc, &r, GetSysColorBrush(COLOR_BTNFACE));
    // A thin etched line under the bar, as classic tool bars have.
    RECT line{r.left, r.bottom - 2, r.right, r.bottom};
    DrawEdge(dc, &line, EDGE_ETCHED, BF_TOP);
    const int ppi = ScreenPpi();
    int iconSize = GetSystemMetrics(SM_CXSMICON);
    int x = ScaledFor(6, ppi);
    DrawIconEx(dc, x, (r.bottom - iconSize) / 2, m_taskIcon.Get(), iconSize, iconSize, 0, nullptr, DI_NORMAL);
    ScopedSelect font(dc, m_logoFont.Get());
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(0x1f, 0x4e, 0x8c));
    RECT text{x + iconSize + ScaledFor(6, ppi), r.top, r.right, r.bottom - 2};
    DrawTextA(dc, "Typarium", -1, &text, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
    EndPaint(toolbar, &ps);
}

bool TfrmTYPA::PreTranslateMessage(MSG& msg)
{
    if (!m_wnd) return false;
    if (m_sheet.PreTranslateMessage(msg)) return true;
    if (msg.message == WM_MOUSEMOVE && msg.hwnd != m_lastHintWindow) {
        // The status bar follows the control under the pointer; where there is none, the window's
        // own hint (the selection summary) comes back.
        m_lastHintWindow = msg.hwnd;
        if (GetAncestor(msg.hwnd, GA_ROOT) == m_wnd) {
            const char* hint = ControlHint(GetDlgCtrlID(msg.hwnd));
            ShowHint(*hint ? hint : m_ownHint);
        }
    }
    if (msg.hwnd != m_wnd && !IsChild(m_wnd, msg.hwnd)) return false;
    // A press on "Quitter" takes the focus from a caption being edited, which would confirm it:
    // the edit is cancelled first, as the quit command itself does.
    if ((msg.message == WM_LBUTTONDOWN || msg.message == WM_LBUTTONDBLCLK || msg.message == BM_CLICK) &&
        msg.hwnd == GetDlgItem(m_wnd, btExitProgram))
        CancelLabelEdit();
    // While a caption is edited in place, every key belongs to the edit box: Enter and Escape end
    // the edit, Delete deletes a letter.
    char cls[16] = {};
    HWND focus = GetFocus();
    if (focus && GetClassNameA(focus, cls, sizeof cls) && lstrcmpiA(cls, "Edit") == 0 &&
        (GetParent(focus) == m_groups.Handle() || GetParent(focus) == m_folders.Handle()))
        return false;
    // Enter, and Alt+Enter, on a list's current row open the font's sheet.
    if ((msg.message == WM_KEYDOWN || msg.message == WM_SYSKEYDOWN) && msg.wParam == VK_RETURN)
        for (TFontSide* side : {&m_available, &m_installed})
            if (msg.hwnd == side->List().Handle()) {
                const int caret = side->List().Caret();
                if (caret >= 0 && side->List().Selected(caret)) OpenSheet(*side, caret);
                return true;
            }
    // The focused list's or tree's popup items take their keys before the main menu's.
    if (PopupShortcut(msg)) return true;
    if (m_accelerators && TranslateAcceleratorA(m_wnd, m_accelerators, &msg)) return true;
    return IsDialogMessageA(m_wnd, &msg) != FALSE;
}

} // namespace typa
