// Help where WinHelp is gone: on Windows 10 and later, or wherever winhlp32.exe is missing from
// the Windows folder, F1 and every "Aide" button open TYPA.CHM in HTML Help at the same topic,
// the help closes with the program, and a help file that is missing or lacks the topic is said
// in a box that names it, never passed over in silence.
#include "support/TypaSession.h"
#include "res/Resource.h"
#include <doctest/doctest.h>

using namespace typa::e2e;

namespace {

HWND HtmlHelpWindow(DWORD pid) { return FindTopLevel(pid, "HH Parent", nullptr); }
HWND WinHelpWindow() { return FindWindowA("MS_WINHELP", nullptr); }

HWND WaitForHtmlHelp(DWORD pid)
{
    HWND help = nullptr;
    WaitUntil([&] { return (help = HtmlHelpWindow(pid)) != nullptr; }, 60000, 100);
    return help;
}

// An error box of the program, if one comes within a few seconds.
std::optional<Dialog> ErrorBox(DWORD pid, DWORD timeoutMs = 5000) { return WaitForDialog(pid, "Erreur", timeoutMs); }

std::string WindowsFolder()
{
    char buf[MAX_PATH] = {};
    GetWindowsDirectoryA(buf, MAX_PATH);
    return buf;
}

// A system without the WinHelp viewer: winhlp32.exe moved out of the Windows folder while this
// lives. One left aside by an interrupted run is put back first.
class WinHelpViewerHidden {
public:
    WinHelpViewerHidden()
    {
        MoveFileA(m_hidden.c_str(), m_viewer.c_str());
        if (!MoveFileA(m_viewer.c_str(), m_hidden.c_str())) throw DriverError("cannot move " + m_viewer);
    }
    ~WinHelpViewerHidden() { MoveFileA(m_hidden.c_str(), m_viewer.c_str()); }

private:
    std::string m_viewer = WindowsFolder() + "\\winhlp32.exe";
    std::string m_hidden = m_viewer + ".typa-test";
};

// TYPA.EXE alone in a folder of its own, with what help file the test gives it.
std::string LoneProgram(const char* helpSource, const char* helpName)
{
    const std::string folder = BesideExe("help-alone");
    CreateDirectoryA(folder.c_str(), nullptr);
    for (const char* name : {"TYPA.EXE", "TYPA.CHM", "TYPA.HLP"}) DeleteFileA((folder + "\\" + name).c_str());
    if (!CopyFileA(TypaExePath().c_str(), (folder + "\\TYPA.EXE").c_str(), FALSE))
        throw DriverError("cannot copy TYPA.EXE into " + folder);
    if (helpSource && !CopyFileA(BesideExe(helpSource).c_str(), (folder + "\\" + helpName).c_str(), FALSE))
        throw DriverError(std::string("cannot copy ") + helpSource);
    return folder;
}

const std::string kMissingFile = "L'aide de Typarium ne peut pas \xEAtre affich\xE9"
                                 "e : le fichier ";
const std::string kMissingFileEnd = " est introuvable ou illisible.\nInstallez Typarium de nouveau pour le r\xE9tablir.";

// "Aide" of the options dialog, opened from the main window; the dialog is left open.
std::optional<Dialog> OptionsAide(Process& typa, HWND main)
{
    Command(main, mnuViewOptions);
    auto options = WaitForDialog(typa.Pid(), "Options", 60000);
    if (options) Answer(*options, "Aide");
    return options;
}

void CloseOptions(const Dialog& options)
{
    CHECK(IsVisible(options.wnd)); // "Aide" leaves the dialog open
    CHECK(Answer(options, "Annuler"));
    CHECK(WaitForWindowGone(options.wnd, 30000));
}

} // namespace

TEST_CASE("On Windows 10, F1 and \"Aide\" open TYPA.CHM in HTML Help, and the help ends with the program")
{
    ResetSettings(EmptyFontFolder());
    ReportedWindows windows("win10");
    Process typa;
    HWND main = StartAndWait(typa);
    REQUIRE(main);

    // "Aide" of a dialog first. The dialog's topic is in the file: HTML Help opens its window at
    // the page (a topic it does not know gives no window, which the program reports).
    auto options = OptionsAide(typa, main);
    REQUIRE(options);
    HWND help = WaitForHtmlHelp(typa.Pid());
    REQUIRE(help);
    CHECK(TitleOf(help) == "Aide de Typarium"); // the window type of TYPA.CHM
    CHECK(WindowPid(help) == typa.Pid());        // HTML Help runs inside the program
    CHECK(WinHelpWindow() == nullptr);
    CHECK_FALSE(ErrorBox(typa.Pid(), 3000));
    CloseOptions(*options);

    // The help outlives the dialog that asked for it, and F1 turns the same window to the
    // contents.
    CHECK(Settle(main));
    CHECK(HtmlHelpWindow(typa.Pid()) == help);
    CHECK(IsVisible(help));
    Key(main, VK_F1);
    CHECK(Settle(main));
    CHECK_FALSE(ErrorBox(typa.Pid(), 2000));
    CHECK(HtmlHelpWindow(typa.Pid()) == help);
    CHECK(IsVisible(help));

    // The help goes with the program, which frees hhctrl.ocx only after closing it: a clean
    // exit, code 0.
    CHECK(QuitByButton(typa, main) == std::optional<DWORD>(0));
    CHECK_FALSE(IsWindow(help));
    CHECK(WinHelpWindow() == nullptr);
}

TEST_CASE("Without winhlp32.exe in the Windows folder, an older Windows gets HTML Help too")
{
    ResetSettings(EmptyFontFolder());
    ReportedWindows windows("win7");
    WinHelpViewerHidden hidden;
    Process typa;
    HWND main = StartAndWait(typa);
    REQUIRE(main);

    Key(main, VK_F1);
    CHECK(WaitForHtmlHelp(typa.Pid()));
    CHECK_FALSE(ErrorBox(typa.Pid(), 2000));
    CHECK(WinHelpWindow() == nullptr);
    CHECK(QuitByButton(typa, main) == std::optional<DWORD>(0));
}

TEST_CASE("A help file that is missing or lacks the topic is said in a box that names it")
{
    ResetSettings(EmptyFontFolder());

    SUBCASE("no TYPA.CHM beside the program")
    {
        ReportedWindows windows("win10");
        const std::string folder = LoneProgram(nullptr, nullptr);
        Process typa;
        REQUIRE(typa.Start(folder + "\\TYPA.EXE"));
        HWND main = WaitUntilStarted(typa);
        REQUIRE(main);
        const std::string expected = kMissingFile + folder + "\\TYPA.CHM" + kMissingFileEnd;

        Key(main, VK_F1);
        auto box = ErrorBox(typa.Pid(), 60000);
        REQUIRE(box);
        CHECK(box->Text() == expected);
        CHECK(box->buttons == std::vector<std::string>{"OK"});
        CHECK(Answer(*box, "OK"));
        CHECK(WaitForWindowGone(box->wnd, 30000));

        auto options = OptionsAide(typa, main);
        REQUIRE(options);
        box = ErrorBox(typa.Pid(), 60000);
        REQUIRE(box);
        CHECK(box->Text() == expected);
        CHECK(Answer(*box, "OK"));
        CHECK(WaitForWindowGone(box->wnd, 30000));
        CloseOptions(*options);

        CHECK(HtmlHelpWindow(typa.Pid()) == nullptr);
        CHECK(QuitByButton(typa, main) == std::optional<DWORD>(0));
    }

    SUBCASE("a TYPA.CHM built without the context map")
    {
        ReportedWindows windows("win10");
        const std::string folder = LoneProgram("unmapped-help.chm", "TYPA.CHM");
        Process typa;
        REQUIRE(typa.Start(folder + "\\TYPA.EXE"));
        HWND main = WaitUntilStarted(typa);
        REQUIRE(main);

        // The contents need no map.
        Key(main, VK_F1);
        CHECK(WaitForHtmlHelp(typa.Pid()));
        CHECK_FALSE(ErrorBox(typa.Pid(), 2000));

        auto options = OptionsAide(typa, main);
        REQUIRE(options);
        auto box = ErrorBox(typa.Pid(), 60000);
        REQUIRE(box);
        CHECK(box->Text() == "L'aide de Typarium ne peut pas afficher la rubrique n\xB0 1010 : le fichier " + folder +
                                 "\\TYPA.CHM ne la contient pas ou ne peut pas \xEAtre lu.\nInstallez Typarium de "
                                 "nouveau pour le r\xE9tablir.");
        CHECK(Answer(*box, "OK"));
        CHECK(WaitForWindowGone(box->wnd, 30000));
        CloseOptions(*options);
        CHECK(QuitByButton(typa, main) == std::optional<DWORD>(0));
    }

    SUBCASE("no TYPA.HLP where WinHelp is the viewer: said at once, the viewer never asked")
    {
        ReportedWindows windows("winxp");
        const std::string folder = LoneProgram("TYPA.CHM", "TYPA.CHM"); // HTML Help's file is no stand-in
        Process typa;
        REQUIRE(typa.Start(folder + "\\TYPA.EXE"));
        HWND main = WaitUntilStarted(typa);
        REQUIRE(main);

        Key(main, VK_F1);
        auto box = ErrorBox(typa.Pid(), 60000);
        REQUIRE(box);
        CHECK(box->Text() == kMissingFile + folder + "\\TYPA.HLP" + kMissingFileEnd);
        CHECK(Answer(*box, "OK"));
        CHECK(WaitForWindowGone(box->wnd, 30000));
        CHECK(WinHelpWindow() == nullptr);
        CHECK(HtmlHelpWindow(typa.Pid()) == nullptr);
        CHECK(QuitByButton(typa, main) == std::optional<DWORD>(0));
    }
}
