#include "support/TypaSession.h"
#include "support/TrueTypeWriter.h"
#include "res/Resource.h"

#include <algorithm>
#include <fstream>
#include <iterator>

namespace typa::e2e {

std::string EmptyFontFolder()
{
    std::string folder = BesideExe("empty-fonts");
    CreateDirectoryA(folder.c_str(), nullptr);
    return folder;
}

std::string DemoFontFolder()
{
    // build\bin\..\demo-fonts
    std::string bin = ExeFolder();
    return bin.substr(0, bin.find_last_of('\\')) + "\\demo-fonts";
}

namespace {

// 4 KB, and there wherever Wine is.
const typa::test::Bytes& WineFont()
{
    static const typa::test::Bytes bytes = [] {
        std::ifstream in(WinePath("/usr/share/wine/fonts/webdings.ttf"), std::ios::binary);
        return typa::test::Bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }();
    if (bytes.empty()) throw DriverError("Wine's webdings.ttf cannot be read");
    return bytes;
}

std::u16string Wide(const std::string& ascii) { return std::u16string(ascii.begin(), ascii.end()); }

} // namespace

void WriteRenamedWineFont(const std::string& path, const std::string& family, const std::string& style,
                          const std::string& fullName)
{
    const typa::test::Bytes font = typa::test::Renamed(WineFont(), Wide(family), Wide(style), Wide(fullName));
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(font.data()), static_cast<std::streamsize>(font.size()));
    if (font.empty() || !out) throw DriverError("cannot write " + path);
}

std::vector<FontCopy> WriteFontCopies(const std::string& folder, int count, const std::string& filePrefix,
                                      const std::string& familyPrefix, int digits)
{
    std::vector<FontCopy> copies;
    for (int i = 1; i <= count; ++i) {
        std::string number = std::to_string(i);
        number.insert(0, static_cast<std::size_t>(std::max(0, digits - static_cast<int>(number.size()))), '0');
        FontCopy copy{filePrefix + number + ".TTF", familyPrefix + " " + number};
        const std::string path = folder + "\\" + copy.file;
        if (GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES)
            WriteRenamedWineFont(path, copy.family, "Regular", copy.family);
        copies.push_back(std::move(copy));
    }
    return copies;
}

std::vector<FontCopy> WriteFontFamilies(const std::string& folder, int count, const std::string& filePrefix,
                                        const std::string& familyPrefix, int digits)
{
    static const char* const kStyles[4] = {"Regular", "Bold", "Italic", "Bold Italic"};
    static const std::uint16_t kWeights[4] = {400, 700, 400, 700};
    static const std::uint16_t kSelections[4] = {0x0040, 0x0020, 0x0001, 0x0021};
    auto padded = [&](int n) {
        std::string s = std::to_string(n);
        s.insert(0, static_cast<std::size_t>(std::max(0, digits - static_cast<int>(s.size()))), '0');
        return s;
    };
    std::vector<FontCopy> copies;
    for (int i = 1; i <= count; ++i) {
        const int style = (i - 1) % 4;
        const std::string family = familyPrefix + " " + padded((i + 3) / 4);
        const std::string full = family + " " + kStyles[style];
        FontCopy copy{filePrefix + padded(i) + ".TTF", full};
        const std::string path = folder + "\\" + copy.file;
        if (GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES) {
            const typa::test::Bytes font = typa::test::WithStyle(
                typa::test::Renamed(WineFont(), Wide(family), Wide(kStyles[style]), Wide(full)), kWeights[style],
                kSelections[style]);
            std::ofstream out(path, std::ios::binary);
            out.write(reinterpret_cast<const char*>(font.data()), static_cast<std::streamsize>(font.size()));
            if (font.empty() || !out) throw DriverError("cannot write " + path);
        }
        copies.push_back(std::move(copy));
    }
    return copies;
}

void ResetSettings(const std::string& fontPath)
{
    DeleteKeyTree(HKEY_CURRENT_USER, kTypaKey);
    DeleteKeyTree(HKEY_LOCAL_MACHINE, kMachineKey);
    if (!fontPath.empty()) SetString(HKEY_LOCAL_MACHINE, kMachineKey, "FontPath", fontPath);
}

HWND StartAndWait(Process& typa, DWORD timeoutMs)
{
    return typa.StartTypa() ? WaitUntilStarted(typa, timeoutMs) : nullptr;
}

HWND WaitUntilStarted(Process& typa, DWORD timeoutMs)
{
    HWND main = nullptr;
    // By class alone: reading the caption sends a message, which waits while the start-up
    // loads the installed fonts without taking messages, longer than a driver call waits.
    WaitUntil([&] {
        main = FindTopLevel(typa.Pid(), "TfrmTYPA", nullptr);
        return main && IsVisible(main);
    }, timeoutMs, 50);
    if (!main || !IsVisible(main)) return nullptr;
    // The lists are filled after the window shows.
    return WaitUntilQuiet(typa, main, timeoutMs) ? main : nullptr;
}

bool WaitUntilQuiet(Process& typa, HWND main, DWORD timeoutMs)
{
    // A long operation lets messages through while its progress dialog is up, so an idle loop
    // alone is no sign of the end.
    auto finished = [&] {
        if (!typa.WaitForIdle(timeoutMs) || !IsEnabled(main)) return false;
        for (HWND w : TopLevelWindows(typa.Pid()))
            if (w != main && IsVisible(w) && ClassName(w) == "#32770") return false;
        return true;
    };
    return WaitUntil([&] { return finished() && (Sleep(200), finished()); }, timeoutMs, 100);
}

int RowFontHeight(const std::string& face)
{
    HDC dc = GetDC(nullptr);
    LOGFONTA lf{};
    lf.lfHeight = -MulDiv(12, GetDeviceCaps(dc, LOGPIXELSY), 72);
    lf.lfWeight = FW_NORMAL;
    lf.lfCharSet = DEFAULT_CHARSET;
    lstrcpynA(lf.lfFaceName, face.c_str(), LF_FACESIZE);
    HFONT font = CreateFontIndirectA(&lf);
    HGDIOBJ old = SelectObject(dc, font);
    TEXTMETRICA tm{};
    GetTextMetricsA(dc, &tm);
    SelectObject(dc, old);
    DeleteObject(font);
    ReleaseDC(nullptr, dc);
    return tm.tmHeight;
}

bool RunOver(Process& typa, HWND main, DWORD timeoutMs)
{
    return WaitUntil([&] {
        if (!Settle(main) || !IsEnabled(main)) return false;
        for (HWND w : TopLevelWindows(typa.Pid()))
            if (w != main && IsVisible(w) && ClassName(w) == "#32770") return false;
        return true;
    }, timeoutMs, 100);
}

void SelectGroup(HWND main, const std::string& group)
{
    HWND tree = ChildById(main, twInstalledGroup);
    auto node = TreeFind(tree, {"Polices installées", group});
    if (!node) throw DriverError("no group " + group);
    TreeSelect(tree, node->item);
    Settle(main);
}

std::optional<DWORD> QuitByButton(Process& typa, HWND main)
{
    Click(ChildById(main, btExitProgram));
    return typa.WaitForExit(60000);
}

namespace {
constexpr const char* kTypaAppDefaults = "Software\\Wine\\AppDefaults\\TYPA.EXE";
}

ReportedWindows::ReportedWindows(const char* version)
{
    if (!SetString(HKEY_CURRENT_USER, kTypaAppDefaults, "Version", version))
        throw DriverError(std::string("cannot make Wine report Windows ") + version);
}

ReportedWindows::~ReportedWindows() { DeleteKeyTree(HKEY_CURRENT_USER, kTypaAppDefaults); }

} // namespace typa::e2e
