#include "app/Scale.h"
#include <doctest/doctest.h>

using typa::ScaledFor;

TEST_CASE("Scaled keeps sizes at 96 pixels per inch and rounds halves to the even neighbour")
{
    CHECK(ScaledFor(631, 96) == 631);
    CHECK(ScaledFor(0, 144) == 0);
    // 144 ppi is 1.5 times: odd sizes land exactly on a half.
    CHECK(ScaledFor(1, 144) == 2);   // 1.5 -> 2
    CHECK(ScaledFor(3, 144) == 4);   // 4.5 -> 4
    CHECK(ScaledFor(5, 144) == 8);   // 7.5 -> 8
    CHECK(ScaledFor(7, 144) == 10);  // 10.5 -> 10
    CHECK(ScaledFor(-3, 144) == -4); // symmetric below zero
    // 120 ppi is 1.25 times: quarters round to the nearest.
    CHECK(ScaledFor(3, 120) == 4);   // 3.75
    CHECK(ScaledFor(5, 120) == 6);   // 6.25
    CHECK(ScaledFor(560, 120) == 700);
    CHECK(ScaledFor(435, 120) == 544); // 543.75
    CHECK(ScaledFor(345, 144) == 518); // 517.5 -> 518
}
