#pragma once
// The program's help, shown by whichever viewer the system has. Two files beside the program hold
// the same topics under the same context numbers: TYPA.HLP for WinHelp, which Windows 10 and
// later no longer have, and TYPA.CHM for HTML Help. Callers name a topic by its number, or ask
// for the contents, and never learn which viewer answered.
#include "platform/Handles.h"

#include <windows.h>
#include <string>

namespace typa::sys {

enum class HelpViewer { WinHelp, HtmlHelp };

// WinHelp where its viewer lies in the Windows folder and Windows is older than 10 (from Windows
// 10 on, winhlp32.exe is a stub that only says the viewer is gone); HTML Help everywhere else.
HelpViewer ChooseHelpViewer(bool winHelpViewerPresent, DWORD windowsMajorVersion);

// The system's major version as it really is, whatever the program's manifest declares
// (GetVersionExA answers 6.2 from Windows 8.1 on to programs that do not name the newer
// systems); 0 when it cannot be told.
DWORD WindowsMajorVersion();

// winhlp32.exe lies in the Windows folder.
bool WinHelpViewerPresent();

enum class HelpResult {
    Shown,
    FileMissing,   // the viewer's file is not there, or cannot be read
    TopicMissing,  // the file has no topic of that context number, or cannot be read
    ViewerMissing, // hhctrl.ocx cannot be loaded, or the WinHelp viewer does not start
};

// The help of the program for one run, on its user-interface thread. The viewer is chosen once,
// when this is made. hhctrl.ocx is loaded at the first HTML Help call, never before, and freed
// when this goes; the help windows it opens belong to this thread, so Close (or, failing that,
// the destructor) shuts them before the module goes.
class ProgramHelp {
public:
    // `base`: the help files' full path without their extension ("C:\...\Typarium\TYPA").
    explicit ProgramHelp(const std::string& base);
    ProgramHelp(const std::string& base, HelpViewer viewer);
    ~ProgramHelp();
    ProgramHelp(const ProgramHelp&) = delete;
    ProgramHelp& operator=(const ProgramHelp&) = delete;

    HelpViewer Viewer() const noexcept { return m_viewer; }
    // The file the viewer reads: the base followed by ".HLP" or ".CHM".
    const std::string& File() const noexcept { return m_file; }
    // The viewer's own file, to name when it fails: "winhlp32.exe" or "hhctrl.ocx".
    const char* ViewerFile() const noexcept;

    // The help's contents page, owned by `owner`.
    HelpResult ShowContents(HWND owner);
    // The topic of a context number, owned by `owner`.
    HelpResult ShowTopic(HWND owner, DWORD context);
    // Closes the program's help: HELP_QUIT to WinHelp, as the program always ends; HH_CLOSE_ALL
    // once HTML Help has been used.
    void Close(HWND owner);

private:
    using HtmlHelpFunction = HWND(WINAPI*)(HWND, LPCSTR, UINT, DWORD_PTR);

    HelpResult CallWinHelp(HWND owner, UINT command, ULONG_PTR data);
    HelpResult CallHtmlHelp(HWND owner, UINT command, DWORD_PTR data);
    bool LoadHtmlHelp();

    HelpViewer m_viewer;
    std::string m_file;
    UniqueModule m_hhctrl;
    HtmlHelpFunction m_htmlHelp = nullptr;
};

} // namespace typa::sys
