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

#include <cstring>
#include <string>
#include <vector>

using namespace typa::e2e;

namespace {

// The driver settles one thread at a time, and the hook runs on that thread only.
HANDLE g_pending = nullptr;
UINT_PTR g_timer = 0;
HANDLE g_probePending = nullptr;
UINT_PTR g_probeTimer = 0;
int g_probeTicks = 0;

bool Pending(UINT flags)
{
    return (HIWORD(GetQueueStatus(flags)) & flags) != 0;
}

void Signal(HANDLE event)
{
    SetEvent(event);
    CloseHandle(event);
}

void Finish()
{
    if (g_timer) KillTimer(nullptr, g_timer);
    g_timer = 0;
    if (g_pending) Signal(g_pending);
    g_pending = nullptr;
}

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

void FinishProbe()
{
    if (g_probeTimer) KillTimer(nullptr, g_probeTimer);
    g_probeTimer = 0;
    if (!g_probePending) return;
    if (HANDLE section = OpenFileMappingA(FILE_MAP_WRITE | FILE_MAP_READ, FALSE, kProbeSection)) {
        if (void* view = MapViewOfFile(section, FILE_MAP_WRITE | FILE_MAP_READ, 0, 0, sizeof(ProbeRequest))) {
            Measure(*static_cast<ProbeRequest*>(view));
            UnmapViewOfFile(view);
        }
        CloseHandle(section);
    }
    Signal(g_probePending);
    g_probePending = nullptr;
}

} // namespace

extern "C" __declspec(dllexport) LRESULT CALLBACK DriverGetMessageHook(int code, WPARAM w, LPARAM l)
{
    if (code == HC_ACTION && w == PM_REMOVE) {
        auto* msg = reinterpret_cast<MSG*>(l);
        static const UINT marker = RegisterWindowMessageA("TypariumDriverSettle");
        static const UINT probe = RegisterWindowMessageA(kProbeMarker);
        if (marker && msg->message == marker && msg->hwnd == nullptr) {
            msg->message = WM_NULL;
            Finish();  // an earlier settle that was given up
            g_pending = reinterpret_cast<HANDLE>(msg->lParam);
            if (!Pending(QS_INPUT) || !(g_timer = SetTimer(nullptr, 0, 1, nullptr))) Finish();
        } else if (msg->message == WM_TIMER && msg->hwnd == nullptr && g_timer &&
                   msg->wParam == g_timer) {
            msg->message = WM_NULL;
            if (!Pending(QS_INPUT)) Finish();
        } else if (probe && msg->message == probe && msg->hwnd == nullptr) {
            msg->message = WM_NULL;
            if (g_probePending) Signal(g_probePending);  // an earlier probe that was given up
            g_probePending = reinterpret_cast<HANDLE>(msg->lParam);
            g_probeTicks = 0;
            if (msg->wParam != kProbeAfterPaint || !Pending(QS_INPUT | QS_PAINT) ||
                !(g_probeTimer = SetTimer(nullptr, 0, 1, nullptr)))
                FinishProbe();
        } else if (msg->message == WM_TIMER && msg->hwnd == nullptr && g_probeTimer &&
                   msg->wParam == g_probeTimer) {
            msg->message = WM_NULL;
            // A window that never stops asking to be painted must not hold the probe for ever.
            if (!Pending(QS_INPUT | QS_PAINT) || ++g_probeTicks > 500) FinishProbe();
        }
    }
    return CallNextHookEx(nullptr, code, w, l);
}

BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID)
{
    return TRUE;
}
