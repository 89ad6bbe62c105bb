// Prints how long TYPA.EXE's own code takes to scan a folder of font files and to build the
// catalogue of the fonts installed in this (Wine) system. Figures only: no pass or fail.
//   CatalogueBench.exe [folder]            3,000 generated fonts written into folder (bench-3000),
//                                          scanned once, then the installed catalogue built
//   CatalogueBench.exe --make folder       only writes the 3,000 generated fonts
//   CatalogueBench.exe --scan folder [N]   scans a folder as it is, N times (3 by default)
//   CatalogueBench.exe --installed [N]     builds the installed catalogue N times (5 by default),
//                                          then times its steps one by one, then the build of a
//                                          refresh, which remembers what the last one learnt
// Scan times leave out the wait that holds a quick scan's dialog up for two seconds.
#include "app/ErrorBox.h"
#include "fonts/FolderScan.h"
#include "fonts/InstalledFonts.h"
#include "fonts/InstalledMemory.h"
#include "platform/Registry.h"
#include "support/TrueTypeWriter.h"
#include "ui/DlgProgress.h"
#include "ui/RunDialogs.h"

#include <windows.h>
#include <commctrl.h>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

using namespace typa;
using Clock = std::chrono::steady_clock;

namespace {

constexpr int kGeneratedFiles = 3000;

double Ms(Clock::time_point from) { return std::chrono::duration<double, std::milli>(Clock::now() - from).count(); }

bool WriteFileBytes(const std::string& path, const test::Bytes& bytes)
{
    HANDLE f = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (f == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    bool ok = WriteFile(f, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) && written == bytes.size();
    CloseHandle(f);
    return ok;
}

std::u16string U16(const std::string& s) { return std::u16string(s.begin(), s.end()); }

// Four styles to a family, as a folder of real families has them.
void MakeFonts(const std::string& folder)
{
    CreateDirectoryA(folder.c_str(), nullptr);
    for (int i = 0; i < kGeneratedFiles; ++i) {
        std::string family = "Bench Family " + std::to_string(i / 4);
        std::string style = (i % 4 == 0) ? "Regular" : (i % 4 == 1) ? "Bold" : (i % 4 == 2) ? "Italic" : "Bold Italic";
        std::string path = folder + "\\BENCH" + std::to_string(i) + ".TTF";
        if (GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES)
            WriteFileBytes(path, test::SimpleFont(U16(family), U16(style), U16(family + " " + style)));
    }
}

// In TYPA.EXE a scan never opens the process's first dialog: the main window's controls and the
// progress of the installed fonts have set up the common controls and the dialog font before.
void AsInTypa()
{
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_WIN95_CLASSES};
    InitCommonControlsEx(&icc);
    TDlgProgress first(nullptr);
    ProgressOpen(first, nullptr, "", false);
    ProgressClose(first);
}

// One scan into a new catalogue; prints its figures and gives its time without the hold.
double ScanOnce(const std::string& folder, const char* label)
{
    // A benchmark answers "&Oui" to every damaged file so that the scan goes on; every box is counted.
    ScriptedBoxes boxes;
    for (int i = 0; i < 70000; ++i) boxes.Answer(MsgResult::Yes);
    const int files = CountFolderFiles(folder, "*.TTF", kCountedAttributes);
    FontCatalogue available(FontCatalogue::Order::SortedUnique);
    DWORD held = 0;
    auto t0 = Clock::now();
    TRunDialogs dialogs(nullptr);
    bool completed = ScanFontFolder(folder, available, dialogs, &held);
    const double ms = Ms(t0) - held;
    std::printf("%s: %d files, %d fonts listed, completed=%d, %.0f ms (%.3f ms/file; held %lu ms more), boxes=%u\n",
                label, files, available.Count(), completed ? 1 : 0, ms, ms / std::max(1, files),
                static_cast<unsigned long>(held), static_cast<unsigned>(boxes.Boxes().size()));
    std::fflush(stdout);
    return ms;
}

void BuildInstalled()
{
    NameList families(false);
    FontCatalogue installed(FontCatalogue::Order::AsAdded);
    HDC dc = GetDC(nullptr);
    auto t0 = Clock::now();
    BuildInstalledCatalogue(dc, families, installed, nullptr);
    double buildMs = Ms(t0);
    ReleaseDC(nullptr, dc);
    int withFamily = 0;
    for (int i = 0; i < installed.Count(); ++i) withFamily += installed.Item(i)->Family != "*";
    std::printf("installed catalogue: %d fonts (%d with family), %d TrueType families, %.0f ms (%.2f ms/font)\n",
                installed.Count(), withFamily, families.Count(), buildMs, buildMs / std::max(1, installed.Count()));
}

// The steps of the build one by one: where its time goes.
void InstalledSteps()
{
    NameList families(false);
    FontCatalogue installed(FontCatalogue::Order::AsAdded);
    HDC dc = GetDC(nullptr);
    auto t = Clock::now();
    ReadTrueTypeFamilies(dc, families);
    const double familiesMs = Ms(t);
    t = Clock::now();
    AddSystemFonts(families, installed);
    const double systemMs = Ms(t);
    t = Clock::now();
    ReadFacesOfFamilies(dc, families, installed, nullptr);
    const double facesMs = Ms(t);
    t = Clock::now();
    ReadFontGroups(installed);
    const double groupsMs = Ms(t);
    ReleaseDC(nullptr, dc);
    std::printf("steps: families %.0f ms (%d), system font values read and listed %.0f ms (%d fonts), "
                "faces of each family %.0f ms, groups %.0f ms\n",
                familiesMs, families.Count(), systemMs, installed.Count(), facesMs, groupsMs);
}

// A refresh's build: what the build before learnt is remembered, nothing changed meanwhile. Its
// parts: the fonts folder listed with its files' stamps, the whole build, then its reading of
// the registry alone.
void RememberingBuild()
{
    char windows[MAX_PATH] = {};
    GetWindowsDirectoryA(windows, MAX_PATH);
    const std::string fontsDir = std::string(windows) + "\\FONTS";
    TInstalledMemory memory;
    HDC dc = GetDC(nullptr);
    double folderMs = 0, buildMs = 1e300;
    InstalledBuildStats stats;
    for (int round = 0; round < 4; ++round) {
        NameList families(false), files(true);
        FontCatalogue installed(FontCatalogue::Order::AsAdded);
        FolderStamps stamps;
        auto t = Clock::now();
        ReadFontsFolderFiles(fontsDir, files, &stamps);
        if (round > 0) folderMs = round == 1 ? Ms(t) : std::min(folderMs, Ms(t));
        InstalledSources sources;
        sources.memory = &memory;
        sources.fontsFolder = &stamps;
        sources.fontsDir = fontsDir;
        sources.stats = &stats;
        t = Clock::now();
        BuildInstalledCatalogue(dc, families, installed, nullptr, sources);
        if (round > 0) buildMs = std::min(buildMs, Ms(t));
    }
    ReleaseDC(nullptr, dc);
    double registryMs = 1e300;
    for (int round = 0; round < 3; ++round) {
        auto t = Clock::now();
        const auto system = reg::ReadAllValues(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Fonts");
        registryMs = std::min(registryMs, Ms(t));
    }
    std::printf("refresh build (%d remembered, %d learnt): fonts folder listed %.0f ms, catalogue %.0f ms, "
                "of which the registry's values %.0f ms\n",
                stats.remembered, stats.learnt, folderMs, buildMs, registryMs);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc >= 3 && !std::strcmp(argv[1], "--make")) {
        MakeFonts(argv[2]);
        return 0;
    }
    if (argc >= 3 && !std::strcmp(argv[1], "--scan")) {
        const int rounds = argc > 3 ? std::max(1, std::atoi(argv[3])) : 3;
        AsInTypa();
        double best = 1e300;
        for (int r = 0; r < rounds; ++r)
            best = std::min(best, ScanOnce(argv[2], ("scan round " + std::to_string(r + 1)).c_str()));
        std::printf("scan best: %.0f ms\n", best);
        return 0;
    }
    if (argc >= 2 && !std::strcmp(argv[1], "--installed")) {
        const int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;
        for (int r = 0; r < rounds; ++r) BuildInstalled();
        InstalledSteps();
        RememberingBuild();
        return 0;
    }
    const std::string folder = argc > 1 ? argv[1] : "bench-3000";
    MakeFonts(folder);
    ScanOnce(folder, "folder scan");
    BuildInstalled();
    return 0;
}
