// The installed list with 2,000 fonts and every display line, driven from outside as a user would:
// start-up beside the floor of a minimal window program, how long filling the list takes (every
// row measured and added), how long one screenful takes to draw and one page to scroll, 50
// refreshes with the GDI objects and private bytes the program holds before and after them, and
// how soon the lists show a font installed, then removed, by another program. Figures only:
// nothing here passes or fails on time.
//   ListBench.exe   TYPA_BENCH_FONTS=n    fonts installed (2,000 by default)
//                   TYPA_BENCH_STYLES=4   in families of four styles (default: one each)
//                   TYPA_BENCH_FOLDER=dir the font folder on the left (default: an empty one)
//                   TYPA_BENCH_STARTS=n   start-ups timed (5 by default)
//                   TYPA_BENCH_REFRESHES=n refreshes timed (50 by default)
// The first start-up is made with nothing remembered of an earlier run; the others find what
// the one before them learnt of the installed fonts.
// It installs its fonts into the prefix it runs in ("Typa Banc 0001"...: a small font that comes
// with Wine under names of its own); use a throw-away prefix.
#include "support/TypaSession.h"
#include "res/Resource.h"
#include <doctest/doctest.h>

#include <windows.h>
#include <shlobj.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <numeric>
#include <vector>

using namespace typa::e2e;
using Clock = std::chrono::steady_clock;

namespace {

constexpr const char* kSystemFonts = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Fonts";

void DeleteKeyValue(HKEY root, const char* key, const char* name)
{
    HKEY k;
    if (RegOpenKeyExA(root, key, 0, KEY_SET_VALUE, &k) != ERROR_SUCCESS) return;
    RegDeleteValueA(k, name);
    RegCloseKey(k);
}

double Ms(Clock::time_point from) { return std::chrono::duration<double, std::milli>(Clock::now() - from).count(); }

// Copies of one font, each under a family of its own, in the Windows fonts folder and named in
// the system's font list, as an installation leaves them.
void InstallBenchFonts(int count, bool families)
{
    char windows[MAX_PATH];
    REQUIRE(GetWindowsDirectoryA(windows, MAX_PATH) > 0);
    const std::string fonts = std::string(windows) + "\\Fonts";
    for (const FontCopy& copy : families ? WriteFontFamilies(fonts, count, "TF", "Typa Famille", 4)
                                         : WriteFontCopies(fonts, count, "TB", "Typa Banc", 4))
        SetString(HKEY_LOCAL_MACHINE, kSystemFonts, (copy.family + " (TrueType)").c_str(), copy.file);
}

// The program's private bytes (memory committed for it alone), in KB: the private regions of its
// address space added up (Wine's process counters leave them out); -1 when unknown.
long long PrivateKb(HANDLE process)
{
    long long bytes = 0;
    MEMORY_BASIC_INFORMATION info{};
    for (auto at = static_cast<const char*>(nullptr);
         VirtualQueryEx(process, at, &info, sizeof info) == sizeof info; at = static_cast<const char*>(info.BaseAddress) + info.RegionSize) {
        if (info.State == MEM_COMMIT && info.Type == MEM_PRIVATE) bytes += static_cast<long long>(info.RegionSize);
        if (info.RegionSize == 0) break;
    }
    return bytes > 0 ? bytes / 1024 : -1;
}

struct Figures {
    std::vector<double> ms;
    void Add(double v) { ms.push_back(v); }
    double Median() const
    {
        std::vector<double> s = ms;
        std::sort(s.begin(), s.end());
        return s.empty() ? 0 : s[s.size() / 2];
    }
    double Mean() const { return ms.empty() ? 0 : std::accumulate(ms.begin(), ms.end(), 0.0) / static_cast<double>(ms.size()); }
    double Max() const { return ms.empty() ? 0 : *std::max_element(ms.begin(), ms.end()); }
    double Min() const { return ms.empty() ? 0 : *std::min_element(ms.begin(), ms.end()); }
};

} // namespace

TEST_CASE("Installed list benchmark")
{
    const char* env = std::getenv("TYPA_BENCH_FONTS");
    const int wanted = env ? std::max(1, std::atoi(env)) : 2000;
    const char* styles = std::getenv("TYPA_BENCH_STYLES");
    const bool families = styles && std::atoi(styles) == 4;
    const char* folderEnv = std::getenv("TYPA_BENCH_FOLDER");
    const std::string folder = folderEnv && *folderEnv ? folderEnv : EmptyFontFolder();
    auto t = Clock::now();
    // What a run ended half-way may have left of the font installed below.
    DeleteKeyValue(HKEY_LOCAL_MACHINE, kSystemFonts, "Typa Nouvelle 1 (TrueType)");
    InstallBenchFonts(wanted, families);
    std::printf("bench fonts installed into the prefix: %d%s (%.0f ms)\n", wanted,
                families ? " in families of four" : ", a family each", Ms(t));

    const char* startsEnv = std::getenv("TYPA_BENCH_STARTS");
    const int kStarts = startsEnv ? std::max(1, std::atoi(startsEnv)) : 5;
    {
        char local[MAX_PATH] = {};
        REQUIRE(SUCCEEDED(SHGetFolderPathA(nullptr, CSIDL_LOCAL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, local)));
        DeleteFileA((std::string(local) + "\\Typarium\\Polices installees.dat").c_str());
    }

    // The floor: a minimal program of one window, started in the same prefix (so with the same
    // fonts for Wine to load), until its window shows and answers.
    Figures floor;
    for (int i = 0; i < kStarts; ++i) {
        t = Clock::now();
        Process window;
        REQUIRE(window.Start(BesideExe("FloorWindow.exe")));
        HWND shown = nullptr;
        REQUIRE(WaitUntil([&] { return (shown = FindTopLevel(window.Pid(), "TypaFloorWindow", nullptr)) && IsVisible(shown); },
                          600000, 2));
        Send(shown, WM_NULL, 0, 0, 600000);
        floor.Add(Ms(t));
        Close(shown);
        REQUIRE(window.WaitForExit(60000));
    }

    // Start-up: from the process's start until its window shows and its installed list, asked
    // as soon as the window is there, answers with every row (the list is filled before the
    // program takes any message). The last start is kept for what follows.
    Figures startup;
    Process typa;
    HWND main = nullptr, list = nullptr;
    int rows = 0;
    for (int i = 0; i < kStarts; ++i) {
        if (i > 0) REQUIRE(QuitByButton(typa, main) == std::optional<DWORD>(0));
        ResetSettings(folder);
        DeleteKeyTree(HKEY_CURRENT_USER, (std::string(kTypaKey) + "\\Groups").c_str());
        t = Clock::now();
        typa = Process();
        REQUIRE(typa.StartTypa());
        REQUIRE(WaitUntil([&] { return (main = FindTopLevel(typa.Pid(), "TfrmTYPA", nullptr)) && IsVisible(main); },
                          1800000, 2));
        list = ChildById(main, lbInstalledFonts);
        REQUIRE(WaitUntil([&] { return (rows = static_cast<int>(Send(list, LB_GETCOUNT, 0, 0, 1800000))) >= wanted; },
                          1800000, 2));
        startup.Add(Ms(t));
        REQUIRE(WaitUntilQuiet(typa, main, 1800000));
    }
    std::printf("start-up until the installed list holds its %d rows: median %.0f ms (min %.0f, max %.0f over %d); "
                "floor, a window of a minimal program: median %.0f ms (min %.0f); above the floor: %.0f ms\n",
                rows, startup.Median(), startup.Min(), startup.Max(), kStarts, floor.Median(), floor.Min(),
                startup.Median() - floor.Median());
    std::printf("first start-up (nothing remembered of an earlier run): %.0f ms\n", startup.ms.front());
    HWND tree = ChildById(main, twInstalledGroup);
    const int gdiAtStart = CountGdiObjects(main, 120000);

    // The installed side becomes the active one, as a click on the list makes it.
    ClickAt(list, Centre(*ListItemRect(list, 0)));
    REQUIRE(Settle(main, 120000));

    // Filling alone: choosing a node of the group tree fills the list from the catalogue in memory
    // (the fonts belong to no group: the root empties it, "Polices Windows" fills it again).
    auto root = TreeFind(tree, {"Polices installées"});
    auto windows = TreeFind(tree, {"Polices installées", "Polices Windows"});
    REQUIRE(root);
    REQUIRE(windows);
    Figures fill;
    for (int i = 0; i < 5; ++i) {
        Send(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(root->item), 600000);
        t = Clock::now();
        Send(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(windows->item), 600000);
        fill.Add(Ms(t));
        REQUIRE(ListCount(list) >= wanted);
    }
    std::printf("fill (%d rows measured and added, group chosen in the tree): median %.0f ms, %.2f ms per row\n",
                ListCount(list), fill.Median(), fill.Median() / ListCount(list));

    // One screenful, painted at once from inside the program.
    const int perPage = std::max(1, static_cast<int>(ClientRect(list).bottom / std::max(1, ListItemHeight(list, 0))));
    // Milliseconds the list takes inside the program for one probe (a redraw, or a scroll to a row).
    auto timed = [&](ProbeKind kind, int top) {
        ProbeRequest request{};
        request.kind = kind;
        request.window = list;
        request.param = top;
        auto answer = Probe(main, request, true, 120000);
        REQUIRE(answer);
        return answer->micros / 1000.0;
    };
    Figures draw;
    for (int i = 0; i < 10; ++i) draw.Add(timed(ProbeKind::Redraw, 0));
    std::printf("draw one screenful (%d row(s) of %d px, all display lines): median %.1f ms, max %.1f ms\n",
                perPage + 1, ListItemHeight(list, 0), draw.Median(), draw.Max());

    // Scrolling page by page, then to the last row and back to the first.
    Figures scroll;
    for (int top = perPage, n = 0; n < 30 && top < rows; top += perPage, ++n) scroll.Add(timed(ProbeKind::ScrollTo, top));
    Figures jump;
    for (int top : {rows - 1, 0}) jump.Add(timed(ProbeKind::ScrollTo, top));
    std::printf("scroll one page and paint it: mean %.1f ms, max %.1f ms over %zu pages; to the end and back: %.1f, %.1f ms\n",
                scroll.Mean(), scroll.Max(), scroll.ms.size(), jump.ms[0], jump.ms[1]);

    // Refreshes: the catalogue read again and the list filled again, 50 times.
    const int gdiBefore = CountGdiObjects(main, 120000);
    const long long privateBefore = PrivateKb(typa.Handle());
    Figures refresh;
    int gdiAfterFirst = -1;
    const char* refreshesEnv = std::getenv("TYPA_BENCH_REFRESHES");
    const int refreshes = refreshesEnv ? std::max(1, std::atoi(refreshesEnv)) : 50;
    std::string privateAlong;
    for (int i = 0; i < refreshes; ++i) {
        t = Clock::now();
        Send(main, WM_COMMAND, MAKEWPARAM(mnuViewActual, 0), 0, 600000);
        refresh.Add(Ms(t));
        if (i == 0) gdiAfterFirst = CountGdiObjects(main, 120000);
        if ((i + 1) % 10 == 0) privateAlong += " " + std::to_string(PrivateKb(typa.Handle()));
    }
    REQUIRE(Settle(main, 120000));
    const int gdiAfter = CountGdiObjects(main, 120000);
    const long long privateAfter = PrivateKb(typa.Handle());
    std::printf("refresh (catalogue read again, list brought up to it): median %.0f ms, max %.0f ms over %zu\n",
                refresh.Median(), refresh.Max(), refresh.ms.size());
    std::printf("GDI objects held: %d at start, %d before the refreshes, %d after the first, %d after %d\n",
                gdiAtStart, gdiBefore, gdiAfterFirst, gdiAfter, refreshes);
    const int folderRows = ListCount(ChildById(main, lbAvailableFonts));
    std::printf("private bytes: %lld KB with %d fonts installed and %d in the folder (%.1f KB per font); "
                "%lld KB after %d refreshes\n",
                privateBefore, rows, folderRows, static_cast<double>(privateBefore) / std::max(1, rows + folderRows),
                privateAfter, refreshes);
    std::printf("private KB every 10 refreshes:%s\n", privateAlong.c_str());

    // Another program installs one font, and then removes it: how soon the lists are current.
    {
        char windows[MAX_PATH];
        REQUIRE(GetWindowsDirectoryA(windows, MAX_PATH) > 0);
        const std::string fonts = std::string(windows) + "\\Fonts";
        const FontCopy extra = WriteFontCopies(fonts, 1, "TYPAPLUS", "Typa Nouvelle", 1).front();
        const std::string path = fonts + "\\" + extra.file;
        REQUIRE(AddFontResourceA(path.c_str()) > 0);
        SetString(HKEY_LOCAL_MACHINE, kSystemFonts, (extra.family + " (TrueType)").c_str(), extra.file);
        t = Clock::now();
        DWORD_PTR result = 0;
        SendMessageTimeoutA(HWND_BROADCAST, WM_FONTCHANGE, 0, 0, SMTO_ABORTIFHUNG, 600000, &result);
        REQUIRE(WaitUntil([&] { return ListCount(list) == rows + 1; }, 600000, 2));
        const double installMs = Ms(t);
        DeleteKeyValue(HKEY_LOCAL_MACHINE, kSystemFonts, (extra.family + " (TrueType)").c_str());
        RemoveFontResourceA(path.c_str());
        t = Clock::now();
        SendMessageTimeoutA(HWND_BROADCAST, WM_FONTCHANGE, 0, 0, SMTO_ABORTIFHUNG, 600000, &result);
        REQUIRE(WaitUntil([&] { return ListCount(list) == rows; }, 600000, 2));
        const double removeMs = Ms(t);
        DeleteFileA(path.c_str());
        std::printf("lists current after another program installed one font: %.0f ms; after it removed it: %.0f ms\n",
                    installMs, removeMs);
    }
    std::fflush(stdout);

    CHECK(QuitByButton(typa, main) == std::optional<DWORD>(0));
}
