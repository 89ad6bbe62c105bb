// Many fonts in, many fonts out, through the real program: the time to install and to remove 200
// fonts, then 20 cycles of 50 fonts after which the program holds no more handles than after the
// first and the registry holds exactly the fonts that are installed. Prints its figures.
#include "support/TrueTypeWriter.h"
#include "support/TypaSession.h"
#include "res/Resource.h"
#include <doctest/doctest.h>

#include <cstdio>
#include <fstream>
#include <sstream>

using namespace typa::e2e;
namespace tt = typa::test;

namespace {

const char* kSystemFonts = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Fonts";
const char* kGroups = "Software\\Orvane Media\\Typarium\\GroupsNew";
constexpr const char* kPrefix = "Typa Cycle ";

std::string FontsFolder()
{
    char buf[MAX_PATH] = {};
    GetWindowsDirectoryA(buf, MAX_PATH);
    return std::string(buf) + "\\Fonts";
}

std::uint32_t Be32(const std::string& b, std::size_t at)
{
    return (std::uint32_t(std::uint8_t(b[at])) << 24) | (std::uint32_t(std::uint8_t(b[at + 1])) << 16) |
           (std::uint32_t(std::uint8_t(b[at + 2])) << 8) | std::uint8_t(b[at + 3]);
}

// A real font (the demo Hack Regular) under new names, so that each copy is a font of its own.
tt::Bytes Renamed(const std::string& font, const std::string& name)
{
    tt::TrueTypeWriter w;
    const unsigned tables = (std::uint8_t(font[4]) << 8) | std::uint8_t(font[5]);
    for (unsigned i = 0; i < tables; ++i) {
        const std::size_t record = 12 + 16 * i;
        std::string tag = font.substr(record, 4);
        if (tag == "name") continue;
        const std::uint32_t offset = Be32(font, record + 8), length = Be32(font, record + 12);
        w.Add(tag, tt::Bytes(font.begin() + offset, font.begin() + offset + length));
    }
    std::u16string wide(name.begin(), name.end());
    std::u16string ps = wide;
    for (char16_t& c : ps)
        if (c == u' ') c = u'-';
    w.Add("name", tt::NameTable({tt::MsName(1, wide), tt::MsName(2, u"Regular"), tt::MsName(4, wide), tt::MsName(6, ps)}));
    return w.Build();
}

std::string Name(int i)
{
    char buf[32];
    std::snprintf(buf, sizeof buf, "%s%03d", kPrefix, i);
    return buf;
}

// The fonts' folder: n renamed copies, files typacyNNN.ttf.
std::string MakeFolder(const char* folderName, int n)
{
    std::ifstream in(DemoFontFolder() + "\\Mono\\Hack-Regular.TTF", std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    const std::string hack = s.str();
    REQUIRE(hack.size() > 1000);
    std::string folder = BesideExe(folderName);
    CreateDirectoryA(folder.c_str(), nullptr);
    for (int i = 0; i < n; ++i) {
        char file[32];
        std::snprintf(file, sizeof file, "\\typacy%03d.ttf", i);
        tt::Bytes bytes = Renamed(hack, Name(i));
        std::ofstream(folder + file, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                              static_cast<std::streamsize>(bytes.size()));
    }
    return folder;
}

// System font values of the test's fonts.
int SystemValues()
{
    int count = 0;
    HKEY k;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kSystemFonts, 0, KEY_READ, &k) != ERROR_SUCCESS) return -1;
    char name[512];
    for (DWORD i = 0;; ++i) {
        DWORD size = sizeof name;
        if (RegEnumValueA(k, i, name, &size, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        if (std::string(name).rfind(kPrefix, 0) == 0) ++count;
    }
    RegCloseKey(k);
    return count;
}

void CleanUp(int n)
{
    for (int i = 0; i < n; ++i) {
        char file[32];
        std::snprintf(file, sizeof file, "\\Typacy%03d.ttf", i);
        DeleteFileA((FontsFolder() + file).c_str());
        HKEY k;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kSystemFonts, 0, KEY_ALL_ACCESS, &k) == ERROR_SUCCESS) {
            RegDeleteValueA(k, (Name(i) + " (TrueType)").c_str());
            RegCloseKey(k);
        }
    }
    char trash[MAX_PATH] = {};
    GetEnvironmentVariableA("XDG_DATA_HOME", trash, MAX_PATH);
    for (const char* sub : {"files", "info"}) {
        const std::string folder = WinePath(std::string(trash) + "/Trash/") + sub;
        WIN32_FIND_DATAA fd;
        HANDLE h = FindFirstFileA((folder + "\\Typacy*").c_str(), &fd);
        if (h == INVALID_HANDLE_VALUE) continue;
        do DeleteFileA((folder + "\\" + fd.cFileName).c_str());
        while (FindNextFileA(h, &fd));
        FindClose(h);
    }
}

// Open handles of another process, found by duplicating every possible handle value.
int HandleCount(HANDLE process)
{
    int count = 0;
    for (ULONG_PTR v = 4; v < 0x4000; v += 4) {
        HANDLE dup = nullptr;
        if (DuplicateHandle(process, reinterpret_cast<HANDLE>(v), GetCurrentProcess(), &dup, 0, FALSE,
                            DUPLICATE_SAME_ACCESS)) {
            ++count;
            CloseHandle(dup);
        }
    }
    return count;
}

void SelectAll(HWND list)
{
    Send(list, LB_SETSEL, TRUE, -1);
    HWND main = GetAncestor(list, GA_ROOT);
    Send(main, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(list), LBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
}

// Installs every font of the available list into "Cycle" (the first target after "Polices
// installées": "Cycle" sorts before "Polices Windows") and removes them again; seconds of each.
std::pair<double, double> Cycle(Process& typa, HWND main, int n)
{
    HWND available = ChildById(main, lbAvailableFonts);
    HWND installed = ChildById(main, lbInstalledFonts);
    SelectGroup(main, "Polices Windows");
    SelectAll(available);
    DWORD start = GetTickCount();
    Command(main, kInstallToGroupBase + 0);
    REQUIRE(RunOver(typa, main, 900000));
    const double install = (GetTickCount() - start) / 1000.0;
    CHECK(SystemValues() == n);

    SelectGroup(main, "Cycle");
    REQUIRE(ListCount(installed) == n);
    SelectAll(installed);
    start = GetTickCount();
    Command(main, btFontDelete);
    auto box = WaitForDialog(typa.Pid(), "Confirmer la suppression", 120000);
    REQUIRE(box);
    const DWORD asked = GetTickCount();
    Answer(*box, "Oui");
    REQUIRE(RunOver(typa, main, 900000));
    const double remove = (GetTickCount() - asked + (asked - start)) / 1000.0;
    CHECK(SystemValues() == 0);
    CHECK(ListCount(installed) == 0);
    return {install, remove};
}

} // namespace

TEST_CASE("200 fonts in and out, then 20 cycles of 50: figures, handles and the registry")
{
    CleanUp(200);
    SetString(HKEY_CURRENT_USER, (std::string(kGroups) + "\\Cycle").c_str(), "", "");
    {
        ResetSettings(MakeFolder("cycle-200", 200));
        SetString(HKEY_CURRENT_USER, (std::string(kGroups) + "\\Cycle").c_str(), "", "");
        Process typa;
        HWND main = StartAndWait(typa);
        REQUIRE(main);
        REQUIRE(ListCount(ChildById(main, lbAvailableFonts)) == 200);
        auto [install, remove] = Cycle(typa, main, 200);
        MESSAGE("200 fonts: installed in " << install << " s, removed in " << remove << " s (lists refreshed included)");
        CHECK(QuitByButton(typa, main) == std::optional<DWORD>(0));
    }
    CleanUp(200);

    ResetSettings(MakeFolder("cycle-50", 50));
    SetString(HKEY_CURRENT_USER, (std::string(kGroups) + "\\Cycle").c_str(), "", "");
    Process typa;
    HWND main = StartAndWait(typa);
    REQUIRE(main);
    REQUIRE(ListCount(ChildById(main, lbAvailableFonts)) == 50);
    const int atStart = HandleCount(typa.Handle());
    int afterFirst = 0;
    double installTotal = 0, removeTotal = 0;
    for (int cycle = 1; cycle <= 20; ++cycle) {
        INFO("cycle " << cycle);
        auto [install, remove] = Cycle(typa, main, 50);
        installTotal += install;
        removeTotal += remove;
        if (cycle == 1) afterFirst = HandleCount(typa.Handle());
    }
    const int afterLast = HandleCount(typa.Handle());
    MESSAGE("20 cycles of 50 fonts: install " << installTotal / 20 << " s, remove " << removeTotal / 20
                                              << " s per cycle; program handles " << atStart << " at start, "
                                              << afterFirst << " after cycle 1, " << afterLast << " after cycle 20");
    CHECK(afterLast <= afterFirst);
    CHECK(SystemValues() == 0);
    CHECK(QuitByButton(typa, main) == std::optional<DWORD>(0));
    CleanUp(50);
    DeleteKeyTree(HKEY_CURRENT_USER, (std::string(kGroups) + "\\Cycle").c_str());
}
