#include "app/StartupGeometry.h"
#include <doctest/doctest.h>
#include <climits>

using namespace typa;

namespace {
StartupInput Screen(int w, int h)
{
    StartupInput in;
    in.screen = SIZE{w, h};
    in.workArea = SIZE{w, h - 28};
    return in;
}
int Width(const RECT& r) { return r.right - r.left; }
int Height(const RECT& r) { return r.bottom - r.top; }
} // namespace

TEST_CASE("Without a saved size the window is 631 x 452 and centred on the screen")
{
    StartupInput in = Screen(1024, 768);
    RECT r = InitialWindowBounds(in);
    CHECK(r.left == 196);
    CHECK(r.top == 158);
    CHECK(Width(r) == 631);
    CHECK(Height(r) == 452);

    in.ppi = 144; // everything designed at 96 ppi grows with the screen
    r = InitialWindowBounds(in);
    CHECK(Width(r) == 946); // 946.5 -> even
    CHECK(Height(r) == 678);
}

TEST_CASE("A saved size comes back centred in the work area, its position does not")
{
    StartupInput in = Screen(1024, 768);
    in.workArea = SIZE{1024, 740};
    in.appPos = {100, 100, 900, 700};
    RECT r = InitialWindowBounds(in);
    CHECK(r.left == 112);
    CHECK(r.top == 70);
    CHECK(Width(r) == 800);
    CHECK(Height(r) == 600);

    SUBCASE("only when the restore bit is set")
    {
        in.appTools = 31 & ~16;
        r = InitialWindowBounds(in);
        CHECK(Width(r) == 631);
    }
    SUBCASE("larger than the work area is cut to it")
    {
        in.appPos = {-50, -50, 3000, 2000};
        r = InitialWindowBounds(in);
        CHECK(r.left == 0);
        CHECK(r.top == 0);
        CHECK(Width(r) == 1024);
        CHECK(Height(r) == 740);
    }
}

TEST_CASE("Saved rectangles that make no sense leave the default")
{
    StartupInput in = Screen(1024, 768);
    for (settings::AppPos p : {settings::AppPos{0, 0, 0, 0}, settings::AppPos{500, 100, 400, 700},
                               settings::AppPos{100, 700, 900, 100}, settings::AppPos{-900, -700, -100, -100},
                               settings::AppPos{-100, -100, 0, 500}}) {
        in.appPos = p;
        RECT r = InitialWindowBounds(in);
        CHECK(Width(r) == 631);
        CHECK(Height(r) == 452);
    }
    // Extreme values must not overflow into a small positive size.
    in.appPos = {INT_MIN, INT_MIN, INT_MAX, INT_MAX};
    RECT r = InitialWindowBounds(in);
    CHECK(Width(r) == 1024);
    CHECK(Height(r) == 740);
}

TEST_CASE("The window is never smaller than 560 x 435, nor wider than the screen")
{
    StartupInput in = Screen(1024, 768);
    in.appPos = {0, 0, 200, 100};
    RECT r = InitialWindowBounds(in);
    CHECK(Width(r) == 560);
    CHECK(Height(r) == 435);

    in = Screen(500, 400);
    in.appPos = {};
    r = InitialWindowBounds(in);
    CHECK(Width(r) == 500);
    CHECK(Height(r) == 452); // height is not cut to the screen
}
