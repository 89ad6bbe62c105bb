// The group tree as a user meets it: stored groups in the locale's order, a new group named in
// place, a refused name, fonts whose records name no group of the tree, and quitting while a
// name is being edited.
#include "support/FontScene.h"
#include "res/Resource.h"
#include "ui/FontSheet.h"
#include <doctest/doctest.h>

#include <algorithm>

using namespace typa::e2e;

namespace {
const char* kGroups = "Software\\Orvane Media\\Typarium\\GroupsNew";

std::vector<std::string> Captions(HWND tree)
{
    std::vector<std::string> out;
    for (const TreeItem& item : TreeItems(tree)) out.push_back(item.text);
    return out;
}

HWND EditBox(HWND tree)
{
    HWND edit = nullptr;
    WaitUntil([&] { return (edit = ChildByClass(tree, "Edit")) != nullptr && IsVisible(edit); }, 30000);
    return edit;
}

// Types a name into the in-place edit and confirms it with Enter.
void TypeName(HWND tree, const std::string& name)
{
    HWND edit = EditBox(tree);
    REQUIRE(edit);
    Send(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(name.c_str()));
    Key(edit, VK_RETURN);
}
} // namespace

TEST_CASE("Stored groups, a new group named in place, a refused name")
{
    ResetSettings(EmptyFontFolder());
    for (const char* g : {"zeta", "Alpha", "beta"}) SetString(HKEY_CURRENT_USER, (std::string(kGroups) + "\\" + g).c_str(), "", "");
    Process typa;
    HWND main = StartAndWait(typa);
    REQUIRE(main);
    HWND tree = ChildById(main, twInstalledGroup);
    CHECK(Captions(tree) == std::vector<std::string>{"Polices installées", "Alpha", "beta", "Polices Windows", "zeta"});

    // "&Nouveau groupe": a group under its default name, its caption open for editing.
    Click(ChildById(main, btGroupNew));
    TypeName(tree, "  Mes titres  ");
    Settle(main);
    CHECK(WaitUntil([&] { return KeyExists(HKEY_CURRENT_USER, (std::string(kGroups) + "\\Mes titres").c_str()); }));
    CHECK_FALSE(KeyExists(HKEY_CURRENT_USER, (std::string(kGroups) + "\\Nouveau groupe").c_str()));
    CHECK(Captions(tree) == std::vector<std::string>{"Polices installées", "Alpha", "beta", "Mes titres", "Polices Windows", "zeta"});

    // Renaming it to an existing name, whatever its case, is refused and the old name stays.
    Click(ChildById(main, btGroupRename));
    TypeName(tree, "POLICES WINDOWS");
    auto box = WaitForDialog(typa.Pid(), "Erreur", 60000);
    REQUIRE(box);
    CHECK(box->Text() == "Un groupe portant le nom 'POLICES WINDOWS' existe déjà.\nVeuillez saisir un nom de groupe univoque.\n\nLe renommage est annulé...");
    Answer(*box, "OK");
    Settle(main);
    CHECK(KeyExists(HKEY_CURRENT_USER, (std::string(kGroups) + "\\Mes titres").c_str()));
    auto selected = TreeSelection(tree);
    REQUIRE(selected);
    CHECK(selected->text == "Mes titres");

    CHECK(QuitByButton(typa, main) == std::optional<DWORD>(0));
}

TEST_CASE("Moving a font to a group: it leaves its list, the group shows it, the Fonts key keeps it")
{
    ResetSettings(EmptyFontFolder());
    SetString(HKEY_CURRENT_USER, (std::string(kGroups) + "\\Titres").c_str(), "", "");
    Process typa;
    HWND main = StartAndWait(typa);
    REQUIRE(main);
    HWND list = ChildById(main, lbInstalledFonts);
    HWND tree = ChildById(main, twInstalledGroup);
    auto rows = ListRows(list);
    auto it = std::find(rows.begin(), rows.end(), "DejaVu Sans");
    REQUIRE(it != rows.end());
    const int row = static_cast<int>(it - rows.begin());

    ClickAt(list, POINT{5, 5}); // a click in the list: the installed side is active
    Settle(main);
    Send(list, LB_SETSEL, FALSE, -1);
    Send(list, LB_SETSEL, TRUE, row);
    // The move targets are every node but the root, in tree order: Polices Windows, Titres.
    Command(main, kMoveToGroupBase + 1);
    Settle(main);
    CHECK(GetString(HKEY_CURRENT_USER, (std::string(kTypaKey) + "\\Fonts").c_str(), "DejaVu Sans") ==
          std::optional<std::string>("Titres"));
    rows = ListRows(list);
    CHECK(std::find(rows.begin(), rows.end(), "DejaVu Sans") == rows.end());

    auto titres = TreeFind(tree, {"Polices installées", "Titres"});
    REQUIRE(titres);
    TreeSelect(tree, titres->item);
    Settle(main);
    CHECK(ListRows(list) == std::vector<std::string>{"DejaVu Sans"});

    // And back: "Polices Windows" means no group.
    Send(list, LB_SETSEL, TRUE, 0);
    Command(main, kMoveToGroupBase + 0);
    Settle(main);
    CHECK(GetString(HKEY_CURRENT_USER, (std::string(kTypaKey) + "\\Fonts").c_str(), "DejaVu Sans") ==
          std::optional<std::string>(""));
    CHECK(ListCount(list) == 0);
    CHECK(QuitByButton(typa, main) == std::optional<DWORD>(0));
}

TEST_CASE("Keys in the group tree: three new groups, names trimmed or refused, a right click decides F2; all kept")
{
    ResetSettings(EmptyFontFolder());
    Process typa;
    HWND main = StartAndWait(typa);
    REQUIRE(main);
    HWND tree = ChildById(main, twInstalledGroup);

    // Ctrl+N in the tree: a group under the first free default name, its caption open; Escape keeps
    // that name (Enter would confirm an unchanged name, which is refused as taken).
    for (int i = 0; i < 3; ++i) {
        SelectGroup(main, "Polices Windows");
        Key(tree, 'N', kCtrl);
        HWND edit = EditBox(tree);
        REQUIRE(edit);
        Key(edit, VK_ESCAPE);
        Settle(main);
    }
    CHECK(Captions(tree) == std::vector<std::string>{"Polices installées", "Nouveau groupe", "Nouveau groupe (1)",
                                                      "Nouveau groupe (2)", "Polices Windows"});

    // F2: blanks around a name go; blanks only are refused and the name stays.
    SelectGroup(main, "Nouveau groupe (1)");
    Key(tree, VK_F2);
    TypeName(tree, "  Polices titres  ");
    Settle(main);
    SelectGroup(main, "Nouveau groupe (2)");
    Key(tree, VK_F2);
    TypeName(tree, "   ");
    auto box = WaitForDialog(typa.Pid(), "Erreur", 60000);
    REQUIRE(box);
    CHECK(box->Text() == "Le nom du groupe ne doit pas être vide ou uniquement rempli d'espaces.\nVeuillez saisir un nom de "
                         "groupe correct.\n\nLe renommage est annulé...");
    Answer(*box, "OK");
    Settle(main);

    // A right click on "Polices Windows" selects it and greys the rename item: F2 opens nothing.
    auto windows = TreeFind(tree, {"Polices installées", "Polices Windows"});
    REQUIRE(windows);
    RightClickAt(tree, Centre(*TreeItemRect(tree, windows->item)));
    Settle(main);
    CHECK(TreeSelection(tree)->text == "Polices Windows");
    Key(tree, VK_F2);
    Settle(main);
    HWND edit = ChildByClass(tree, "Edit");
    CHECK((edit == nullptr || !IsVisible(edit)));
    // On a user group it is enabled again.
    auto titres = TreeFind(tree, {"Polices installées", "Polices titres"});
    REQUIRE(titres);
    RightClickAt(tree, Centre(*TreeItemRect(tree, titres->item)));
    Settle(main);
    CHECK(TreeSelection(tree)->text == "Polices titres");
    Key(tree, VK_F2);
    edit = EditBox(tree);
    REQUIRE(edit);
    Key(edit, VK_ESCAPE);
    Settle(main);
    CHECK(QuitByButton(typa, main) == std::optional<DWORD>(0));

    // After a restart the groups come back from the registry, in the locale's order.
    Process again;
    main = StartAndWait(again);
    REQUIRE(main);
    CHECK(Captions(ChildById(main, twInstalledGroup)) ==
          std::vector<std::string>{"Polices installées", "Nouveau groupe", "Nouveau groupe (2)", "Polices titres",
                                   "Polices Windows"});
    CHECK(QuitByButton(again, main) == std::optional<DWORD>(0));
}

TEST_CASE("Fonts whose record names no group of the tree show under \"Polices Windows\", their records kept until moved")
{
    ResetSettings(EmptyFontFolder());
    SetString(HKEY_CURRENT_USER, (std::string(kGroups) + "\\Alpha").c_str(), "", "");
    // Installed in the system's list (their files need not exist), each with its record.
    const std::string longGroup(20000, 'G');
    const std::vector<std::pair<std::string, std::string>> fonts{
        {"Typa Sans Groupe", "Nowhere"}, {"Typa Nom Long", longGroup}, {"Typa Minuscule", "alpha"}, {"Typa Alpha", "Alpha"}};
    struct Cleanup {
        const std::vector<std::pair<std::string, std::string>>& fonts;
        ~Cleanup()
        {
            for (const auto& f : fonts) DeleteSystemValue(f.first + " (TrueType)");
        }
    } cleanup{fonts};
    for (const auto& [name, group] : fonts) {
        SetString(HKEY_LOCAL_MACHINE, kSystemFontsKey, (name + " (TrueType)").c_str(), Upper(name.substr(5)) + ".TTF");
        SetString(HKEY_CURRENT_USER, kFontGroupsKey, name.c_str(), group);
    }
    // One of them with a file that exists, for its sheet.
    SetString(HKEY_LOCAL_MACHINE, kSystemFontsKey, "Typa Minuscule (TrueType)", WinePath("/usr/share/wine/fonts/webdings.ttf"));

    Process typa;
    HWND main = StartAndWait(typa);
    REQUIRE(main);
    HWND list = ChildById(main, lbInstalledFonts);
    auto shows = [&](const std::string& name) { return RowOf(list, name) >= 0; };
    SelectGroup(main, "Polices Windows");
    CHECK(shows("Typa Sans Groupe"));
    CHECK(shows("Typa Nom Long"));
    CHECK(shows("Typa Minuscule")); // "alpha" is not "Alpha"
    CHECK_FALSE(shows("Typa Alpha"));
    CHECK(shows("DejaVu Sans"));
    SelectGroup(main, "Alpha");
    CHECK(ListRows(list) == std::vector<std::string>{"Typa Alpha"});

    // Its sheet says where it shows.
    SelectGroup(main, "Polices Windows");
    const int row = RowOf(list, "Typa Minuscule");
    REQUIRE(row >= 0);
    Send(list, LB_SETSEL, FALSE, -1);
    Send(list, LB_SETSEL, TRUE, row);
    Send(list, LB_SETCARETINDEX, row, FALSE);
    Key(list, VK_RETURN, kAlt);
    Settle(main);
    HWND sheet = nullptr;
    CHECK(WaitUntil([&] { return (sheet = FindTopLevel(typa.Pid(), "TypaFontSheet", nullptr)) && TitleOf(sheet) == "Typa Minuscule - Typarium"; }, 60000));
    if (sheet) {
        CHECK(Text(ChildById(sheet, typa::TFontSheet::kIdHeader)).find("Installée : oui, parmi les 'Polices Windows'") != std::string::npos);
        Close(sheet);
        WaitForWindowGone(sheet, 60000);
    }

    // Moving one of them gives it a group; the others keep their records as they were.
    SelectRowTexts(list, {"Typa Sans Groupe"});
    Command(main, kMoveToGroupBase + GroupTargetIndex(main, "Alpha"));
    Settle(main);
    CHECK_FALSE(shows("Typa Sans Groupe"));
    CHECK(GetString(HKEY_CURRENT_USER, kFontGroupsKey, "Typa Sans Groupe") == std::optional<std::string>("Alpha"));
    CHECK(GetString(HKEY_CURRENT_USER, kFontGroupsKey, "Typa Nom Long") == std::optional<std::string>(longGroup));
    CHECK(GetString(HKEY_CURRENT_USER, kFontGroupsKey, "Typa Minuscule") == std::optional<std::string>("alpha"));
    SelectGroup(main, "Alpha");
    CHECK(ListRows(list) == std::vector<std::string>{"Typa Alpha", "Typa Sans Groupe"});
    CHECK(QuitByButton(typa, main) == std::optional<DWORD>(0));
}

TEST_CASE("Quitting while a group's name is being edited: the edit is dropped, no box, exit code 0")
{
    ResetSettings(EmptyFontFolder());
    SetString(HKEY_CURRENT_USER, (std::string(kGroups) + "\\Titres").c_str(), "", "");
    enum class Way { Button, Menu, LogOff };
    for (Way way : {Way::Button, Way::Menu, Way::LogOff}) {
        INFO("way ", static_cast<int>(way));
        Process typa;
        HWND main = StartAndWait(typa);
        REQUIRE(main);
        SelectGroup(main, "Titres");
        HWND tree = ChildById(main, twInstalledGroup);
        Key(tree, VK_F2);
        HWND edit = EditBox(tree);
        REQUIRE(edit);
        // Confirmed, the name unchanged would be refused as taken (3021); a new one would rename.
        if (way == Way::Menu) Send(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("Autre nom"));
        switch (way) {
        case Way::Button: Click(ChildById(main, btExitProgram)); break;
        case Way::Menu: Command(main, mnuFontExit); break;
        case Way::LogOff:
            Post(main, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF);
            Post(main, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF);
            break;
        }
        bool boxShown = false;
        WaitUntil([&] {
            for (HWND w : TopLevelWindows(typa.Pid()))
                if (IsVisible(w) && ClassName(w) == "#32770") boxShown = true;
            return boxShown || !typa.IsRunning();
        }, 60000);
        CHECK_FALSE(boxShown);
        CHECK(typa.WaitForExit(60000) == std::optional<DWORD>(0));
        CHECK(KeyExists(HKEY_CURRENT_USER, (std::string(kGroups) + "\\Titres").c_str()));
        CHECK_FALSE(KeyExists(HKEY_CURRENT_USER, (std::string(kGroups) + "\\Autre nom").c_str()));
    }
}
