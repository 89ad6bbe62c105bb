#include "ui/SplitControl.h"

namespace typa {

TSplitControl::~TSplitControl()
{
    if (IsDragging()) {
        ReleaseCapture();
        if (m_dc) ReleaseDC(m_owner, m_dc);
    }
}

void TSplitControl::BeginDrag(HWND splitter, Target target)
{
    if (IsDragging()) return;
    m_splitter = splitter;
    m_target = std::move(target);
    SetCapture(splitter);
    RECT r;
    GetClientRect(splitter, &r);
    m_horizontal = (r.right - r.left) > (r.bottom - r.top);
    m_position = POINT{0, 0};
    // Window updates stay locked while the line is on screen, so nothing paints over it.
    m_dc = GetDCEx(m_owner, nullptr, DCX_CACHE | DCX_CLIPSIBLINGS | DCX_LOCKWINDOWUPDATE);
    m_pen.Reset(CreatePen(PS_SOLID, m_horizontal ? r.bottom - r.top : r.right - r.left, RGB(255, 255, 255)));
    DrawLine();
}

void TSplitControl::DrawLine()
{
    if (!m_dc || !m_splitter) return;
    RECT r;
    GetClientRect(m_splitter, &r);
    POINT from = m_position;
    POINT to = m_horizontal ? POINT{r.right, m_position.y} : POINT{m_position.x, r.bottom};
    MapWindowPoints(m_splitter, m_owner, &from, 1);
    MapWindowPoints(m_splitter, m_owner, &to, 1);
    ScopedSelect pen(m_dc, m_pen.Get());
    int oldRop = SetROP2(m_dc, R2_XORPEN);
    MoveToEx(m_dc, from.x, from.y, nullptr);
    LineTo(m_dc, to.x, to.y);
    SetROP2(m_dc, oldRop);
}

void TSplitControl::DragTo(int x, int y)
{
    if (!IsDragging()) return;
    DrawLine();
    if (m_horizontal)
        m_position.y = y;
    else
        m_position.x = x;
    DrawLine();
}

void TSplitControl::EndDrag()
{
    if (!IsDragging()) return;
    DrawLine();
    POINT p = m_position;
    MapWindowPoints(m_splitter, m_owner, &p, 1);
    p.x -= m_target.origin.x;
    p.y -= m_target.origin.y;
    HWND splitter = m_splitter;
    m_splitter = nullptr; // finished before the capture goes, so WM_CAPTURECHANGED finds no drag
    if (GetCapture() == splitter) ReleaseCapture();
    if (m_dc) ReleaseDC(m_owner, m_dc);
    m_dc = nullptr;
    m_pen.Reset();
    if (m_target.apply) m_target.apply(m_horizontal ? p.y : p.x);
}

} // namespace typa
