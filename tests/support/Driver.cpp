// Processes, windows, input and message boxes of the end-to-end driver (see Driver.h).
#include "Driver.h"

#include <algorithm>
#include <cstring>

namespace typa::e2e {

namespace {

bool EqualNoCase(const char* a, const char* b)
{
    return CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, a, -1, b, -1) == CSTR_EQUAL;
}

std::string ErrorText(const char* what, DWORD error)
{
    return std::string(what) + " (error " + std::to_string(error) + ")";
}

} // namespace

// ---- Paths ---------------------------------------------------------------------------------

std::string ExeFolder()
{
    char path[MAX_PATH * 2] = {};
    DWORD n = GetModuleFileNameA(nullptr, path, sizeof path);
    std::string s(path, n);
    size_t slash = s.find_last_of("\\/");
    return slash == std::string::npos ? std::string(".") : s.substr(0, slash);
}

std::string BesideExe(std::string_view name)
{
    return ExeFolder() + "\\" + std::string(name);
}

std::string TypaExePath()
{
    return BesideExe("TYPA.EXE");
}

std::string WinePath(std::string_view unixPath)
{
    std::string out = "Z:";
    for (char c : unixPath) out += c == '/' ? '\\' : c;
    return out;
}

// ---- Waiting -------------------------------------------------------------------------------

bool WaitUntil(const std::function<bool()>& pred, DWORD timeoutMs, DWORD stepMs)
{
    DWORD start = GetTickCount();
    for (;;) {
        if (pred()) return true;
        if (GetTickCount() - start >= timeoutMs) return pred();
        Sleep(stepMs);
    }
}

// ---- Processes -----------------------------------------------------------------------------

Process& Process::operator=(Process&& other) noexcept
{
    if (this != &other) {
        Terminate();
        m_process = std::move(other.m_process);
        m_thread = std::move(other.m_thread);
        m_pid = std::exchange(other.m_pid, 0);
        m_threadId = std::exchange(other.m_threadId, 0);
        m_lastError = other.m_lastError;
    }
    return *this;
}

Process::~Process()
{
    Terminate();
}

bool Process::Start(const std::string& exePath, const std::string& args, const EnvOverrides& env)
{
    Terminate();
    m_process.Reset();
    m_thread.Reset();
    m_pid = 0;

    // The child's environment: ours, with the overrides applied by case-insensitive name.
    std::vector<std::string> vars;
    if (char* block = GetEnvironmentStringsA()) {
        for (const char* p = block; *p; p += std::strlen(p) + 1) vars.emplace_back(p);
        FreeEnvironmentStringsA(block);
    }
    for (const auto& [name, value] : env) {
        std::erase_if(vars, [&](const std::string& v) {
            size_t eq = v.find('=', 1);  // "=C:=C:\" entries start with '='
            return eq != std::string::npos && EqualNoCase(v.substr(0, eq).c_str(), name.c_str());
        });
        if (!value.empty()) vars.push_back(name + "=" + value);
    }
    std::string block;
    for (const auto& v : vars) block.append(v).push_back('\0');
    block.push_back('\0');

    std::string cmdLine = "\"" + exePath + "\"";
    if (!args.empty()) cmdLine += " " + args;
    std::string folder = exePath.substr(0, exePath.find_last_of("\\/") + 1);
    if (folder.empty()) folder = ".";

    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessA(exePath.c_str(), cmdLine.data(), nullptr, nullptr, FALSE, 0, block.data(),
                        folder.c_str(), &si, &pi)) {
        m_lastError = GetLastError();
        return false;
    }
    m_process.Reset(pi.hProcess);
    m_thread.Reset(pi.hThread);
    m_pid = pi.dwProcessId;
    m_threadId = pi.dwThreadId;
    m_lastError = 0;
    return true;
}

bool Process::StartTypa(const std::string& args, const EnvOverrides& env)
{
    return Start(TypaExePath(), args, env);
}

bool Process::IsRunning() const
{
    return m_process && WaitForSingleObject(m_process.Get(), 0) == WAIT_TIMEOUT;
}

std::optional<DWORD> Process::WaitForExit(DWORD timeoutMs)
{
    if (!m_process || WaitForSingleObject(m_process.Get(), timeoutMs) != WAIT_OBJECT_0)
        return std::nullopt;
    DWORD code = 0;
    if (!GetExitCodeProcess(m_process.Get(), &code)) return std::nullopt;
    return code;
}

void Process::Terminate(UINT exitCode)
{
    if (!IsRunning()) return;
    TerminateProcess(m_process.Get(), exitCode);
    WaitForSingleObject(m_process.Get(), 10000);
}

bool Process::WaitForIdle(DWORD timeoutMs) const
{
    // Until the program's main thread has made its message queue, nothing can be posted to it.
    DWORD start = GetTickCount();
    for (;;) {
        if (!IsRunning()) return false;
        DWORD elapsed = GetTickCount() - start;
        if (SettleThread(m_threadId, timeoutMs > elapsed ? timeoutMs - elapsed : 0)) return true;
        if (GetTickCount() - start >= timeoutMs) return false;
        Sleep(20);
    }
}

// ---- Finding windows -----------------------------------------------------------------------

namespace {

struct ProcessWindows {
    DWORD pid;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectProcessWindow(HWND wnd, LPARAM l)
{
    auto* s = reinterpret_cast<ProcessWindows*>(l);
    DWORD owner = 0;
    GetWindowThreadProcessId(wnd, &owner);
    if (owner == s->pid) s->found.push_back(wnd);
    return TRUE;
}

BOOL CALLBACK CollectWindow(HWND wnd, LPARAM l)
{
    reinterpret_cast<std::vector<HWND>*>(l)->push_back(wnd);
    return TRUE;
}

} // namespace

std::vector<HWND> TopLevelWindows(DWORD pid)
{
    ProcessWindows search{pid, {}};
    EnumWindows(CollectProcessWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}


HWND FindTopLevel(DWORD pid, const char* className, const char* title)
{
    for (HWND wnd : TopLevelWindows(pid)) {
        if (className && !EqualNoCase(ClassName(wnd).c_str(), className)) continue;
        if (title && TitleOf(wnd) != title) continue;
        return wnd;
    }
    return nullptr;
}

HWND WaitForWindow(DWORD pid, const char* className, const char* title, DWORD timeoutMs)
{
    HWND found = nullptr;
    WaitUntil([&] { return (found = FindTopLevel(pid, className, title)) != nullptr; }, timeoutMs);
    return found;
}

bool WaitForWindowGone(HWND wnd, DWORD timeoutMs)
{
    return WaitUntil([&] { return !IsWindow(wnd); }, timeoutMs);
}

std::vector<HWND> Descendants(HWND parent)
{
    std::vector<HWND> found;
    EnumChildWindows(parent, CollectWindow, reinterpret_cast<LPARAM>(&found));
    return found;
}

HWND ChildById(HWND parent, int id)
{
    for (HWND wnd : Descendants(parent))
        if (GetDlgCtrlID(wnd) == id) return wnd;
    return nullptr;
}

HWND ChildByClass(HWND parent, const char* className, int index)
{
    for (HWND wnd : Descendants(parent))
        if (EqualNoCase(ClassName(wnd).c_str(), className) && index-- == 0) return wnd;
    return nullptr;
}

HWND ChildByCaption(HWND parent, std::string_view caption)
{
    std::string wanted = StripMnemonic(caption);
    for (HWND wnd : Descendants(parent))
        if (StripMnemonic(Text(wnd)) == wanted) return wnd;
    return nullptr;
}

// ---- Reading windows -----------------------------------------------------------------------

LRESULT Send(HWND wnd, UINT msg, WPARAM w, LPARAM l, DWORD timeoutMs)
{
    DWORD_PTR result = 0;
    SetLastError(0);
    if (!SendMessageTimeoutA(wnd, msg, w, l, SMTO_NORMAL, timeoutMs, &result)) {
        DWORD error = GetLastError();
        throw DriverError(ErrorText(("message " + std::to_string(msg) + " not answered").c_str(),
                                    error));
    }
    return static_cast<LRESULT>(result);
}

LRESULT SendWide(HWND wnd, UINT msg, WPARAM w, LPARAM l, DWORD timeoutMs)
{
    DWORD_PTR result = 0;
    SetLastError(0);
    if (!SendMessageTimeoutW(wnd, msg, w, l, SMTO_NORMAL, timeoutMs, &result)) {
        DWORD error = GetLastError();
        throw DriverError(ErrorText(("message " + std::to_string(msg) + " not answered").c_str(),
                                    error));
    }
    return static_cast<LRESULT>(result);
}

std::string ToCp1252(std::wstring_view text)
{
    text = text.substr(0, text.find(L'\0'));
    if (text.empty()) return {};
    int n = WideCharToMultiByte(1252, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                nullptr, nullptr);
    std::string out(static_cast<size_t>(std::max(n, 0)), '\0');
    if (n > 0)
        WideCharToMultiByte(1252, 0, text.data(), static_cast<int>(text.size()), out.data(), n,
                            nullptr, nullptr);
    return out;
}

std::string TitleOf(HWND wnd)
{
    WCHAR wide[512] = {};
    int n = InternalGetWindowText(wnd, wide, 512);
    return ToCp1252({wide, static_cast<size_t>(std::max(n, 0))});
}

std::string Text(HWND wnd)
{
    if (!IsWindow(wnd)) return {};
    LRESULT length = SendWide(wnd, WM_GETTEXTLENGTH);
    if (length <= 0) return {};
    std::vector<WCHAR> buffer(static_cast<size_t>(length) + 16);
    LRESULT got = SendWide(wnd, WM_GETTEXT, buffer.size(), reinterpret_cast<LPARAM>(buffer.data()));
    got = std::clamp<LRESULT>(got, 0, static_cast<LRESULT>(buffer.size()) - 1);
    return ToCp1252({buffer.data(), static_cast<size_t>(got)});
}

std::string ClassName(HWND wnd)
{
    char name[256] = {};
    int n = GetClassNameA(wnd, name, sizeof name);
    return std::string(name, static_cast<size_t>(std::max(n, 0)));
}

RECT WindowRect(HWND wnd)
{
    RECT r{};
    GetWindowRect(wnd, &r);
    return r;
}

RECT ClientRect(HWND wnd)
{
    RECT r{};
    GetClientRect(wnd, &r);
    return r;
}

bool IsVisible(HWND wnd)
{
    return IsWindowVisible(wnd) != FALSE;
}

bool IsEnabled(HWND wnd)
{
    return IsWindowEnabled(wnd) != FALSE;
}

LONG Style(HWND wnd)
{
    return GetWindowLongA(wnd, GWL_STYLE);
}

LONG ExStyle(HWND wnd)
{
    return GetWindowLongA(wnd, GWL_EXSTYLE);
}

int ControlId(HWND wnd)
{
    return GetDlgCtrlID(wnd);
}

DWORD WindowPid(HWND wnd)
{
    DWORD pid = 0;
    GetWindowThreadProcessId(wnd, &pid);
    return pid;
}

HWND Focus(HWND anyWindowOfTheThread)
{
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    DWORD tid = GetWindowThreadProcessId(anyWindowOfTheThread, nullptr);
    if (!tid || !GetGUIThreadInfo(tid, &info)) return nullptr;
    return info.hwndFocus;
}

std::string StripMnemonic(std::string_view caption)
{
    std::string out;
    for (size_t i = 0; i < caption.size(); ++i) {
        if (caption[i] != '&') {
            out += caption[i];
        } else if (i + 1 < caption.size() && caption[i + 1] == '&') {
            out += '&';
            ++i;
        }
    }
    return out;
}

// ---- Acting --------------------------------------------------------------------------------

void Post(HWND wnd, UINT msg, WPARAM w, LPARAM l)
{
    if (!PostMessageA(wnd, msg, w, l))
        throw DriverError(ErrorText(("cannot post message " + std::to_string(msg)).c_str(),
                                    GetLastError()));
}

void Click(HWND button)
{
    Post(button, BM_CLICK);
}

void Command(HWND wnd, int id, int notifyCode, HWND control)
{
    Post(wnd, WM_COMMAND, MAKEWPARAM(id, notifyCode), reinterpret_cast<LPARAM>(control));
}

void Close(HWND wnd)
{
    Post(wnd, WM_CLOSE);
}

namespace {

bool IsExtendedKey(UINT vk)
{
    switch (vk) {
    case VK_LEFT: case VK_RIGHT: case VK_UP: case VK_DOWN: case VK_PRIOR: case VK_NEXT:
    case VK_HOME: case VK_END: case VK_INSERT: case VK_DELETE: case VK_DIVIDE: case VK_NUMLOCK:
        return true;
    default: return false;
    }
}

LPARAM KeyLParam(UINT vk, bool up, bool alt)
{
    LPARAM l = 1 | (static_cast<LPARAM>(MapVirtualKeyA(vk, MAPVK_VK_TO_VSC)) << 16);
    if (IsExtendedKey(vk)) l |= 1L << 24;
    if (alt) l |= 1L << 29;
    if (up) l |= (1L << 30) | (1UL << 31);
    return l;
}

// While it lives, the target thread's keyboard state shows the modifiers held down: the two
// threads share one input state (AttachThreadInput), which this thread sets.
class HeldModifiers {
public:
    HeldModifiers(HWND target, unsigned modifiers)
        : m_self(GetCurrentThreadId()), m_target(GetWindowThreadProcessId(target, nullptr))
    {
        if (!modifiers || !m_target) return;
        MSG m;
        PeekMessageA(&m, nullptr, 0, 0, PM_NOREMOVE);  // a thread needs a queue to attach
        if (!AttachThreadInput(m_self, m_target, TRUE))
            throw DriverError(ErrorText("AttachThreadInput failed", GetLastError()));
        m_attached = true;
        GetKeyboardState(m_saved);
        BYTE state[256];
        std::memcpy(state, m_saved, sizeof state);
        auto hold = [&](unsigned mod, UINT vk, UINT left) {
            if (modifiers & mod) state[vk] = state[left] = 0x80;
        };
        hold(kCtrl, VK_CONTROL, VK_LCONTROL);
        hold(kShift, VK_SHIFT, VK_LSHIFT);
        hold(kAlt, VK_MENU, VK_LMENU);
        SetKeyboardState(state);
    }
    HeldModifiers(const HeldModifiers&) = delete;
    HeldModifiers& operator=(const HeldModifiers&) = delete;
    ~HeldModifiers()
    {
        if (!m_attached) return;
        SetKeyboardState(m_saved);
        AttachThreadInput(m_self, m_target, FALSE);
    }

private:
    DWORD m_self;
    DWORD m_target;
    bool m_attached = false;
    BYTE m_saved[256] = {};
};

WPARAM MouseKeys(unsigned modifiers)
{
    return ((modifiers & kCtrl) ? MK_CONTROL : 0) | ((modifiers & kShift) ? MK_SHIFT : 0);
}

} // namespace

void Key(HWND target, UINT vk, unsigned modifiers)
{
    HeldModifiers held(target, modifiers);
    bool alt = (modifiers & kAlt) != 0;
    Post(target, alt ? WM_SYSKEYDOWN : WM_KEYDOWN, vk, KeyLParam(vk, false, alt));
    Post(target, alt ? WM_SYSKEYUP : WM_KEYUP, vk, KeyLParam(vk, true, alt));
    // The target reads the modifiers while it handles the keys: keep them down until then.
    if (modifiers) Settle(target);
}

void Char(HWND target, char ch)
{
    Post(target, WM_CHAR, static_cast<unsigned char>(ch), 1);
}

void Type(HWND target, std::string_view text)
{
    for (char ch : text) Char(target, ch);
}

bool Activate(HWND topLevel)
{
    // The switch completes only when the window's thread has handled its activation; until
    // then keyboard input finds no focus window and is lost.
    if (!SetForegroundWindow(topLevel)) return false;
    return WaitUntil([&] { return GetForegroundWindow() == topLevel && Focus(topLevel) != nullptr; },
                     kDefaultTimeoutMs);
}

bool SendKeys(UINT vk, unsigned modifiers)
{
    std::vector<INPUT> inputs;
    auto key = [&](UINT k, bool up) {
        INPUT in{};
        in.type = INPUT_KEYBOARD;
        in.ki.wVk = static_cast<WORD>(k);
        in.ki.wScan = static_cast<WORD>(MapVirtualKeyA(k, MAPVK_VK_TO_VSC));
        in.ki.dwFlags = (up ? KEYEVENTF_KEYUP : 0) | (IsExtendedKey(k) ? KEYEVENTF_EXTENDEDKEY : 0);
        inputs.push_back(in);
    };
    const std::pair<unsigned, UINT> mods[] = {{kCtrl, VK_CONTROL}, {kShift, VK_SHIFT}, {kAlt, VK_MENU}};
    for (auto [mod, k] : mods)
        if (modifiers & mod) key(k, false);
    key(vk, false);
    key(vk, true);
    for (auto [mod, k] : mods)
        if (modifiers & mod) key(k, true);
    return SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT)) == inputs.size();
}

void ClickAt(HWND wnd, POINT client, unsigned modifiers, bool doubleClick)
{
    LPARAM at = MAKELPARAM(client.x, client.y);
    WPARAM keys = MouseKeys(modifiers);
    Post(wnd, WM_MOUSEMOVE, keys, at);
    Post(wnd, WM_LBUTTONDOWN, keys | MK_LBUTTON, at);
    Post(wnd, WM_LBUTTONUP, keys, at);
    if (doubleClick) {
        Post(wnd, WM_LBUTTONDBLCLK, keys | MK_LBUTTON, at);
        Post(wnd, WM_LBUTTONUP, keys, at);
    }
}

void RightClickAt(HWND wnd, POINT client)
{
    LPARAM at = MAKELPARAM(client.x, client.y);
    Post(wnd, WM_MOUSEMOVE, 0, at);
    Post(wnd, WM_RBUTTONDOWN, MK_RBUTTON, at);
    Post(wnd, WM_RBUTTONUP, 0, at);
}

namespace {

struct HookTraits {
    using Handle = HHOOK;
    static HHOOK Invalid() noexcept { return nullptr; }
    static bool IsValid(HHOOK h) noexcept { return h != nullptr; }
    static void Close(HHOOK h) noexcept { UnhookWindowsHookEx(h); }
};
using UniqueHook = UniqueHandle<HookTraits>;

HOOKPROC SettleHook(HMODULE& module)
{
    // Loaded once and kept: hooks placed in other processes refer to it by its path.
    static HMODULE loaded = LoadLibraryA(BesideExe("DriverHook.dll").c_str());
    module = loaded;
    if (!loaded) throw DriverError("DriverHook.dll is missing beside the test program");
    return reinterpret_cast<HOOKPROC>(GetProcAddress(loaded, "DriverGetMessageHook"));
}

} // namespace

namespace {

// The hook placed on a thread of another process, and that process opened for the events the
// markers carry.
struct HookedThread {
    UniqueKernelHandle process;
    UniqueHook hook;

    explicit HookedThread(DWORD threadId)
    {
        DWORD pid = 0;
        {
            UniqueKernelHandle thread(OpenThread(THREAD_QUERY_INFORMATION, FALSE, threadId));
            if (!thread || !(pid = GetProcessIdOfThread(thread.Get()))) return;
        }
        process = UniqueKernelHandle(OpenProcess(PROCESS_DUP_HANDLE | SYNCHRONIZE, FALSE, pid));
        if (!process) return;
        HMODULE module = nullptr;
        HOOKPROC proc = SettleHook(module);
        // Fails when the thread has no message queue (yet), or is gone.
        hook = UniqueHook(SetWindowsHookExA(WH_GETMESSAGE, proc, module, threadId));
    }
    explicit operator bool() const { return static_cast<bool>(hook); }

    // Posts `marker` carrying an event of the target's and waits until the hook sets it.
    bool RoundTrip(DWORD threadId, UINT marker, WPARAM w, DWORD start, DWORD timeoutMs) const
    {
        UniqueKernelHandle done(CreateEventA(nullptr, TRUE, FALSE, nullptr));
        HANDLE remote = nullptr;
        if (!done || !DuplicateHandle(GetCurrentProcess(), done.Get(), process.Get(), &remote,
                                      EVENT_MODIFY_STATE, FALSE, 0))
            return false;
        if (!PostThreadMessageA(threadId, marker, w, reinterpret_cast<LPARAM>(remote))) {
            DuplicateHandle(process.Get(), remote, nullptr, nullptr, 0, FALSE, DUPLICATE_CLOSE_SOURCE);
            return false;
        }
        DWORD elapsed = GetTickCount() - start;
        HANDLE waits[] = {done.Get(), process.Get()};
        return WaitForMultipleObjects(2, waits, FALSE, elapsed >= timeoutMs ? 0 : timeoutMs - elapsed) ==
               WAIT_OBJECT_0;
    }
};

} // namespace

// Neither WaitForInputIdle (Wine 8 sets the idle event once and never resets it) nor a sent
// message (the target handles sent messages before the posted ones still in its queue) tells
// when a thread has worked off what was posted to it. So a hook inside the target watches for
// a marker posted behind everything else, and then for any keyboard or mouse input still
// queued; twice, so that what the handlers posted in their turn is worked off as well.
bool SettleThread(DWORD threadId, DWORD timeoutMs)
{
    HookedThread hooked(threadId);
    if (!hooked) return false;
    static const UINT marker = RegisterWindowMessageA("TypariumDriverSettle");
    const DWORD start = GetTickCount();
    for (int round = 0; round < 2; ++round)
        if (!hooked.RoundTrip(threadId, marker, 0, start, timeoutMs)) return false;
    return true;
}

bool Settle(HWND wnd, DWORD timeoutMs)
{
    DWORD threadId = GetWindowThreadProcessId(wnd, nullptr);
    return threadId && SettleThread(threadId, timeoutMs);
}

std::optional<ProbeRequest> Probe(HWND wnd, ProbeRequest request, bool afterPaint, DWORD timeoutMs)
{
    const DWORD threadId = GetWindowThreadProcessId(wnd, nullptr);
    if (!threadId) return std::nullopt;
    // Probes are rare and one at a time: the section lives for the probe only.
    UniqueKernelHandle section(CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                                  sizeof(ProbeRequest), kProbeSection));
    if (!section) return std::nullopt;
    auto* shared = static_cast<ProbeRequest*>(MapViewOfFile(section.Get(), FILE_MAP_WRITE | FILE_MAP_READ, 0, 0, sizeof(ProbeRequest)));
    if (!shared) return std::nullopt;
    request.value = -1;
    request.micros = -1;
    *shared = request;
    HookedThread hooked(threadId);
    static const UINT marker = RegisterWindowMessageA(kProbeMarker);
    std::optional<ProbeRequest> answer;
    if (hooked && hooked.RoundTrip(threadId, marker, afterPaint ? kProbeAfterPaint : 0, GetTickCount(), timeoutMs))
        answer = *shared;
    UnmapViewOfFile(shared);
    return answer;
}

int CountFontFamilies(HWND wnd, std::string_view prefix, bool afterPaint, DWORD timeoutMs)
{
    ProbeRequest request{};
    request.kind = ProbeKind::FontFamilies;
    prefix = prefix.substr(0, sizeof request.text - 1);
    std::copy(prefix.begin(), prefix.end(), request.text);
    auto answer = Probe(wnd, request, afterPaint, timeoutMs);
    return answer ? static_cast<int>(answer->value) : -1;
}

std::optional<FaceSeen> FaceOf(HWND wnd, std::string_view rowText, DWORD timeoutMs)
{
    ProbeRequest request{};
    request.kind = ProbeKind::Face;
    rowText = rowText.substr(0, sizeof request.text - 1);
    std::copy(rowText.begin(), rowText.end(), request.text);
    auto answer = Probe(wnd, request, true, timeoutMs);
    if (!answer) return std::nullopt;
    answer->text[sizeof answer->text - 1] = '\0';
    return FaceSeen{answer->text, answer->value};
}

int CountGdiObjects(HWND wnd, DWORD timeoutMs)
{
    ProbeRequest request{};
    request.kind = ProbeKind::GdiObjects;
    auto answer = Probe(wnd, request, true, timeoutMs);
    return answer ? static_cast<int>(answer->value) : -1;
}

int InkIn(HWND wnd, const RECT& rect, DWORD timeoutMs)
{
    ProbeRequest request{};
    request.kind = ProbeKind::Ink;
    request.window = wnd;
    request.rect = rect;
    auto answer = Probe(wnd, request, true, timeoutMs);
    return answer ? static_cast<int>(answer->value) : -1;
}

// ---- Message boxes -------------------------------------------------------------------------

std::string Dialog::Text() const
{
    std::string out;
    for (const auto& t : texts) {
        if (!out.empty()) out += '\n';
        out += t;
    }
    return out;
}

std::optional<Dialog> ReadDialog(HWND dlg)
{
    if (!IsWindow(dlg)) return std::nullopt;
    Dialog d;
    d.wnd = dlg;
    d.title = e2e::Text(dlg);
    struct Placed {
        RECT r;
        std::string text;
    };
    std::vector<Placed> statics, buttons;
    for (HWND child : Descendants(dlg)) {
        if (!IsWindowVisible(child)) continue;
        std::string cls = ClassName(child);
        LONG style = Style(child);
        if (EqualNoCase(cls.c_str(), "Static")) {
            UINT kind = style & SS_TYPEMASK;
            if (kind == SS_ICON || kind == SS_BITMAP || kind == SS_ENHMETAFILE) continue;
            std::string text = e2e::Text(child);
            if (!text.empty()) statics.push_back({WindowRect(child), text});
        } else if (EqualNoCase(cls.c_str(), "Button")) {
            UINT kind = style & BS_TYPEMASK;
            if (kind == BS_PUSHBUTTON || kind == BS_DEFPUSHBUTTON || kind == BS_OWNERDRAW)
                buttons.push_back({WindowRect(child), e2e::Text(child)});
        }
    }
    auto topDown = [](const Placed& a, const Placed& b) {
        return a.r.top != b.r.top ? a.r.top < b.r.top : a.r.left < b.r.left;
    };
    auto leftRight = [](const Placed& a, const Placed& b) {
        return a.r.left != b.r.left ? a.r.left < b.r.left : a.r.top < b.r.top;
    };
    std::stable_sort(statics.begin(), statics.end(), topDown);
    std::stable_sort(buttons.begin(), buttons.end(), leftRight);
    for (auto& s : statics) d.texts.push_back(std::move(s.text));
    for (auto& b : buttons) d.buttons.push_back(std::move(b.text));
    return d;
}

std::optional<Dialog> WaitForDialog(DWORD pid, const char* title, DWORD timeoutMs)
{
    // Visible only: a box becomes visible once its controls exist and it has been initialised.
    HWND found = nullptr;
    WaitUntil(
        [&] {
            for (HWND wnd : TopLevelWindows(pid)) {
                if (!IsWindowVisible(wnd) || ClassName(wnd) != "#32770") continue;
                if (title && e2e::Text(wnd) != title) continue;
                found = wnd;
                return true;
            }
            return false;
        },
        timeoutMs);
    return found ? ReadDialog(found) : std::nullopt;
}

bool Answer(const Dialog& dialog, std::string_view caption)
{
    std::string wanted = StripMnemonic(caption);
    for (HWND child : Descendants(dialog.wnd)) {
        if (EqualNoCase(ClassName(child).c_str(), "Button") && IsWindowVisible(child) &&
            StripMnemonic(e2e::Text(child)) == wanted) {
            Click(child);
            return true;
        }
    }
    return false;
}

} // namespace typa::e2e
