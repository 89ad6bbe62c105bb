// Folder fonts are drawn in themselves without being installed: a row loads its file when it is
// drawn and gives it back when it is drawn again after another row's file was loaded; every
// refill gives them all back. Counted from inside the program with the system's own list of font
// families, over a folder of 500 fonts that each carry a family name of their own.
#include "support/TypaSession.h"
#include "res/Resource.h"
#include <doctest/doctest.h>

#include <windows.h>

#include <algorithm>

using namespace typa::e2e;

namespace {

constexpr int kFonts = 500;
constexpr const char* kFamily = "Typa Essai";

// "Typa Essai 001" to "Typa Essai 500".
std::string FolderOf500()
{
    const std::string folder = BesideExe("preview-500");
    CreateDirectoryA(folder.c_str(), nullptr);
    WriteFontCopies(folder, kFonts, "TE", kFamily, 3);
    return folder;
}

int Loaded(HWND main, bool afterPaint = true)
{
    const int n = CountFontFamilies(main, kFamily, afterPaint, 120000);
    REQUIRE(n >= 0);
    return n;
}

} // namespace

TEST_CASE("500 folder fonts: only rows drawn since the last refill hold their file, none right after one")
{
    ResetSettings(FolderOf500());
    SetDword(HKEY_CURRENT_USER, kTypaKey, "FontOptions", 1); // short rows: many on a page
    Process typa;
    HWND main = StartAndWait(typa, 900000);
    REQUIRE(main);
    HWND list = ChildById(main, lbAvailableFonts);
    REQUIRE(WaitUntil([&] { return ListCount(list) == kFonts; }, 600000));
    CHECK(ListText(list, 0) == "Typa Essai 001");
    CHECK(ListText(list, kFonts - 1) == "Typa Essai 500");

    // Rows of one font have one height: a page is what fits in the list.
    const int rowHeight = std::max(1, ListItemHeight(list, 0));
    const int perPage = std::max(1, static_cast<int>(ClientRect(list).bottom / rowHeight));
    const int shown = perPage + 1; // a partly visible row is drawn as well

    // The first screen: its rows were drawn and hold their files, nothing below them does.
    const int first = Loaded(main);
    MESSAGE("rows per page: " << perPage << ", files loaded after the first screen: " << first);
    CHECK(first >= 1);
    CHECK(first <= shown);

    // Page by page to the end: a row holds its file once drawn, so at most the rows drawn so far.
    int most = first;
    for (int top = perPage; top < kFonts; top += perPage) {
        Send(list, LB_SETTOPINDEX, static_cast<WPARAM>(top));
        const int loaded = Loaded(main);
        CHECK(loaded >= 1);
        CHECK(loaded <= std::min(kFonts, top + shown));
        most = std::max(most, loaded);
    }
    MESSAGE("files loaded after paging to the end: " << most);
    CHECK(most > shown); // pages already drawn keep theirs until a refill

    // Back at the top, the first page is drawn again after other rows' files were loaded: its rows
    // give theirs back once drawn.
    const int beforeBack = Loaded(main);
    Send(list, LB_SETTOPINDEX, 0);
    const int afterBack = Loaded(main);
    MESSAGE("files loaded before and after going back to the top: " << beforeBack << ", " << afterBack);
    CHECK(afterBack <= beforeBack - perPage);

    // A refill gives every file back before the rows are measured (each only for its measure);
    // until the list paints again none is loaded, then only the new first screen's.
    ClickAt(list, Centre(*ListItemRect(list, 0)));
    REQUIRE(Settle(main));
    Key(list, VK_F5);
    CHECK(Loaded(main, false) == 0);
    REQUIRE(WaitUntil([&] { return ListCount(list) == kFonts; }, 600000));
    const int refilled = Loaded(main);
    MESSAGE("files loaded once the refilled list has painted: " << refilled);
    CHECK(refilled >= 1);
    CHECK(refilled <= shown);

    CHECK(QuitByButton(typa, main) == std::optional<DWORD>(0));
}

TEST_CASE("A collection among the folder fonts: its faces share one load of the file, and a refill gives it back")
{
    const std::string folder = BesideExe("preview-collection");
    CreateDirectoryA(folder.c_str(), nullptr);
    CopyFileA((DemoFontFolder() + "\\OpenType\\Duo.ttc").c_str(), (folder + "\\Duo.ttc").c_str(), FALSE);
    WriteFontCopies(folder, 3, "TC", kFamily, 3);
    ResetSettings(folder);
    Process typa;
    HWND main = StartAndWait(typa, 600000);
    REQUIRE(main);
    HWND list = ChildById(main, lbAvailableFonts);
    REQUIRE(ListRows(list) ==
            std::vector<std::string>{"Caladea Regular", "Carlito", "Typa Essai 001", "Typa Essai 002", "Typa Essai 003"});

    // Both faces drawn: the file is loaded, each family shows once.
    CHECK(CountFontFamilies(main, "Caladea") == 1);
    CHECK(CountFontFamilies(main, "Carlito") == 1);

    // A refill gives every file back before the rows are measured: the collection's too, though
    // two rows held it. (Had it been added once per face and removed once, it would stay.)
    ClickAt(list, Centre(*ListItemRect(list, 0)));
    REQUIRE(Settle(main));
    Key(list, VK_F5);
    CHECK(CountFontFamilies(main, "Carlito", false) == 0);
    CHECK(CountFontFamilies(main, "Caladea", false) == 0);
    REQUIRE(WaitUntil([&] { return ListCount(list) == 5; }, 600000));
    CHECK(CountFontFamilies(main, "Carlito") == 1);

    CHECK(QuitByButton(typa, main) == std::optional<DWORD>(0));
}
