// Finding a font in a long list by typing the start of its name: letters typed within a second
// lead together, a pause starts anew, Backspace takes one back; case and accents do not count.
// The row found is selected as a click selects it: the status bar and the commands follow.
#include "support/FontScene.h"
#include "res/Resource.h"
#include <doctest/doctest.h>

using namespace typa::e2e;

namespace {

// The first row whose text starts with `prefix`, case and accents ignored; -1 when none does.
int FirstRowStartingWith(HWND list, const std::string& prefix)
{
    const auto rows = ListRows(list);
    for (std::size_t i = 0; i < rows.size(); ++i)
        if (rows[i].size() >= prefix.size() &&
            CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE | NORM_IGNORENONSPACE, rows[i].c_str(),
                           static_cast<int>(prefix.size()), prefix.c_str(), static_cast<int>(prefix.size())) == CSTR_EQUAL)
            return static_cast<int>(i);
    return -1;
}

void TypeInto(HWND list, const std::string& text)
{
    Type(list, text);
    Settle(list);
}

// More than the second after which typing starts anew.
void Pause() { Sleep(1300); }

} // namespace

TEST_CASE("Typing in the installed list: \"dej\" finds the first DejaVu font, \"z\" after a pause the first in z")
{
    ResetSettings(EmptyFontFolder());
    Process typa;
    HWND main = StartAndWait(typa);
    REQUIRE(main);
    HWND list = ChildById(main, lbInstalledFonts);
    Send(main, WM_COMMAND, MAKEWPARAM(lbInstalledFonts, LBN_SETFOCUS), reinterpret_cast<LPARAM>(list));
    const int dejavu = FirstRowStartingWith(list, "DejaVu");
    const int z = FirstRowStartingWith(list, "z");
    REQUIRE(dejavu > 0);
    REQUIRE(z > dejavu);

    TypeInto(list, "dej");
    CHECK(ListSelection(list) == std::vector<int>{dejavu});
    CHECK(ListCaret(list) == dejavu);
    CHECK(ListText(list, dejavu).rfind("DejaVu", 0) == 0);
    // As after a click: the status bar counts it, and the font can be removed.
    CHECK(StatusText(ChildById(main, idStatusBar)).rfind("1 des ", 0) == 0);
    CHECK(IsEnabled(ChildById(main, btFontDelete)));

    Pause();
    TypeInto(list, "z");
    CHECK(ListSelection(list) == std::vector<int>{z});
    // Scrolled into view: the row lies between the top and the bottom of the list.
    auto rect = ListItemRect(list, z);
    REQUIRE(rect);
    CHECK(rect->top >= 0);
    CHECK(rect->bottom <= ClientRect(list).bottom);

    // Accents count for nothing, nor does case; Backspace takes the last letter back.
    Pause();
    TypeInto(list, "DÉJ");
    CHECK(ListSelection(list) == std::vector<int>{dejavu});
    Pause();
    TypeInto(list, "zq");
    CHECK(ListSelection(list) == std::vector<int>{z}); // no "zq": the selection stays
    TypeInto(list, "\b");
    CHECK(ListSelection(list) == std::vector<int>{z});
    CHECK(QuitByButton(typa, main) == std::optional<DWORD>(0));
}

TEST_CASE("Typing in the folder list selects a font to install, as a click would")
{
    const std::string folder = BesideExe("find-by-typing");
    CreateDirectoryA(folder.c_str(), nullptr);
    for (const char* name : {"Alpha", "Beta", "Bravo", "Charlie"})
        WriteRenamedWineFont(folder + "\\TYPA" + name + ".TTF", std::string("Typa ") + name, "Regular",
                             std::string("Typa ") + name);
    ResetSettings(folder);
    Process typa;
    HWND main = StartAndWait(typa);
    REQUIRE(main);
    HWND list = ChildById(main, lbAvailableFonts);
    REQUIRE(ListRows(list) == std::vector<std::string>{"Typa Alpha", "Typa Beta", "Typa Bravo", "Typa Charlie"});
    Send(main, WM_COMMAND, MAKEWPARAM(lbAvailableFonts, LBN_SETFOCUS), reinterpret_cast<LPARAM>(list));
    CHECK_FALSE(IsEnabled(ChildById(main, btFontInstall)));
    TypeInto(list, "typa br");
    CHECK(ListSelection(list) == std::vector<int>{2});
    CHECK(IsEnabled(ChildById(main, btFontInstall)));
    CHECK(StatusText(ChildById(main, idStatusBar)).rfind("1 des 4", 0) == 0);
    CHECK(QuitByButton(typa, main) == std::optional<DWORD>(0));
}
