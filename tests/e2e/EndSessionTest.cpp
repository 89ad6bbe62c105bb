// Windows shutting down or the user logging off while Typarium is in the middle of something:
// the run stops as after Cancel, with its end-of-run steps, the boxes on top of it are answered
// as Escape would answer them, nothing is freed under it, the settings are saved and the program
// ends with 0. The groups of every font survive.
#include "support/FontScene.h"
#include "res/Resource.h"
#include <doctest/doctest.h>

using namespace typa::e2e;

namespace {

constexpr const char* kOtherFont = "DejaVu Sans"; // installed in every prefix, in a group of its own

// What Windows sends a program's top-level window when the user logs off, posted as it may
// arrive in the middle of a run.
void PostLogOff(HWND main)
{
    Post(main, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF);
    Post(main, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF);
}

// A folder of small fonts "Typa Fin 01" to "Typa Fin 20", with the groups of a user: the
// folder's fonts go to "Vingt", another installed font sits in "Mes polices".
struct Session {
    std::string folder = BesideExe("end-session");
    std::vector<FontCopy> copies;

    Session()
    {
        CreateDirectoryA(folder.c_str(), nullptr);
        copies = WriteFontCopies(folder, 20, "TYPAFIN", "Typa Fin", 2);
        Clean();
        ResetSettings(folder);
        for (const char* g : {"Vingt", "Mes polices"})
            SetString(HKEY_CURRENT_USER, (std::string(kGroupsKey) + "\\" + g).c_str(), "", "");
        SetString(HKEY_CURRENT_USER, kFontGroupsKey, kOtherFont, "Mes polices");
    }
    ~Session() { Clean(); }
    void Clean() const
    {
        for (const FontCopy& c : copies) {
            std::string file = FontsFolder() + "\\" + c.file;
            SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_NORMAL);
            DeleteFileA(file.c_str());
            DeleteSystemValue(c.family + " (TrueType)");
        }
    }
    std::vector<std::string> Names() const
    {
        std::vector<std::string> names;
        for (const FontCopy& c : copies) names.push_back(c.family);
        return names;
    }
};

// The groups as a restart would find them: the other font's, and "Vingt" for each of the
// folder's fonts still installed.
void CheckGroupsKept(const Session& s)
{
    CHECK(GetString(HKEY_CURRENT_USER, kFontGroupsKey, kOtherFont) == std::optional<std::string>("Mes polices"));
    for (const FontCopy& c : s.copies) {
        INFO(c.family);
        if (GetString(HKEY_LOCAL_MACHINE, kSystemFontsKey, (c.family + " (TrueType)").c_str()))
            CHECK(GetString(HKEY_CURRENT_USER, kFontGroupsKey, c.family.c_str()) == std::optional<std::string>("Vingt"));
    }
    // The window state went to the registry before the program ended.
    CHECK(ValueExists(HKEY_CURRENT_USER, kTypaKey, "AppPos"));
}

} // namespace

TEST_CASE("A log-off while 20 fonts are being removed: the removal stops, every group is kept, exit code 0")
{
    Session s;
    Process typa;
    HWND main = StartAndWait(typa);
    REQUIRE(main);
    SelectRowTexts(ChildById(main, lbAvailableFonts), s.Names());
    InstallTo(main, GroupTargetIndex(main, "Vingt"));
    REQUIRE(RunOver(typa, main));
    for (const std::string& name : s.Names())
        REQUIRE(GetString(HKEY_CURRENT_USER, kFontGroupsKey, name.c_str()) == std::optional<std::string>("Vingt"));

    SelectGroup(main, "Vingt");
    HWND installed = ChildById(main, lbInstalledFonts);
    SelectRowTexts(installed, s.Names());
    Command(main, btFontDelete);
    Expect(typa, "Confirmer la suppression", CountText(20), "Oui");
    // The removal's progress shows: the run is going.
    WaitUntil([&] { return ProgressDialog(typa.Pid()) != nullptr || !IsWindow(main); }, 60000);
    PostLogOff(main);
    CHECK(typa.WaitForExit(120000) == std::optional<DWORD>(0));
    CheckGroupsKept(s);
    // Stopped as Cancel stops it: not every font went.
    int left = 0;
    for (const std::string& name : s.Names())
        if (GetString(HKEY_LOCAL_MACHINE, kSystemFontsKey, (name + " (TrueType)").c_str())) ++left;
    CHECK(left > 0);
}

TEST_CASE("A log-off while a removal's error box is open: the box is answered No, exit code 0, nothing lost")
{
    Session s;
    // Registered, but its resource was never loaded: unloading it fails with 3010.
    const std::string ghost = "Typa Fantome";
    SetString(HKEY_LOCAL_MACHINE, kSystemFontsKey, (ghost + " (TrueType)").c_str(), "TYPAFANTOME.TTF");
    Process typa;
    HWND main = StartAndWait(typa);
    REQUIRE(main);
    HWND installed = ChildById(main, lbInstalledFonts);
    SelectRowTexts(installed, {ghost});
    Command(main, btFontDelete);
    Expect(typa, "Confirmer la suppression", CountText(1), "Oui");
    auto box = WaitForDialog(typa.Pid(), "Erreur", 120000);
    REQUIRE(box);
    CHECK(box->Text().find("Les ressources correspondant aux polices utilisées par le fichier TYPAFANTOME.TTF") == 0);
    PostLogOff(main);
    CHECK(typa.WaitForExit(120000) == std::optional<DWORD>(0));
    CheckGroupsKept(s);
    // No to 3010: the font's value is untouched.
    CHECK(GetString(HKEY_LOCAL_MACHINE, kSystemFontsKey, (ghost + " (TrueType)").c_str()) ==
          std::optional<std::string>("TYPAFANTOME.TTF"));
    DeleteSystemValue(ghost + " (TrueType)");
}

TEST_CASE("A log-off during the scan of a folder of 500 fonts, and one while the options dialog is open: exit code 0")
{
    Session s;
    const std::string big = BesideExe("end-session-500");
    CreateDirectoryA(big.c_str(), nullptr);
    WriteFontCopies(big, 500, "TYPAFIN", "Typa Fin Lot", 3);
    ResetSettings(big);
    SetString(HKEY_CURRENT_USER, kFontGroupsKey, kOtherFont, "Mes polices");
    SetString(HKEY_CURRENT_USER, (std::string(kGroupsKey) + "\\Mes polices").c_str(), "", "");
    {
        Process typa;
        HWND main = StartAndWait(typa);
        REQUIRE(main);
        // F5 on the folder side reads the folder again, under its progress dialog.
        HWND available = ChildById(main, lbAvailableFonts);
        Send(main, WM_COMMAND, MAKEWPARAM(lbAvailableFonts, LBN_SETFOCUS), reinterpret_cast<LPARAM>(available));
        Post(main, WM_COMMAND, MAKEWPARAM(mnuViewActual, 0), 0);
        REQUIRE(WaitUntil([&] { return ProgressDialog(typa.Pid()) != nullptr; }, 60000, 10));
        PostLogOff(main);
        CHECK(typa.WaitForExit(120000) == std::optional<DWORD>(0));
        CHECK(GetString(HKEY_CURRENT_USER, kFontGroupsKey, kOtherFont) == std::optional<std::string>("Mes polices"));
    }
    {
        Process typa;
        HWND main = StartAndWait(typa);
        REQUIRE(main);
        Post(main, WM_COMMAND, MAKEWPARAM(mnuViewOptions, 0), 0);
        REQUIRE(WaitForDialog(typa.Pid(), nullptr, 60000));
        PostLogOff(main);
        CHECK(typa.WaitForExit(120000) == std::optional<DWORD>(0));
        CHECK(ValueExists(HKEY_CURRENT_USER, kTypaKey, "AppPos"));
    }
}
