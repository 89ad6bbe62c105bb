// Every font file a user has, as a user meets it: OpenType files with PostScript outlines and
// collections in the folder (one row per face, each drawn in itself) and on the installed side
// (a value "(OpenType)", a value naming a collection's faces), installed and removed whole, a
// face's sheet, finding and moving a face alone; and names and file names that the code page
// cannot hold.
#include "support/FontScene.h"
#include "support/TrueTypeWriter.h"
#include "res/Resource.h"
#include "ui/FontSheet.h"
#include <doctest/doctest.h>

#include <algorithm>
#include <fstream>
#include <iterator>

using namespace typa::e2e;
namespace test = typa::test;

namespace {

const DemoFont kFreeSerif{"OpenType\\FreeSerif.otf", "FreeSerif", "Freeserif.otf"};
const DemoFont kDuo{"OpenType\\Duo.ttc", "Caladea Regular & Carlito", "Duo.ttc"};
const DemoFont kWqy{"OpenType\\wqy-microhei.ttc", "WenQuanYi Micro Hei & WenQuanYi Micro Hei Mono", "Wqy-microhei.ttc"};
const DemoFont kLato{"Sans\\Lato-Regular.TTF", "Lato Regular", "Lato-regular.ttf"};

const std::vector<std::string> kSixRows{"Caladea Regular",  "Carlito",
                                        "FreeSerif",        "Lato Regular",
                                        "WenQuanYi Micro Hei", "WenQuanYi Micro Hei Mono"};

// The family each row is drawn in, and whether that face has PostScript outlines.
struct Drawn {
    const char* row;
    const char* family;
    bool cff;
};

void CheckDrawnInItself(HWND main, const Drawn& d)
{
    INFO(d.row);
    auto face = FaceOf(main, d.row);
    REQUIRE(face);
    CHECK(face->face == d.family);
    CHECK((face->cffBytes > 0) == d.cff);
}

std::string StatusOf(HWND main) { return StatusText(ChildById(main, idStatusBar)); }

// Makes the available side the active one, as a click on its tree does.
void ActivateAvailable(HWND main)
{
    HWND list = ChildById(main, lbAvailableFonts);
    Send(main, WM_COMMAND, MAKEWPARAM(lbAvailableFonts, LBN_SETFOCUS), reinterpret_cast<LPARAM>(list));
    Settle(main);
}

int TrashedCopies(const std::string& stem, const std::string& extension)
{
    int n = 0;
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA((TrashFolder() + "\\files\\" + stem + "*" + extension).c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE) return 0;
    do ++n;
    while (FindNextFileA(h, &fd));
    FindClose(h);
    return n;
}

HWND WaitForSheet(Process& typa, HWND main)
{
    HWND sheet = nullptr;
    WaitUntil([&] {
        sheet = FindTopLevel(typa.Pid(), "TypaFontSheet", nullptr);
        return sheet && IsVisible(sheet) && !TitleOf(sheet).empty();
    }, 60000);
    Settle(main);
    return sheet;
}

} // namespace

TEST_CASE("A folder of OpenType files and collections: one row per face, each drawn in itself, no vertical face")
{
    Scene scene("formats-folder", {kFreeSerif, kDuo, kWqy, kLato});
    SetDword(HKEY_CURRENT_USER, kTypaKey, "FontOptions", 1 | 4); // the name in the font, the file name
    Process typa;
    HWND main = StartAndWait(typa, 600000);
    REQUIRE(main);
    HWND available = ChildById(main, lbAvailableFonts);

    const std::vector<std::string> rows = ListRows(available);
    CHECK(rows == kSixRows);
    for (const std::string& row : rows) CHECK(row[0] != '@');

    // Each row in its own face: the faces of a collection too, and the PostScript outlines of
    // the .otf file (its CFF table is there).
    for (const Drawn& d : {Drawn{"Caladea Regular", "Caladea", false}, Drawn{"Carlito", "Carlito", false},
                           Drawn{"FreeSerif", "FreeSerif", true}, Drawn{"Lato Regular", "Lato", false},
                           Drawn{"WenQuanYi Micro Hei", "WenQuanYi Micro Hei", false},
                           Drawn{"WenQuanYi Micro Hei Mono", "WenQuanYi Micro Hei Mono", false}})
        CheckDrawnInItself(main, d);

    // The status bar counts faces; selecting both faces of a collection counts its file once.
    ActivateAvailable(main);
    CHECK(StatusOf(main).rfind(" 6 police(s), 6 non installée(s)", 0) == 0);
    SelectRowTexts(available, {"Caladea Regular", "Carlito"});
    Settle(main);
    const std::string both = StatusOf(main);
    SelectRowTexts(available, {"Carlito"});
    Settle(main);
    const std::string one = StatusOf(main);
    CHECK(both.rfind("2 des 6 police(s)", 0) == 0);
    CHECK(one.rfind("1 des 6 police(s)", 0) == 0);
    const auto size = [](const std::string& s) { return s.substr(s.find("Taille"), s.find("Espace") - s.find("Taille")); };
    CHECK(size(both) == size(one));

    CHECK(QuitByButton(typa, main) == std::optional<DWORD>(0));
}

TEST_CASE("An installed value \"(OpenType)\" with a full path: the row without the suffix, drawn in the font")
{
    Scene scene("formats-installed", {{"OpenType\\Cantarell-Regular.otf", "Cantarell Regular", "Cantarell-regular.otf"}});
    const std::string path = scene.folder + "\\Cantarell-Regular.otf";
    REQUIRE(SetString(HKEY_LOCAL_MACHINE, kSystemFontsKey, "Cantarell Regular (OpenType)", path));
    struct Unregister {
        ~Unregister() { DeleteSystemValue("Cantarell Regular (OpenType)"); }
    } unregister;
    Process typa;
    HWND main = StartAndWait(typa, 600000);
    REQUIRE(main);
    HWND installed = ChildById(main, lbInstalledFonts);
    const auto rows = ListRows(installed);
    CHECK(std::count(rows.begin(), rows.end(), "Cantarell Regular") == 1);
    CHECK(std::count(rows.begin(), rows.end(), "Cantarell Regular (OpenType)") == 0);
    CheckDrawnInItself(main, {"Cantarell Regular", "Cantarell", true});
    CHECK(QuitByButton(typa, main) == std::optional<DWORD>(0));
}

TEST_CASE("An OpenType file and one face of a collection installed into a group, then the collection removed whole")
{
    Scene scene("formats-install", {kFreeSerif, kDuo, kLato});
    for (const DemoFont& f : scene.fonts) ForgetTrashed(f.bare);
    SetString(HKEY_CURRENT_USER, (std::string(kGroupsKey) + "\\Titres").c_str(), "", "");
    Process typa;
    HWND main = StartAndWait(typa, 600000);
    REQUIRE(main);
    HWND available = ChildById(main, lbAvailableFonts);
    HWND installed = ChildById(main, lbInstalledFonts);

    SelectGroup(main, "Titres");
    SelectRowTexts(available, {"FreeSerif", "Carlito"});
    REQUIRE(IsEnabled(ChildById(main, btFontInstall)));
    Click(ChildById(main, btFontInstall));
    REQUIRE(RunOver(typa, main, 600000));

    // One file each, the collection whole; one value each, Windows's own form for both.
    CHECK(ReadAll(FontsFolder() + "\\" + kFreeSerif.bare) == ReadAll(scene.Source(kFreeSerif)));
    CHECK(ReadAll(FontsFolder() + "\\" + kDuo.bare) == ReadAll(scene.Source(kDuo)));
    CHECK(GetString(HKEY_LOCAL_MACHINE, kSystemFontsKey, "FreeSerif (TrueType)") == std::optional<std::string>("FREESERIF.OTF"));
    CHECK(GetString(HKEY_LOCAL_MACHINE, kSystemFontsKey, "Caladea Regular & Carlito (TrueType)") ==
          std::optional<std::string>("DUO.TTC"));
    CHECK_FALSE(SystemValue(kLato));
    CHECK(TemporaryFiles().empty());
    // Every face of the collection joined the group, each with its own record.
    CHECK(ListRows(installed) == std::vector<std::string>{"Caladea Regular", "Carlito", "FreeSerif"});
    for (const char* face : {"Caladea Regular", "Carlito", "FreeSerif"})
        CHECK_MESSAGE(GetString(HKEY_CURRENT_USER, kFontGroupsKey, face) == std::optional<std::string>("Titres"), face);
    // Both faces show installed on the left now.
    SelectRowTexts(available, {"Caladea Regular", "Carlito", "FreeSerif"});
    CHECK_FALSE(IsEnabled(ChildById(main, btFontInstall)));

    // A face of a collection goes with its file, and so with the other face.
    SelectRowTexts(installed, {"Carlito"});
    Command(main, btFontDelete);
    Expect(typa, "Confirmer la suppression", CountText(2, 1), "Oui");
    REQUIRE(RunOver(typa, main, 600000));
    CHECK_FALSE(Exists(FontsFolder() + "\\" + kDuo.bare));
    CHECK(TrashedCopies("Duo", ".ttc") == 1);
    CHECK(ReadAll(TrashFolder() + "\\files\\Duo.ttc") == ReadAll(scene.Source(kDuo)));
    CHECK_FALSE(ValueExists(HKEY_LOCAL_MACHINE, kSystemFontsKey, "Caladea Regular & Carlito (TrueType)"));
    CHECK_FALSE(ValueExists(HKEY_CURRENT_USER, kFontGroupsKey, "Caladea Regular"));
    CHECK_FALSE(ValueExists(HKEY_CURRENT_USER, kFontGroupsKey, "Carlito"));
    CHECK(ListRows(installed) == std::vector<std::string>{"FreeSerif"});
    CHECK(GetString(HKEY_CURRENT_USER, kFontGroupsKey, "FreeSerif") == std::optional<std::string>("Titres"));
    CHECK(Exists(FontsFolder() + "\\" + kFreeSerif.bare));

    CHECK(QuitByButton(typa, main) == std::optional<DWORD>(0));
    ForgetTrashed(kDuo.bare);
    DeleteSystemValue("FreeSerif (TrueType)");
}

TEST_CASE("A face of a collection like any other: its sheet names the file and its place, typing finds it, a move takes it alone")
{
    Scene scene("formats-face", {kDuo});
    SetString(HKEY_CURRENT_USER, (std::string(kGroupsKey) + "\\Titres").c_str(), "", "");
    Process typa;
    HWND main = StartAndWait(typa, 600000);
    REQUIRE(main);
    HWND available = ChildById(main, lbAvailableFonts);
    HWND installed = ChildById(main, lbInstalledFonts);
    REQUIRE(ListRows(available) == std::vector<std::string>{"Caladea Regular", "Carlito"});

    // Typing finds the second face; Enter opens its sheet.
    ActivateAvailable(main);
    Type(available, "carl");
    Settle(main);
    CHECK(ListSelection(available) == std::vector<int>{1});
    Key(available, VK_RETURN);
    HWND sheet = WaitForSheet(typa, main);
    REQUIRE(sheet);
    const std::string header = Text(ChildById(sheet, typa::TFontSheet::kIdHeader));
    CHECK(header.find("Fichier : Duo.ttc") != std::string::npos);
    CHECK(header.find("Collection : police 2 sur 2") != std::string::npos);
    CHECK(header.find("Autres polices du fichier : Caladea Regular") != std::string::npos);
    CHECK(header.find("Famille : Carlito") != std::string::npos); // read from the second face itself
    Close(sheet);
    Settle(main);

    // Both faces installed into "Polices Windows" by one of them, then one moved alone into a group.
    SelectRowTexts(available, {"Caladea Regular"});
    InstallTo(main, 0);
    REQUIRE(RunOver(typa, main, 600000));
    CHECK(GetString(HKEY_CURRENT_USER, kFontGroupsKey, "Carlito") == std::optional<std::string>(""));
    SelectRowTexts(installed, {"Carlito"});
    const int target = GroupTargetIndex(main, "Titres");
    REQUIRE(target > 0);
    Command(main, kMoveToGroupBase + target);
    REQUIRE(RunOver(typa, main));
    CHECK(GetString(HKEY_CURRENT_USER, kFontGroupsKey, "Carlito") == std::optional<std::string>("Titres"));
    CHECK(GetString(HKEY_CURRENT_USER, kFontGroupsKey, "Caladea Regular") == std::optional<std::string>(""));
    auto rows = ListRows(installed);
    CHECK(std::count(rows.begin(), rows.end(), "Caladea Regular") == 1);
    CHECK(std::count(rows.begin(), rows.end(), "Carlito") == 0);

    CHECK(QuitByButton(typa, main) == std::optional<DWORD>(0));
    DeleteSystemValue("Caladea Regular & Carlito (TrueType)");
}

namespace {

test::Bytes Bytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return test::Bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string ReadWide(const std::wstring& path)
{
    HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return {};
    std::string bytes(GetFileSize(h, nullptr), '\0');
    DWORD got = 0;
    ReadFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr);
    CloseHandle(h);
    bytes.resize(got);
    return bytes;
}

void WriteBytes(const std::wstring& path, const test::Bytes& bytes)
{
    HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    REQUIRE(h != INVALID_HANDLE_VALUE);
    DWORD written = 0;
    WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(h);
    REQUIRE(written == bytes.size());
}

std::wstring Wide(const std::string& cp1252)
{
    std::wstring w(cp1252.size() + 1, L'\0');
    w.resize(static_cast<std::size_t>(MultiByteToWideChar(1252, 0, cp1252.c_str(), -1, w.data(), static_cast<int>(w.size()))) - 1);
    return w;
}

} // namespace

TEST_CASE("Names and file names outside the code page: listed, no box, installed under a name the code page holds")
{
    const std::string folder = BesideExe("formats-names");
    CreateDirectoryA(folder.c_str(), nullptr);
    const test::Bytes lato = Bytes(DemoFontFolder() + "\\Sans\\Lato-Regular.TTF");
    REQUIRE_FALSE(lato.empty());
    const std::u16string shrift = u"\u0428\u0440\u0438\u0444\u0442"; // Шрифт
    const std::u16string dva = u"\u0428\u0440\u0438\u0444\u0442 \u0414\u0432\u0430"; // Шрифт Два
    // Two fonts whose only names are Cyrillic (and their PostScript names, which are ASCII).
    for (const auto& [file, name, ps] : {std::tuple{"CYR1.TTF", shrift, u"Shrift"}, std::tuple{"CYR2.TTF", dva, u"ShriftDva"}})
        WriteBytes(Wide(folder + "\\" + file),
                   test::WithTable(lato, "name",
                                   test::NameTable({test::MsName(1, name, 0x0419), test::MsName(2, u"\u041E\u0431\u044B\u0447\u043D\u044B\u0439", 0x0419),
                                                    test::MsName(4, name, 0x0419), test::MsName(6, ps, 0x0419)})));
    // A French name with "Œ" and "É", and a sound font whose file name is Cyrillic.
    WriteBytes(Wide(folder + "\\OEUVRE.TTF"), test::Renamed(lato, u"Typtest \u00C9t\u00E9", u"\u0152uvre", u"Typtest \u00C9t\u00E9 \u0152uvre"));
    const std::wstring cyrillicFile = Wide(folder) + L"\\\u0428\u0440\u0438\u0444\u0442.ttf";
    WriteBytes(cyrillicFile, test::Renamed(lato, u"Typtest Nom", u"Regular", u"Typtest Nom Cyrillique"));
    ResetSettings(folder);
    ForgetTrashed("Typtest Nom Cyrillique.ttf");

    Process typa;
    HWND main = StartAndWait(typa, 600000);
    REQUIRE(main);
    HWND available = ChildById(main, lbAvailableFonts);
    HWND installed = ChildById(main, lbInstalledFonts);
    // No box came (the start would not have finished with one open), and every font is there.
    CHECK(ListRows(available) ==
          std::vector<std::string>{"Shrift", "ShriftDva", "Typtest Été Œuvre", "Typtest Nom Cyrillique"});

    // The font of the Cyrillic file name goes into the fonts folder under its own name.
    SelectRowTexts(available, {"Typtest Nom Cyrillique"});
    InstallTo(main, 0);
    REQUIRE(RunOver(typa, main, 600000));
    const std::string placed = FontsFolder() + "\\Typtest Nom Cyrillique.ttf";
    CHECK(ReadAll(placed) == ReadWide(cyrillicFile));
    CHECK(GetString(HKEY_LOCAL_MACHINE, kSystemFontsKey, "Typtest Nom Cyrillique (TrueType)") ==
          std::optional<std::string>("TYPTEST NOM CYRILLIQUE.TTF"));
    const auto rows = ListRows(installed);
    CHECK(std::count(rows.begin(), rows.end(), "Typtest Nom Cyrillique") == 1);

    // And it is removed like any other.
    SelectRowTexts(installed, {"Typtest Nom Cyrillique"});
    Command(main, btFontDelete);
    Expect(typa, "Confirmer la suppression", CountText(1), "Oui");
    REQUIRE(RunOver(typa, main, 600000));
    CHECK_FALSE(Exists(placed));
    CHECK(Exists(TrashFolder() + "\\files\\Typtest Nom Cyrillique.ttf"));
    CHECK_FALSE(ValueExists(HKEY_LOCAL_MACHINE, kSystemFontsKey, "Typtest Nom Cyrillique (TrueType)"));

    CHECK(QuitByButton(typa, main) == std::optional<DWORD>(0));
    ForgetTrashed("Typtest Nom Cyrillique.ttf");
}
