// The group store against Wine's real registry (GroupsNew is emptied before and after each case),
// and its naming rules as plain functions.
#include "groups/GroupStore.h"
#include "app/ErrorBox.h"
#include "app/Messages.h"
#include "app/Settings.h"
#include "platform/Handles.h"
#include "platform/Registry.h"
#include <doctest/doctest.h>

#include <cstring>
#include <memory>

using namespace typa;

namespace {

struct CleanGroups {
    CleanGroups() { Clean(); }
    ~CleanGroups() { Clean(); }
    static void Clean()
    {
        reg::DeleteKey(HKEY_CURRENT_USER, settings::kFontsKey);
        // The wide call also removes keys named outside the Windows code page, which an 8-bit
        // enumeration cannot name (one case below makes such a key on purpose).
        RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Orvane Media\\Typarium\\GroupsNew");
        RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\Orvane Media\\Typarium\\GroupsNew");
    }
};

void SetRaw(const std::string& key, const char* name, DWORD type, const void* data, DWORD size)
{
    UniqueKey k;
    REQUIRE(RegCreateKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, k.Put(),
                            nullptr) == ERROR_SUCCESS);
    REQUIRE(RegSetValueExA(k.Get(), name, 0, type, static_cast<const BYTE*>(data), size) == ERROR_SUCCESS);
}

struct RawValue {
    bool found = false;
    DWORD type = 0;
    std::string bytes;
};

RawValue GetRaw(const std::string& key, const char* name)
{
    RawValue v;
    UniqueKey k;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, KEY_READ, k.Put()) != ERROR_SUCCESS) {
        k.Release();
        return v;
    }
    char buf[512];
    DWORD size = sizeof buf;
    if (RegQueryValueExA(k.Get(), name, nullptr, &v.type, reinterpret_cast<BYTE*>(buf), &size) == ERROR_SUCCESS) {
        v.found = true;
        v.bytes.assign(buf, size);
    }
    return v;
}

std::vector<std::string> StoredNames()
{
    std::vector<std::string> names;
    for (const auto& g : LoadGroups()) names.push_back(g.name);
    return names;
}

void AddFont(FontCatalogue& cat, const std::string& name, const std::string& group)
{
    auto item = std::make_unique<TToShowItem>();
    item->Name = name;
    item->Group = group;
    cat.Add(name, item);
}

const std::string kRoot = "Polices installées";
const std::string kWindows = "Polices Windows";

} // namespace

TEST_CASE("Default names: the first one free, compared as the registry compares key names")
{
    CHECK(FreeGroupName({}) == "Nouveau groupe");
    CHECK(FreeGroupName({kRoot, kWindows, "Nouveau groupe", "Nouveau groupe (1)"}) == "Nouveau groupe (2)");
    // A group that differs only in case holds the same key: its name is taken.
    CHECK(FreeGroupName({kRoot, kWindows, "nouveau groupe"}) == "Nouveau groupe (1)");
    CHECK(FreeGroupName({kRoot, kWindows, "NOUVEAU GROUPE", "nouveau groupe (1)"}) == "Nouveau groupe (2)");
    // A gap is filled before the end is reached.
    CHECK(FreeGroupName({"Nouveau groupe", "Nouveau groupe (2)"}) == "Nouveau groupe (1)");

    std::vector<std::string> all{"Nouveau groupe"};
    for (int i = 1; i <= 100; ++i) all.push_back(FormatMessage(1106, {i}));
    CHECK_FALSE(FreeGroupName(all).has_value());
    all.back() = "Nouveau groupe (100) renommé";
    CHECK(FreeGroupName(all) == "Nouveau groupe (100)");

    ScriptedBoxes boxes;
    ShowNoFreeGroupName();
    REQUIRE(boxes.Boxes().size() == 1);
    CHECK(boxes.Boxes()[0].kind == MsgKind::Error);
    CHECK(boxes.Boxes()[0].text == FormatMessage(3020, {"100"}));
}

TEST_CASE("Rename rules: cut, trimmed, refused when empty or taken")
{
    const std::vector<std::string> tree{kRoot, kWindows, "Écoles", "Titres"};

    SUBCASE("blanks around the name are dropped, from the old name too")
    {
        GroupRenameCheck c = CheckGroupRename("  Polices  ", " Titres ", tree);
        CHECK(c.Accepted());
        CHECK(c.name == "Polices");
        CHECK(c.oldName == "Titres");
    }
    SUBCASE("a name taken by any node, in any case, is refused with 3021")
    {
        GroupRenameCheck c = CheckGroupRename("POLICES WINDOWS", "Titres", tree);
        CHECK(c.message == 3021);
        CHECK(c.name == "Titres");
        CHECK(c.typedName == "POLICES WINDOWS");
        CHECK(CheckGroupRename("polices installÉes", "Titres", tree).message == 3021);
        CHECK(CheckGroupRename("ÉCOLES", "Titres", tree).message == 3021); // accents upper-case too
    }
    SUBCASE("the edited node takes part: unchanged or case-only names are refused")
    {
        CHECK(CheckGroupRename("Titres", "Titres", tree).message == 3021);
        CHECK(CheckGroupRename("  TITRES", "Titres", tree).message == 3021);
    }
    SUBCASE("blanks only are refused with 3022")
    {
        for (const char* typed : {"", "   ", " \t "}) {
            GroupRenameCheck c = CheckGroupRename(typed, "Titres ", tree);
            CHECK(c.message == 3022);
            CHECK(c.name == "Titres");
        }
    }
    SUBCASE("250 characters are cut to 210 before trimming")
    {
        // Five blanks lead: cutting first leaves 205 letters; trimming first would leave 210.
        std::string typed = std::string(5, ' ') + std::string(245, 'x');
        GroupRenameCheck c = CheckGroupRename(typed, "Titres", tree);
        CHECK(c.Accepted());
        CHECK(c.name == std::string(205, 'x'));
        // Blanks that the cut brings to the end are trimmed as well.
        typed = std::string(205, 'y') + std::string(10, ' ') + std::string(35, 'z');
        CHECK(CheckGroupRename(typed, "Titres", tree).name == std::string(205, 'y'));
    }
    SUBCASE("a backslash becomes a slash before the comparison")
    {
        GroupRenameCheck c = CheckGroupRename("Serif\\Sans", "Titres", tree);
        CHECK(c.Accepted());
        CHECK(c.name == "Serif/Sans");
        std::vector<std::string> withSlash = tree;
        withSlash.push_back("serif/sans");
        c = CheckGroupRename(" Serif\\Sans", "Titres", withSlash);
        CHECK(c.message == 3021);
        CHECK(c.typedName == "Serif/Sans");
        CHECK(CheckGroupRename("\\", "Titres", tree).name == "/");
    }
}

TEST_CASE("Loading: the stored groups sorted without regard to case, their key created when missing")
{
    CleanGroups clean;
    CHECK(LoadGroups().empty());
    CHECK(reg::KeyExists(HKEY_CURRENT_USER, settings::kGroupsKey));

    for (const char* name : {"zeta", "Alpha", "beta", "École"}) CHECK(CreateGroupKey(name));
    // Stray values beside the group keys, of any type, are no groups.
    const DWORD number = 7;
    SetRaw(settings::kGroupsKey, "Valeur", REG_DWORD, &number, 4);
    SetRaw(settings::kGroupsKey, "", REG_BINARY, "\x01\x02", 2);

    std::vector<StoredGroup> groups = LoadGroups();
    REQUIRE(groups.size() == 4);
    CHECK(groups[0].name == "Alpha");
    CHECK(groups[1].name == "beta");
    CHECK(groups[2].name == "École"); // the locale's order: É sorts with E, not after z
    CHECK(groups[3].name == "zeta");
    CHECK(groups[0].keyPath == std::string(settings::kGroupsKey) + "\\Alpha");
}

TEST_CASE("Creating and deleting group keys")
{
    CleanGroups clean;
    CHECK(CreateGroupKey("Titres"));
    RawValue def = GetRaw(GroupKeyPath("Titres"), "");
    CHECK(def.found);
    CHECK(def.type == REG_SZ);
    CHECK(reg::ReadString(HKEY_CURRENT_USER, GroupKeyPath("Titres"), "", "absent") == "");
    CHECK(reg::ValueNames(HKEY_CURRENT_USER, GroupKeyPath("Titres")).size() == 1);

    // Whatever else was put in it goes with it.
    SetRaw(GroupKeyPath("Titres") + "\\Sous\\Plus bas", "x", REG_SZ, "y", 2);
    CHECK(CreateGroupKey("Autre"));
    CHECK(DeleteGroupKey("Titres"));
    CHECK_FALSE(reg::KeyExists(HKEY_CURRENT_USER, GroupKeyPath("Titres")));
    CHECK(StoredNames() == std::vector<std::string>{"Autre"});
    CHECK_FALSE(DeleteGroupKey("Titres"));

    SUBCASE("names that are not one key are refused and touch nothing")
    {
        CHECK(CreateGroupKey("Sous"));
        for (const char* name : {"", "\\", "Autre\\", "Sous\\", "Sous\\Rien", "\\Autre"}) {
            CAPTURE(name);
            CHECK_FALSE(CreateGroupKey(name));
            CHECK_FALSE(DeleteGroupKey(name));
        }
        CHECK(StoredNames() == std::vector<std::string>{"Autre", "Sous"});
        CHECK(reg::SubkeyNames(HKEY_CURRENT_USER, GroupKeyPath("Sous")).empty());
    }
    SUBCASE("the longest name a rename keeps is stored and read back")
    {
        const std::string longest = std::string(kGroupNameMaxLength - 1, 'x') + "é";
        CHECK(CreateGroupKey(longest));
        CHECK(StoredNames() == std::vector<std::string>{"Autre", longest});
        CHECK(DeleteGroupKey(longest));
    }
    SUBCASE("odd names are keys of their own")
    {
        for (const char* name : {"..", ".", "*", "a/b", "Groupe \"1\" & <2>", "   espacés   "}) {
            CAPTURE(name);
            CHECK(CreateGroupKey(name));
        }
        CHECK(StoredNames().size() == 7);
        CHECK(DeleteGroupKey(".."));
        CHECK(DeleteGroupKey("."));
        CHECK(StoredNames().size() == 5);
        CHECK(reg::KeyExists(HKEY_CURRENT_USER, GroupKeyPath("Autre")));
    }
}

TEST_CASE("Moving a group key keeps everything in it and never loses a group")
{
    CleanGroups clean;
    // Group A with values of every kind, the wrong type for its default value included, and a
    // subkey tree.
    const DWORD number = 0x12345678;
    const std::string a = GroupKeyPath("A");
    SetRaw(a, "", REG_DWORD, &number, 4);
    SetRaw(a, "Texte", REG_SZ, "Été", 4);
    SetRaw(a, "Octets", REG_BINARY, "\x00\xFF\x10", 3);
    SetRaw(a, "Liste", REG_MULTI_SZ, "un\0deux\0", 9);
    SetRaw(a + "\\Sous", "Niveau", REG_SZ, "1", 2);
    SetRaw(a + "\\Sous\\Plus bas", "Niveau", REG_SZ, "2", 2);
    SetRaw(a + "\\Vide", "", REG_SZ, "", 1);
    CHECK(CreateGroupKey("Autre"));

    REQUIRE(RenameGroupKey("A", "B"));
    const std::string b = GroupKeyPath("B");
    CHECK_FALSE(reg::KeyExists(HKEY_CURRENT_USER, a));
    CHECK(StoredNames() == std::vector<std::string>{"Autre", "B"});
    RawValue v = GetRaw(b, "");
    CHECK(v.type == REG_DWORD);
    CHECK(v.bytes == std::string("\x78\x56\x34\x12", 4));
    v = GetRaw(b, "Texte");
    CHECK(v.type == REG_SZ);
    CHECK(v.bytes == std::string("Été", 4));
    v = GetRaw(b, "Octets");
    CHECK(v.type == REG_BINARY);
    CHECK(v.bytes == std::string("\x00\xFF\x10", 3));
    v = GetRaw(b, "Liste");
    CHECK(v.type == REG_MULTI_SZ);
    CHECK(v.bytes == std::string("un\0deux\0", 9));
    CHECK(reg::ReadString(HKEY_CURRENT_USER, b + "\\Sous", "Niveau", "") == "1");
    CHECK(reg::ReadString(HKEY_CURRENT_USER, b + "\\Sous\\Plus bas", "Niveau", "") == "2");
    CHECK(reg::KeyExists(HKEY_CURRENT_USER, b + "\\Vide"));

    SUBCASE("a name held by another group is never written into")
    {
        CHECK_FALSE(RenameGroupKey("B", "Autre"));
        CHECK_FALSE(RenameGroupKey("B", "AUTRE"));
        CHECK(StoredNames() == std::vector<std::string>{"Autre", "B"});
        CHECK(reg::SubkeyNames(HKEY_CURRENT_USER, GroupKeyPath("Autre")).empty());
        CHECK(GetRaw(b, "").type == REG_DWORD);
    }
    SUBCASE("a change of case alone is the same key: it stays as it is")
    {
        CHECK_FALSE(RenameGroupKey("B", "b"));
        CHECK(StoredNames() == std::vector<std::string>{"Autre", "B"});
        CHECK(reg::ReadString(HKEY_CURRENT_USER, b + "\\Sous", "Niveau", "") == "1");
    }
    SUBCASE("empty names and backslashes do nothing")
    {
        CHECK_FALSE(RenameGroupKey("", "C"));
        CHECK_FALSE(RenameGroupKey("B", ""));
        CHECK_FALSE(RenameGroupKey("B", "B\\Sous"));
        CHECK_FALSE(RenameGroupKey("B\\Sous", "C"));
        CHECK(StoredNames() == std::vector<std::string>{"Autre", "B"});
        CHECK(reg::KeyExists(HKEY_CURRENT_USER, b + "\\Sous\\Plus bas"));
    }
    SUBCASE("a copy that cannot be completed leaves the old key and no new one")
    {
        // A subkey named outside the Windows code page cannot be reached by its 8-bit name.
        UniqueKey sub;
        const std::wstring path = L"Software\\Orvane Media\\Typarium\\GroupsNew\\B\\\u03A9mega";
        REQUIRE(RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, sub.Put(),
                                nullptr) == ERROR_SUCCESS);
        sub.Reset();
        CHECK_FALSE(RenameGroupKey("B", "C"));
        CHECK(StoredNames() == std::vector<std::string>{"Autre", "B"});
        CHECK(reg::SubkeyNames(HKEY_CURRENT_USER, b).size() == 3);
        CHECK(GetRaw(b, "").type == REG_DWORD);

        FontCatalogue cat(FontCatalogue::Order::AsAdded);
        AddFont(cat, "Arial", "B");
        ScriptedBoxes boxes;
        CHECK(EndGroupRename("C", "B", {kRoot, kWindows, "Autre", "B"}, cat) == "B");
        CHECK(cat.Item(0)->Group == "B");
        CHECK(StoredNames() == std::vector<std::string>{"Autre", "B"});
    }
    SUBCASE("a group whose key was never stored gets one under its new name")
    {
        CHECK(RenameGroupKey("Jamais créé", "Nouveau nom"));
        CHECK(StoredNames() == std::vector<std::string>{"Autre", "B", "Nouveau nom"});
    }
    SUBCASE("a copy keeps the old key, with the same refusals as a move")
    {
        CHECK(CopyGroupKey("B", "C"));
        CHECK(StoredNames() == std::vector<std::string>{"Autre", "B", "C"});
        CHECK(reg::ReadString(HKEY_CURRENT_USER, GroupKeyPath("C") + "\\Sous\\Plus bas", "Niveau", "") == "2");
        CHECK(reg::ReadString(HKEY_CURRENT_USER, b + "\\Sous\\Plus bas", "Niveau", "") == "2");
        CHECK_FALSE(CopyGroupKey("B", "Autre"));
        CHECK_FALSE(CopyGroupKey("B", "b"));
        CHECK(StoredNames() == std::vector<std::string>{"Autre", "B", "C"});
    }
}

TEST_CASE("Copying a key refuses its own subtree and leaves no half copy")
{
    CleanGroups clean;
    const std::string a = GroupKeyPath("A");
    SetRaw(a + "\\Sous", "x", REG_SZ, "1", 2);
    CHECK_FALSE(reg::CopyKey(HKEY_CURRENT_USER, a, a + "\\Sous\\Copie"));
    CHECK_FALSE(reg::CopyKey(HKEY_CURRENT_USER, a, GroupKeyPath("a")));
    CHECK_FALSE(reg::KeyExists(HKEY_CURRENT_USER, a + "\\Sous\\Copie"));
    CHECK_FALSE(reg::CopyKey(HKEY_CURRENT_USER, GroupKeyPath("Absent"), GroupKeyPath("C")));
    CHECK_FALSE(reg::KeyExists(HKEY_CURRENT_USER, GroupKeyPath("C")));
    CHECK(StoredNames() == std::vector<std::string>{"A"});
}

TEST_CASE("The fonts of a renamed group move with it, by exact name")
{
    FontCatalogue cat(FontCatalogue::Order::AsAdded);
    AddFont(cat, "Arial", "A");
    AddFont(cat, "Courier", "a");
    AddFont(cat, "Times", "");
    AddFont(cat, "Verdana", "A");
    AddFont(cat, "Tahoma", "A ");
    RenameGroupInCatalogue(cat, "A", "B");
    CHECK(cat.Item(0)->Group == "B");
    CHECK(cat.Item(1)->Group == "a");
    CHECK(cat.Item(2)->Group == "");
    CHECK(cat.Item(3)->Group == "B");
    CHECK(cat.Item(4)->Group == "A ");
    // "Polices Windows" (no group) is never a group to move from or to.
    RenameGroupInCatalogue(cat, "", "B");
    CHECK(cat.Item(2)->Group == "");
    RenameGroupInCatalogue(cat, "B", "");
    CHECK(cat.Item(0)->Group == "B");
}

TEST_CASE("End of an in-place edit: key, fonts and their records move together")
{
    CleanGroups clean;
    CHECK(CreateGroupKey("A"));
    SetRaw(GroupKeyPath("A") + "\\Sous", "x", REG_SZ, "1", 2);
    FontCatalogue cat(FontCatalogue::Order::AsAdded);
    AddFont(cat, "Arial", "A");
    AddFont(cat, "Courier", "Autre");
    AddFont(cat, "Verdana", "A");
    cat.MarkComplete(); // stands for every installed font, as the main window's catalogue does
    const std::vector<std::string> tree{kRoot, kWindows, "A", "Autre"};

    SUBCASE("accepted")
    {
        ScriptedBoxes boxes;
        CHECK(EndGroupRename("  Polices  ", "A", tree, cat) == "Polices");
        CHECK(boxes.Boxes().empty());
        CHECK(StoredNames() == std::vector<std::string>{"Polices"});
        CHECK(reg::KeyExists(HKEY_CURRENT_USER, GroupKeyPath("Polices") + "\\Sous"));
        CHECK(cat.Item(0)->Group == "Polices");
        CHECK(cat.Item(1)->Group == "Autre");
        CHECK(cat.Item(2)->Group == "Polices");
        CHECK(reg::ReadString(HKEY_CURRENT_USER, settings::kFontsKey, "Arial", "") == "Polices");
        CHECK(reg::ReadString(HKEY_CURRENT_USER, settings::kFontsKey, "Verdana", "") == "Polices");
        CHECK(reg::ReadString(HKEY_CURRENT_USER, settings::kFontsKey, "Courier", "") == "Autre");
    }
    SUBCASE("refused: the box says why and nothing moves")
    {
        ScriptedBoxes boxes;
        CHECK(EndGroupRename("POLICES WINDOWS", "A", tree, cat) == "A");
        CHECK(EndGroupRename("   ", " A ", tree, cat) == "A");
        REQUIRE(boxes.Boxes().size() == 2);
        CHECK(boxes.Boxes()[0].text == FormatMessage(3021, {"POLICES WINDOWS"}));
        CHECK(boxes.Boxes()[0].kind == MsgKind::Error);
        CHECK(boxes.Boxes()[1].text == LoadMessage(3022));
        CHECK(StoredNames() == std::vector<std::string>{"A"});
        CHECK(cat.Item(0)->Group == "A");
        CHECK_FALSE(reg::KeyExists(HKEY_CURRENT_USER, settings::kFontsKey));
    }
    SUBCASE("records that cannot all be saved keep the old key beside the new one")
    {
        // Filled by hand: it does not stand for every installed font, so it saves nothing.
        FontCatalogue partial(FontCatalogue::Order::AsAdded);
        AddFont(partial, "Arial", "A");
        reg::WriteString(HKEY_CURRENT_USER, settings::kFontsKey, "Arial", "A");
        ScriptedBoxes boxes;
        CHECK(EndGroupRename("Polices", "A", tree, partial) == "Polices");
        CHECK(StoredNames() == std::vector<std::string>{"A", "Polices"});
        CHECK(reg::KeyExists(HKEY_CURRENT_USER, GroupKeyPath("A") + "\\Sous"));
        CHECK(reg::ReadString(HKEY_CURRENT_USER, settings::kFontsKey, "Arial", "") == "A");
    }
    SUBCASE("a key that cannot move keeps the old name everywhere")
    {
        // Another program took the new name's key meanwhile: the tree did not know it.
        CHECK(CreateGroupKey("Pris"));
        ScriptedBoxes boxes;
        CHECK(EndGroupRename("Pris", "A", tree, cat) == "A");
        CHECK(StoredNames() == std::vector<std::string>{"A", "Pris"});
        CHECK(cat.Item(0)->Group == "A");
    }
}

TEST_CASE("A font is in the user group its record names exactly; a record naming no group of the tree is in none")
{
    const GroupMembership groups({"Alpha", "Titres anciens"});
    CHECK(groups.Holding("Alpha") == "Alpha");
    CHECK(groups.Holding("Titres anciens") == "Titres anciens");
    CHECK(groups.Holding("alpha") == "");   // another spelling is another name
    CHECK(groups.Holding("Alpha ") == "");
    CHECK(groups.Holding("Nowhere") == "");
    CHECK(groups.Holding(std::string(20000, 'x')) == "");
    CHECK(groups.Holding("") == "");
    CHECK(groups.Holding("Polices Windows") == ""); // the built-in node is no user group
    CHECK(GroupMembership().Holding("Alpha") == "");
}

TEST_CASE("Re-entry guard: one run of the end-of-edit handler per edit")
{
    GroupEditReentry flag;
    {
        GroupEditReentry::Scope outer(flag);
        CHECK(outer.Entered());
        CHECK(flag.IsSet());
        {
            // A message box ended the edit once more while the handler was running.
            GroupEditReentry::Scope inner(flag);
            CHECK_FALSE(inner.Entered());
        }
        CHECK(flag.IsSet()); // the inner run must not open the door
    }
    CHECK_FALSE(flag.IsSet());

    // A flag left set is cleared when the next edit starts.
    GroupEditReentry::Scope stuck(flag);
    flag.Clear();
    GroupEditReentry::Scope next(flag);
    CHECK(next.Entered());
}
