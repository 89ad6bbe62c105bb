// DriverHook.dll: a WH_GETMESSAGE hook that the end-to-end driver places on the thread of the
// program under test. When that thread takes the driver's marker off its queue, everything
// posted before it has been handled. Keyboard and mouse input still waiting comes after posted
// messages, though, so while some is queued the hook waits for a timer message, which comes
// after input. Then it sets the event the marker carries (a handle the driver duplicated into
// this process). Markers and timers of its own become WM_NULL before they reach the program.
//
// The probe marker works the same way but first takes a measurement inside the program (see
// DriverProbe.h); paints come before timers too, so "after paint" waits for them as well.
#include "support/DriverProbe.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

using namespace typa::e2e;

namespace {

void Signal(HANDLE event)
{
    SetEvent(event);
    CloseHandle(event);
}

// One marker being answered: its event, and the timer that waits for the queue to drain of
// `flags` (timer messages come after input and paints). The driver sends one marker of a kind at
// a time, and the hook runs on the marked thread only.
struct Wait {
    HANDLE pending = nullptr;
    UINT_PTR timer = 0;
    UINT flags = 0;
    int ticks = 0;
    void (*answer)() = nullptr; // runs just before the event is set

    bool Drained() const { return (HIWORD(GetQueueStatus(flags)) & flags) == 0; }

    void Finish()
    {
        if (timer) KillTimer(nullptr, timer);
        timer = 0;
        if (!pending) return;
        if (answer) answer();
        Signal(pending);
        pending = nullptr;
    }

    // The marker arrived: everything posted before it is handled.
    void Start(HANDLE event, UINT waitFor)
    {
        // An earlier one that the driver gave up.
        if (timer) KillTimer(nullptr, timer);
        timer = 0;
        if (pending) Signal(pending);
        pending = event;
        flags = waitFor;
        ticks = 0;
        if (!flags || Drained() || !(timer = SetTimer(nullptr, 0, 1, nullptr))) Finish();
    }

    // True when msg was this wait's timer.
    bool OnTimer(const MSG& msg)
    {
        if (!timer || msg.message != WM_TIMER || msg.hwnd || msg.wParam != timer) return false;
        // A window that never stops asking to be painted must not hold the driver for ever.
        if (Drained() || ((flags & QS_PAINT) && ++ticks > 500)) Finish();
        return true;
    }
};

double Now()
{
    LARGE_INTEGER f, c;
    QueryPerformanceFrequency(&f);
    QueryPerformanceCounter(&c);
    return static_cast<double>(c.QuadPart) * 1e6 / static_cast<double>(f.QuadPart);
}

struct Families {
    const char* prefix;
    std::vector<std::string> seen;
};

int CALLBACK OneFamily(const LOGFONTA* font, const TEXTMETRICA*, DWORD, LPARAM data)
{
    auto& families = *reinterpret_cast<Families*>(data);
    const std::size_t n = std::strlen(families.prefix);
    if (std::strncmp(font->lfFaceName, families.prefix, n) == 0) {
        std::string name = font->lfFaceName;
        bool known = false;
        for (const auto& s : families.seen) known = known || s == name;
        if (!known) families.seen.push_back(std::move(name));
    }
    return 1;
}

void Measure(ProbeRequest& request)
{
    switch (request.kind) {
    case ProbeKind::FontFamilies: {
        request.text[sizeof request.text - 1] = '\0';
        Families families{request.text, {}};
        HDC dc = GetDC(nullptr);
        EnumFontFamiliesA(dc, nullptr, OneFamily, reinterpret_cast<LPARAM>(&families));
        ReleaseDC(nullptr, dc);
        request.value = static_cast<LONG>(families.seen.size());
        break;
    }
    case ProbeKind::GdiObjects: {
        // GetGuiResources is a stub under Wine; its GDI accepts an object's handle by its table
        // index alone, so every live object answers to one of the 16-bit values.
        LONG n = 0;
        for (UINT_PTR h = 1; h <= 0xFFFF; ++h)
            if (GetObjectType(reinterpret_cast<HGDIOBJ>(h)) != 0) ++n;
        request.value = n;
        break;
    }
    case ProbeKind::Redraw: {
        const double start = Now();
        RedrawWindow(request.window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
        request.micros = Now() - start;
        break;
    }
    case ProbeKind::Ink: {
        RECT client{};
        GetClientRect(request.window, &client);
        HDC screen = GetDC(nullptr);
        HDC dc = CreateCompatibleDC(screen);
        HBITMAP bitmap = CreateCompatibleBitmap(screen, std::max<LONG>(client.right, 1), std::max<LONG>(client.bottom, 1));
        HGDIOBJ old = SelectObject(dc, bitmap);
        SendMessageA(request.window, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT | PRF_ERASEBKGND);
        const RECT& r = request.rect;
        const COLORREF blank = GetPixel(dc, r.left, r.top);
        LONG ink = 0;
        for (LONG y = r.top; y < r.bottom; ++y)
            for (LONG x = r.left; x < r.right; ++x)
                if (GetPixel(dc, x, y) != blank) ++ink;
        request.value = ink;
        SelectObject(dc, old);
        DeleteObject(bitmap);
        DeleteDC(dc);
        ReleaseDC(nullptr, screen);
        break;
    }
    case ProbeKind::Face: {
        request.text[sizeof request.text - 1] = '\0';
        HDC dc = GetDC(nullptr);
        LOGFONTA lf{};
        lf.lfHeight = -MulDiv(12, GetDeviceCaps(dc, LOGPIXELSY), 72);
        lf.lfWeight = FW_NORMAL;
        lf.lfCharSet = DEFAULT_CHARSET;
        lstrcpynA(lf.lfFaceName, request.text, LF_FACESIZE);
        HFONT font = CreateFontIndirectA(&lf);
        HGDIOBJ old = SelectObject(dc, font);
        char face[LF_FACESIZE] = {};
        GetTextFaceA(dc, LF_FACESIZE, face);
        const DWORD cff = GetFontData(dc, 0x20464643 /* 'CFF ' as a little-endian DWORD */, 0, nullptr, 0);
        request.value = cff == GDI_ERROR ? -1 : static_cast<LONG>(cff);
        lstrcpynA(request.text, face, sizeof request.text);
        SelectObject(dc, old);
        DeleteObject(font);
        ReleaseDC(nullptr, dc);
        break;
    }
    case ProbeKind::ScrollTo: {
        const double start = Now();
        SendMessageA(request.window, LB_SETTOPINDEX, static_cast<WPARAM>(request.param), 0);
        UpdateWindow(request.window);
        request.micros = Now() - start;
        request.value = static_cast<LONG>(SendMessageA(request.window, LB_GETTOPINDEX, 0, 0));
        break;
    }
    }
}

void AnswerProbe()
{
    if (HANDLE section = OpenFileMappingA(FILE_MAP_WRITE | FILE_MAP_READ, FALSE, kProbeSection)) {
        if (void* view = MapViewOfFile(section, FILE_MAP_WRITE | FILE_MAP_READ, 0, 0, sizeof(ProbeRequest))) {
            Measure(*static_cast<ProbeRequest*>(view));
            UnmapViewOfFile(view);
        }
        CloseHandle(section);
    }
}

Wait g_settle;
Wait g_probe{nullptr, 0, 0, 0, AnswerProbe};

} // namespace

extern "C" __declspec(dllexport) LRESULT CALLBACK DriverGetMessageHook(int code, WPARAM w, LPARAM l)
{
    if (code == HC_ACTION && w == PM_REMOVE) {
        auto* msg = reinterpret_cast<MSG*>(l);
        static const UINT marker = RegisterWindowMessageA("TypariumDriverSettle");
        static const UINT probe = RegisterWindowMessageA(kProbeMarker);
        if (marker && msg->message == marker && msg->hwnd == nullptr) {
            msg->message = WM_NULL;
            g_settle.Start(reinterpret_cast<HANDLE>(msg->lParam), QS_INPUT);
        } else if (probe && msg->message == probe && msg->hwnd == nullptr) {
            msg->message = WM_NULL;
            g_probe.Start(reinterpret_cast<HANDLE>(msg->lParam), msg->wParam == kProbeAfterPaint ? QS_INPUT | QS_PAINT : 0);
        } else if (g_settle.OnTimer(*msg) || g_probe.OnTimer(*msg)) {
            msg->message = WM_NULL;
        }
    }
    return CallNextHookEx(nullptr, code, w, l);
}

BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID)
{
    return TRUE;
}
