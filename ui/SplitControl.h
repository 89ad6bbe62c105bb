#pragma once
// Dragging a splitter bar: while the button is down, an inverted line on the owner window shows
// where the bar would go; nothing is resized until the button is released.
#include "platform/Handles.h"
#include <windows.h>
#include <functional>

namespace typa {

class TSplitControl {
public:
    // What the drag resizes: a panel whose top-left corner lies at `origin` in the owner's client
    // coordinates; `apply` receives its new height (horizontal bar) or width (vertical bar).
    struct Target {
        POINT origin{};
        std::function<void(int)> apply;
    };

    explicit TSplitControl(HWND owner) : m_owner(owner) {}
    TSplitControl(const TSplitControl&) = delete;
    TSplitControl& operator=(const TSplitControl&) = delete;
    ~TSplitControl();

    bool IsDragging() const { return m_splitter != nullptr; }
    bool Horizontal() const { return m_horizontal; }
    HWND Splitter() const { return m_splitter; }
    void BeginDrag(HWND splitter, Target target);
    // x, y in the splitter's client coordinates.
    void DragTo(int x, int y);
    void EndDrag();
    void DrawLine();

private:
    HWND m_owner;
    HWND m_splitter = nullptr;
    Target m_target;
    bool m_horizontal = true;
    POINT m_position{};
    HDC m_dc = nullptr;
    UniquePen m_pen;
};

} // namespace typa
