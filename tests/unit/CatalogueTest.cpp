// Catalogues: order, duplicates, locale-aware comparison, ownership, and the installed mark.
#include "fonts/Catalogue.h"
#include "fonts/NameCompare.h"
#include <doctest/doctest.h>

using namespace typa;

namespace {
std::unique_ptr<TToShowItem> Item(const std::string& name, const std::string& family = "")
{
    auto item = std::make_unique<TToShowItem>();
    item->Name = name;
    item->Family = family;
    return item;
}
} // namespace

TEST_CASE("Names compare without case in the user's locale")
{
    CHECK(CompareNames("école", "ÉCOLE") == 0);
    CHECK(CompareNames("Arial", "arial") == 0);
    CHECK(CompareNames("Arial", "Arial Black") < 0);
    CHECK(CompareNames("Zapf", "apple") > 0);
    CHECK(DisplayFileName("C:\\WINDOWS\\FONTS\\ARIALBD.TTF") == "Arialbd.ttf");
    CHECK(DisplayFileName("a:ÉTÉ.TTF") == "Été.ttf");
    CHECK(DisplayFileName("X.TTF") == "X.ttf");
    CHECK(DisplayFileName("") == "");
}

TEST_CASE("A sorted catalogue keeps names in order and refuses equal ones")
{
    FontCatalogue cat(FontCatalogue::Order::SortedUnique);
    for (const char* n : {"Verdana", "arial", "Comic", "Été", "Zed"}) {
        auto item = Item(n);
        CHECK(cat.Add(n, item) >= 0);
        CHECK_FALSE(item); // taken
    }
    auto dup = Item("ARIAL");
    CHECK(cat.Add("ARIAL", dup) == -1);
    REQUIRE(dup); // still the caller's
    CHECK(cat.Count() == 5);
    CHECK(cat.Name(0) == "arial");
    CHECK(cat.Name(1) == "Comic");
    CHECK(cat.Name(2) == "Été");
    CHECK(cat.Name(4) == "Zed");
    CHECK(cat.IndexOf("ÉTÉ") == 2);
    CHECK(cat.IndexOf("Tahoma") == -1);
    CHECK(cat.Item(3)->Name == "Verdana");
}

TEST_CASE("An as-added catalogue keeps duplicates and finds the first")
{
    FontCatalogue cat(FontCatalogue::Order::AsAdded);
    auto a = Item("Symbol");
    auto b = Item("Arial");
    auto c = Item("symbol");
    cat.Add("Symbol", a);
    cat.Add("Arial", b);
    CHECK(cat.Add("symbol", c) == 2);
    CHECK(cat.Count() == 3);
    CHECK(cat.Name(0) == "Symbol");
    CHECK(cat.IndexOf("SYMBOL") == 0);

    cat.Sort([](const TToShowItem& x, const TToShowItem& y) { return CompareNames(x.Name, y.Name) < 0; });
    CHECK(cat.Name(0) == "Arial");
    CHECK(cat.Item(1)->Name == "Symbol"); // stable: equal names keep their order
    CHECK(cat.Item(2)->Name == "symbol");
}

TEST_CASE("Emptying lets the view go before the items are freed")
{
    FontCatalogue cat(FontCatalogue::Order::SortedUnique);
    std::vector<TToShowItem*> view;
    bool viewEmptyAtFree = false;
    cat.SetBeforeClear([&] { view.clear(); });
    auto a = Item("A");
    cat.Add("A", a);
    view.push_back(cat.Item(0));
    cat.Clear();
    viewEmptyAtFree = view.empty();
    CHECK(viewEmptyAtFree);
    CHECK(cat.Count() == 0);
    CHECK(cat.IndexOf("A") == -1);
}

TEST_CASE("Name lists: the fonts folder sorted and each name once, families as reported")
{
    NameList files(true);
    for (const char* n : {"Times.ttf", "Arial.ttf", "arial.ttf", "Cour.fot"}) files.Add(n);
    CHECK(files.Count() == 3);
    CHECK(files[0] == "Arial.ttf");
    CHECK(files.IndexOf("COUR.FOT") == 1);

    NameList families(false);
    for (const char* n : {"Wingdings", "Arial", "Wingdings"}) families.Add(n);
    CHECK(families.Count() == 3);
    CHECK(families.IndexOf("arial") == 1);
}

TEST_CASE("A folder font counts as installed by file, by .FOT, by family or by name")
{
    NameList files(true);
    files.Add("Arialbd.ttf");
    files.Add("Oldfont.fot");
    FontCatalogue installed(FontCatalogue::Order::AsAdded);
    auto inst = Item("Gentium");
    installed.Add("Gentium", inst);
    auto inst2 = Item("Lato Black");
    installed.Add("Lato Black", inst2);

    TToShowItem byFile;
    byFile.FileName = "Arialbd.ttf";
    byFile.Name = "Arial Gras";
    MarkInstalled(byFile, files, installed);
    CHECK(byFile.Installed);
    CHECK(byFile.OwnFileInstalled);

    TToShowItem byFot;
    byFot.FileName = "Oldfont.ttf";
    MarkInstalled(byFot, files, installed);
    CHECK(byFot.Installed);
    CHECK(byFot.OwnFileInstalled);

    TToShowItem byFamily;
    byFamily.FileName = "Gentiumplus-i.ttf";
    byFamily.Family = "GENTIUM";
    byFamily.Name = "Gentium Plus Italic";
    MarkInstalled(byFamily, files, installed);
    CHECK(byFamily.Installed);
    CHECK_FALSE(byFamily.OwnFileInstalled); // its own file is not the installed face

    TToShowItem byName;
    byName.FileName = "Lato-black.ttf";
    byName.Family = "Lato";
    byName.Name = "lato black";
    MarkInstalled(byName, files, installed);
    CHECK(byName.Installed);
    CHECK_FALSE(byName.OwnFileInstalled);

    TToShowItem none;
    none.FileName = "Hack-regular.ttf";
    none.Family = "Hack";
    none.Name = "Hack Regular";
    none.Installed = none.OwnFileInstalled = true; // recomputed at every fill
    MarkInstalled(none, files, installed);
    CHECK_FALSE(none.Installed);
    CHECK_FALSE(none.OwnFileInstalled);
}

TEST_CASE("Name keys are equal exactly when the names compare equal, and order them as they compare")
{
    // Catalogues sort and search by keys, so the two must agree on every pair.
    const char* names[] = {"Arial", "ARIAL", "arial", "Arial ", "Arial Black", "école", "ÉCOLE", "Ecole", "ecole",
                           "coté", "côte", "Côte", "cote", "côté", "straße", "STRASSE", "œuvre", "Œuvre", "oeuvre",
                           "a-b", "ab", "A B", "", "Ÿ", "ÿ", "ß", "ss", "Æ", "æ", "AE", "Ñ", "n", "l'été", "lete",
                           "co-op", "coop", "a1", "a10", "a2", "Noto Sans", "Noto Sans-Bold", "NotoSans", "Ça", "ca",
                           "pêche", "péché", "Free Serif", "FreeSerif", "Zapf", "apple", "Ø", "O", "Å", "Aa"};
    auto sign = [](int v) { return (v > 0) - (v < 0); };
    for (const char* a : names)
        for (const char* b : names) {
            INFO(a << " / " << b);
            CHECK(sign(CompareNames(a, b)) == sign(NameKey(a).compare(NameKey(b))));
        }
    // And so a sorted catalogue filled in any order lists names as CompareNames sorts them.
    FontCatalogue cat(FontCatalogue::Order::SortedUnique);
    for (const char* n : names) {
        auto item = Item(n);
        cat.Add(n, item);
    }
    for (int i = 1; i < cat.Count(); ++i) {
        INFO(cat.Name(i - 1) << " / " << cat.Name(i));
        CHECK(CompareNames(cat.Name(i - 1), cat.Name(i)) < 0);
    }
    for (const char* n : names) CHECK(cat.IndexOf(n) >= 0);
}
