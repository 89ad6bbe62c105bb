// The group tree as a user meets it: stored groups in the locale's order, a new group named in
// place, a refused name.
#include "support/TypaSession.h"
#include "res/Resource.h"
#include <doctest/doctest.h>

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
