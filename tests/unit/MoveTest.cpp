// Moving installed fonts to another group: the rows' own fonts move, and the Fonts key that the
// next start reads them back from agrees.
#include "app/Settings.h"
#include "fonts/InstalledFonts.h"
#include "ops/Move.h"
#include "platform/Registry.h"
#include <doctest/doctest.h>

using namespace typa;

namespace {

TToShowItem* AddFont(FontCatalogue& c, const std::string& name, const std::string& group)
{
    auto item = std::make_unique<TToShowItem>();
    item->Name = name;
    item->Group = group;
    TToShowItem* raw = item.get();
    c.Add(name, item);
    return raw;
}

// The groups as a new start finds them for fonts of these names.
std::vector<std::string> GroupsAfterRestart(const std::vector<std::string>& names)
{
    FontCatalogue again(FontCatalogue::Order::AsAdded);
    for (const std::string& n : names) AddFont(again, n, "?");
    ReadFontGroups(again);
    std::vector<std::string> groups;
    for (int i = 0; i < again.Count(); ++i) groups.push_back(again.Item(i)->Group);
    return groups;
}

} // namespace

TEST_CASE("Two installed fonts of one name: the selected row's font moves, and is still moved after a restart")
{
    reg::DeleteKey(HKEY_CURRENT_USER, settings::kFontsKey);
    FontCatalogue installed(FontCatalogue::Order::AsAdded);
    TToShowItem* first = AddFont(installed, "Double", "");
    TToShowItem* second = AddFont(installed, "Double", "");
    TToShowItem* other = AddFont(installed, "Autre", "Mes polices");
    installed.MarkComplete();

    // The row of the second font is the one selected.
    MoveSelectedFonts(installed, {second}, "Titres");
    CHECK(second->Group == "Titres");
    // The key keeps one group per name: its namesake goes along, or the next start would put the
    // moved font back.
    CHECK(first->Group == "Titres");
    CHECK(other->Group == "Mes polices");
    CHECK(GroupsAfterRestart({"Double", "Double", "Autre"}) == std::vector<std::string>{"Titres", "Titres", "Mes polices"});

    // "Polices Windows" is no group at all.
    MoveSelectedFonts(installed, {other}, "Polices Windows");
    CHECK(other->Group.empty());
    CHECK(GroupsAfterRestart({"Autre"}) == std::vector<std::string>{""});
    reg::DeleteKey(HKEY_CURRENT_USER, settings::kFontsKey);
}

TEST_CASE("Names that the registry takes for one record move together: École and ÉCOLE, not Ecole")
{
    reg::DeleteKey(HKEY_CURRENT_USER, settings::kFontsKey);
    FontCatalogue installed(FontCatalogue::Order::AsAdded);
    TToShowItem* lower = AddFont(installed, "École", "Titres");
    TToShowItem* upper = AddFont(installed, "ÉCOLE", "Titres");
    TToShowItem* plain = AddFont(installed, "Ecole", "Titres");
    installed.MarkComplete();
    MoveSelectedFonts(installed, {upper}, "Texte");
    CHECK(lower->Group == "Texte");
    CHECK(upper->Group == "Texte");
    CHECK(plain->Group == "Titres");
    CHECK(reg::ValueNames(HKEY_CURRENT_USER, settings::kFontsKey).size() == 2);
    CHECK(GroupsAfterRestart({"école", "Ecole"}) == std::vector<std::string>{"Texte", "Titres"});
    reg::DeleteKey(HKEY_CURRENT_USER, settings::kFontsKey);
}
