#pragma once
// The end-to-end test driver: starts a program (TYPA.EXE by default) in its own process and acts
// on it from outside as a user would, through window messages, then lets the test check the
// registry and files with the ordinary Win32 API.
//
// Texts come back in the Windows code page 1252, like the French literals the tests are compiled
// with. Reading a window's state sends messages with a time limit; acting on it posts them, so a
// handler that opens a modal box never blocks the test: call Settle() afterwards before looking.
// Functions that find nothing return nullptr / -1 / std::nullopt; a target that stops answering or
// a failed cross-process call throws DriverError, which the test reports as a failure.
#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/Handles.h"
#include "support/DriverProbe.h"

namespace typa::e2e {

struct DriverError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// Generous: under emulation a start of TYPA.EXE can take seconds.
inline constexpr DWORD kDefaultTimeoutMs = 20000;

// ---- Paths ---------------------------------------------------------------------------------

// Folder of the running test program, without a trailing backslash (build\bin).
std::string ExeFolder();
// ExeFolder() + "\" + name.
std::string BesideExe(std::string_view name);
// The program under test: TYPA.EXE beside the running test program.
std::string TypaExePath();
// "Z:\tmp\x" for "/tmp/x": Wine's drive Z: is the Unix root.
std::string WinePath(std::string_view unixPath);

// ---- Waiting -------------------------------------------------------------------------------

// Polls pred every stepMs until it holds (true) or timeoutMs have passed (false).
bool WaitUntil(const std::function<bool()>& pred, DWORD timeoutMs = kDefaultTimeoutMs,
               DWORD stepMs = 20);

// ---- Processes -----------------------------------------------------------------------------

// Environment changes for a started process: name and value; an empty value removes the name.
using EnvOverrides = std::vector<std::pair<std::string, std::string>>;

// One started process. Move-only; a process still running when its owner goes away is
// terminated and waited for, so a failed test never leaves one behind for the next test.
class Process {
public:
    Process() = default;
    Process(Process&&) noexcept = default;
    Process& operator=(Process&& other) noexcept;
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;
    ~Process();

    // CreateProcessA of exePath with the command line "exePath" args, in exePath's folder.
    // False (and LastError()) when the program could not be started.
    bool Start(const std::string& exePath, const std::string& args = {},
               const EnvOverrides& env = {});
    // TYPA.EXE beside the test program.
    bool StartTypa(const std::string& args = {}, const EnvOverrides& env = {});

    DWORD Pid() const noexcept { return m_pid; }
    HANDLE Handle() const noexcept { return m_process.Get(); }
    DWORD LastError() const noexcept { return m_lastError; }
    bool IsRunning() const;
    // The exit code once the process has ended within timeoutMs, else std::nullopt.
    std::optional<DWORD> WaitForExit(DWORD timeoutMs = kDefaultTimeoutMs);
    // Ends the process the hard way and waits for it (no-op when it has ended).
    void Terminate(UINT exitCode = 0xDEAD);
    // Waits until the program's main thread runs a message loop and has handled everything
    // posted to it (see Settle).
    bool WaitForIdle(DWORD timeoutMs = kDefaultTimeoutMs) const;
    DWORD MainThreadId() const noexcept { return m_threadId; }

private:
    UniqueKernelHandle m_process;
    UniqueKernelHandle m_thread;
    DWORD m_pid = 0;
    DWORD m_threadId = 0;
    DWORD m_lastError = 0;
};

// ---- Finding windows -----------------------------------------------------------------------

// Top-level windows of a process, visible or not, in z-order.
std::vector<HWND> TopLevelWindows(DWORD pid);
// First top-level window of pid whose class and title (exact, CP1252) match; nullptr = any.
HWND FindTopLevel(DWORD pid, const char* className, const char* title);
HWND WaitForWindow(DWORD pid, const char* className, const char* title,
                   DWORD timeoutMs = kDefaultTimeoutMs);
// Waits until the window no longer exists (the box was answered, the program closed it).
bool WaitForWindowGone(HWND wnd, DWORD timeoutMs = kDefaultTimeoutMs);

// All descendants of parent, depth-first in z-order.
std::vector<HWND> Descendants(HWND parent);
// First descendant with that control id.
HWND ChildById(HWND parent, int id);
// The index-th descendant of that window class ("ListBox", "SysTreeView32", ...).
HWND ChildByClass(HWND parent, const char* className, int index = 0);
// First descendant whose caption matches; "&Oui", "Oui" both find "&Oui" (the "&" is ignored
// on both sides).
HWND ChildByCaption(HWND parent, std::string_view caption);

// ---- Reading windows -----------------------------------------------------------------------

std::string Text(HWND wnd);
// The caption as the system keeps it, read without a message: a program busy starting up (or
// loading fonts) cannot answer WM_GETTEXT for a while, and its windows must still be found.
std::string TitleOf(HWND wnd);
std::string ClassName(HWND wnd);
RECT WindowRect(HWND wnd);  // screen coordinates
RECT ClientRect(HWND wnd);  // client coordinates (left/top 0)
bool IsVisible(HWND wnd);   // WS_VISIBLE of the window itself and all its parents
bool IsEnabled(HWND wnd);
LONG Style(HWND wnd);
LONG ExStyle(HWND wnd);
int ControlId(HWND wnd);
DWORD WindowPid(HWND wnd);
HWND Focus(HWND anyWindowOfTheThread);  // the focused window of the target's thread, or nullptr
// Caption without its mnemonic marker: "&Oui" -> "Oui", "&&" -> "&".
std::string StripMnemonic(std::string_view caption);
// UTF-16 text up to its first NUL, in code page 1252.
std::string ToCp1252(std::wstring_view text);

// ---- List boxes ----------------------------------------------------------------------------

int ListCount(HWND list);
std::string ListText(HWND list, int index);
std::vector<std::string> ListRows(HWND list);
bool ListIsSelected(HWND list, int index);
std::vector<int> ListSelection(HWND list);  // indices of the selected rows, ascending
int ListCurSel(HWND list);                  // single-selection lists: LB_GETCURSEL
int ListCaret(HWND list);                   // LB_GETCARETINDEX
int ListTopIndex(HWND list);
int ListItemHeight(HWND list, int index = 0);
std::optional<RECT> ListItemRect(HWND list, int index);  // client coordinates
LPARAM ListItemData(HWND list, int index);  // owner-drawn lists without strings

// ---- Tree views ----------------------------------------------------------------------------

struct TreeItem {
    HTREEITEM item = nullptr;
    std::string text;
    int level = 0;  // 0 for roots
    bool selected = false;
    bool expanded = false;
    bool hasChildren = false;  // at least one child item exists
    int image = -1;
    int selectedImage = -1;
    LPARAM param = 0;
};

// Every item in tree order (parent before its children, siblings in order), collapsed or not.
std::vector<TreeItem> TreeItems(HWND tree);
std::optional<TreeItem> TreeSelection(HWND tree);
// First item whose texts from the root down match path, e.g. {"Groupes", "Mes polices"}.
std::optional<TreeItem> TreeFind(HWND tree, const std::vector<std::string>& path);
std::optional<RECT> TreeItemRect(HWND tree, HTREEITEM item, bool textOnly = true);
int TreeCount(HWND tree);
// Posted, like a user's action: the tree's parent gets its notifications.
void TreeSelect(HWND tree, HTREEITEM item);
void TreeExpand(HWND tree, HTREEITEM item, bool expand = true);

// ---- Status bar ----------------------------------------------------------------------------

std::string StatusText(HWND statusBar, int part = 0);

// ---- Acting --------------------------------------------------------------------------------

enum Modifier : unsigned { kNoMod = 0, kCtrl = 1, kShift = 2, kAlt = 4 };

void Post(HWND wnd, UINT msg, WPARAM w = 0, LPARAM l = 0);
// Sends with a time limit; throws DriverError when the target does not answer in time.
LRESULT Send(HWND wnd, UINT msg, WPARAM w = 0, LPARAM l = 0, DWORD timeoutMs = kDefaultTimeoutMs);
// The same as a wide message: the only way Wine hands another process's texts over intact.
LRESULT SendWide(HWND wnd, UINT msg, WPARAM w = 0, LPARAM l = 0,
                 DWORD timeoutMs = kDefaultTimeoutMs);
void Click(HWND button);                                        // BM_CLICK
void Command(HWND wnd, int id, int notifyCode = 0, HWND control = nullptr);  // WM_COMMAND
void Close(HWND wnd);                                           // WM_CLOSE
// WM_KEYDOWN/WM_KEYUP posted to a control. With modifiers, the target's keyboard state shows
// them held down while it handles the keys (accelerators, Shift+arrows), then they are released.
void Key(HWND target, UINT vk, unsigned modifiers = kNoMod);
void Char(HWND target, char ch);                                // WM_CHAR in CP1252
void Type(HWND target, std::string_view text);                  // WM_CHAR for each byte
// Real keyboard input through SendInput to the foreground window's focus; call Activate first.
// Both this and Key() with modifiers work under Wine's null display driver.
bool SendKeys(UINT vk, unsigned modifiers = kNoMod);
// Makes topLevel the foreground window and waits until its thread has a focus window.
bool Activate(HWND topLevel);
// Mouse click (down/up, or a double click) at a client point, with MK_CONTROL/MK_SHIFT.
void ClickAt(HWND wnd, POINT client, unsigned modifiers = kNoMod, bool doubleClick = false);
void RightClickAt(HWND wnd, POINT client);
inline POINT Centre(const RECT& r) { return {(r.left + r.right) / 2, (r.top + r.bottom) / 2}; }
// Waits until the thread that owns wnd has handled everything posted to it so far, what those
// handlers posted in turn and the keyboard and mouse input queued for it (SendKeys), and takes
// messages again: in its own loop, or in the loop of a modal box it opened. A box opened that
// way exists then, but shows itself only once its loop finds the queue empty: wait for it with
// WaitForDialog. Needs DriverHook.dll beside the test program. False when the thread is gone or
// does not get there within timeoutMs.
bool Settle(HWND wnd, DWORD timeoutMs = kDefaultTimeoutMs);
bool SettleThread(DWORD threadId, DWORD timeoutMs = kDefaultTimeoutMs);

// A measurement taken inside the program that owns wnd, on its thread, once it has handled what
// was posted to it; with afterPaint, its queued input and pending paints as well (DriverProbe.h).
// Needs DriverHook.dll. std::nullopt when the thread is gone or does not get there in time.
std::optional<ProbeRequest> Probe(HWND wnd, ProbeRequest request, bool afterPaint = true,
                                  DWORD timeoutMs = kDefaultTimeoutMs);
// Font families whose name starts with prefix, as that program sees them (fonts it loaded for
// itself included); -1 when the probe failed.
int CountFontFamilies(HWND wnd, std::string_view prefix, bool afterPaint = true,
                      DWORD timeoutMs = kDefaultTimeoutMs);
// The face and the size of the 'CFF ' table of the font a list row named `rowText` is drawn in,
// as that program creates it (12 point, regular); std::nullopt when the probe failed.
struct FaceSeen {
    std::string face;
    long cffBytes = -1;
};
std::optional<FaceSeen> FaceOf(HWND wnd, std::string_view rowText, DWORD timeoutMs = kDefaultTimeoutMs);
// GDI objects that program holds (GetGuiResources answers 0 under Wine); -1 when the probe failed.
int CountGdiObjects(HWND wnd, DWORD timeoutMs = kDefaultTimeoutMs);
// Pixels of `rect` (client coordinates of wnd) that differ from its top-left pixel, as the
// window paints itself into a bitmap (WM_PRINTCLIENT); 0 for a blank rectangle, -1 when the probe failed.
int InkIn(HWND wnd, const RECT& rect, DWORD timeoutMs = kDefaultTimeoutMs);

// ---- Message boxes -------------------------------------------------------------------------

struct Dialog {
    HWND wnd = nullptr;
    std::string title;
    std::vector<std::string> texts;    // the non-empty STATIC children, top to bottom
    std::vector<std::string> buttons;  // button captions, left to right
    // The statics joined with "\n".
    std::string Text() const;
};

// A visible dialog (class "#32770") of pid, optionally with that title, with its texts and
// buttons. Visible: a box shows itself once its controls exist and it has been initialised.
std::optional<Dialog> WaitForDialog(DWORD pid, const char* title = nullptr,
                                    DWORD timeoutMs = kDefaultTimeoutMs);
std::optional<Dialog> ReadDialog(HWND dlg);
// Presses the button with that caption ("&Oui" or "Oui"); false when there is none.
bool Answer(const Dialog& dialog, std::string_view caption);

// ---- Registry ------------------------------------------------------------------------------

// The program's own key in the user's hive.
inline constexpr const char* kTypaKey = "Software\\Orvane Media\\Typarium";

bool KeyExists(HKEY root, const char* subKey);
// Deletes the key and everything below it; true when it is gone afterwards.
bool DeleteKeyTree(HKEY root, const char* subKey);
bool ValueExists(HKEY root, const char* subKey, const char* name);
bool SetString(HKEY root, const char* subKey, const char* name, std::string_view value);
bool SetDword(HKEY root, const char* subKey, const char* name, DWORD value);
bool SetBinary(HKEY root, const char* subKey, const char* name, const std::vector<BYTE>& value);
std::optional<std::string> GetString(HKEY root, const char* subKey, const char* name);
std::optional<DWORD> GetDword(HKEY root, const char* subKey, const char* name);
std::optional<std::vector<BYTE>> GetBinary(HKEY root, const char* subKey, const char* name);

} // namespace typa::e2e
