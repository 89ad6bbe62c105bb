// Installing and removing fonts as a user does it, against Wine's real fonts folder, system font
// registry and Recycle Bin: into a group, over existing files, read-only and missing files,
// standard fonts, and deleting a group with its fonts (also cancelled part way).
#include "support/FontScene.h"
#include "res/Resource.h"
#include "ui/DlgProgress.h"
#include <doctest/doctest.h>

#include <algorithm>
#include <fstream>
#include <sstream>

using namespace typa::e2e;

namespace {

const DemoFont kLatoBlack{"Sans\\Lato-Black.TTF", "Lato Black", "Lato-black.ttf"};
const DemoFont kLatoLight{"Sans\\Lato-Light.TTF", "Lato Light", "Lato-light.ttf"};
const DemoFont kLatoItalic{"Sans\\Lato-Italic.TTF", "Lato Italic", "Lato-italic.ttf"};
const DemoFont kHackBold{"Mono\\Hack-Bold.TTF", "Hack Bold", "Hack-bold.ttf"};
const DemoFont kHackItalic{"Mono\\Hack-Italic.TTF", "Hack Italic", "Hack-italic.ttf"};
const DemoFont kHackBoldItalic{"Mono\\Hack-BoldItalic.TTF", "Hack Bold Italic", "Hack-bolditalic.ttf"};
const DemoFont kOpenSansBold{"Sans\\OpenSans-Bold.TTF", "Open Sans Bold", "Opensans-bold.ttf"};

std::string InstallQuestion(const DemoFont& f)
{
    return "Le fichier '" + WindowsDir() + "\\FONTS\\" + f.bare + "' existe déjà. Faut-il écraser le fichier existant ?";
}

} // namespace

TEST_CASE("Two fonts installed into a group: files, system values, group records, both lists, other programs")
{
    Scene scene("install-group", {kLatoBlack, kHackBold, kLatoLight});
    SetString(HKEY_CURRENT_USER, (std::string(kGroupsKey) + "\\Titres").c_str(), "", "");
    Process typa;
    HWND main = StartAndWait(typa);
    REQUIRE(main);
    HWND available = ChildById(main, lbAvailableFonts);
    HWND installed = ChildById(main, lbInstalledFonts);

    SelectGroup(main, "Titres");
    CHECK(ListCount(installed) == 0);
    SelectRows(available, {kLatoBlack, kHackBold});
    REQUIRE(IsEnabled(ChildById(main, btFontInstall)));
    Click(ChildById(main, btFontInstall)); // "&Installer >>" installs into the selected group
    REQUIRE(RunOver(typa, main));

    for (const DemoFont& f : {kLatoBlack, kHackBold}) {
        INFO(f.name);
        CHECK(ReadAll(FontsFolder() + "\\" + f.bare) == ReadAll(scene.Source(f)));
        CHECK(SystemValue(f) == std::optional<std::string>(Upper(f.bare)));
        CHECK(GetString(HKEY_CURRENT_USER, kFontGroupsKey, f.name) == std::optional<std::string>("Titres"));
    }
    CHECK_FALSE(SystemValue(kLatoLight));
    CHECK(TemporaryFiles().empty());
    // The group shows its new fonts by itself; on the left they are marked installed, so that
    // selecting them offers nothing to install, while the third font still can be.
    CHECK(ListRows(installed) == std::vector<std::string>{"Hack Bold", "Lato Black"});
    CHECK(ListCount(available) == 3);
    SelectRows(available, {kLatoBlack, kHackBold});
    CHECK_FALSE(IsEnabled(ChildById(main, btFontInstall)));
    SelectRows(available, {kLatoLight});
    CHECK(IsEnabled(ChildById(main, btFontInstall)));

    // Another program started now sees the new fonts.
    const std::string listing = BesideExe("families.txt");
    DeleteFileA(listing.c_str());
    Process other;
    REQUIRE(other.Start(BesideExe("ListFamilies.exe"), "\"" + listing + "\""));
    CHECK(other.WaitForExit(120000) == std::optional<DWORD>(0));
    const std::string seen = ReadAll(listing);
    CHECK(seen.find("|Lato Black\n") != std::string::npos);
    CHECK(seen.find("|Hack Bold\n") != std::string::npos);
    CHECK(seen.find("|Lato Light\n") == std::string::npos);

    CHECK(QuitByButton(typa, main) == std::optional<DWORD>(0));
}

TEST_CASE("Installing over existing files: No keeps the old file, All replaces the rest, a failed copy keeps the old file")
{
    Scene scene("install-over", {kHackBold, kHackItalic, kHackBoldItalic, kOpenSansBold});
    Process typa;
    HWND main = StartAndWait(typa);
    REQUIRE(main);
    HWND available = ChildById(main, lbAvailableFonts);

    // Files of the same names arrive in the fonts folder behind the program's back.
    const std::string old = "not the font that was there before";
    for (const DemoFont& f : {kHackBold, kHackItalic, kHackBoldItalic}) WriteAll(FontsFolder() + "\\" + f.bare, old + f.bare);

    // The run goes from the last selected row up: Hack Italic, Hack Bold Italic, Hack Bold.
    SelectRows(available, {kHackBold, kHackItalic, kHackBoldItalic});
    InstallTo(main, 0);
    Expect(typa, "Confirmation", InstallQuestion(kHackItalic), "Non");
    Expect(typa, "Confirmation", InstallQuestion(kHackBoldItalic), "Tout");
    REQUIRE(RunOver(typa, main)); // Hack Bold is replaced without a question
    CHECK(ReadAll(FontsFolder() + "\\" + kHackItalic.bare) == old + kHackItalic.bare);
    CHECK_FALSE(SystemValue(kHackItalic));
    for (const DemoFont& f : {kHackBoldItalic, kHackBold}) {
        INFO(f.name);
        CHECK(ReadAll(FontsFolder() + "\\" + f.bare) == ReadAll(scene.Source(f)));
        CHECK(SystemValue(f) == std::optional<std::string>(Upper(f.bare)));
    }
    CHECK(TemporaryFiles().empty());

    // All held for that run only. Another file arrives (after the lists were read again, which
    // would have marked the font installed), and now the source cannot be read (another program holds it
    // locked): the copy fails after the user agreed to replace, and the old file stays whole.
    WriteAll(FontsFolder() + "\\" + kOpenSansBold.bare, old + kOpenSansBold.bare);
    HANDLE lock = CreateFileA(scene.Source(kOpenSansBold).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    REQUIRE(lock != INVALID_HANDLE_VALUE);
    SelectRows(available, {kOpenSansBold});
    InstallTo(main, 0);
    Expect(typa, "Confirmation", InstallQuestion(kOpenSansBold), "Oui");
    Expect(typa, "Erreur",
           "Le fichier Opensans-bold.ttf ne peut pas être copié. La police ne peut donc pas être installée sur votre "
           "système.\n\nSouhaitez-vous poursuivre ?",
           "Non");
    REQUIRE(RunOver(typa, main));
    CloseHandle(lock);
    CHECK(ReadAll(FontsFolder() + "\\" + kOpenSansBold.bare) == old + kOpenSansBold.bare);
    CHECK_FALSE(SystemValue(kOpenSansBold));
    CHECK(TemporaryFiles().empty());

    CHECK(QuitByButton(typa, main) == std::optional<DWORD>(0));
}

namespace {

const DemoFont kWingdings{"", "Wingdings", "Wingding.ttf"};

// The Recycle Bin holds the file with its original bytes and knows where it came from, so that
// putting it back there restores it.
void CheckTrashedAndRestorable(const DemoFont& f, const std::string& bytes)
{
    INFO(f.name);
    const std::string trashed = TrashFolder() + "\\files\\" + f.bare;
    CHECK(ReadAll(trashed) == bytes);
    const std::string info = ReadAll(TrashFolder() + "\\info\\" + f.bare + ".trashinfo");
    CHECK(info.find("Path=") != std::string::npos);
    CHECK(info.find(std::string("/Fonts/") + f.bare) != std::string::npos);
    const std::string place = FontsFolder() + "\\" + f.bare;
    REQUIRE(MoveFileA(trashed.c_str(), place.c_str()));
    CHECK(ReadAll(place) == bytes);
    DeleteFileA(place.c_str());
    ForgetTrashed(f.bare);
}

std::string WingdingsSource() { return WinePath("/usr/share/wine/fonts/wingding.ttf"); }

std::string MissingFileText(const DemoFont& f)
{
    std::string path = WindowsDir() + "\\FONTS\\" + f.bare;
    path = Upper(path);
    CharUpperBuffA(path.data(), static_cast<DWORD>(path.size()));
    return "Le fichier ou le dossier " + path +
           " n'existe pas. Veuillez actualiser les polices installées en appuyant sur la touche F5. La police devrait "
           "alors disparaître de la liste des polices installées.\n\nSouhaitez-vous poursuivre ?";
}

} // namespace

TEST_CASE("Removing fonts: a read-only hidden file to the Recycle Bin, standard fonts asked first, a missing file")
{
    Scene scene("remove", {kLatoItalic, kHackItalic, kWingdings});
    CopyFileA(WingdingsSource().c_str(), (scene.folder + "\\wingding.ttf").c_str(), FALSE);
    for (const DemoFont& f : scene.fonts) ForgetTrashed(f.bare);
    Process typa;
    HWND main = StartAndWait(typa);
    REQUIRE(main);
    HWND available = ChildById(main, lbAvailableFonts);
    HWND installed = ChildById(main, lbInstalledFonts);

    SelectRows(available, scene.fonts);
    InstallTo(main, 0);
    REQUIRE(RunOver(typa, main));
    for (const DemoFont& f : scene.fonts) REQUIRE_MESSAGE(SystemValue(f), f.name);

    // A read-only, hidden file: its attributes are cleared and it goes to the Recycle Bin.
    const std::string lato = FontsFolder() + "\\" + kLatoItalic.bare;
    const std::string latoBytes = ReadAll(lato);
    REQUIRE(SetFileAttributesA(lato.c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN));
    SelectRows(installed, {kLatoItalic});
    Command(main, btFontDelete);
    Expect(typa, "Confirmer la suppression", CountText(1), "Oui");
    REQUIRE(RunOver(typa, main));
    CHECK_FALSE(Exists(lato));
    CHECK_FALSE(SystemValue(kLatoItalic));
    CHECK(RowOf(installed, kLatoItalic.name) < 0);
    CheckTrashedAndRestorable(kLatoItalic, latoBytes);

    // With Wingdings in the selection the standard-font question comes first; No to it, or to
    // the count question after it, changes nothing.
    SelectRows(installed, {kHackItalic, kWingdings});
    Command(main, btFontDelete);
    Expect(typa, "Confirmer la suppression", kStandardText, "Non");
    REQUIRE(RunOver(typa, main));
    Command(main, btFontDelete);
    Expect(typa, "Confirmer la suppression", kStandardText, "Oui");
    Expect(typa, "Confirmer la suppression", CountText(2), "Non");
    REQUIRE(RunOver(typa, main));
    CHECK(SystemValue(kHackItalic));
    CHECK(SystemValue(kWingdings));
    CHECK(Exists(FontsFolder() + "\\" + kWingdings.bare));

    // Hack Italic's file disappears behind the program's back: 3012, and its value goes all the
    // same; Wingdings, after it, is removed.
    const std::string wingdingsBytes = ReadAll(FontsFolder() + "\\" + kWingdings.bare);
    REQUIRE(DeleteFileA((FontsFolder() + "\\" + kHackItalic.bare).c_str()));
    SelectRows(installed, {kHackItalic, kWingdings});
    Command(main, btFontDelete);
    Expect(typa, "Confirmer la suppression", kStandardText, "Oui");
    Expect(typa, "Confirmer la suppression", CountText(2), "Oui");
    Expect(typa, "Erreur", MissingFileText(kHackItalic), "Oui");
    REQUIRE(RunOver(typa, main));
    CHECK_FALSE(SystemValue(kHackItalic));
    CHECK_FALSE(SystemValue(kWingdings));
    CHECK(RowOf(installed, kHackItalic.name) < 0);
    CHECK(RowOf(installed, kWingdings.name) < 0);
    CheckTrashedAndRestorable(kWingdings, wingdingsBytes);

    CHECK(QuitByButton(typa, main) == std::optional<DWORD>(0));
}

TEST_CASE("Deleting a group with its fonts, and a deletion cancelled part way")
{
    Scene scene("group-delete", {kLatoBlack, kLatoLight, kLatoItalic, kHackBold, kHackItalic, kHackBoldItalic});
    for (const DemoFont& f : scene.fonts) ForgetTrashed(f.bare);
    for (const char* g : {"Corbeille", "Arrêt"}) SetString(HKEY_CURRENT_USER, (std::string(kGroupsKey) + "\\" + g).c_str(), "", "");
    Process typa;
    HWND main = StartAndWait(typa);
    REQUIRE(main);
    HWND available = ChildById(main, lbAvailableFonts);
    HWND installed = ChildById(main, lbInstalledFonts);
    HWND tree = ChildById(main, twInstalledGroup);
    std::string step = "install";
    INFO("step: " << step);

    SelectRows(available, {kLatoBlack, kLatoLight, kLatoItalic});
    InstallTo(main, GroupTargetIndex(main, "Corbeille"));
    REQUIRE(RunOver(typa, main));
    SelectRows(available, {kHackBold, kHackItalic, kHackBoldItalic});
    InstallTo(main, GroupTargetIndex(main, "Arrêt"));
    REQUIRE(RunOver(typa, main));

    // One confirmation, then the three fonts and the group are gone.
    step = "delete Corbeille";
    SelectGroup(main, "Corbeille");
    REQUIRE(ListCount(installed) == 3);
    Command(main, btGroupDelete);
    Expect(typa, "Confirmer la suppression",
           "Etes-vous sûr de vouloir supprimer le groupe 'Corbeille' \net de placer dans la Corbeille 3 des fichiers "
           "qu'il contient ?",
           "Oui");
    REQUIRE(RunOver(typa, main));
    for (const DemoFont& f : {kLatoBlack, kLatoLight, kLatoItalic}) {
        INFO(f.name);
        CHECK_FALSE(SystemValue(f));
        CHECK_FALSE(Exists(FontsFolder() + "\\" + f.bare));
        CHECK(Exists(TrashFolder() + "\\files\\" + f.bare));
    }
    CHECK_FALSE(KeyExists(HKEY_CURRENT_USER, (std::string(kGroupsKey) + "\\Corbeille").c_str()));
    CHECK_FALSE(TreeFind(tree, {"Polices installées", "Corbeille"}));

    // Cancel pressed while the first font's missing file is being reported, taken as soon as the
    // box is answered (a box holds all input for itself): the run stops after that font, the other
    // two fonts stay installed and now show under "Polices Windows", and the group goes anyway.
    step = "delete Arrêt";
    SelectGroup(main, "Arrêt");
    REQUIRE(ListCount(installed) == 3);
    REQUIRE(DeleteFileA((FontsFolder() + "\\" + kHackBold.bare).c_str()));
    Command(main, btGroupDelete);
    Expect(typa, "Confirmer la suppression",
           "Etes-vous sûr de vouloir supprimer le groupe 'Arrêt' \net de placer dans la Corbeille 3 des fichiers "
           "qu'il contient ?",
           "Oui");
    auto missing = WaitForDialog(typa.Pid(), "Erreur", 120000);
    REQUIRE(missing);
    CHECK(missing->Text() == MissingFileText(kHackBold));
    step = "cancel";
    HWND progress = ProgressDialog(typa.Pid());
    REQUIRE(progress);
    REQUIRE(Answer(*missing, "Oui")); // posted: taken before what follows
    Post(progress, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), reinterpret_cast<LPARAM>(ChildById(progress, IDCANCEL)));
    // The command's last step takes the group's node away. (While the end of the removal tells
    // every window of the font change, the program may take a posted message between two windows'
    // answers, so the driver's idle test alone can come too early under load.)
    REQUIRE(WaitUntil([&] { return !TreeFind(tree, {"Polices installées", "Arrêt"}); }, 120000, 100));
    REQUIRE(RunOver(typa, main));
    step = "after cancel";
    CHECK_FALSE(SystemValue(kHackBold));
    for (const DemoFont& f : {kHackItalic, kHackBoldItalic}) {
        INFO(f.name);
        CHECK(SystemValue(f));
        CHECK(Exists(FontsFolder() + "\\" + f.bare));
        CHECK(GetString(HKEY_CURRENT_USER, kFontGroupsKey, f.name) == std::optional<std::string>(""));
    }
    CHECK_FALSE(KeyExists(HKEY_CURRENT_USER, (std::string(kGroupsKey) + "\\Arrêt").c_str()));
    CHECK_FALSE(TreeFind(tree, {"Polices installées", "Arrêt"}));
    SelectGroup(main, "Polices Windows");
    CHECK(RowOf(installed, kHackItalic.name) >= 0);
    CHECK(RowOf(installed, kHackBoldItalic.name) >= 0);

    CHECK(QuitByButton(typa, main) == std::optional<DWORD>(0));
    for (const DemoFont& f : scene.fonts) ForgetTrashed(f.bare);
}

namespace {

std::string BinRefusedText(const std::string& bare)
{
    std::string path = WindowsDir() + "\\FONTS\\" + bare;
    CharUpperBuffA(path.data(), static_cast<DWORD>(path.size()));
    return "Le fichier " + path +
           " ne peut pas être placé dans la Corbeille. Assurez-vous qu'il n'est pas en lecture seule et que vous "
           "disposez d'un droit de suppression sur ce lecteur.\n\nSouhaitez-vous poursuivre ?";
}

// The Linux path of this program's own XDG_DATA_HOME, where Wine keeps the prefix's bin.
std::string XdgDataHome()
{
    char unixPath[MAX_PATH] = {};
    GetEnvironmentVariableA("XDG_DATA_HOME", unixPath, MAX_PATH);
    return unixPath;
}

// Removes the installed font f, which the bin refuses: 3006 answered Yes, and the font is still
// there, whole, still registered and listed; no second name is left over.
void RemoveRefusedByBin(Process& typa, HWND main, const DemoFont& f, const std::string& bytes)
{
    HWND installed = ChildById(main, lbInstalledFonts);
    SelectRows(installed, {f});
    Command(main, btFontDelete);
    Expect(typa, "Confirmer la suppression", CountText(1), "Oui");
    Expect(typa, "Erreur", BinRefusedText(f.bare), "Oui");
    REQUIRE(RunOver(typa, main));
    CHECK(ReadAll(FontsFolder() + "\\" + f.bare) == bytes);
    CHECK(SystemValue(f));
    CHECK(RowOf(installed, f.name) >= 0);
    CHECK(TemporaryFiles().empty());
}

} // namespace

TEST_CASE("A Recycle Bin that refuses the file: 3006, the file stays in the fonts folder, nothing is erased")
{
    Scene scene("refusing-bin", {kLatoItalic});
    const std::string bytes = ReadAll(scene.Source(kLatoItalic));
    REQUIRE(bytes.size() > 65536);

    // A bin that cannot be written (where its folder should be lies a plain file), and one of
    // 64 KB for a 700 KB font. The shell erases the file in both cases and reports success.
    std::vector<std::pair<std::string, const char*>> bins;
    const std::string unusable = XdgDataHome() + "-unusable";
    CreateDirectoryA(WinePath(unusable).c_str(), nullptr);
    RemoveDirectoryA(WinePath(unusable + "/Trash").c_str());
    WriteAll(WinePath(unusable + "/Trash"), "not a folder");
    bins.emplace_back(unusable, "a bin that cannot be written");
    char small[MAX_PATH] = {};
    if (GetEnvironmentVariableA("TYPA_SMALL_TRASH", small, MAX_PATH) && Exists(WinePath(small)))
        bins.emplace_back(small, "a bin too small for the file");
    else
        MESSAGE("no small tmpfs for a Recycle Bin (scripts/small-drive.sh): that case is skipped");

    for (const auto& [home, what] : bins) {
        INFO(what);
        // Installed by the program that removes it: Wine keeps a font that a process found in
        // the fonts folder at its start loaded for good.
        scene.Clean();
        Process typa;
        REQUIRE(typa.StartTypa({}, {{"XDG_DATA_HOME", home}}));
        HWND main = WaitUntilStarted(typa);
        REQUIRE(main);
        SelectRows(ChildById(main, lbAvailableFonts), {kLatoItalic});
        InstallTo(main, 0);
        REQUIRE(RunOver(typa, main));
        REQUIRE(SystemValue(kLatoItalic));
        RemoveRefusedByBin(typa, main, kLatoItalic, bytes);
        CHECK(QuitByButton(typa, main) == std::optional<DWORD>(0));
    }
    // What the shell left of its attempt in the small bin.
    for (const auto& [home, what] : bins) {
        DeleteFileA(WinePath(home + "/Trash/files/" + kLatoItalic.bare).c_str());
        DeleteFileA(WinePath(home + "/Trash/info/" + kLatoItalic.bare + ".trashinfo").c_str());
    }
}

TEST_CASE("A Recycle Bin that stops working after a first removal: the next font stays")
{
    // The first removal shows that this drive's bin keeps a moved file's second name; the bin
    // then becomes unusable while the program runs, and the next file must not be erased.
    Scene scene("breaking-bin", {kLatoItalic, kHackBold});
    const std::string home = XdgDataHome() + "-breaking";
    const std::string trash = home + "/Trash";
    CreateDirectoryA(WinePath(home).c_str(), nullptr);
    CreateDirectoryA(WinePath(trash).c_str(), nullptr);
    const std::string hackBytes = ReadAll(scene.Source(kHackBold));
    REQUIRE(!hackBytes.empty());

    Process typa;
    REQUIRE(typa.StartTypa({}, {{"XDG_DATA_HOME", home}}));
    HWND main = WaitUntilStarted(typa);
    REQUIRE(main);
    HWND installed = ChildById(main, lbInstalledFonts);
    SelectRows(ChildById(main, lbAvailableFonts), {kLatoItalic, kHackBold});
    InstallTo(main, 0);
    REQUIRE(RunOver(typa, main));

    SelectRows(installed, {kLatoItalic});
    Command(main, btFontDelete);
    Expect(typa, "Confirmer la suppression", CountText(1), "Oui");
    REQUIRE(RunOver(typa, main));
    CHECK_FALSE(SystemValue(kLatoItalic));
    CHECK(Exists(WinePath(trash + "/files/" + kLatoItalic.bare)));

    // Where the bin's folder was now lies a plain file.
    REQUIRE(MoveFileA(WinePath(trash).c_str(), WinePath(trash + ".old").c_str()));
    WriteAll(WinePath(trash), "not a folder");
    RemoveRefusedByBin(typa, main, kHackBold, hackBytes);
    CHECK(QuitByButton(typa, main) == std::optional<DWORD>(0));

    DeleteFileA(WinePath(trash).c_str());
    DeleteFileA(WinePath(trash + ".old/files/" + kLatoItalic.bare).c_str());
    DeleteFileA(WinePath(trash + ".old/info/" + kLatoItalic.bare + ".trashinfo").c_str());
}

TEST_CASE("A font whose name ends in \"Standard\" keeps the group it was installed into")
{
    // Its full name "Typa Essai Standard" carries " Standard" after its family's name: the
    // installed side shows it as "Typa Essai".
    Scene scene("standard-name", {{"", "Typa Essai Standard", "Typaessaistd.ttf"}});
    WriteRenamedWineFont(scene.folder + "\\TYPAESSAISTD.TTF", "Typa Essai", "Regular", "Typa Essai Standard");
    SetString(HKEY_CURRENT_USER, (std::string(kGroupsKey) + "\\Titres").c_str(), "", "");
    for (int start = 0; start < 2; ++start) {
        CAPTURE(start);
        Process typa;
        HWND main = StartAndWait(typa);
        REQUIRE(main);
        HWND installed = ChildById(main, lbInstalledFonts);
        if (start == 0) {
            SelectRowTexts(ChildById(main, lbAvailableFonts), {"Typa Essai Standard"});
            InstallTo(main, GroupTargetIndex(main, "Titres"));
            REQUIRE(RunOver(typa, main));
            CHECK(GetString(HKEY_CURRENT_USER, kFontGroupsKey, "Typa Essai") == std::optional<std::string>("Titres"));
        }
        // In its group, now and after a restart; not among the fonts of no group.
        SelectGroup(main, "Titres");
        CHECK(ListRows(installed) == std::vector<std::string>{"Typa Essai"});
        SelectGroup(main, "Polices Windows");
        CHECK(RowOf(installed, "Typa Essai") < 0);
        CHECK(QuitByButton(typa, main) == std::optional<DWORD>(0));
    }
    DeleteSystemValue("Typa Essai Standard (TrueType)");
}

TEST_CASE("Deleting a group asks about a standard font among its fonts, whichever rows are selected")
{
    Scene scene("group-standard", {kHackBold, kWingdings});
    CopyFileA(WingdingsSource().c_str(), (scene.folder + "\\wingding.ttf").c_str(), FALSE);
    SetString(HKEY_CURRENT_USER, (std::string(kGroupsKey) + "\\Mixte").c_str(), "", "");
    Process typa;
    HWND main = StartAndWait(typa);
    REQUIRE(main);
    HWND installed = ChildById(main, lbInstalledFonts);
    SelectRows(ChildById(main, lbAvailableFonts), {kHackBold, kWingdings});
    InstallTo(main, GroupTargetIndex(main, "Mixte"));
    REQUIRE(RunOver(typa, main));

    // Only Hack Bold is selected; Wingdings goes with the group all the same, so it is asked for.
    SelectGroup(main, "Mixte");
    REQUIRE(ListCount(installed) == 2);
    SelectRows(installed, {kHackBold});
    Command(main, btGroupDelete);
    Expect(typa, "Confirmer la suppression",
           "Etes-vous sûr de vouloir supprimer le groupe 'Mixte' \net de placer dans la Corbeille 2 des fichiers "
           "qu'il contient ?",
           "Oui");
    Expect(typa, "Confirmer la suppression", kStandardText, "Non");
    REQUIRE(RunOver(typa, main));
    // No changed nothing: both fonts, the group and the selection are as they were.
    CHECK(SystemValue(kHackBold));
    CHECK(SystemValue(kWingdings));
    CHECK(KeyExists(HKEY_CURRENT_USER, (std::string(kGroupsKey) + "\\Mixte").c_str()));
    CHECK(ListSelection(installed) == std::vector<int>{RowOf(installed, kHackBold.name)});
    CHECK(QuitByButton(typa, main) == std::optional<DWORD>(0));
}
