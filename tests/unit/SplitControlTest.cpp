// The splitter drag on real (hidden) windows: nothing moves until the button is released, and
// the new size is measured from the target's own top.
#include "ui/SplitControl.h"
#include <doctest/doctest.h>

using namespace typa;

namespace {
struct Windows {
    HWND owner = nullptr, bar = nullptr;
    Windows()
    {
        owner = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 300, 400, nullptr, nullptr, nullptr, nullptr);
        // A horizontal bar 3 pixels high, 130 pixels below the target's top (which is at y = 20).
        bar = CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE, 10, 150, 200, 3, owner, nullptr, nullptr,
                              nullptr);
    }
    ~Windows() { DestroyWindow(owner); }
};
} // namespace

TEST_CASE("A press and release without moving keeps the size")
{
    Windows w;
    TSplitControl split(w.owner);
    int applied = -1;
    split.BeginDrag(w.bar, {POINT{10, 20}, [&](int h) { applied = h; }});
    CHECK(split.IsDragging());
    CHECK(split.Horizontal());
    CHECK(GetCapture() == w.bar);
    split.EndDrag();
    CHECK_FALSE(split.IsDragging());
    CHECK(GetCapture() != w.bar);
    CHECK(applied == 130);
}

TEST_CASE("The size follows the last position of the drag")
{
    Windows w;
    TSplitControl split(w.owner);
    int applied = -1;
    split.BeginDrag(w.bar, {POINT{10, 20}, [&](int h) { applied = h; }});
    split.DragTo(5, 40);
    split.DragTo(5, -25);
    CHECK(applied == -1); // nothing changes while dragging
    split.EndDrag();
    CHECK(applied == 105);
    split.EndDrag(); // a second release does nothing
    CHECK(applied == 105);
}

TEST_CASE("A vertical bar sets a width")
{
    Windows w;
    HWND vbar = CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE, 100, 0, 3, 200, w.owner, nullptr, nullptr,
                                nullptr);
    TSplitControl split(w.owner);
    int applied = -1;
    split.BeginDrag(vbar, {POINT{0, 0}, [&](int width) { applied = width; }});
    CHECK_FALSE(split.Horizontal());
    split.DragTo(17, 90);
    split.EndDrag();
    CHECK(applied == 117);
}
