// The one way into the program's help: which viewer is chosen, HTML Help driven for real on the
// built TYPA.CHM (hhctrl.ocx loaded into this process, its windows counted), a missing file never
// handed to a viewer, and the boxes that say why help cannot be shown.
#include <doctest/doctest.h>

#include "app/Application.h"
#include "app/ErrorBox.h"
#include "platform/Handles.h"
#include "platform/Help.h"
#include "platform/System.h"

#include <string>
#include <vector>

using namespace typa;
using sys::HelpResult;
using sys::HelpViewer;
using sys::ProgramHelp;

namespace {

// TYPA.CHM and TYPA.HLP lie beside the test programs, in build\bin.
std::string BuiltHelpBase() { return sys::FolderOf(sys::ModuleFileName()) + "TYPA"; }
std::string MissingHelpBase() { return sys::FolderOf(sys::ModuleFileName()) + "no-such-folder\\TYPA"; }

BOOL CALLBACK CollectHtmlHelpWindow(HWND wnd, LPARAM found)
{
    DWORD pid = 0;
    GetWindowThreadProcessId(wnd, &pid);
    char cls[32] = {};
    GetClassNameA(wnd, cls, sizeof cls);
    if (pid == GetCurrentProcessId() && std::string(cls) == "HH Parent")
        reinterpret_cast<std::vector<HWND>*>(found)->push_back(wnd);
    return TRUE;
}

// HTML Help's windows of this process.
std::vector<HWND> HtmlHelpWindows()
{
    std::vector<HWND> found;
    EnumWindows(CollectHtmlHelpWindow, reinterpret_cast<LPARAM>(&found));
    return found;
}

// A window of this process that owns the help, as a program's window would.
struct Owner {
    HWND wnd = CreateWindowExA(0, "STATIC", "HelpTest", WS_OVERLAPPED, 0, 0, 100, 100, nullptr, nullptr,
                               GetModuleHandleA(nullptr), nullptr);
    ~Owner() { DestroyWindow(wnd); }
};

// The program's help for one scope, as the entry point sets it up.
struct ProgramScope {
    explicit ProgramScope(ProgramHelp& help) { App().help = &help; }
    ~ProgramScope() { App().help = nullptr; }
};

} // namespace

TEST_SUITE("help viewer")
{
    TEST_CASE("WinHelp only where its viewer is there and Windows is older than 10")
    {
        CHECK(sys::ChooseHelpViewer(true, 5) == HelpViewer::WinHelp);  // XP, the viewer shipped
        CHECK(sys::ChooseHelpViewer(true, 6) == HelpViewer::WinHelp);  // Vista to 8.1, viewer added
        CHECK(sys::ChooseHelpViewer(false, 6) == HelpViewer::HtmlHelp); // Vista to 8.1 without it
        CHECK(sys::ChooseHelpViewer(true, 10) == HelpViewer::HtmlHelp); // 10 and 11: a stub only
        CHECK(sys::ChooseHelpViewer(false, 10) == HelpViewer::HtmlHelp);
        CHECK(sys::ChooseHelpViewer(false, 0) == HelpViewer::HtmlHelp); // version unknown, no viewer
    }

    TEST_CASE("each viewer reads its own file beside the program")
    {
        ProgramHelp win(BuiltHelpBase(), HelpViewer::WinHelp);
        ProgramHelp html(BuiltHelpBase(), HelpViewer::HtmlHelp);
        CHECK(win.File() == BuiltHelpBase() + ".HLP");
        CHECK(html.File() == BuiltHelpBase() + ".CHM");
        CHECK(std::string(win.ViewerFile()) == "winhlp32.exe");
        CHECK(std::string(html.ViewerFile()) == "hhctrl.ocx");
        CHECK(GetFileAttributesA(html.File().c_str()) != INVALID_FILE_ATTRIBUTES);
    }

    TEST_CASE("a file that is missing or cannot be read is never handed to a viewer")
    {
        // WinHelpA on a missing file would wait on the viewer's question for ever: reaching the
        // checks at all shows it was not called.
        Owner owner;
        for (HelpViewer viewer : {HelpViewer::WinHelp, HelpViewer::HtmlHelp}) {
            ProgramHelp help(MissingHelpBase(), viewer);
            CHECK(help.ShowContents(owner.wnd) == HelpResult::FileMissing);
            CHECK(help.ShowTopic(owner.wnd, 1010) == HelpResult::FileMissing);
        }
        // A folder under the help file's name is no help file either.
        const std::string folder = sys::FolderOf(sys::ModuleFileName()) + "help-test-folder";
        CreateDirectoryA((folder + ".CHM").c_str(), nullptr);
        ProgramHelp help(folder, HelpViewer::HtmlHelp);
        CHECK(help.ShowTopic(owner.wnd, 1010) == HelpResult::FileMissing);
        RemoveDirectoryA((folder + ".CHM").c_str());

        // Nor is one that another program holds open for itself: it cannot be read.
        const std::string locked = sys::FolderOf(sys::ModuleFileName()) + "help-test-locked";
        REQUIRE(CopyFileA((BuiltHelpBase() + ".CHM").c_str(), (locked + ".CHM").c_str(), FALSE));
        {
            UniqueFile holder(CreateFileA((locked + ".CHM").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                          FILE_ATTRIBUTE_NORMAL, nullptr));
            REQUIRE(holder);
            ProgramHelp held(locked, HelpViewer::HtmlHelp);
            CHECK(held.ShowTopic(owner.wnd, 1010) == HelpResult::FileMissing);
        }
        ProgramHelp released(locked, HelpViewer::HtmlHelp);
        CHECK(released.ShowTopic(owner.wnd, 1010) == HelpResult::Shown);
        released.Close(owner.wnd);
        DeleteFileA((locked + ".CHM").c_str());
        CHECK(HtmlHelpWindows().empty());
    }

    TEST_CASE("HTML Help opens the contents and every dialog's topic, refuses an unknown one, and closes")
    {
        Owner owner;
        ProgramHelp help(BuiltHelpBase(), HelpViewer::HtmlHelp);
        REQUIRE(HtmlHelpWindows().empty());

        CHECK(help.ShowContents(owner.wnd) == HelpResult::Shown);
        REQUIRE(HtmlHelpWindows().size() == 1);
        const HWND window = HtmlHelpWindows().front();
        for (DWORD context : {1000u, 1010u, 1030u, 1050u, 90u, 11u}) {
            CAPTURE(context);
            CHECK(help.ShowTopic(owner.wnd, context) == HelpResult::Shown);
            CHECK(HtmlHelpWindows() == std::vector<HWND>{window}); // one window, turned to the page
        }
        CHECK(help.ShowTopic(owner.wnd, 4242) == HelpResult::TopicMissing);

        CHECK(help.ShowTopic(owner.wnd, 1010) == HelpResult::Shown);
        CHECK(HtmlHelpWindows().size() == 1);
        help.Close(owner.wnd);
        CHECK(HtmlHelpWindows().empty());
    }

    TEST_CASE("help left open is closed before its module goes")
    {
        Owner owner;
        {
            ProgramHelp help(BuiltHelpBase(), HelpViewer::HtmlHelp);
            CHECK(help.ShowTopic(owner.wnd, 1050) == HelpResult::Shown);
            CHECK(HtmlHelpWindows().size() == 1);
        }
        CHECK(HtmlHelpWindows().empty());
        // Messages for a window whose code had gone would end this process here.
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
        // A later run of the help loads the module again.
        ProgramHelp again(BuiltHelpBase(), HelpViewer::HtmlHelp);
        CHECK(again.ShowContents(owner.wnd) == HelpResult::Shown);
        again.Close(owner.wnd);
        CHECK(HtmlHelpWindows().empty());
    }
}

TEST_SUITE("the program's help boxes")
{
    TEST_CASE("a missing file is named in message 3050")
    {
        Owner owner;
        for (HelpViewer viewer : {HelpViewer::WinHelp, HelpViewer::HtmlHelp}) {
            ProgramHelp help(MissingHelpBase(), viewer);
            ProgramScope scope(help);
            ScriptedBoxes boxes;
            ShowHelpContents(owner.wnd);
            ShowHelpTopic(owner.wnd, 1010);
            REQUIRE(boxes.Boxes().size() == 2);
            for (const RecordedBox& box : boxes.Boxes()) {
                CHECK(box.text == "L'aide de Typarium ne peut pas \xEAtre affich\xE9" "e : le fichier " + help.File() +
                                      " est introuvable ou illisible.\nInstallez Typarium de nouveau pour le "
                                      "r\xE9tablir.");
                CHECK(box.kind == MsgKind::Error);
                CHECK(box.buttons == MsgButton::OK);
            }
        }
    }

    TEST_CASE("an unknown topic is named with its file in message 3051; a shown one says nothing")
    {
        Owner owner;
        ProgramHelp help(BuiltHelpBase(), HelpViewer::HtmlHelp);
        ProgramScope scope(help);
        ScriptedBoxes boxes;
        ShowHelpTopic(owner.wnd, 1010);
        ShowHelpContents(owner.wnd);
        CHECK(boxes.Boxes().empty());
        ShowHelpTopic(owner.wnd, 4242);
        REQUIRE(boxes.Boxes().size() == 1);
        CHECK(boxes.Boxes()[0].text == "L'aide de Typarium ne peut pas afficher la rubrique n\xB0 4242 : le fichier " +
                                           help.File() +
                                           " ne la contient pas ou ne peut pas \xEAtre lu.\nInstallez Typarium de "
                                           "nouveau pour le r\xE9tablir.");
        CloseHelp(owner.wnd);
        CHECK(HtmlHelpWindows().empty());
    }

    TEST_CASE("without the program's help, nothing is shown and nothing asked")
    {
        Owner owner;
        ScriptedBoxes boxes;
        ShowHelpContents(owner.wnd);
        ShowHelpTopic(owner.wnd, 1010);
        CloseHelp(owner.wnd);
        CHECK(boxes.Boxes().empty());
        CHECK(HtmlHelpWindows().empty());
    }
}
