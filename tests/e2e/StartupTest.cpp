// Starting, handing over and ending TYPA.EXE as a user does, with the registry checked after.
#include "support/TypaSession.h"
#include "res/Resource.h"
#include <doctest/doctest.h>

#include <chrono>

using namespace typa::e2e;

namespace {
int Width(const RECT& r) { return r.right - r.left; }
int Height(const RECT& r) { return r.bottom - r.top; }

std::vector<BYTE> AppPosBytes(int l, int t, int r, int b)
{
    std::vector<BYTE> v;
    for (int x : {l, t, r, b})
        for (int i = 0; i < 4; ++i) v.push_back(static_cast<BYTE>(static_cast<unsigned>(x) >> (8 * i)));
    return v;
}

int MainWindows()
{
    int n = 0;
    for (HWND w = FindWindowExA(nullptr, nullptr, "TfrmTYPA", nullptr); w; w = FindWindowExA(nullptr, w, "TfrmTYPA", nullptr))
        ++n;
    return n;
}
} // namespace

TEST_CASE("Without FontPath: message 3017 alone, exit code 1, no main window")
{
    ResetSettings("");
    Process typa;
    REQUIRE(typa.StartTypa());
    auto box = WaitForDialog(typa.Pid(), "Erreur", 120000);
    REQUIRE(box);
    CHECK(box->Text() == "Typarium n'a pas été installé correctement !\nVeuillez résinstaller le programme puis le redémarrer.");
    CHECK(box->buttons == std::vector<std::string>{"OK"});
    HWND main = FindTopLevel(typa.Pid(), "TfrmTYPA", nullptr);
    CHECK((main == nullptr || !IsVisible(main)));
    CHECK(Answer(*box, "OK"));
    CHECK(typa.WaitForExit(60000) == std::optional<DWORD>(1));
}

TEST_CASE("A fresh user: 631 x 452 centred, defaults written back at the end")
{
    ResetSettings(EmptyFontFolder());
    Process typa;
    auto started = std::chrono::steady_clock::now();
    REQUIRE(typa.StartTypa());
    HWND main = nullptr;
    REQUIRE(WaitUntil([&] {
        main = FindTopLevel(typa.Pid(), "TfrmTYPA", "Typarium");
        return main && IsVisible(main);
    }, 180000, 10));
    auto visibleAfter = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - started);
    MESSAGE("main window visible after " << visibleAfter.count() << " ms");
    REQUIRE(typa.WaitForIdle(180000));

    RECT r = WindowRect(main);
    CHECK(Width(r) == 631);
    CHECK(Height(r) == 452);
    CHECK(r.left == (GetSystemMetrics(SM_CXSCREEN) - 631) / 2);
    CHECK(r.top == (GetSystemMetrics(SM_CYSCREEN) - 452) / 2);
    CHECK(KeyExists(HKEY_CURRENT_USER, kTypaKey)); // reading the settings created it

    // The frame a user sees.
    CHECK(Text(ChildById(main, GroupBoxAvailable)) == " CD-ROM ");
    CHECK(Text(ChildById(main, GroupBoxInstalled)) == " Système ");
    CHECK(Text(ChildById(main, GroupBoxGroups)) == " Gestion des groupes ");
    CHECK(Text(ChildById(main, btFontInstall)) == "&Installer >>");
    CHECK(IsVisible(ChildById(main, idToolbar)));
    CHECK(IsVisible(ChildById(main, idStatusBar)));

    CHECK(QuitByButton(typa, main) == std::optional<DWORD>(0));
    CHECK(GetDword(HKEY_CURRENT_USER, kTypaKey, "AppTools") == std::optional<DWORD>(31));
    CHECK(GetDword(HKEY_CURRENT_USER, kTypaKey, "TVAvailHeight") == std::optional<DWORD>(110));
    CHECK(GetDword(HKEY_CURRENT_USER, kTypaKey, "TVInstHeight") == std::optional<DWORD>(110));
    CHECK(GetBinary(HKEY_CURRENT_USER, kTypaKey, "AppPos") == AppPosBytes(r.left, r.top, r.right, r.bottom));
}

TEST_CASE("Saved settings: bars hidden by AppTools 8, the saved size restored")
{
    ResetSettings(EmptyFontFolder());
    SetDword(HKEY_CURRENT_USER, kTypaKey, "AppTools", 8 | 16);
    SetBinary(HKEY_CURRENT_USER, kTypaKey, "AppPos", AppPosBytes(100, 100, 900, 700));
    SetDword(HKEY_CURRENT_USER, kTypaKey, "TVInstHeight", 0);
    Process typa;
    HWND main = StartAndWait(typa);
    REQUIRE(main);
    CHECK_FALSE(IsVisible(ChildById(main, idToolbar)));
    CHECK_FALSE(IsVisible(ChildById(main, idStatusBar)));
    RECT work{};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    RECT r = WindowRect(main);
    CHECK(Width(r) == std::min<int>(800, work.right - work.left));
    CHECK(Height(r) == std::min<int>(600, work.bottom - work.top));
    CHECK(r.left == ((work.right - work.left) - Width(r)) / 2);
    CHECK(r.top == ((work.bottom - work.top) - Height(r)) / 2);

    CHECK(QuitByButton(typa, main) == std::optional<DWORD>(0));
    CHECK(GetDword(HKEY_CURRENT_USER, kTypaKey, "AppTools") == std::optional<DWORD>(8 | 16));
    CHECK(GetDword(HKEY_CURRENT_USER, kTypaKey, "TVInstHeight") == std::optional<DWORD>(0));
}

TEST_CASE("One instance per program file: a second start hands over, a renamed copy does not")
{
    ResetSettings(EmptyFontFolder());
    Process first;
    HWND main = StartAndWait(first);
    REQUIRE(main);

    Process second;
    REQUIRE(second.StartTypa());
    CHECK(second.WaitForExit(120000) == std::optional<DWORD>(0));
    CHECK(MainWindows() == 1);
    CHECK(IsVisible(main));

    // Hidden by its close box, the first comes back when started again.
    Close(main);
    REQUIRE(WaitUntil([&] { return !IsVisible(main); }));
    CHECK(first.IsRunning());
    Process third;
    REQUIRE(third.StartTypa());
    CHECK(third.WaitForExit(120000) == std::optional<DWORD>(0));
    CHECK(WaitUntil([&] { return IsVisible(main); }));

    // A copy under another name is another program.
    const std::string copy = BesideExe("TYPACOPY.EXE");
    REQUIRE(CopyFileA(TypaExePath().c_str(), copy.c_str(), FALSE));
    Process other;
    REQUIRE(other.Start(copy));
    HWND otherMain = nullptr;
    CHECK(WaitUntil([&] {
        otherMain = FindTopLevel(other.Pid(), "TfrmTYPA", "Typarium");
        return otherMain && IsVisible(otherMain);
    }, 180000));
    CHECK(MainWindows() == 2);
    if (otherMain) {
        other.WaitForIdle(180000);
        CHECK(QuitByButton(other, otherMain) == std::optional<DWORD>(0));
    }
    DeleteFileA(copy.c_str());

    CHECK(QuitByButton(first, main) == std::optional<DWORD>(0));
}

TEST_CASE("Logging off ends the program cleanly with the settings saved")
{
    ResetSettings(EmptyFontFolder());
    Process typa;
    HWND main = StartAndWait(typa);
    REQUIRE(main);
    CHECK(Send(main, WM_QUERYENDSESSION, 0, 0) == TRUE);
    Post(main, WM_ENDSESSION, TRUE, 0);
    CHECK(typa.WaitForExit(60000) == std::optional<DWORD>(0));
    CHECK(GetDword(HKEY_CURRENT_USER, kTypaKey, "AppTools") == std::optional<DWORD>(31));
}

TEST_CASE("Windows NT 3.51 is refused with message 3001 and exit code 1")
{
    ResetSettings(EmptyFontFolder());
    // Wine reports the version a program asks for through its per-program defaults.
    const char* appDefaults = "Software\\Wine\\AppDefaults\\TYPA.EXE";
    REQUIRE(SetString(HKEY_CURRENT_USER, appDefaults, "Version", "nt351"));
    Process typa;
    REQUIRE(typa.StartTypa());
    auto box = WaitForDialog(typa.Pid(), "Erreur", 120000);
    DeleteKeyTree(HKEY_CURRENT_USER, appDefaults);
    REQUIRE(box);
    CHECK(box->Text() == "Typarium fonctionne uniquement sous Windows 95 ou Windows NT 4.0 (ou version sup.).");
    CHECK(box->buttons == std::vector<std::string>{"OK"});
    Answer(*box, "OK");
    CHECK(typa.WaitForExit(60000) == std::optional<DWORD>(1));
}
