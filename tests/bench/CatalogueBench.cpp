// Prints how long TYPA.EXE's own code takes to scan a folder of 3,000 font files and to build the
// catalogue of the fonts installed in this (Wine) system. Figures only: no pass or fail.
//   CatalogueBench.exe [folder for the generated fonts]
#include "app/ErrorBox.h"
#include "fonts/FolderScan.h"
#include "fonts/InstalledFonts.h"
#include "support/TrueTypeWriter.h"

#include <windows.h>
#include <chrono>
#include <cstdio>
#include <string>

using namespace typa;
using Clock = std::chrono::steady_clock;

namespace {

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

} // namespace

int main(int argc, char** argv)
{
    const std::string folder = argc > 1 ? argv[1] : "bench-3000";
    const int files = 3000;
    CreateDirectoryA(folder.c_str(), nullptr);
    for (int i = 0; i < files; ++i) {
        std::string family = "Bench Family " + std::to_string(i / 4);
        std::string style = (i % 4 == 0) ? "Regular" : (i % 4 == 1) ? "Bold" : (i % 4 == 2) ? "Italic" : "Bold Italic";
        std::string path = folder + "\\BENCH" + std::to_string(i) + ".TTF";
        if (GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES)
            WriteFileBytes(path, test::SimpleFont(U16(family), U16(style), U16(family + " " + style)));
    }

    ScriptedBoxes noBoxes; // a benchmark answers nothing; any box would be a fault and is counted
    FontCatalogue available(FontCatalogue::Order::SortedUnique);
    auto t0 = Clock::now();
    bool completed = ScanFontFolder(folder, available);
    double scanMs = Ms(t0);
    std::printf("folder scan: %d files, %d fonts listed, completed=%d, %.0f ms (%.2f ms/file), boxes=%u\n", files,
                available.Count(), completed ? 1 : 0, scanMs, scanMs / files,
                static_cast<unsigned>(noBoxes.Boxes().size()));

    NameList families(false);
    FontCatalogue installed(FontCatalogue::Order::AsAdded);
    HDC dc = GetDC(nullptr);
    t0 = Clock::now();
    BuildInstalledCatalogue(dc, families, installed, nullptr);
    double buildMs = Ms(t0);
    ReleaseDC(nullptr, dc);
    int withFamily = 0;
    for (int i = 0; i < installed.Count(); ++i) withFamily += installed.Item(i)->Family != "*";
    std::printf("installed catalogue: %d fonts (%d with family), %d TrueType families, %.0f ms (%.2f ms/font)\n",
                installed.Count(), withFamily, families.Count(), buildMs, buildMs / std::max(1, installed.Count()));
    return 0;
}
