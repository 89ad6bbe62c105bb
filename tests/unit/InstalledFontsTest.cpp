// Installed fonts from the system's font registry and family enumeration (Wine's real ones),
// and the groups kept in the program's Fonts key.
#include "app/Errors.h"
#include "app/Settings.h"
#include "fonts/InstalledFonts.h"
#include "platform/Handles.h"
#include "platform/Registry.h"
#include <doctest/doctest.h>

#include <algorithm>

using namespace typa;

TEST_CASE("The system font key follows the platform")
{
    CHECK(std::string(SystemFontKeyFor(VER_PLATFORM_WIN32_WINDOWS)) ==
          "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Fonts");
    CHECK(std::string(SystemFontKeyFor(VER_PLATFORM_WIN32_NT)) ==
          "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Fonts");
    CHECK(std::string(SystemFontKeyFor(7)) == "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Fonts");
}

namespace {

// The item of a value that names one face; null for a value that gives none.
std::unique_ptr<TToShowItem> ItemFromSystemFont(const std::string& valueName, const std::string& data,
                                                const NameList& families)
{
    auto items = ItemsFromSystemFont(valueName, data, families);
    if (items.empty()) return nullptr;
    REQUIRE(items.size() == 1);
    return std::move(items.front());
}

} // namespace

TEST_CASE("Registry values become items by their suffix and Standard rules")
{
    NameList families(false);
    families.Add("Wingdings");
    families.Add("Arial");

    auto bold = ItemFromSystemFont("Arial Bold (TrueType)", "ARIALBD.TTF", families);
    REQUIRE(bold);
    CHECK(bold->Name == "Arial Bold");
    CHECK(bold->FileName == "Arialbd.ttf");
    CHECK(bold->Path == "ARIALBD.TTF");
    CHECK(bold->Family == "*");
    CHECK(bold->Size == 0);
    CHECK_FALSE(bold->StandardStripped);

    auto wing = ItemFromSystemFont("Wingdings Standard (TrueType)", "WINGDING.TTF", families);
    CHECK(wing->Name == "Wingdings");
    CHECK(wing->StandardStripped);

    NameList none(false);
    auto kept = ItemFromSystemFont("Wingdings Standard (TrueType)", "WINGDING.TTF", none);
    CHECK(kept->Name == "Wingdings Standard");
    CHECK_FALSE(kept->StandardStripped);

    auto full = ItemFromSystemFont("X (TrueType)", "C:\\FONTS\\X.TTF", families);
    CHECK(full->FileName == "X.ttf");
    CHECK(full->Path == "C:\\FONTS\\X.TTF");

    CHECK_FALSE(ItemFromSystemFont("Courier 10,12,15", "COURE.FON", families));
    CHECK_FALSE(ItemFromSystemFont("Small", "c:\\fonts\\smalle.fon", families));
    // A dot in a folder name is no extension.
    auto odd = ItemFromSystemFont("Odd", "C:\\A.FON\\ODD", families);
    REQUIRE(odd);
    CHECK(odd->Name == "Odd");
    // Only the first suffix goes.
    auto twice = ItemFromSystemFont("T (TrueType) (TrueType)", "T.TTF", families);
    CHECK(twice->Name == "T (TrueType)");
    // The value's own name is kept whole: removal deletes exactly that value.
    CHECK(twice->ValueName == "T (TrueType) (TrueType)");
    CHECK(odd->ValueName == "Odd");
}

TEST_CASE("OpenType values and collections: the suffix some installers write, one row per face of a collection")
{
    NameList families(false);
    families.Add("FreeSerif");

    auto otf = ItemsFromSystemFont("FreeSerif (OpenType)", "Z:\\fonts\\FreeSerif.otf", families);
    REQUIRE(otf.size() == 1);
    CHECK(otf[0]->Name == "FreeSerif");
    CHECK(otf[0]->FileName == "Freeserif.otf");
    CHECK(otf[0]->ValueName == "FreeSerif (OpenType)");
    // " (TrueType)" goes first where both are there; " Standard" still follows the family rule.
    CHECK(ItemsFromSystemFont("A (OpenType) (TrueType)", "A.TTF", families)[0]->Name == "A (OpenType)");
    CHECK(ItemsFromSystemFont("FreeSerif Standard (OpenType)", "FS.OTF", families)[0]->Name == "FreeSerif");

    auto duo = ItemsFromSystemFont("Caladea Regular & Carlito (TrueType)", "Duo.ttc", families);
    REQUIRE(duo.size() == 2);
    CHECK(duo[0]->Name == "Caladea Regular");
    CHECK(duo[1]->Name == "Carlito");
    for (std::size_t i = 0; i < duo.size(); ++i) {
        CHECK(duo[i]->FileName == "Duo.ttc");
        CHECK(duo[i]->Path == "Duo.ttc");
        CHECK(duo[i]->ValueName == "Caladea Regular & Carlito (TrueType)");
        CHECK(duo[i]->FaceIndex == static_cast<int>(i));
        CHECK(duo[i]->File.get() == duo[0]->File.get()); // one file for both
    }
    REQUIRE(duo[0]->File);
    CHECK(duo[0]->File->Collection);
    CHECK(duo[0]->File->Faces.size() == 2);

    auto cjk = ItemsFromSystemFont("MS Gothic & MS UI Gothic & MS PGothic (TrueType)", "C:\\W\\MSGOTHIC.TTC", families);
    REQUIRE(cjk.size() == 3);
    CHECK(cjk[2]->Name == "MS PGothic");
    CHECK(ItemsFromSystemFont("Cambria & Cambria Math (TrueType)", "cambria.otc", families).size() == 2);
    // " & " in the name of a font that is no collection is part of its name.
    auto single = ItemsFromSystemFont("Smith & Jones Regular (TrueType)", "SMITH.TTF", families);
    REQUIRE(single.size() == 1);
    CHECK(single[0]->Name == "Smith & Jones Regular");
    // Empty names between the joins are no faces.
    CHECK(ItemsFromSystemFont("A &  & B (TrueType)", "AB.TTC", families).size() == 2);
    CHECK(ItemsFromSystemFont(" & A (TrueType)", "AB.TTC", families).size() == 1);
    CHECK(ItemsFromSystemFont("FreeSerif (OpenType)", "X.FON", families).empty());
}

TEST_CASE("Outline fonts are TrueType and OpenType ones; bitmap fonts and vertical faces are not")
{
    ENUMLOGFONTA font{};
    lstrcpyA(font.elfLogFont.lfFaceName, "FreeSerif");
    NEWTEXTMETRICA m{};
    m.tmPitchAndFamily = TMPF_TRUETYPE | TMPF_VECTOR;
    CHECK(IsOutlineFont(font, m, TRUETYPE_FONTTYPE));
    // Wine's OpenType fonts with PostScript outlines: a device font, no TrueType bit, and the flag.
    m.tmPitchAndFamily = TMPF_VECTOR;
    m.ntmFlags = NTM_PS_OPENTYPE | NTM_REGULAR;
    CHECK(IsOutlineFont(font, m, DEVICE_FONTTYPE));
    CHECK_FALSE(IsOutlineFont(font, m, RASTER_FONTTYPE));
    m.ntmFlags = NTM_REGULAR;
    CHECK_FALSE(IsOutlineFont(font, m, DEVICE_FONTTYPE));
    CHECK_FALSE(IsOutlineFont(font, m, 0));
    lstrcpyA(font.elfLogFont.lfFaceName, "@WenQuanYi Micro Hei");
    m.tmPitchAndFamily = TMPF_TRUETYPE;
    CHECK_FALSE(IsOutlineFont(font, m, TRUETYPE_FONTTYPE));
}

TEST_CASE("A pass number other than 0 or 1 is an internal error with message 1010")
{
    ENUMLOGFONTA font{};
    NEWTEXTMETRICA metrics{};
    FamilyPassState state;
    CHECK_THROWS_WITH_AS(FamilyPassCallback(2, font, metrics, TRUETYPE_FONTTYPE, state), "Action incorrecte : 2",
                         EUnexpected);
}

TEST_CASE("The catalogue built from Wine's registry finds families and creation records")
{
    reg::DeleteKey(HKEY_CURRENT_USER, settings::kFontsKey);
    reg::WriteString(HKEY_CURRENT_USER, settings::kFontsKey, "DEJAVU SANS", "Mes polices");
    reg::WriteString(HKEY_CURRENT_USER, settings::kFontsKey, "Police disparue", "Ancien");

    NameList families(false);
    FontCatalogue installed(FontCatalogue::Order::AsAdded);
    std::vector<int> steps;
    HDC dc = GetDC(nullptr);
    BuildInstalledCatalogue(dc, families, installed, [&](int p) { steps.push_back(p); });
    ReleaseDC(nullptr, dc);

    REQUIRE(installed.Count() > 0);
    REQUIRE(families.Count() > 0);
    REQUIRE_FALSE(steps.empty());
    CHECK(steps.front() == 5);
    CHECK(steps[1] == 5); // family 0
    for (std::size_t i = 1; i < steps.size(); ++i) CHECK(steps[i] >= steps[i - 1]);
    CHECK(steps.back() <= 100);

    int dejavu = installed.IndexOf("DejaVu Sans");
    REQUIRE(dejavu >= 0);
    const TToShowItem& item = *installed.Item(dejavu);
    CHECK(item.Family == "DejaVu Sans");
    CHECK(std::string(item.LogFont.lfFaceName) == "DejaVu Sans");
    CHECK(item.Group == "Mes polices"); // found without regard to case
    CHECK(item.FileName == "Dejavusans.ttf");

    // No .FON file is ever listed.
    for (int i = 0; i < installed.Count(); ++i) {
        const std::string& p = installed.Item(i)->Path;
        CHECK_FALSE((p.size() >= 4 && _stricmp(p.c_str() + p.size() - 4, ".fon") == 0));
    }

    // Saving rewrites the key from the catalogue: the vanished font's group is gone.
    installed.Item(dejavu)->Group = "Autre";
    SaveFontGroups(installed);
    CHECK(reg::ReadString(HKEY_CURRENT_USER, settings::kFontsKey, "DejaVu Sans", "") == "Autre");
    CHECK_FALSE(reg::ValueExists(HKEY_CURRENT_USER, settings::kFontsKey, "Police disparue"));
    CHECK(static_cast<int>(reg::ValueNames(HKEY_CURRENT_USER, settings::kFontsKey).size()) <= installed.Count());
    reg::DeleteKey(HKEY_CURRENT_USER, settings::kFontsKey);
}

TEST_CASE("Equal names: the later group is the one stored")
{
    FontCatalogue installed(FontCatalogue::Order::AsAdded);
    for (const char* g : {"Premier", "Second"}) {
        auto item = std::make_unique<TToShowItem>();
        item->Name = "Double";
        item->Group = g;
        installed.Add("Double", item);
    }
    installed.MarkComplete();
    SaveFontGroups(installed);
    CHECK(reg::ReadString(HKEY_CURRENT_USER, settings::kFontsKey, "Double", "") == "Second");
    ReadFontGroups(installed);
    CHECK(installed.Item(0)->Group == "Second");
    reg::DeleteKey(HKEY_CURRENT_USER, settings::kFontsKey);
}

TEST_CASE("Only the complete catalogue of installed fonts rewrites the groups")
{
    reg::DeleteKey(HKEY_CURRENT_USER, settings::kFontsKey);
    reg::WriteString(HKEY_CURRENT_USER, settings::kFontsKey, "Autre police", "Mes polices");
    FontCatalogue installed(FontCatalogue::Order::AsAdded);
    auto item = std::make_unique<TToShowItem>();
    item->Name = "Une police";
    item->Group = "Groupe";
    installed.Add("Une police", item);

    // Filled by hand, not from the system: it does not stand for every installed font.
    SaveFontGroups(installed);
    CHECK(reg::ReadString(HKEY_CURRENT_USER, settings::kFontsKey, "Autre police", "") == "Mes polices");
    CHECK_FALSE(reg::ValueExists(HKEY_CURRENT_USER, settings::kFontsKey, "Une police"));

    // Emptied (as when the window goes, or before a rebuild): the key keeps every group.
    installed.MarkComplete();
    installed.Clear();
    CHECK_FALSE(installed.Complete());
    SaveFontGroups(installed);
    CHECK(reg::ReadString(HKEY_CURRENT_USER, settings::kFontsKey, "Autre police", "") == "Mes polices");

    // Built from the system to the end, it is complete.
    NameList families(false);
    HDC dc = GetDC(nullptr);
    BuildInstalledCatalogue(dc, families, installed, {});
    ReleaseDC(nullptr, dc);
    CHECK(installed.Complete());
    reg::DeleteKey(HKEY_CURRENT_USER, settings::kFontsKey);
}

TEST_CASE("Saving the groups writes only the records that changed and deletes only those of fonts gone")
{
    reg::DeleteKey(HKEY_CURRENT_USER, settings::kFontsKey);
    reg::WriteString(HKEY_CURRENT_USER, settings::kFontsKey, "arial", "Titres"); // another spelling of a font's name
    reg::WriteString(HKEY_CURRENT_USER, settings::kFontsKey, "Courier", "Texte");
    reg::WriteString(HKEY_CURRENT_USER, settings::kFontsKey, "Police disparue", "Ancien");
    FontCatalogue installed(FontCatalogue::Order::AsAdded);
    auto add = [&](const std::string& name, const std::string& group) {
        auto item = std::make_unique<TToShowItem>();
        item->Name = name;
        item->Group = group;
        installed.Add(name, item);
    };
    add("Arial", "Titres");
    add("Courier", "Script");
    add("Verdana", "");
    add("Double", "Premier");
    add("DOUBLE", "Second"); // the same record as the registry sees it: the later group stays
    installed.MarkComplete();

    CHECK(SaveFontGroups(installed));
    const std::vector<std::string> names = reg::ValueNames(HKEY_CURRENT_USER, settings::kFontsKey);
    CHECK(names.size() == 4);
    CHECK(std::find(names.begin(), names.end(), "arial") != names.end()); // left as it was
    CHECK(std::find(names.begin(), names.end(), "Police disparue") == names.end());
    CHECK(reg::ReadString(HKEY_CURRENT_USER, settings::kFontsKey, "Courier", "") == "Script");
    CHECK(reg::ValueExists(HKEY_CURRENT_USER, settings::kFontsKey, "Verdana")); // an empty group is written too
    CHECK(reg::ReadString(HKEY_CURRENT_USER, settings::kFontsKey, "Double", "") == "Second");
    ReadFontGroups(installed);
    CHECK(installed.Item(0)->Group == "Titres");
    CHECK(installed.Item(3)->Group == "Second");

    // A save with nothing changed writes nothing: no change of the key is reported.
    UniqueKey key;
    REQUIRE(RegOpenKeyExA(HKEY_CURRENT_USER, settings::kFontsKey, 0, KEY_NOTIFY, key.Put()) == ERROR_SUCCESS);
    UniqueKernelHandle changed(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    REQUIRE(RegNotifyChangeKeyValue(key.Get(), FALSE, REG_NOTIFY_CHANGE_LAST_SET, changed.Get(), TRUE) == ERROR_SUCCESS);
    CHECK(SaveFontGroups(installed));
    CHECK(WaitForSingleObject(changed.Get(), 200) == WAIT_TIMEOUT);
    reg::DeleteKey(HKEY_CURRENT_USER, settings::kFontsKey);
}
