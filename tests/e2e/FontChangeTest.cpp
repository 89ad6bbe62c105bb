// Other programs do not wait for Typarium: they install fonts (and announce it to every window)
// while it reads a folder, and the user's clicks queue up meanwhile. What a run walks stays as it
// is until the run ends; then the lists are brought up to date once.
#include "support/FontScene.h"
#include "res/Resource.h"
#include <doctest/doctest.h>

#include <algorithm>
#include <set>

using namespace typa::e2e;

namespace {

// What a program that has just added a font resource does: tell every top-level window.
void BroadcastFontChange()
{
    DWORD_PTR result = 0;
    SendMessageTimeoutA(HWND_BROADCAST, WM_FONTCHANGE, 0, 0, SMTO_ABORTIFHUNG, 2000, &result);
}

// F5 with the folder side active: the folder is read again, under the scan's progress dialog.
void ReadFolderAgain(HWND main)
{
    HWND available = ChildById(main, lbAvailableFonts);
    Send(main, WM_COMMAND, MAKEWPARAM(lbAvailableFonts, LBN_SETFOCUS), reinterpret_cast<LPARAM>(available));
    Post(main, WM_COMMAND, MAKEWPARAM(mnuViewActual, 0), 0);
}

std::string LotFolder()
{
    const std::string folder = BesideExe("font-change-500");
    CreateDirectoryA(folder.c_str(), nullptr);
    WriteFontCopies(folder, 500, "TYPACHG", "Typa Change", 3);
    return folder;
}

} // namespace

TEST_CASE("Font changes announced during the scan of 500 fonts: the list holds each of them once")
{
    ResetSettings(LotFolder());
    Process typa;
    HWND main = StartAndWait(typa);
    REQUIRE(main);
    HWND available = ChildById(main, lbAvailableFonts);
    REQUIRE(ListCount(available) == 500);

    ReadFolderAgain(main);
    REQUIRE(WaitUntil([&] { return ProgressDialog(typa.Pid()) != nullptr; }, 60000, 10));
    int announced = 0;
    while (ProgressDialog(typa.Pid())) {
        BroadcastFontChange();
        ++announced;
        Sleep(50);
    }
    CHECK(announced > 1);
    REQUIRE(RunOver(typa, main));
    const std::vector<std::string> rows = ListRows(available);
    CHECK(rows.size() == 500);
    CHECK(std::set<std::string>(rows.begin(), rows.end()).size() == rows.size());
    CHECK(std::is_sorted(rows.begin(), rows.end()));
    CHECK(QuitByButton(typa, main) == std::optional<DWORD>(0));
}

TEST_CASE("A click on a sub-folder queued during a scan: read once the scan is over, never inside it")
{
    const std::string folder = LotFolder();
    const std::string sub = folder + "\\Sous-dossier";
    CreateDirectoryA(sub.c_str(), nullptr);
    WriteFontCopies(sub, 3, "TYPASOUS", "Typa Sous", 1);
    ResetSettings(folder);
    Process typa;
    HWND main = StartAndWait(typa);
    REQUIRE(main);
    HWND available = ChildById(main, lbAvailableFonts);
    HWND folders = ChildById(main, twAvailableGroup);

    ReadFolderAgain(main);
    REQUIRE(WaitUntil([&] { return ProgressDialog(typa.Pid()) != nullptr; }, 60000, 10));
    auto node = TreeFind(folders, {TreeItems(folders).at(0).text, "Sous-dossier"});
    REQUIRE(node);
    TreeSelect(folders, node->item);
    Post(main, WM_COMMAND, MAKEWPARAM(twAvailableGroup, 0), 0); // what a click on the tree sends
    REQUIRE(RunOver(typa, main));
    // The sub-folder's three fonts and nothing else: the folder's scan ended first.
    CHECK(ListRows(available) == std::vector<std::string>{"Typa Sous 1", "Typa Sous 2", "Typa Sous 3"});
    auto selected = TreeSelection(folders);
    REQUIRE(selected);
    CHECK(selected->text == "Sous-dossier");
    CHECK(QuitByButton(typa, main) == std::optional<DWORD>(0));
}

TEST_CASE("A font change and F5 keep the installed list where the user scrolled it")
{
    ResetSettings(EmptyFontFolder());
    Process typa;
    HWND main = StartAndWait(typa);
    REQUIRE(main);
    HWND installed = ChildById(main, lbInstalledFonts);
    REQUIRE(ListCount(installed) > 20);
    Send(installed, LB_SETTOPINDEX, 12);
    REQUIRE(ListTopIndex(installed) == 12);
    BroadcastFontChange();
    REQUIRE(WaitUntilQuiet(typa, main));
    CHECK(ListTopIndex(installed) == 12);
    // F5 with the installed side active reads the installed fonts again, in the same place.
    Send(main, WM_COMMAND, MAKEWPARAM(lbInstalledFonts, LBN_SETFOCUS), reinterpret_cast<LPARAM>(installed));
    Post(main, WM_COMMAND, MAKEWPARAM(mnuViewActual, 0), 0);
    REQUIRE(WaitUntilQuiet(typa, main));
    CHECK(ListTopIndex(installed) == 12);
    CHECK(QuitByButton(typa, main) == std::optional<DWORD>(0));
}
