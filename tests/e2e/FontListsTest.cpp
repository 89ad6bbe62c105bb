// Both font lists as a user sees them: the folder's fonts sorted on the left, the system's on the
// right, the status bar summing up the active side, damaged files reported one by one.
#include "support/TypaSession.h"
#include "res/Resource.h"
#include <doctest/doctest.h>

#include <algorithm>

using namespace typa::e2e;

namespace {

// A folder of its own with the demo folder's fonts (sub-folders flattened) and, optionally, one
// damaged file; the names of its *.TTF entries in the order the system lists them.
struct ScanFolder {
    std::string path;
    std::vector<std::string> order;

    explicit ScanFolder(const char* name, bool damaged)
    {
        path = BesideExe(name);
        CreateDirectoryA(path.c_str(), nullptr);
        for (const char* sub : {"", "\\Sans", "\\Mono", "\\Serif"}) {
            std::string from = DemoFontFolder() + sub;
            WIN32_FIND_DATAA fd;
            HANDLE h = FindFirstFileA((from + "\\*.TTF").c_str(), &fd);
            if (h == INVALID_HANDLE_VALUE) continue;
            do CopyFileA((from + "\\" + fd.cFileName).c_str(), (path + "\\" + fd.cFileName).c_str(), FALSE);
            while (FindNextFileA(h, &fd));
            FindClose(h);
        }
        if (damaged) {
            HANDLE f = CreateFileA((path + "\\Abime.ttf").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
            DWORD written;
            WriteFile(f, "\0\1\0\0\0\x20", 6, &written, nullptr); // cut inside the offset table
            CloseHandle(f);
        }
        WIN32_FIND_DATAA fd;
        HANDLE h = FindFirstFileA((path + "\\*.TTF").c_str(), &fd);
        if (h != INVALID_HANDLE_VALUE) {
            do order.emplace_back(fd.cFileName);
            while (FindNextFileA(h, &fd));
            FindClose(h);
        }
    }
    int GoodBefore(const std::string& file) const
    {
        auto it = std::find(order.begin(), order.end(), file);
        return static_cast<int>(it - order.begin());
    }
};

std::string StatusOf(HWND main) { return StatusText(ChildById(main, idStatusBar)); }

} // namespace

TEST_CASE("The folder's fonts and the system's fonts, with a status bar that sums them up")
{
    ScanFolder folder("scan-good", false);
    REQUIRE(folder.order.size() >= 4);
    ResetSettings(folder.path);
    Process typa;
    HWND main = StartAndWait(typa);
    REQUIRE(main);
    HWND available = ChildById(main, lbAvailableFonts);
    HWND installed = ChildById(main, lbInstalledFonts);

    auto rows = ListRows(available);
    CHECK(rows.size() == folder.order.size());
    CHECK(std::find(rows.begin(), rows.end(), "Lato Black") != rows.end());
    CHECK(std::is_sorted(rows.begin(), rows.end(), [](const std::string& a, const std::string& b) {
        return CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, a.c_str(), -1, b.c_str(), -1) == CSTR_LESS_THAN;
    }));
    const int installedCount = ListCount(installed);
    CHECK(installedCount > 10);
    auto installedRows = ListRows(installed);
    CHECK(std::find(installedRows.begin(), installedRows.end(), "DejaVu Sans") != installedRows.end());

    // The installed side is active at start: its count, then the free space of the Windows drive.
    const std::string start = StatusOf(main);
    const std::string head = " " + std::to_string(installedCount) + " police(s)   Espace libre sur le lecteur C : ";
    CHECK(start.substr(0, head.size()) == head);

    // A click on the folder's first row makes that side active and selects the row.
    auto rect = ListItemRect(available, 0);
    REQUIRE(rect);
    ClickAt(available, POINT{rect->left + 5, rect->top + 3});
    Settle(main);
    Click(ChildById(main, btFontMarkAll)); // select every row of the active side
    Settle(main);
    CHECK(ListSelection(available).size() == rows.size());
    // Selected counts only fonts that are not installed yet (fonts the host has are installed
    // under Wine too): "X des N police(s) sélectionnée(s), X non installée(s)   Taille : ...".
    const std::string all = StatusOf(main);
    const std::string n = std::to_string(rows.size());
    const std::string x = all.substr(0, all.find(' '));
    CHECK(std::atoi(x.c_str()) >= 1);
    CHECK(all.substr(0, (x + " des " + n + " police(s) sélectionnée(s), " + x + " non installée(s)   Taille : ").size()) ==
          x + " des " + n + " police(s) sélectionnée(s), " + x + " non installée(s)   Taille : ");
    CHECK(Text(ChildById(main, btFontMarkAll)) == "&Désélectionner tout");
    CHECK(IsEnabled(ChildById(main, btFontInstall)));
    CHECK_FALSE(IsEnabled(ChildById(main, btFontDelete)));

    CHECK(QuitByButton(typa, main) == std::optional<DWORD>(0));
}

TEST_CASE("A damaged file: the reader's message with the full path, then the scan's; Non stops")
{
    ScanFolder folder("scan-damaged", true);
    ResetSettings(folder.path);
    Process typa;
    REQUIRE(typa.StartTypa());

    // Oui to the reader's own message, then Non to the scan's question about the same file.
    auto first = WaitForDialog(typa.Pid(), "Erreur", 180000);
    REQUIRE(first);
    const std::string full = folder.path + "\\Abime.ttf";
    CHECK(first->Text() == "Le format du fichier " + full +
                               " n'est pas un format TrueType correct.\nRéclamez une nouvelle version de ce fichier à "
                               "votre fournisseur.\n\nSouhaitez-vous poursuivre ?");
    CHECK(first->buttons == std::vector<std::string>{"&Oui", "&Non"});
    Answer(*first, "&Oui");
    WaitForWindowGone(first->wnd);

    auto second = WaitForDialog(typa.Pid(), "Erreur", 60000);
    REQUIRE(second);
    CHECK(second->Text().find("Le format du fichier abime.ttf n'est pas") == 0);
    Answer(*second, "&Non");

    HWND main = nullptr;
    REQUIRE(WaitUntil([&] { return (main = FindTopLevel(typa.Pid(), "TfrmTYPA", "Typarium")) && IsVisible(main); }));
    REQUIRE(typa.WaitForIdle(180000));
    // Only the fonts the system listed before the damaged file.
    CHECK(ListCount(ChildById(main, lbAvailableFonts)) == folder.GoodBefore("Abime.ttf"));
    CHECK(QuitByButton(typa, main) == std::optional<DWORD>(0));
}

TEST_CASE("With only the name shown, a row is the font's own height plus 7 pixels")
{
    ScanFolder folder("scan-rows", false);
    ResetSettings(folder.path);
    SetDword(HKEY_CURRENT_USER, kTypaKey, "FontOptions", 1);
    Process typa;
    HWND main = StartAndWait(typa);
    REQUIRE(main);
    HWND available = ChildById(main, lbAvailableFonts);
    auto rows = ListRows(available);
    auto it = std::find(rows.begin(), rows.end(), "Hack Regular");
    REQUIRE(it != rows.end());
    const int row = static_cast<int>(it - rows.begin());

    // Measure the same face the same way, with its file loaded as the program loads it.
    const std::string file = folder.path + "\\Hack-Regular.TTF";
    REQUIRE(AddFontResourceA(file.c_str()) > 0);
    const int height = RowFontHeight("Hack Regular");
    RemoveFontResourceA(file.c_str());

    CHECK(ListItemHeight(available, row) == height + 7);
    CHECK(QuitByButton(typa, main) == std::optional<DWORD>(0));
}

TEST_CASE("Right clicks move or extend the selection")
{
    ScanFolder folder("scan-clicks", false);
    ResetSettings(folder.path);
    SetDword(HKEY_CURRENT_USER, kTypaKey, "FontOptions", 1); // short rows: many fit
    Process typa;
    HWND main = StartAndWait(typa);
    REQUIRE(main);
    HWND list = ChildById(main, lbAvailableFonts);
    REQUIRE(ListCount(list) >= 6);
    auto rowPoint = [&](int row) {
        auto r = ListItemRect(list, row);
        REQUIRE(r);
        return POINT{r->left + 10, (r->top + r->bottom) / 2};
    };

    ClickAt(list, rowPoint(0));
    Settle(main);
    CHECK(ListSelection(list) == std::vector<int>{0});
    RightClickAt(list, rowPoint(2)); // one row selected: the selection moves
    Settle(main);
    CHECK(ListSelection(list) == std::vector<int>{2});
    Send(list, LB_SETSEL, TRUE, 3);
    RightClickAt(list, rowPoint(5)); // two or more: the clicked row joins them
    Settle(main);
    CHECK(ListSelection(list) == std::vector<int>{2, 3, 5});

    CHECK(QuitByButton(typa, main) == std::optional<DWORD>(0));
}
