#include "support/FontScene.h"
#include "res/Resource.h"
#include "ui/DlgProgress.h"
#include <doctest/doctest.h>

#include <algorithm>
#include <fstream>
#include <sstream>

namespace typa::e2e {

std::string WindowsDir()
{
    char buf[MAX_PATH] = {};
    GetWindowsDirectoryA(buf, MAX_PATH);
    return buf;
}

std::string FontsFolder() { return WindowsDir() + "\\Fonts"; }

std::string ReadAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return in ? s.str() : std::string();
}

void WriteAll(const std::string& path, const std::string& bytes)
{
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    std::ofstream(path, std::ios::binary) << bytes;
}

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::string Upper(std::string s)
{
    for (char& c : s)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return s;
}

std::vector<std::string> TemporaryFiles()
{
    std::vector<std::string> names;
    for (const char* pattern : {"\\TYP*.TMP", "\\~TYPA*.KEEP"}) {
        WIN32_FIND_DATAA fd;
        HANDLE h = FindFirstFileA((FontsFolder() + pattern).c_str(), &fd);
        if (h == INVALID_HANDLE_VALUE) continue;
        do names.emplace_back(fd.cFileName);
        while (FindNextFileA(h, &fd));
        FindClose(h);
    }
    return names;
}

std::string TrashFolder()
{
    char unixPath[MAX_PATH] = {};
    GetEnvironmentVariableA("XDG_DATA_HOME", unixPath, MAX_PATH);
    return WinePath(std::string(unixPath) + "/Trash");
}

void ForgetTrashed(const std::string& bare)
{
    DeleteFileA((TrashFolder() + "\\files\\" + bare).c_str());
    DeleteFileA((TrashFolder() + "\\info\\" + bare + ".trashinfo").c_str());
}

Scene::Scene(const char* name, std::vector<DemoFont> list) : fonts(std::move(list))
{
    folder = BesideExe(name);
    CreateDirectoryA(folder.c_str(), nullptr);
    for (const DemoFont& f : fonts)
        if (*f.source) CopyFileA((DemoFontFolder() + "\\" + f.source).c_str(), Source(f).c_str(), FALSE);
    Clean();
    ResetSettings(folder);
}

Scene::~Scene() { Clean(); }

std::string Scene::Source(const DemoFont& f) const
{
    const std::string s = f.source;
    return folder + "\\" + s.substr(s.find('\\') + 1);
}

void Scene::Clean() const
{
    for (const DemoFont& f : fonts) {
        std::string dest = FontsFolder() + "\\" + f.bare;
        SetFileAttributesA(dest.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(dest.c_str());
        DeleteSystemValue(std::string(f.name) + " (TrueType)");
    }
    for (const std::string& t : TemporaryFiles()) DeleteFileA((FontsFolder() + "\\" + t).c_str());
}

std::optional<std::string> SystemValue(const DemoFont& f)
{
    return GetString(HKEY_LOCAL_MACHINE, kSystemFontsKey, (std::string(f.name) + " (TrueType)").c_str());
}

void DeleteSystemValue(const std::string& valueName)
{
    HKEY k;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kSystemFontsKey, 0, KEY_ALL_ACCESS, &k) == ERROR_SUCCESS) {
        RegDeleteValueA(k, valueName.c_str());
        RegCloseKey(k);
    }
}

int RowOf(HWND list, const std::string& text)
{
    auto rows = ListRows(list);
    auto it = std::find(rows.begin(), rows.end(), text);
    return it == rows.end() ? -1 : static_cast<int>(it - rows.begin());
}

void SelectRowTexts(HWND list, const std::vector<std::string>& texts)
{
    Send(list, LB_SETSEL, FALSE, -1);
    for (const std::string& t : texts) {
        int row = RowOf(list, t);
        REQUIRE_MESSAGE(row >= 0, t);
        Send(list, LB_SETSEL, TRUE, row);
    }
    HWND main = GetAncestor(list, GA_ROOT);
    Send(main, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(list), LBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
}

void SelectRows(HWND list, const std::vector<DemoFont>& fonts)
{
    std::vector<std::string> texts;
    for (const DemoFont& f : fonts) texts.emplace_back(f.name);
    SelectRowTexts(list, texts);
}

void Expect(Process& typa, const char* title, const std::string& text, const char* button)
{
    // A box that is just closing may still be found once; it cannot be read any more.
    std::optional<Dialog> box;
    for (int attempt = 0; attempt < 3 && !box; ++attempt) {
        try {
            box = WaitForDialog(typa.Pid(), title, 120000);
        } catch (const DriverError&) {
            Sleep(500);
        }
    }
    REQUIRE_MESSAGE(box, text);
    CHECK(box->Text() == text);
    Answer(*box, button);
    WaitForWindowGone(box->wnd, 60000);
}

void InstallTo(HWND main, int index) { Command(main, kInstallToGroupBase + index); }

int GroupTargetIndex(HWND main, const std::string& group)
{
    auto items = TreeItems(ChildById(main, twInstalledGroup));
    for (std::size_t i = 1; i < items.size(); ++i)
        if (items[i].text == group) return static_cast<int>(i) - 1;
    return -1;
}

HWND ProgressDialog(DWORD pid)
{
    for (HWND w : TopLevelWindows(pid))
        if (HWND bar = ClassName(w) == "#32770" ? ChildById(w, typa::TDlgProgress::kIdBar) : nullptr;
            bar && ClassName(bar) == "msctls_progress32")
            return w;
    return nullptr;
}

std::string CountText(int n) { return CountText(n, n); }

std::string CountText(int fonts, int files)
{
    return "Etes-vous sûr de vouloir supprimer " + std::to_string(fonts) + " police(s) et\nplacer dans la Corbeille " +
           std::to_string(files) + " fichier(s) de polices ?";
}

const char* const kStandardText =
    "Vous êtes sur le point de supprimer une ou plusieurs polices standard du système, telles que Arial, Times New "
    "Roman ou Courier. Si vous poursuivez votre démarche, les fonctionnalités de certains programmes pourrait en être "
    "affectées.\n\nSouhaitez-vous réellement poursuivre ?";

} // namespace typa::e2e
