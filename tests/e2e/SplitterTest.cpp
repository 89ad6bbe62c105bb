// The bar between a tree and its font list, dragged with the mouse as a user does: the tree takes
// the height the drag ends at, never less than 50 pixels above or below the bar, only for a press
// of the left button alone, and the heights come back after a restart.
#include "support/TypaSession.h"
#include "res/Resource.h"
#include <doctest/doctest.h>

using namespace typa::e2e;

namespace {

int Height(HWND wnd)
{
    RECT r{};
    GetWindowRect(wnd, &r);
    return r.bottom - r.top;
}

int TopIn(HWND main, HWND wnd)
{
    RECT r{};
    GetWindowRect(wnd, &r);
    MapWindowPoints(nullptr, main, reinterpret_cast<POINT*>(&r), 2);
    return r.top;
}

// Press on the bar, move by dy (relative to the bar's top), release there.
void Drag(HWND main, HWND bar, int dy, WPARAM keys = MK_LBUTTON, UINT down = WM_LBUTTONDOWN)
{
    Post(bar, down, keys, MAKELPARAM(20, 1));
    Post(bar, WM_MOUSEMOVE, keys, MAKELPARAM(20, dy));
    Post(bar, down == WM_RBUTTONDOWN ? WM_RBUTTONUP : WM_LBUTTONUP, 0, MAKELPARAM(20, dy));
    REQUIRE(Settle(main));
}

struct Side {
    HWND bar, tree, list;
};

Side SideOf(HWND main, bool installed)
{
    Side s{ChildById(main, installed ? SplitterRight : SplitterLeft),
           ChildById(main, installed ? PanelInstalledHighlight : PanelAvailableHighlight),
           ChildById(main, installed ? lbInstalledFonts : lbAvailableFonts)};
    REQUIRE(s.bar);
    REQUIRE(s.tree);
    REQUIRE(s.list);
    return s;
}

} // namespace

TEST_CASE("Dragging the bars between trees and lists")
{
    ResetSettings(EmptyFontFolder());
    Process typa;
    HWND main = StartAndWait(typa);
    REQUIRE(main);
    Side left = SideOf(main, false), right = SideOf(main, true);
    const int start = Height(left.tree);
    CHECK(start == 110); // the default height, at 96 dots per inch
    const int barTop = TopIn(main, left.bar);
    CHECK(barTop == TopIn(main, left.tree) + start);

    SUBCASE("a press and release without moving changes nothing") {
        Post(left.bar, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, 1));
        Post(left.bar, WM_LBUTTONUP, 0, MAKELPARAM(20, 1));
        REQUIRE(Settle(main));
        CHECK(Height(left.tree) == start);
        CHECK(TopIn(main, left.bar) == barTop);
    }
    SUBCASE("the tree takes the height where the drag ends, the list below follows") {
        const int listBottom = TopIn(main, left.list) + Height(left.list);
        Drag(main, left.bar, 40);
        CHECK(Height(left.tree) == start + 40);
        CHECK(TopIn(main, left.bar) == barTop + 40);
        CHECK(TopIn(main, left.list) + Height(left.list) == listBottom);
        Drag(main, left.bar, -25);
        CHECK(Height(left.tree) == start + 15);
    }
    SUBCASE("the bar stops 50 pixels from the top and from the bottom of its side") {
        Drag(main, left.bar, -1000);
        CHECK(Height(left.tree) == 50);
        Drag(main, left.bar, -1000);
        CHECK(Height(left.tree) == 50);
        Drag(main, left.bar, 5000);
        // 50 pixels from the bar's top to the side's bottom: the 3-pixel bar and a 47-pixel list.
        CHECK(Height(left.list) == 47);
        CHECK(Height(left.tree) > start);
    }
    SUBCASE("Shift, Ctrl, the right button or a double click start no drag") {
        Drag(main, left.bar, 40, MK_LBUTTON | MK_SHIFT);
        CHECK(Height(left.tree) == start);
        Drag(main, left.bar, 40, MK_LBUTTON | MK_CONTROL);
        CHECK(Height(left.tree) == start);
        Drag(main, left.bar, 40, MK_RBUTTON, WM_RBUTTONDOWN);
        CHECK(Height(left.tree) == start);
        Drag(main, left.bar, 40, MK_LBUTTON, WM_LBUTTONDBLCLK);
        CHECK(Height(left.tree) == start);
    }
    SUBCASE("both heights are kept for the next start") {
        Drag(main, left.bar, 30);
        Drag(main, right.bar, 60);
        CHECK(Height(right.tree) == start + 60);
        CHECK(QuitByButton(typa, main) == std::optional<DWORD>(0));
        CHECK(GetDword(HKEY_CURRENT_USER, kTypaKey, "TVAvailHeight") == std::optional<DWORD>(start + 30));
        CHECK(GetDword(HKEY_CURRENT_USER, kTypaKey, "TVInstHeight") == std::optional<DWORD>(start + 60));

        Process again;
        main = StartAndWait(again);
        REQUIRE(main);
        CHECK(Height(SideOf(main, false).tree) == start + 30);
        CHECK(Height(SideOf(main, true).tree) == start + 60);
        CHECK(QuitByButton(again, main) == std::optional<DWORD>(0));
        return;
    }
    CHECK(QuitByButton(typa, main) == std::optional<DWORD>(0));
}
