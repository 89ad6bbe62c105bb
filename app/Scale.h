#pragma once
// Sizes designed at 96 pixels per inch, brought to the screen's own resolution.
namespace typa {

// n × ppi ÷ 96, rounded to the nearest integer; halves go to the even neighbour.
constexpr int ScaledFor(int n, int ppi)
{
    long long num = static_cast<long long>(n) * ppi;
    bool negative = num < 0;
    if (negative) num = -num;
    long long q = num / 96, r = num % 96;
    if (2 * r > 96 || (2 * r == 96 && (q & 1))) ++q;
    return static_cast<int>(negative ? -q : q);
}

// Pixels per inch of the screen, read once.
int ScreenPpi();

inline int Scaled(int n) { return ScaledFor(n, ScreenPpi()); }

} // namespace typa
