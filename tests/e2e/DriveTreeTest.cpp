// The drive tree as a user meets it: the font folder's sub-folders in the locale's order, listed
// one level at a time, F5 reading the folder again, a folder that has gone.
#include "support/TypaSession.h"
#include "res/Resource.h"
#include <doctest/doctest.h>

#include <windows.h>

using namespace typa::e2e;

namespace {

void RemoveTree(const std::string& path)
{
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA((path + "\\*").c_str(), &fd);
    if (h != INVALID_HANDLE_VALUE) {
        do {
            std::string name = fd.cFileName;
            if (name == "." || name == "..") continue;
            std::string full = path + "\\" + name;
            if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveTree(full);
            else
                DeleteFileA(full.c_str());
        } while (FindNextFileA(h, &fd));
        FindClose(h);
    }
    RemoveDirectoryA(path.c_str());
}

std::vector<std::string> Children(HWND tree, int level)
{
    std::vector<std::string> out;
    for (const TreeItem& item : TreeItems(tree))
        if (item.level == level) out.push_back(item.text);
    return out;
}

void ClickNode(HWND tree, const std::vector<std::string>& path)
{
    auto node = TreeFind(tree, path);
    REQUIRE(node);
    ClickAt(tree, Centre(*TreeItemRect(tree, node->item)));
}

} // namespace

TEST_CASE("Sub-folders in the locale's order, one level at a time; F5 reads the folder again; Ctrl+A in the list")
{
    const std::string folder = BesideExe("drive-tree");
    RemoveTree(folder);
    CreateDirectoryA(folder.c_str(), nullptr);
    for (const char* sub : {"beta", "Zeta", "éclair", "Alpha", "Alpha\\Intérieur"})
        CreateDirectoryA((folder + "\\" + sub).c_str(), nullptr);
    const std::string sans = DemoFontFolder() + "\\Sans\\";
    REQUIRE(CopyFileA((sans + "Lato-Regular.TTF").c_str(), (folder + "\\Lato-Regular.TTF").c_str(), FALSE));
    REQUIRE(CopyFileA((sans + "OpenSans-Regular.TTF").c_str(), (folder + "\\Alpha\\OpenSans-Regular.TTF").c_str(), FALSE));
    REQUIRE(CopyFileA((sans + "OpenSans-Bold.TTF").c_str(), (folder + "\\Alpha\\OpenSans-Bold.TTF").c_str(), FALSE));

    ResetSettings(folder);
    Process typa;
    HWND main = StartAndWait(typa);
    REQUIRE(main);
    HWND tree = ChildById(main, twAvailableGroup);
    HWND list = ChildById(main, lbAvailableFonts);

    // The first read lists the folder's own sub-folders, sorted, the root expanded.
    auto items = TreeItems(tree);
    REQUIRE(items.size() == 5);
    CHECK(items[0].expanded);
    CHECK(Children(tree, 1) == std::vector<std::string>{"Alpha", "beta", "éclair", "Zeta"});
    CHECK(ListCount(list) == 1);
    const std::string root = items[0].text;

    // Choosing a sub-folder lists its own sub-folders and reads its fonts.
    ClickNode(tree, {root, "Alpha"});
    // The read shows its progress for two seconds at least, and answers questions meanwhile.
    REQUIRE(WaitUntilQuiet(typa, main));
    CHECK(Children(tree, 2) == std::vector<std::string>{"Intérieur"});
    CHECK(ListCount(list) == 2);

    // Ctrl+A in the list selects every row, then none.
    Key(list, 'A', kCtrl);
    Settle(main);
    CHECK(ListSelection(list) == std::vector<int>{0, 1});
    Key(list, 'A', kCtrl);
    Settle(main);
    CHECK(ListSelection(list).empty());

    // F5 in the drive tree builds it again and reads the font folder itself, new files included.
    REQUIRE(CopyFileA((sans + "Lato-Bold.TTF").c_str(), (folder + "\\Lato-Bold.TTF").c_str(), FALSE));
    Key(tree, VK_F5);
    Settle(main);
    CHECK(WaitUntil([&] { return ListCount(list) == 2; }, 60000));
    CHECK(Children(tree, 1) == std::vector<std::string>{"Alpha", "beta", "éclair", "Zeta"});
    CHECK(Children(tree, 2).empty());
    CHECK(TreeSelection(tree)->level == 0);

    CHECK(QuitByButton(typa, main) == std::optional<DWORD>(0));
    RemoveTree(folder);
}

TEST_CASE("A font folder that has gone: message 3009 with its path, then an empty list")
{
    const std::string folder = BesideExe("gone-fonts");
    RemoveTree(folder);
    ResetSettings(folder);
    Process typa;
    REQUIRE(typa.StartTypa());
    auto box = WaitForDialog(typa.Pid(), "Erreur", 180000);
    REQUIRE(box);
    CHECK(box->Text() == "Le dossier " + folder + "\\ n'existe plus. Veuillez contrôler le dossier de polices défini...");
    Answer(*box, "OK");
    REQUIRE(WaitForWindowGone(box->wnd, 60000));
    HWND main = WaitForWindow(typa.Pid(), "TfrmTYPA", "Typarium", 180000);
    REQUIRE(main);
    // Whatever the folder read says next, it is answered and the list stays empty.
    while (auto next = WaitForDialog(typa.Pid(), nullptr, 5000)) {
        MESSAGE("then: " << next->title << ": " << next->Text());
        Answer(*next, next->buttons.empty() ? "OK" : next->buttons.back());
        WaitForWindowGone(next->wnd, 60000);
    }
    Settle(main);
    CHECK(ListCount(ChildById(main, lbAvailableFonts)) == 0);
    CHECK(QuitByButton(typa, main) == std::optional<DWORD>(0));
}
