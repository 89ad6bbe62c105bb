// Installing without administrator rights, as a user of today's Windows meets it: on Windows 10
// version 1809 and later the font goes to the user's own fonts folder and key, shows in its group
// at once and is removed from there; on older systems message 3023, as before. Wine runs every
// program as an administrator: the program's test aid TYPA_DENY_SYSTEM_FONTS=1 stands for the
// missing right, and Wine reports the Windows version the test asks for.
#include "support/FontScene.h"
#include "res/Resource.h"
#include "ui/FontSheet.h"
#include <doctest/doctest.h>

#include <shlobj.h>

#include <algorithm>

using namespace typa::e2e;

namespace {

const DemoFont kHackBold{"Mono\\Hack-Bold.TTF", "Hack Bold", "Hack-bold.ttf"};
constexpr const char* kUserFontsKey = "Software\\Microsoft\\Windows NT\\CurrentVersion\\Fonts";
const EnvOverrides kNoRights{{"TYPA_DENY_SYSTEM_FONTS", "1"}};

const char* const kNoRightsText =
    "Sous Windows NT, certains droits d'administration sont nécessaires pour installer de nouvelles polices. Veuillez "
    "vous connecter avec les droits appropriés puis renouveller votre essai.";
const char* const kForYouText =
    "Vous ne disposez pas des droits nécessaires pour installer des polices pour tous les utilisateurs de cet "
    "ordinateur : les polices sélectionnées seront installées pour vous seul.\nPour les installer pour tous les "
    "utilisateurs, démarrez Typarium en tant qu'administrateur.";

std::string UserFontsFolder()
{
    char local[MAX_PATH] = {};
    REQUIRE(SUCCEEDED(SHGetFolderPathA(nullptr, CSIDL_LOCAL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, local)));
    return std::string(local) + "\\Microsoft\\Windows\\Fonts";
}

HWND StartWithoutRights(Process& typa)
{
    REQUIRE(typa.StartTypa({}, kNoRights));
    return WaitUntilStarted(typa, 600000);
}

} // namespace

TEST_CASE("Windows 10 without administrator rights: installed for the user alone, in its group at once, then removed")
{
    ReportedWindows windows10("win10");
    Scene scene("user-fonts", {kHackBold});
    ForgetTrashed(kHackBold.bare);
    const std::string folder = UserFontsFolder();
    const std::string placed = folder + "\\" + kHackBold.bare;
    DeleteFileA(placed.c_str());
    RemoveDirectoryA(folder.c_str()); // made by the installation when missing
    DeleteKeyTree(HKEY_CURRENT_USER, kUserFontsKey);
    SetString(HKEY_CURRENT_USER, (std::string(kGroupsKey) + "\\Titres").c_str(), "", "");

    Process typa;
    HWND main = StartWithoutRights(typa);
    REQUIRE(main);
    HWND available = ChildById(main, lbAvailableFonts);
    HWND installed = ChildById(main, lbInstalledFonts);

    // Every user's fonts stay the administrator's: removing one is refused and nothing changes.
    const std::vector<std::string> before = ListRows(installed);
    REQUIRE_FALSE(before.empty());
    SelectRowTexts(installed, {before.front()});
    Command(main, btFontDelete);
    Expect(typa, "Erreur", kNoRightsText, "OK");
    REQUIRE(RunOver(typa, main));
    CHECK(ListRows(installed) == before);

    SelectGroup(main, "Titres");
    SelectRows(available, {kHackBold});
    Click(ChildById(main, btFontInstall));
    Expect(typa, "Information", kForYouText, "OK"); // once for the installation
    REQUIRE(RunOver(typa, main, 600000));

    CHECK(ReadAll(placed) == ReadAll(scene.Source(kHackBold)));
    CHECK(GetString(HKEY_CURRENT_USER, kUserFontsKey, "Hack Bold (TrueType)") == std::optional<std::string>(placed));
    CHECK_FALSE(SystemValue(kHackBold));
    CHECK_FALSE(Exists(FontsFolder() + "\\" + kHackBold.bare));
    CHECK(GetString(HKEY_CURRENT_USER, kFontGroupsKey, "Hack Bold") == std::optional<std::string>("Titres"));
    // In its group in the same run, drawn in itself: the program loaded it by its path.
    CHECK(ListRows(installed) == std::vector<std::string>{"Hack Bold"});
    auto face = FaceOf(main, "Hack Bold");
    REQUIRE(face);
    CHECK(face->face == "Hack");

    // Its sheet says for whom it is installed.
    Send(installed, LB_SETSEL, TRUE, 0);
    Send(installed, LB_SETCARETINDEX, 0, FALSE);
    Key(installed, VK_RETURN);
    HWND sheet = nullptr;
    WaitUntil([&] {
        sheet = FindTopLevel(typa.Pid(), "TypaFontSheet", nullptr);
        return sheet && IsVisible(sheet) && !TitleOf(sheet).empty();
    }, 60000);
    REQUIRE(sheet);
    Settle(main);
    CHECK(Text(ChildById(sheet, typa::TFontSheet::kIdHeader)).find("Installée pour : cet utilisateur") != std::string::npos);
    Close(sheet);
    Settle(main);

    // A user's own font is theirs to remove: to the Recycle Bin, its value gone from their key.
    SelectRows(installed, {kHackBold});
    Command(main, btFontDelete);
    Expect(typa, "Confirmer la suppression", CountText(1), "Oui");
    REQUIRE(RunOver(typa, main, 600000));
    CHECK_FALSE(Exists(placed));
    CHECK(ReadAll(TrashFolder() + "\\files\\" + kHackBold.bare) == ReadAll(scene.Source(kHackBold)));
    CHECK_FALSE(ValueExists(HKEY_CURRENT_USER, kUserFontsKey, "Hack Bold (TrueType)"));
    CHECK_FALSE(ValueExists(HKEY_CURRENT_USER, kFontGroupsKey, "Hack Bold"));
    CHECK(ListCount(installed) == 0);

    CHECK(QuitByButton(typa, main) == std::optional<DWORD>(0));
    ForgetTrashed(kHackBold.bare);
}

TEST_CASE("Windows XP without administrator rights: message 3023, nothing installed")
{
    ReportedWindows windowsXp("winxp");
    Scene scene("user-fonts-xp", {kHackBold});
    const std::string placed = UserFontsFolder() + "\\" + kHackBold.bare;
    DeleteFileA(placed.c_str());
    DeleteKeyTree(HKEY_CURRENT_USER, kUserFontsKey);

    Process typa;
    HWND main = StartWithoutRights(typa);
    REQUIRE(main);
    SelectRows(ChildById(main, lbAvailableFonts), {kHackBold});
    InstallTo(main, 0);
    Expect(typa, "Erreur", kNoRightsText, "OK");
    REQUIRE(RunOver(typa, main));
    CHECK_FALSE(Exists(placed));
    CHECK_FALSE(Exists(FontsFolder() + "\\" + kHackBold.bare));
    CHECK_FALSE(SystemValue(kHackBold));
    CHECK_FALSE(ValueExists(HKEY_CURRENT_USER, kUserFontsKey, "Hack Bold (TrueType)"));
    CHECK_FALSE(ValueExists(HKEY_CURRENT_USER, kFontGroupsKey, "Hack Bold"));
    CHECK(QuitByButton(typa, main) == std::optional<DWORD>(0));
}

TEST_CASE("With the right to write the system key, Windows 10 installs for every user as before")
{
    ReportedWindows windows10("win10");
    Scene scene("user-fonts-admin", {kHackBold});
    DeleteKeyTree(HKEY_CURRENT_USER, kUserFontsKey);
    Process typa;
    HWND main = StartAndWait(typa, 600000);
    REQUIRE(main);
    SelectRows(ChildById(main, lbAvailableFonts), {kHackBold});
    InstallTo(main, 0);
    REQUIRE(RunOver(typa, main, 600000)); // no box
    CHECK(SystemValue(kHackBold) == std::optional<std::string>("HACK-BOLD.TTF"));
    CHECK(Exists(FontsFolder() + "\\" + kHackBold.bare));
    CHECK_FALSE(ValueExists(HKEY_CURRENT_USER, kUserFontsKey, "Hack Bold (TrueType)"));
    CHECK(QuitByButton(typa, main) == std::optional<DWORD>(0));
}
