// Installing and removing fonts as a user does it, against Wine's real fonts folder, system font
// registry and Recycle Bin: into a group, over existing files, read-only and missing files,
// standard fonts, and deleting a group with its fonts (also cancelled part way).
#include "support/TypaSession.h"
#include "res/Resource.h"
#include "ui/DlgProgress.h"
#include <doctest/doctest.h>

#include <algorithm>
#include <fstream>
#include <sstream>

using namespace typa::e2e;

namespace {

const char* kSystemFonts = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Fonts";
const char* kGroups = "Software\\Orvane Media\\Typarium\\GroupsNew";
const char* kFontGroups = "Software\\Orvane Media\\Typarium\\Fonts";

std::string WindowsDir()
{
    char buf[MAX_PATH] = {};
    GetWindowsDirectoryA(buf, MAX_PATH);
    return buf;
}
std::string FontsFolder() { return WindowsDir() + "\\Fonts"; }

std::string ReadAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return in ? s.str() : std::string();
}

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

void WriteAll(const std::string& path, const std::string& bytes)
{
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    std::ofstream(path, std::ios::binary) << bytes;
}

// Files left in the fonts folder under a temporary name: none may stay after a run.
std::vector<std::string> TemporaryFiles()
{
    std::vector<std::string> names;
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA((FontsFolder() + "\\TYP*.TMP").c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE) return names;
    do names.emplace_back(fd.cFileName);
    while (FindNextFileA(h, &fd));
    FindClose(h);
    return names;
}

struct DemoFont {
    const char* source; // under the demo folder
    const char* name;   // full name: the list row and the registry value's start
    const char* bare;   // the file name the program gives it in the fonts folder
};
const DemoFont kLatoBlack{"Sans\\Lato-Black.TTF", "Lato Black", "Lato-black.ttf"};
const DemoFont kLatoLight{"Sans\\Lato-Light.TTF", "Lato Light", "Lato-light.ttf"};
const DemoFont kLatoItalic{"Sans\\Lato-Italic.TTF", "Lato Italic", "Lato-italic.ttf"};
const DemoFont kHackBold{"Mono\\Hack-Bold.TTF", "Hack Bold", "Hack-bold.ttf"};
const DemoFont kHackItalic{"Mono\\Hack-Italic.TTF", "Hack Italic", "Hack-italic.ttf"};
const DemoFont kHackBoldItalic{"Mono\\Hack-BoldItalic.TTF", "Hack Bold Italic", "Hack-bolditalic.ttf"};
const DemoFont kOpenSansBold{"Sans\\OpenSans-Bold.TTF", "Open Sans Bold", "Opensans-bold.ttf"};

std::string Upper(std::string s)
{
    for (char& c : s)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return s;
}

// A font folder of its own holding some demo fonts; everything the test installs from it is
// taken out of the system again at the end (files, system values, group records), whatever
// happened, so the prefix is left as it was found.
struct Scene {
    std::string folder;
    std::vector<DemoFont> fonts;

    Scene(const char* name, std::vector<DemoFont> list) : fonts(std::move(list))
    {
        folder = BesideExe(name);
        CreateDirectoryA(folder.c_str(), nullptr);
        for (const DemoFont& f : fonts)
            if (*f.source) CopyFileA((DemoFontFolder() + "\\" + f.source).c_str(), Source(f).c_str(), FALSE);
        Clean();
        ResetSettings(folder);
    }
    ~Scene() { Clean(); }
    std::string Source(const DemoFont& f) const
    {
        const std::string s = f.source;
        return folder + "\\" + s.substr(s.find('\\') + 1);
    }
    void Clean() const
    {
        for (const DemoFont& f : fonts) {
            std::string dest = FontsFolder() + "\\" + f.bare;
            SetFileAttributesA(dest.c_str(), FILE_ATTRIBUTE_NORMAL);
            DeleteFileA(dest.c_str());
            HKEY k;
            if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kSystemFonts, 0, KEY_ALL_ACCESS, &k) == ERROR_SUCCESS) {
                RegDeleteValueA(k, (std::string(f.name) + " (TrueType)").c_str());
                RegCloseKey(k);
            }
        }
        for (const std::string& t : TemporaryFiles()) DeleteFileA((FontsFolder() + "\\" + t).c_str());
    }
};

std::optional<std::string> SystemValue(const DemoFont& f)
{
    return GetString(HKEY_LOCAL_MACHINE, kSystemFonts, (std::string(f.name) + " (TrueType)").c_str());
}

int RowOf(HWND list, const std::string& text)
{
    auto rows = ListRows(list);
    auto it = std::find(rows.begin(), rows.end(), text);
    return it == rows.end() ? -1 : static_cast<int>(it - rows.begin());
}

// Selects exactly these rows of a list, as Ctrl+clicks would, and tells the window.
void SelectRows(HWND list, const std::vector<DemoFont>& fonts)
{
    Send(list, LB_SETSEL, FALSE, -1);
    for (const DemoFont& f : fonts) {
        int row = RowOf(list, f.name);
        REQUIRE_MESSAGE(row >= 0, f.name);
        Send(list, LB_SETSEL, TRUE, row);
    }
    HWND main = GetAncestor(list, GA_ROOT);
    Send(main, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(list), LBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
}

// Answers the next box, after checking its title and text.
void Expect(Process& typa, const char* title, const std::string& text, const char* button)
{
    // A box that is just closing may still be found once; it cannot be read any more.
    std::optional<Dialog> box;
    for (int attempt = 0; attempt < 3 && !box; ++attempt) {
        try {
            box = WaitForDialog(typa.Pid(), title, 120000);
        } catch (const DriverError&) {
            Sleep(500);
        }
    }
    REQUIRE_MESSAGE(box, text);
    CHECK(box->Text() == text);
    Answer(*box, button);
    WaitForWindowGone(box->wnd, 60000);
}

// Installs the selected rows into the group of generated item `index` (0: "Polices Windows").
void InstallTo(HWND main, int index) { Command(main, kInstallToGroupBase + index); }

std::string InstallQuestion(const DemoFont& f)
{
    return "Le fichier '" + WindowsDir() + "\\FONTS\\" + f.bare + "' existe déjà. Faut-il écraser le fichier existant ?";
}

} // namespace

TEST_CASE("Two fonts installed into a group: files, system values, group records, both lists, other programs")
{
    Scene scene("install-group", {kLatoBlack, kHackBold, kLatoLight});
    SetString(HKEY_CURRENT_USER, (std::string(kGroups) + "\\Titres").c_str(), "", "");
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
        CHECK(GetString(HKEY_CURRENT_USER, kFontGroups, f.name) == std::optional<std::string>("Titres"));
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

// Wine's Recycle Bin: the XDG trash of the prefix, as Windows sees it.
std::string TrashFolder()
{
    char unixPath[MAX_PATH] = {};
    GetEnvironmentVariableA("XDG_DATA_HOME", unixPath, MAX_PATH);
    return WinePath(std::string(unixPath) + "/Trash");
}

void ForgetTrashed(const std::string& bare)
{
    DeleteFileA((TrashFolder() + "\\files\\" + bare).c_str());
    DeleteFileA((TrashFolder() + "\\info\\" + bare + ".trashinfo").c_str());
}

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

int GroupTargetIndex(HWND main, const std::string& group)
{
    auto items = TreeItems(ChildById(main, twInstalledGroup));
    for (std::size_t i = 1; i < items.size(); ++i)
        if (items[i].text == group) return static_cast<int>(i) - 1;
    return -1;
}

HWND ProgressDialog(DWORD pid)
{
    for (HWND w : TopLevelWindows(pid))
        if (HWND bar = ClassName(w) == "#32770" ? ChildById(w, typa::TDlgProgress::kIdBar) : nullptr;
            bar && ClassName(bar) == "msctls_progress32")
            return w;
    return nullptr;
}

std::string MissingFileText(const DemoFont& f)
{
    std::string path = WindowsDir() + "\\FONTS\\" + f.bare;
    path = Upper(path);
    CharUpperBuffA(path.data(), static_cast<DWORD>(path.size()));
    return "Le fichier ou le dossier " + path +
           " n'existe pas. Veuillez actualiser les polices installées en appuyant sur la touche F5. La police devrait "
           "alors disparaître de la liste des polices installées.\n\nSouhaitez-vous poursuivre ?";
}

const char* kStandardText =
    "Vous êtes sur le point de supprimer une ou plusieurs polices standard du système, telles que Arial, Times New "
    "Roman ou Courier. Si vous poursuivez votre démarche, les fonctionnalités de certains programmes pourrait en être "
    "affectées.\n\nSouhaitez-vous réellement poursuivre ?";

std::string CountText(int n)
{
    return "Etes-vous sûr de vouloir supprimer " + std::to_string(n) + " police(s) et\nplacer dans la Corbeille " +
           std::to_string(n) + " fichier(s) de polices ?";
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
    for (const char* g : {"Corbeille", "Arrêt"}) SetString(HKEY_CURRENT_USER, (std::string(kGroups) + "\\" + g).c_str(), "", "");
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
    CHECK_FALSE(KeyExists(HKEY_CURRENT_USER, (std::string(kGroups) + "\\Corbeille").c_str()));
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
    REQUIRE(RunOver(typa, main));
    step = "after cancel";
    CHECK_FALSE(SystemValue(kHackBold));
    for (const DemoFont& f : {kHackItalic, kHackBoldItalic}) {
        INFO(f.name);
        CHECK(SystemValue(f));
        CHECK(Exists(FontsFolder() + "\\" + f.bare));
        CHECK(GetString(HKEY_CURRENT_USER, kFontGroups, f.name) == std::optional<std::string>(""));
    }
    CHECK_FALSE(KeyExists(HKEY_CURRENT_USER, (std::string(kGroups) + "\\Arrêt").c_str()));
    CHECK_FALSE(TreeFind(tree, {"Polices installées", "Arrêt"}));
    SelectGroup(main, "Polices Windows");
    CHECK(RowOf(installed, kHackItalic.name) >= 0);
    CHECK(RowOf(installed, kHackBoldItalic.name) >= 0);

    CHECK(QuitByButton(typa, main) == std::optional<DWORD>(0));
    for (const DemoFont& f : scene.fonts) ForgetTrashed(f.bare);
}
