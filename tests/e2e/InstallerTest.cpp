// typa-setup.exe as an administrator and a user meet it on a machine without Typarium: a silent
// installation writes the program, its two help files, the Start-menu shortcut and FontPath; the
// installed program starts with the folder's fonts on the left and opens its own help, in WinHelp
// on an older Windows and in HTML Help on Windows 10; uninstalling removes all of that, keeps the
// user's settings and groups unless the user asks otherwise, and leaves the fonts installed with
// the program installed.
#include "support/TypaSession.h"
#include "res/Resource.h"
#include <doctest/doctest.h>

#include <shlobj.h>

using namespace typa::e2e;

namespace {

constexpr const char* kUninstallKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Typarium";
constexpr const char* kSystemFontsKey = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Fonts";
// A font as the program leaves it after installing it into a group of the user's.
constexpr const char* kFontFile = "TYPASETUPTEST.TTF";
constexpr const char* kFontValue = "Typarium Essai Installation (TrueType)";
constexpr const char* kFontName = "Typarium Essai Installation";
constexpr const char* kGroup = "Groupe d'essai";

std::string ShellFolder(int csidl)
{
    char path[MAX_PATH] = {};
    SHGetFolderPathA(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path);
    return path;
}

std::string ProgramFolder() { return ShellFolder(CSIDL_PROGRAM_FILES) + "\\Typarium"; }
std::string Shortcut() { return ShellFolder(CSIDL_COMMON_PROGRAMS) + "\\Typarium.lnk"; }
std::string InstalledFontFile() { return ShellFolder(CSIDL_WINDOWS) + "\\Fonts\\" + kFontFile; }

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::optional<DWORD> Run(const std::string& exe, const std::string& args)
{
    Process p;
    if (!p.Start(exe, args)) return std::nullopt;
    return p.WaitForExit(120000);
}

std::optional<DWORD> Setup(const std::string& args) { return Run(BesideExe("typa-setup.exe"), args); }

// What installing a font into a group leaves behind: its file in the Windows fonts folder, its
// value in the system's font registry, its group in the user's settings.
void LeaveInstalledFont()
{
    CopyFileA((DemoFontFolder() + "\\Carlito-Regular.TTF").c_str(), InstalledFontFile().c_str(), FALSE);
    SetString(HKEY_LOCAL_MACHINE, kSystemFontsKey, kFontValue, kFontFile);
    SetString(HKEY_CURRENT_USER, (std::string(kTypaKey) + "\\Fonts").c_str(), kFontName, kGroup);
    SetString(HKEY_CURRENT_USER, (std::string(kTypaKey) + "\\GroupsNew\\" + kGroup).c_str(), "", "");
}

void RemoveInstalledFont()
{
    DeleteFileA(InstalledFontFile().c_str());
    HKEY k = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kSystemFontsKey, 0, KEY_SET_VALUE, &k) == ERROR_SUCCESS) {
        RegDeleteValueA(k, kFontValue);
        RegCloseKey(k);
    }
}

// The program files, the shortcut, the machine-wide keys: none of them left.
void CheckNothingOfTheProgramLeft()
{
    for (const char* file : {"TYPA.EXE", "TYPA.HLP", "TYPA.CHM", "Desinstaller.exe"}) {
        INFO(file);
        CHECK_FALSE(Exists(ProgramFolder() + "\\" + file));
    }
    CHECK_FALSE(Exists(ProgramFolder()));
    CHECK_FALSE(Exists(Shortcut()));
    CHECK_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kMachineKey));
    CHECK_FALSE(KeyExists(HKEY_LOCAL_MACHINE, "SOFTWARE\\Orvane Media"));
    CHECK_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey));
}

void CheckFontStillInstalled()
{
    CHECK(Exists(InstalledFontFile()));
    CHECK(GetString(HKEY_LOCAL_MACHINE, kSystemFontsKey, kFontValue) == std::optional<std::string>(kFontFile));
}

// The uninstaller copies itself to the temporary folder and ends, and the copy does the work:
// the end of its work is the end of the program folder and of the uninstall key.
bool UninstallFinished()
{
    return WaitUntil([] { return !Exists(ProgramFolder()) && !KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey); },
                     120000, 200);
}

HWND FindWindowOfTitle(std::string_view part)
{
    HWND found = nullptr;
    WaitUntil([&] {
        for (HWND w = GetTopWindow(nullptr); w; w = GetWindow(w, GW_HWNDNEXT)) {
            char title[256] = {};
            GetWindowTextA(w, title, sizeof title);
            if (IsWindowVisible(w) && std::string_view(title).find(part) != std::string_view::npos &&
                WindowPid(w) != GetCurrentProcessId()) {
                found = w;
                return true;
            }
        }
        return false;
    }, 60000, 100);
    return found;
}

} // namespace

TEST_CASE("Silent installation, the installed program, uninstallation that keeps settings and fonts")
{
    REQUIRE(Exists(BesideExe("typa-setup.exe")));
    REQUIRE_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey));
    ResetSettings("");
    LeaveInstalledFont();

    // The quoted form an administrator writes for a folder with blanks works for any folder.
    const std::string fonts = DemoFontFolder();
    CHECK(Setup("/S /POLICES=\"" + fonts + "\\\"") == std::optional<DWORD>(0));

    CHECK(Exists(ProgramFolder() + "\\TYPA.EXE"));
    CHECK(Exists(ProgramFolder() + "\\TYPA.HLP"));
    CHECK(Exists(ProgramFolder() + "\\TYPA.CHM")); // beside TYPA.EXE, where the program looks
    CHECK(Exists(ProgramFolder() + "\\Desinstaller.exe"));
    CHECK(Exists(Shortcut()));
    // Stored without the final backslash the command line carried; quotes gone.
    CHECK(GetString(HKEY_LOCAL_MACHINE, kMachineKey, "FontPath") == std::optional<std::string>(fonts));
    CHECK(GetString(HKEY_LOCAL_MACHINE, kUninstallKey, "UninstallString") ==
          std::optional<std::string>("\"" + ProgramFolder() + "\\Desinstaller.exe\""));
    CHECK(GetString(HKEY_LOCAL_MACHINE, kUninstallKey, "DisplayName") == std::optional<std::string>("Typarium"));

    {
        // The installed program: the folder's fonts on the left, its own help on F1, in WinHelp
        // on an older Windows whose Windows folder has winhlp32.exe.
        ReportedWindows windows("win7");
        Process typa;
        REQUIRE(typa.Start(ProgramFolder() + "\\TYPA.EXE"));
        HWND main = WaitUntilStarted(typa);
        REQUIRE(main);
        HWND available = ChildById(main, lbAvailableFonts);
        CHECK(ListCount(available) > 0);
        auto root = TreeItems(ChildById(main, twAvailableGroup));
        REQUIRE_FALSE(root.empty());
        CHECK(root.front().text.rfind("Polices dans ", 0) == 0);

        // Its help lies beside it: the contents page shows under the help's title.
        std::string shown;
        bool helpShown = false;
        for (int attempt = 0; attempt < 3 && !helpShown; ++attempt) {
            Key(main, VK_F1);
            helpShown = WaitUntil([&] {
                HWND help = FindWindowA("MS_WINHELP", nullptr);
                try {
                    shown = help ? Text(GetDlgItem(help, 0x701)) : ""; // the viewer's page
                } catch (const DriverError&) { // still starting
                    return false;
                }
                return shown.rfind("Aide de Typarium", 0) == 0;
            }, 40000, 250);
            // A viewer slower to start than WinHelpA waits for is reported; the next F1 finds it.
            if (auto box = helpShown ? std::nullopt : WaitForDialog(typa.Pid(), "Erreur", 1000)) Answer(*box, "OK");
        }
        CHECK(helpShown);

        // The files of a running program cannot be removed: the uninstaller waits for it and,
        // silent, gives up with code 3 and changes nothing.
        CHECK(Run(ProgramFolder() + "\\Desinstaller.exe", "/S _?=" + ProgramFolder()) ==
              std::optional<DWORD>(3));
        CHECK(Exists(ProgramFolder() + "\\TYPA.EXE"));
        CHECK(KeyExists(HKEY_LOCAL_MACHINE, kMachineKey));

        CHECK(QuitByButton(typa, main) == std::optional<DWORD>(0));
        CHECK(WaitUntil([] { return FindWindowA("MS_WINHELP", nullptr) == nullptr; }, 30000, 100));
    }
    {
        // On Windows 10 the installed program opens the installed TYPA.CHM in HTML Help.
        ReportedWindows windows("win10");
        Process typa;
        REQUIRE(typa.Start(ProgramFolder() + "\\TYPA.EXE"));
        HWND main = WaitUntilStarted(typa);
        REQUIRE(main);
        Key(main, VK_F1);
        HWND help = nullptr;
        CHECK(WaitUntil([&] { return (help = FindTopLevel(typa.Pid(), "HH Parent", nullptr)) != nullptr; }, 60000,
                        100));
        if (help) CHECK(TitleOf(help) == "Aide de Typarium");
        CHECK_FALSE(WaitForDialog(typa.Pid(), "Erreur", 2000));
        CHECK(QuitByButton(typa, main) == std::optional<DWORD>(0));
    }

    // Silent uninstallation: the answer to the settings question is the default, keep them.
    CHECK(Run(ProgramFolder() + "\\Desinstaller.exe", "/S") == std::optional<DWORD>(0));
    CHECK(UninstallFinished());
    CheckNothingOfTheProgramLeft();
    CHECK(KeyExists(HKEY_CURRENT_USER, (std::string(kTypaKey) + "\\GroupsNew\\" + kGroup).c_str()));
    CHECK(GetString(HKEY_CURRENT_USER, (std::string(kTypaKey) + "\\Fonts").c_str(), kFontName) ==
          std::optional<std::string>(kGroup));
    CHECK(GetDword(HKEY_CURRENT_USER, kTypaKey, "AppTools").has_value()); // written when the program ended
    CheckFontStillInstalled();

    RemoveInstalledFont();
    ResetSettings("");
}

TEST_CASE("A font folder to be made, and an uninstallation asked to remove the user's settings")
{
    REQUIRE_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey));
    ResetSettings("");
    LeaveInstalledFont();
    const std::string made = ShellFolder(CSIDL_WINDOWS).substr(0, 2) + "\\Polices d'essai Typarium";
    RemoveDirectoryA(made.c_str());

    CHECK(Setup("/S /POLICES=\"" + made + "\"") == std::optional<DWORD>(0));
    CHECK(GetString(HKEY_LOCAL_MACHINE, kMachineKey, "FontPath") == std::optional<std::string>(made));
    CHECK(Exists(made)); // the program would refuse a folder that is not there

    // The whole option quoted, as PowerShell and deployment tools write a value with blanks.
    const std::string other = made + " bis";
    RemoveDirectoryA(other.c_str());
    CHECK(Setup("/S \"/POLICES=" + other + "\"") == std::optional<DWORD>(0));
    CHECK(GetString(HKEY_LOCAL_MACHINE, kMachineKey, "FontPath") == std::optional<std::string>(other));
    CHECK(Exists(other));
    RemoveDirectoryA(other.c_str());
    CHECK(Setup("/S /POLICES=\"" + made + "\"") == std::optional<DWORD>(0));

    // Values that cannot be used and options nobody knows are refused, and nothing is changed:
    // no silent default takes their place.
    for (const std::string& refused : {std::string("/S /POLICES=Polices"), std::string("/S /POLICES="),
                                       std::string("/S \"/POLICES=\""), "/S /POLICES=\"" + made}) {
        INFO(refused);
        CHECK(Setup(refused) == std::optional<DWORD>(2));
        CHECK(GetString(HKEY_LOCAL_MACHINE, kMachineKey, "FontPath") == std::optional<std::string>(made));
    }
    for (const std::string& unknown : {std::string("/S /POLICE=C:\\Polices"), std::string("/S /Q"),
                                       std::string("/S C:\\Polices")}) {
        INFO(unknown);
        CHECK(Setup(unknown) == std::optional<DWORD>(5));
        CHECK(GetString(HKEY_LOCAL_MACHINE, kMachineKey, "FontPath") == std::optional<std::string>(made));
    }

    // The uninstaller as a user runs it: its window, then the question, answered Yes.
    Process uninstall;
    REQUIRE(uninstall.Start(ProgramFolder() + "\\Desinstaller.exe"));
    HWND wizard = FindWindowOfTitle("Typarium");
    REQUIRE(wizard);
    DWORD pid = WindowPid(wizard);
    HWND next = GetDlgItem(wizard, 1);
    REQUIRE(next);
    Click(next); // "Désinstaller"
    auto question = WaitForDialog(pid, nullptr, 60000);
    REQUIRE(question);
    if (question->wnd == wizard) { // the page had not turned yet
        question = std::nullopt;
        WaitUntil([&] {
            for (HWND w : TopLevelWindows(pid))
                if (w != wizard && IsVisible(w) && ClassName(w) == "#32770") return (question = ReadDialog(w)).has_value();
            return false;
        }, 60000, 100);
        REQUIRE(question);
    }
    CHECK(question->Text().find("effacer vos réglages") != std::string::npos);
    CHECK(question->buttons.size() == 2);
    CHECK(Answer(*question, "&Oui"));
    // The last page's button closes the uninstaller.
    CHECK(WaitUntil([&] { return !Exists(ProgramFolder()); }, 120000, 200));
    WaitUntil([&] {
        HWND close = GetDlgItem(wizard, 1);
        if (!IsWindow(wizard)) return true;
        if (close && IsWindowEnabled(close)) Click(close);
        return false;
    }, 60000, 500);
    CHECK(UninstallFinished());

    CheckNothingOfTheProgramLeft();
    CHECK_FALSE(KeyExists(HKEY_CURRENT_USER, kTypaKey));
    CHECK_FALSE(KeyExists(HKEY_CURRENT_USER, "Software\\Orvane Media"));
    CheckFontStillInstalled();
    CHECK(Exists(made)); // the font folder is the user's: it stays

    RemoveDirectoryA(made.c_str());
    RemoveInstalledFont();
    ResetSettings("");
}
