// The sample sheet's arithmetic: millimetres and hundredths of an inch to printer pixels, the
// leading rule, block heights and the split of the sample text; and the header date.
#include "print/PageLayout.h"
#include "print/PrintChoices.h"

#include <doctest/doctest.h>

using namespace typa;

namespace {
PrintChoices Boxes(bool name, bool file, bool chars, bool sample)
{
    PrintChoices c;
    c.cbFontname = name;
    c.cbFilename = file;
    c.cbChars = chars;
    c.cbSample = sample;
    return c;
}
} // namespace

TEST_CASE("Millimetres to pixels at 300 and 600 pixels per inch, with the sheet's own factor")
{
    struct Row {
        int mm, at300, at600;
    };
    for (Row r : {Row{1, 12, 24}, Row{3, 35, 71}, Row{5, 59, 118}, Row{6, 71, 142}, Row{13, 154, 307}, Row{15, 177, 355}}) {
        CAPTURE(r.mm);
        CHECK(MmToDevice(r.mm, 300) == r.at300);
        CHECK(MmToDevice(r.mm, 600) == r.at600);
    }
    // 1/25.4 would give 354: the factor is 0.0394216528..., not 0.03937...
    CHECK(MmToDevice(15, 600) == 355);
    CHECK(MmToDevice(0, 600) == 0);
}

TEST_CASE("Hundredths of an inch: inset, pens and half pen, halves to the even neighbour")
{
    CHECK(TextInset(300) == 2);
    CHECK(TextInset(600) == 5);
    CHECK(FramePen(300) == 4); // 4.5 goes to the even 4
    CHECK(FramePen(600) == 9);
    CHECK(SeparatorPen(300) == 1);
    CHECK(SeparatorPen(600) == 1);
    CHECK(HalfFramePen(300) == 2); // 2.25
    CHECK(HalfFramePen(600) == 4); // 4.5 to the even 4
}

TEST_CASE("The leading is at least a tenth of the height")
{
    CHECK(EnsureLeading(100, 0) == 10);
    CHECK(EnsureLeading(100, 10) == 10);
    CHECK(EnsureLeading(100, 12) == 12);
    CHECK(EnsureLeading(25, 0) == 2); // 2.5 to the even 2
    CHECK(EnsureLeading(35, 0) == 4); // 3.5 to the even 4
    CHECK(EnsureLeading(0, 0) == 0);
}

TEST_CASE("Block heights")
{
    const std::string sixty(60, 'x');
    SUBCASE("all boxes, 60 characters of sample text, H 100 and E 0 at 600 pixels per inch: 702 pixels")
    {
        const PrintChoices all = Boxes(true, true, true, true);
        const int E = EnsureLeading(100, 0);
        REQUIRE(E == 10);
        const int height = BlockHeight(all, sixty.size(), 100, E, 600, 600);
        CHECK(height == 118 + 5 * 100 + 8 * 10 + 4);
        CHECK(height == 702);
        // The frame's bottom edge lies 5 mm above the block's bottom.
        CHECK(height - MmToDevice(5, 600) == 584);
    }
    SUBCASE("only the alphabet: two lines, three leadings")
    {
        const BlockLines b = CountBlockLines(Boxes(false, false, true, false), 10);
        CHECK(b.lines == 2);
        CHECK(b.leadings == 3);
        CHECK(BlockHeight(Boxes(false, false, true, false), 10, 50, 5, 300, 300) == 2 * 50 + 3 * 5 + 59 + 2);
    }
    SUBCASE("the file name alone makes the name line")
    {
        const BlockLines b = CountBlockLines(Boxes(false, true, false, false), 0);
        CHECK(b.lines == 1);
        CHECK(b.leadings == 2);
    }
    SUBCASE("50 characters make one sample line, 51 make two")
    {
        CHECK(CountBlockLines(Boxes(false, false, false, true), 50).lines == 1);
        CHECK(CountBlockLines(Boxes(false, false, false, true), 51).lines == 2);
        CHECK(CountBlockLines(Boxes(false, false, false, true), 51).leadings == 3);
    }
    SUBCASE("all boxes, short sample: four lines and seven leadings")
    {
        const BlockLines b = CountBlockLines(Boxes(true, true, true, true), 50);
        CHECK(b.lines == 4);
        CHECK(b.leadings == 7);
    }
}

TEST_CASE("The sample text splits at character 50, even inside a word")
{
    const std::string fifty(50, 'a');
    CHECK(SplitSample(fifty).first == fifty);
    CHECK(SplitSample(fifty).second.empty());
    CHECK(SplitSample(fifty + "b").second == "b");
    // Blanks and control characters at the start of the second line go.
    CHECK(SplitSample(fifty + " \t\x01kiwis").second == "kiwis");
    CHECK(SplitSample(fifty + "   ").second.empty());
    const std::string sample = "Servez à ce monsieur, le petit juge blond assis au fond, une bière hollandaise et des kiwis.";
    CHECK(SplitSample(sample).first == "Servez à ce monsieur, le petit juge blond assis au");
    CHECK(SplitSample(sample).second == "fond, une bière hollandaise et des kiwis.");
}

TEST_CASE("The header's date: day without a leading zero, the month's full French name, four-digit year")
{
    SYSTEMTIME d{};
    d.wYear = 2024;
    d.wMonth = 2;
    d.wDay = 9;
    CHECK(HeaderDate(d) == "9 février 2024");
    d.wMonth = 12;
    d.wDay = 25;
    CHECK(HeaderDate(d) == "25 décembre 2024");
}

TEST_CASE("PrintOptions: bit 1 is the alphabet, bit 2 the file name")
{
    PrintChoices c;
    ApplyPrintOptions(5, c);
    CHECK(c.cbFontname);
    CHECK(c.cbFilename);
    CHECK_FALSE(c.cbChars);
    CHECK_FALSE(c.cbSample);
    CHECK(c.rgAdditionalFont == 0);
    ApplyPrintOptions(31, c);
    CHECK((c.cbFontname && c.cbFilename && c.cbChars && c.cbSample && c.rgAdditionalFont == 1));
    ApplyPrintOptions(16, c);
    CHECK_FALSE((c.cbFontname || c.cbFilename || c.cbChars || c.cbSample));
    CHECK(c.rgAdditionalFont == 1);
    for (int v = 0; v < 32; ++v) {
        ApplyPrintOptions(static_cast<std::uint8_t>(v), c);
        CHECK(PrintOptionsOf(c) == v);
    }
}
