// The end-to-end driver proved against DriverTarget.exe, a small program of known content.
#include <doctest/doctest.h>

#include "support/Driver.h"

using namespace typa::e2e;
using typa::UniqueKernelHandle;

namespace {

constexpr int kIdList = 101;
constexpr int kIdTree = 102;
constexpr int kIdStatus = 103;
constexpr int kIdSlow = 105;

// A running DriverTarget.exe with its main window found and idle.
struct Target {
    Process process;
    HWND main = nullptr;
    HWND list = nullptr;
    HWND tree = nullptr;
    HWND status = nullptr;

    explicit Target(const std::string& args = {}, const EnvOverrides& env = {})
    {
        REQUIRE(process.Start(BesideExe("DriverTarget.exe"), args, env));
        main = WaitForWindow(process.Pid(), "DriverTargetWnd", nullptr);
        REQUIRE(main != nullptr);
        REQUIRE(Settle(main));
        list = ChildById(main, kIdList);
        tree = ChildById(main, kIdTree);
        status = ChildById(main, kIdStatus);
        REQUIRE(list != nullptr);
        REQUIRE(tree != nullptr);
        REQUIRE(status != nullptr);
    }

    std::optional<DWORD> CloseAndWait()
    {
        Close(main);
        return process.WaitForExit();
    }
};

// The title as the window manager holds it, read without a message to the target's thread.

} // namespace

TEST_CASE("paths and captions")
{
    CHECK(ExeFolder().back() != '\\');
    CHECK(GetFileAttributesA(BesideExe("DriverTarget.exe").c_str()) != INVALID_FILE_ATTRIBUTES);
    CHECK(TypaExePath() == ExeFolder() + "\\TYPA.EXE");
    CHECK(WinePath("/tmp/a b/c.ttf") == "Z:\\tmp\\a b\\c.ttf");
    CHECK(StripMnemonic("&Oui") == "Oui");
    CHECK(StripMnemonic("Sélectionner &tout") == "Sélectionner tout");
    CHECK(StripMnemonic("A&&B") == "A&B");
    CHECK(ToCp1252(L"Prêt \u2013 été\0reste") == "Prêt – été");
}

TEST_CASE("a process is started with arguments and environment, closed, and its exit code read")
{
    Target t("/titre=Fenêtre été", {{"DRIVER_TARGET_BASE", "40"}});
    CHECK(t.process.IsRunning());
    CHECK(Text(t.main) == "Fenêtre été");
    CHECK(FindTopLevel(t.process.Pid(), "drivertargetwnd", "Fenêtre été") == t.main);
    CHECK(FindTopLevel(t.process.Pid(), nullptr, "Autre titre") == nullptr);
    CHECK(FindTopLevel(t.process.Pid(), "#32770", nullptr) == nullptr);
    CHECK(WindowPid(t.main) == t.process.Pid());

    CHECK(t.CloseAndWait() == 40u);
    CHECK_FALSE(t.process.IsRunning());
    CHECK(WaitForWindowGone(t.main, 1000));
}

TEST_CASE("starting a missing program fails with its error; a running one ends with its owner")
{
    Process missing;
    CHECK_FALSE(missing.Start(BesideExe("NOSUCH.EXE")));
    CHECK(missing.LastError() == ERROR_FILE_NOT_FOUND);
    CHECK(missing.WaitForExit(0) == std::nullopt);

    UniqueKernelHandle watch;
    {
        Target t;
        watch.Reset(OpenProcess(SYNCHRONIZE, FALSE, t.process.Pid()));
        REQUIRE(watch);
    }
    CHECK(WaitForSingleObject(watch.Get(), 0) == WAIT_OBJECT_0);
}

TEST_CASE("controls are found by id, class and caption and their state is read")
{
    Target t;
    CHECK(ChildByClass(t.main, "ListBox") == t.list);
    CHECK(ChildByClass(t.main, "SysTreeView32") == t.tree);
    CHECK(ChildByClass(t.main, "Button", 2) == ChildByCaption(t.main, "Inactif"));
    CHECK(ChildByClass(t.main, "Button", 3) == nullptr);
    CHECK(ControlId(t.list) == kIdList);

    HWND ask = ChildByCaption(t.main, "Demander");
    REQUIRE(ask != nullptr);
    CHECK(ChildByCaption(t.main, "&Demander") == ask);
    CHECK(Text(ask) == "&Demander");
    CHECK(ClassName(ask) == "Button");
    CHECK(IsEnabled(ask));
    CHECK_FALSE(IsEnabled(ChildByCaption(t.main, "Inactif")));
    CHECK((Style(t.list) & LBS_EXTENDEDSEL) != 0);
    CHECK((ExStyle(t.main) & WS_EX_TOPMOST) == 0);
    RECT r = ClientRect(t.list);
    CHECK(r.right > 100);
    RECT w = WindowRect(t.main);
    CHECK(w.right - w.left == 440);

    CHECK(StatusText(t.status) == "Prêt – 4 polices");
    CHECK(t.CloseAndWait() == 0u);
}

TEST_CASE("list box rows, selection and geometry")
{
    Target t;
    CHECK(ListCount(t.list) == 4);
    CHECK(ListRows(t.list) ==
          std::vector<std::string>{"Arial", "Courier New", "Éléphant été", "Times New Roman"});
    CHECK(ListText(t.list, 2) == "Éléphant été");
    CHECK(ListText(t.list, 9).empty());
    CHECK(ListSelection(t.list) == std::vector<int>{1, 3});
    CHECK(ListIsSelected(t.list, 3));
    CHECK_FALSE(ListIsSelected(t.list, 0));
    CHECK(ListTopIndex(t.list) == 0);
    int height = ListItemHeight(t.list);
    CHECK(height > 8);
    auto row2 = ListItemRect(t.list, 2);
    REQUIRE(row2);
    CHECK(row2->top == 2 * height);
    CHECK(row2->bottom - row2->top == height);
    CHECK(ListItemRect(t.list, 9) == std::nullopt);
}

TEST_CASE("tree items in tree order, found by path, selected and expanded")
{
    Target t;
    auto items = TreeItems(t.tree);
    REQUIRE(items.size() == 6);
    CHECK(TreeCount(t.tree) == 6);
    struct Expected {
        const char* text;
        int level;
        bool expanded, selected, children;
        int image;
    };
    const Expected expected[] = {
        {"Groupes", 0, true, false, true, 0},           {"Polices système", 1, false, false, true, 1},
        {"Sans empattement", 2, false, false, false, 2}, {"Avec empattement", 2, false, false, false, 2},
        {"Mes polices", 1, false, true, false, 1},      {"Lecteurs", 0, false, false, false, 3},
    };
    for (size_t i = 0; i < items.size(); ++i) {
        CAPTURE(i);
        CHECK(items[i].text == expected[i].text);
        CHECK(items[i].level == expected[i].level);
        CHECK(items[i].expanded == expected[i].expanded);
        CHECK(items[i].selected == expected[i].selected);
        CHECK(items[i].hasChildren == expected[i].children);
        CHECK(items[i].image == expected[i].image);
        CHECK(items[i].selectedImage == expected[i].image + 10);
        CHECK(items[i].param == expected[i].image * 100);
    }

    auto sel = TreeSelection(t.tree);
    REQUIRE(sel);
    CHECK(sel->text == "Mes polices");
    CHECK(TreeFind(t.tree, {"Groupes", "Polices système", "Avec empattement"})->item == items[3].item);
    CHECK(TreeFind(t.tree, {"Lecteurs"})->item == items[5].item);
    CHECK(TreeFind(t.tree, {"Groupes", "Lecteurs"}) == std::nullopt);
    CHECK(TreeFind(t.tree, {"Mes polices"}) == std::nullopt);

    auto rect = TreeItemRect(t.tree, items[4].item);
    REQUIRE(rect);
    CHECK(rect->right > rect->left);
    CHECK(TreeItemRect(t.tree, items[2].item) == std::nullopt);  // inside a collapsed branch

    TreeSelect(t.tree, items[0].item);
    TreeExpand(t.tree, items[1].item);
    REQUIRE(Settle(t.tree));
    CHECK(TreeSelection(t.tree)->text == "Groupes");
    CHECK(TreeFind(t.tree, {"Groupes", "Polices système"})->expanded);
    CHECK(StatusText(t.status) == "Arbre changé");
}

TEST_CASE("Settle waits for a slow handler and for a modal box to open")
{
    Target t;
    Command(t.main, kIdSlow);
    CHECK(TitleOf(t.main) == "Cible du pilote");  // the handler is still asleep
    REQUIRE(Settle(t.main));
    CHECK(TitleOf(t.main) == "Terminé");

    // The box exists once the click is handled: its own loop took the marker.
    Click(ChildByCaption(t.main, "Demander"));
    REQUIRE(Settle(t.main));
    HWND box = FindTopLevel(t.process.Pid(), "#32770", "Confirmation");
    REQUIRE(box != nullptr);
    auto shown = WaitForDialog(t.process.Pid(), "Confirmation");
    REQUIRE(shown);
    CHECK(shown->wnd == box);
    CHECK(IsVisible(box));
}

TEST_CASE("probes measure inside the target once it has handled what was posted to it")
{
    Target t;
    Command(t.main, kIdSlow);
    CHECK(CountFontFamilies(t.main, "Liberation Mono") == 1); // four styles, one family
    CHECK(TitleOf(t.main) == "Terminé");             // the slow handler ran first
    CHECK(CountFontFamilies(t.main, "Aucune police ne porte ce nom") == 0);
    CHECK(CountFontFamilies(t.main, "", false) > 2);
    CHECK(CountGdiObjects(t.main) > 10); // stock objects, the window's fonts and brushes

    ProbeRequest redraw{};
    redraw.kind = ProbeKind::Redraw;
    redraw.window = t.list;
    auto painted = Probe(t.main, redraw);
    REQUIRE(painted);
    CHECK(painted->micros >= 0);

    ProbeRequest scroll{};
    scroll.kind = ProbeKind::ScrollTo;
    scroll.window = t.list;
    scroll.param = 0;
    auto scrolled = Probe(t.main, scroll);
    REQUIRE(scrolled);
    CHECK(scrolled->value == 0);
    CHECK(scrolled->micros >= 0);
    CHECK(t.CloseAndWait().has_value());
}

TEST_CASE("the question box is read and answered")
{
    struct Case {
        const char* press;
        DWORD exitCode;
        const char* status;
    };
    for (Case c : {Case{"&Oui", IDYES, "Oui"}, Case{"Non", IDNO, "Non"}, Case{"&Tout", 108, "Autre"}}) {
        CAPTURE(c.press);
        Target t;
        Click(ChildByCaption(t.main, "&Demander"));
        auto box = WaitForDialog(t.process.Pid(), "Confirmation");
        REQUIRE(box);
        CHECK(box->title == "Confirmation");
        CHECK(box->texts == std::vector<std::string>{"Le fichier « é.ttf » existe déjà.",
                                                     "Faut-il l'écraser ?"});
        CHECK(box->Text() == "Le fichier « é.ttf » existe déjà.\nFaut-il l'écraser ?");
        CHECK(box->buttons == std::vector<std::string>{"&Oui", "&Non", "&Tout"});
        CHECK_FALSE(Answer(*box, "Annuler"));
        CHECK(Answer(*box, c.press));
        CHECK(WaitForWindowGone(box->wnd));
        REQUIRE(Settle(t.main));
        CHECK(StatusText(t.status) == c.status);
        CHECK(t.CloseAndWait() == c.exitCode);
    }
}

TEST_CASE("a system message box is read and answered like the program's own")
{
    Target t;
    Click(ChildByCaption(t.main, "Message"));
    auto box = WaitForDialog(t.process.Pid(), "Erreur");
    REQUIRE(box);
    CHECK(box->Text() == "Une erreur est survenue.");
    CHECK(box->buttons == std::vector<std::string>{"OK", "Annuler"});
    CHECK(Answer(*box, "Annuler"));
    CHECK(WaitForWindowGone(box->wnd));
    CHECK(t.CloseAndWait() == static_cast<DWORD>(IDCANCEL));
}

TEST_CASE("mouse clicks select list rows")
{
    Target t;
    ClickAt(t.list, Centre(*ListItemRect(t.list, 0)));
    REQUIRE(Settle(t.list));
    CHECK(ListSelection(t.list) == std::vector<int>{0});
    CHECK(Focus(t.main) == t.list);

    ClickAt(t.list, Centre(*ListItemRect(t.list, 2)), kCtrl);
    REQUIRE(Settle(t.list));
    CHECK(ListSelection(t.list) == std::vector<int>{0, 2});

    ClickAt(t.list, Centre(*ListItemRect(t.list, 3)), kShift);
    REQUIRE(Settle(t.list));
    CHECK(ListSelection(t.list) == std::vector<int>{2, 3});

    ClickAt(t.list, Centre(*ListItemRect(t.list, 1)), kNoMod, true);
    REQUIRE(Settle(t.list));
    CHECK(ListSelection(t.list) == std::vector<int>{1});
    CHECK(StatusText(t.status) == "Double clic");

    RightClickAt(t.list, Centre(*ListItemRect(t.list, 1)));
    REQUIRE(Settle(t.list));
    CHECK(StatusText(t.status) == "Menu contextuel");
}

TEST_CASE("typed characters reach an edit field in the Windows code page")
{
    Target t;
    HWND edit = ChildByClass(t.main, "Edit");
    REQUIRE(edit != nullptr);
    Type(edit, "Été à 12€");
    REQUIRE(Settle(edit));
    CHECK(Text(edit) == "Été à 12€");
}

TEST_CASE("keys posted to a control, with and without modifiers")
{
    Target t;
    ClickAt(t.list, Centre(*ListItemRect(t.list, 0)));
    Key(t.list, VK_DOWN);
    REQUIRE(Settle(t.list));
    CHECK(ListSelection(t.list) == std::vector<int>{1});
    CHECK(ListCaret(t.list) == 1);

    Key(t.list, VK_DOWN, kShift);
    REQUIRE(Settle(t.list));
    CHECK(ListSelection(t.list) == std::vector<int>{1, 2});

    Key(t.list, 'K');
    REQUIRE(Settle(t.list));
    CHECK(StatusText(t.status) == "Prêt – 4 polices");  // no accelerator without Ctrl
    Key(t.list, 'K', kCtrl);
    REQUIRE(Settle(t.list));
    CHECK(StatusText(t.status) == "Ctrl+K");
    CHECK((GetKeyState(VK_CONTROL) & 0x8000) == 0);  // released again
}

TEST_CASE("real keyboard input reaches the focused control of the activated window")
{
    Target t;
    ClickAt(t.list, Centre(*ListItemRect(t.list, 0)));
    REQUIRE(Settle(t.list));
    CHECK(Activate(t.main));
    REQUIRE(SendKeys('K', kCtrl));
    REQUIRE(Settle(t.main));
    CHECK(StatusText(t.status) == "Ctrl+K");
}

TEST_CASE("a window that is gone answers nothing and fails loudly where it must")
{
    HWND list;
    {
        Target t;
        list = t.list;
        CHECK(t.CloseAndWait() == 0u);
    }
    CHECK(Text(list).empty());
    CHECK_THROWS_AS(ListCount(list), DriverError);
    CHECK_THROWS_AS(StatusText(list), DriverError);
    CHECK_THROWS_AS(Click(list), DriverError);
    CHECK_FALSE(Settle(list));
}

TEST_CASE("registry helpers round-trip every kind of value and delete whole trees")
{
    const char* key = "Software\\Orvane Media\\Typarium Driver Test";
    const std::string sub = std::string(key) + "\\Sous-clé\\Profonde";
    REQUIRE(DeleteKeyTree(HKEY_CURRENT_USER, key));
    CHECK_FALSE(KeyExists(HKEY_CURRENT_USER, key));
    CHECK(GetString(HKEY_CURRENT_USER, key, "Nom") == std::nullopt);

    CHECK(SetString(HKEY_CURRENT_USER, key, "Texte", "Échantillon été"));
    CHECK(SetDword(HKEY_CURRENT_USER, key, "Nombre", 0x8000001F));
    CHECK(SetBinary(HKEY_CURRENT_USER, sub.c_str(), "Octets", {0, 1, 0xFE, 0xFF}));
    CHECK(SetString(HKEY_CURRENT_USER, key, "Vide", ""));

    CHECK(KeyExists(HKEY_CURRENT_USER, sub.c_str()));
    CHECK(GetString(HKEY_CURRENT_USER, key, "Texte") == "Échantillon été");
    CHECK(GetString(HKEY_CURRENT_USER, key, "Vide") == "");
    CHECK(GetDword(HKEY_CURRENT_USER, key, "Nombre") == 0x8000001Fu);
    CHECK(GetBinary(HKEY_CURRENT_USER, sub.c_str(), "Octets") == std::vector<BYTE>{0, 1, 0xFE, 0xFF});
    CHECK(ValueExists(HKEY_CURRENT_USER, key, "Nombre"));
    CHECK_FALSE(ValueExists(HKEY_CURRENT_USER, key, "Absent"));
    // A value of another type is not that value.
    CHECK(GetDword(HKEY_CURRENT_USER, key, "Texte") == std::nullopt);
    CHECK(GetString(HKEY_CURRENT_USER, key, "Nombre") == std::nullopt);

    CHECK(DeleteKeyTree(HKEY_CURRENT_USER, key));
    CHECK_FALSE(KeyExists(HKEY_CURRENT_USER, sub.c_str()));
    CHECK_FALSE(KeyExists(HKEY_CURRENT_USER, key));
    CHECK(KeyExists(HKEY_CURRENT_USER, "Software"));
}
