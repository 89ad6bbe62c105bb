#include "platform/Help.h"
#include "platform/System.h"

namespace typa::sys {
namespace {

// HTML Help's commands (htmlhelp.h): hhctrl.ocx is loaded at run time, its header not needed.
constexpr UINT HH_DISPLAY_TOPIC = 0x0000;
constexpr UINT HH_HELP_CONTEXT = 0x000F;
constexpr UINT HH_CLOSE_ALL = 0x0012;

constexpr const char* kWinHelpViewer = "winhlp32.exe";
constexpr const char* kHtmlHelpModule = "hhctrl.ocx";

std::string FolderPath(UINT(WINAPI* folder)(LPSTR, UINT), const char* file)
{
    char buf[MAX_PATH] = {};
    UINT n = folder(buf, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return {};
    std::string path(buf, n);
    if (path.back() != '\\') path += '\\';
    return path + file;
}

// A file that is there and can be opened for reading: what a viewer needs before it is asked.
bool Readable(const std::string& path)
{
    if (path.empty()) return false;
    DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) return false;
    UniqueFile file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    return static_cast<bool>(file);
}

} // namespace

HelpViewer ChooseHelpViewer(bool winHelpViewerPresent, DWORD windowsMajorVersion)
{
    return winHelpViewerPresent && windowsMajorVersion < 10 ? HelpViewer::WinHelp : HelpViewer::HtmlHelp;
}

DWORD WindowsMajorVersion() { return GetRunningVersion().major; }

bool WinHelpViewerPresent()
{
    std::string viewer = FolderPath(GetWindowsDirectoryA, kWinHelpViewer);
    if (viewer.empty()) return false;
    DWORD attributes = GetFileAttributesA(viewer.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

ProgramHelp::ProgramHelp(const std::string& base)
    : ProgramHelp(base, ChooseHelpViewer(WinHelpViewerPresent(), WindowsMajorVersion()))
{
}

ProgramHelp::ProgramHelp(const std::string& base, HelpViewer viewer)
    : m_viewer(viewer), m_file(base + (viewer == HelpViewer::WinHelp ? ".HLP" : ".CHM"))
{
}

ProgramHelp::~ProgramHelp()
{
    // A help window left open would call into the module after it is gone.
    if (m_htmlHelp) m_htmlHelp(nullptr, nullptr, HH_CLOSE_ALL, 0);
}

const char* ProgramHelp::ViewerFile() const noexcept
{
    return m_viewer == HelpViewer::WinHelp ? kWinHelpViewer : kHtmlHelpModule;
}

HelpResult ProgramHelp::ShowContents(HWND owner)
{
    if (m_viewer == HelpViewer::WinHelp) return CallWinHelp(owner, HELP_CONTENTS, 0);
    // No topic given: the file's default page, the contents.
    return CallHtmlHelp(owner, HH_DISPLAY_TOPIC, 0);
}

HelpResult ProgramHelp::ShowTopic(HWND owner, DWORD context)
{
    if (m_viewer == HelpViewer::WinHelp) return CallWinHelp(owner, HELP_CONTEXT, context);
    return CallHtmlHelp(owner, HH_HELP_CONTEXT, context);
}

void ProgramHelp::Close(HWND owner)
{
    if (m_viewer == HelpViewer::WinHelp)
        WinHelpA(owner, m_file.c_str(), HELP_QUIT, 0);
    else if (m_htmlHelp)
        m_htmlHelp(nullptr, nullptr, HH_CLOSE_ALL, 0);
}

HelpResult ProgramHelp::CallWinHelp(HWND owner, UINT command, ULONG_PTR data)
{
    // Asked for a file that is not there, the viewer waits on a question of its own, and under
    // some display drivers the call never returns: look first.
    if (!Readable(m_file)) return HelpResult::FileMissing;
    if (WinHelpA(owner, m_file.c_str(), command, data)) return HelpResult::Shown;
    // The first call starts the viewer; one that comes up after the call stopped waiting for it
    // takes the request only when asked again.
    if (FindWindowA("MS_WINHELP", nullptr) && WinHelpA(owner, m_file.c_str(), command, data))
        return HelpResult::Shown;
    return HelpResult::ViewerMissing;
}

HelpResult ProgramHelp::CallHtmlHelp(HWND owner, UINT command, DWORD_PTR data)
{
    if (!Readable(m_file)) return HelpResult::FileMissing;
    if (!LoadHtmlHelp()) return HelpResult::ViewerMissing;
    if (m_htmlHelp(owner, m_file.c_str(), command, data)) return HelpResult::Shown;
    return command == HH_HELP_CONTEXT ? HelpResult::TopicMissing : HelpResult::FileMissing;
}

bool ProgramHelp::LoadHtmlHelp()
{
    if (m_htmlHelp) return true;
    // From the system folder by its full path: never a module of that name beside the program.
    std::string path = FolderPath(GetSystemDirectoryA, kHtmlHelpModule);
    if (path.empty()) return false;
    UniqueModule module(LoadLibraryA(path.c_str()));
    if (!module) return false;
    auto htmlHelp = reinterpret_cast<HtmlHelpFunction>(GetProcAddress(module.Get(), "HtmlHelpA"));
    if (!htmlHelp) return false;
    m_hhctrl = std::move(module);
    m_htmlHelp = htmlHelp;
    return true;
}

} // namespace typa::sys
