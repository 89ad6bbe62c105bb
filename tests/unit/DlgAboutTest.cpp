// The about dialog for real under Wine's null display driver: a thread timer running inside its
// modal loop looks at it and answers it as a user would.
#include <doctest/doctest.h>

#include "app/Application.h"
#include "app/Messages.h"
#include "app/Scale.h"
#include "platform/System.h"
#include "ui/DlgAbout.h"

#include <functional>
#include <string>
#include <vector>

using namespace typa;

namespace {

std::string TextOf(HWND w)
{
    char buf[512] = {};
    GetWindowTextA(w, buf, sizeof buf);
    return buf;
}

SIZE ClientSize(HWND w)
{
    RECT r{};
    GetClientRect(w, &r);
    return {r.right - r.left, r.bottom - r.top};
}

BOOL CALLBACK CountVisibleDialogs(HWND w, LPARAM lp)
{
    char cls[16] = {};
    GetClassNameA(w, cls, sizeof cls);
    if (lstrcmpA(cls, "#32770") == 0 && IsWindowVisible(w)) ++*reinterpret_cast<int*>(lp);
    return TRUE;
}

int VisibleDialogs()
{
    int n = 0;
    EnumThreadWindows(GetCurrentThreadId(), CountVisibleDialogs, reinterpret_cast<LPARAM>(&n));
    return n;
}

// Runs `act` once, inside the modal loop, when the dialog is up; closes it by force when the
// answer does not end the loop, which the test sees as a failure.
class AboutDriver {
public:
    AboutDriver(TdlgAbout& about, std::function<void(HWND)> act) : m_about(about), m_act(std::move(act))
    {
        s_current = this;
        m_timer = SetTimer(nullptr, 0, 10, Tick);
    }
    ~AboutDriver()
    {
        KillTimer(nullptr, m_timer);
        s_current = nullptr;
    }
    bool acted = false;
    bool forcedClosed = false;

private:
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD)
    {
        AboutDriver* self = s_current;
        if (!self || !self->m_about.IsVisible()) return;
        if (self->acted) {
            if (++self->m_ticksAfter > 500) {
                self->forcedClosed = true;
                self->m_about.Close();
            }
            return;
        }
        self->acted = true;
        self->m_act(self->m_about.Handle());
    }

    static inline AboutDriver* s_current = nullptr;
    TdlgAbout& m_about;
    std::function<void(HWND)> m_act;
    UINT_PTR m_timer = 0;
    int m_ticksAfter = 0;
};

struct TestWindow {
    HWND wnd = CreateWindowExA(0, "STATIC", "Typarium", WS_POPUP | WS_VISIBLE, 20, 20, 640, 480, nullptr,
                               nullptr, GetModuleHandleA(nullptr), nullptr);
    ~TestWindow()
    {
        if (IsWindow(wnd)) DestroyWindow(wnd);
    }
};

// A file in the temporary folder with a chosen last-write time, removed with the scope.
struct DatedFile {
    std::string path;
    explicit DatedFile(const SYSTEMTIME& local)
    {
        char folder[MAX_PATH] = {}, name[MAX_PATH] = {};
        GetTempPathA(MAX_PATH, folder);
        GetTempFileNameA(folder, "typ", 0, name);
        path = name;
        HANDLE f = CreateFileA(name, GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        FILETIME ft{}, utc{};
        SystemTimeToFileTime(&local, &ft);
        LocalFileTimeToFileTime(&ft, &utc);
        SetFileTime(f, nullptr, nullptr, &utc);
        CloseHandle(f);
    }
    ~DatedFile() { DeleteFileA(path.c_str()); }
};

// Renders a child control into a white bitmap through WM_PRINTCLIENT; the pixels as 0x00RRGGBB.
std::vector<DWORD> Render(HWND control, int& w, int& h)
{
    RECT r{};
    GetClientRect(control, &r);
    w = r.right;
    h = r.bottom;
    BITMAPINFO bi{};
    bi.bmiHeader = {sizeof(BITMAPINFOHEADER), w, -h, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP bmp = CreateDIBSection(dc, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(dc, bmp);
    PatBlt(dc, 0, 0, w, h, WHITENESS);
    SendMessageA(control, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
    GdiFlush();
    std::vector<DWORD> pixels(static_cast<const DWORD*>(bits), static_cast<const DWORD*>(bits) + w * h);
    SelectObject(dc, old);
    DeleteObject(bmp);
    DeleteDC(dc);
    return pixels;
}

} // namespace

TEST_SUITE("about dialog")
{
    TEST_CASE("the version line: message 4010 with 3.0, then the file's date or nothing")
    {
        CHECK(AboutVersionLine("C:\\nowhere\\TYPA.EXE") == "Version 3.0 - ");
        CHECK(AboutVersionLine("") == "Version 3.0 - ");

        SYSTEMTIME leapDay{2024, 2, 4, 29, 12, 30, 0, 0};
        DatedFile file(leapDay);
        // The French short date.
        CHECK(AboutVersionLine(file.path) == "Version 3.0 - 29/02/2024");

        SYSTEMTIME old{1985, 7, 0, 3, 9, 0, 0, 0};
        DatedFile older(old);
        CHECK(AboutVersionLine(older.path) == "Version 3.0 - 03/07/1985");
    }

    TEST_CASE("creation: hidden, caption, system menu only, sizes, centred on the screen, texts")
    {
        TestWindow owner;
        TdlgAbout about;
        REQUIRE(about.Create(owner.wnd));
        HWND dlg = about.Handle();
        CHECK_FALSE(about.IsVisible());
        CHECK(GetWindow(dlg, GW_OWNER) == owner.wnd);
        CHECK(TextOf(dlg) == "A propos de Typarium");
        const LONG style = GetWindowLongA(dlg, GWL_STYLE);
        CHECK((style & WS_SYSMENU) != 0);
        CHECK((style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME)) == 0);

        const SIZE client = ClientSize(dlg);
        CHECK(client.cx == Scaled(438));
        CHECK(client.cy == Scaled(237));
        RECT r{};
        GetWindowRect(dlg, &r);
        CHECK(r.left == (GetSystemMetrics(SM_CXSCREEN) - (r.right - r.left)) / 2);
        CHECK(r.top == (GetSystemMetrics(SM_CYSCREEN) - (r.bottom - r.top)) / 2);

        CHECK(TextOf(GetDlgItem(dlg, TdlgAbout::kIdTitle)) == "Typarium pour Windows");
        HWND version = GetDlgItem(dlg, TdlgAbout::kIdVersion);
        REQUIRE(version);
        // The running program's file is there, so its date follows the dash.
        CHECK(about.VersionLine() == AboutVersionLine(sys::ModuleFileName()));
        CHECK(TextOf(version) == about.VersionLine());
        CHECK(about.VersionLine().size() > std::string("Version 3.0 - ").size());
        CHECK(ClientSize(version).cx == client.cx);
        CHECK((GetWindowLongA(version, GWL_STYLE) & SS_TYPEMASK) == SS_CENTER);
        CHECK((GetWindowLongA(GetDlgItem(dlg, TdlgAbout::kIdTitle), GWL_STYLE) & SS_TYPEMASK) == SS_CENTER);

        // Top to bottom: logo panel, title, version, bevel, OK.
        auto top = [dlg](int id) {
            RECT c{};
            GetWindowRect(GetDlgItem(dlg, id), &c);
            return c.top;
        };
        CHECK(top(TdlgAbout::kIdLogo) < top(TdlgAbout::kIdTitle));
        CHECK(top(TdlgAbout::kIdTitle) < top(TdlgAbout::kIdVersion));
        CHECK(top(TdlgAbout::kIdVersion) < top(TdlgAbout::kIdBevel));
        CHECK(top(TdlgAbout::kIdBevel) < top(IDOK));
        CHECK(TextOf(GetDlgItem(dlg, IDOK)) == "OK");
        CHECK(LOWORD(SendMessageA(dlg, DM_GETDEFID, 0, 0)) == IDOK);
    }

    TEST_CASE("the logo: the name in deep blue on a light panel")
    {
        TdlgAbout about;
        REQUIRE(about.Create(nullptr));
        int w = 0, h = 0;
        const std::vector<DWORD> px = Render(GetDlgItem(about.Handle(), TdlgAbout::kIdLogo), w, h);
        REQUIRE(w > 100);
        int ink = 0, light = 0;
        for (DWORD p : px) {
            const int r = (p >> 16) & 0xFF, g = (p >> 8) & 0xFF, b = p & 0xFF;
            if (r < 90 && g < 100 && b > r + 30) ++ink;
            if (r > 200 && g > 200 && b > 200) ++light;
        }
        CHECK(ink > w * h / 200);
        CHECK(light > w * h / 2);
    }

    TEST_CASE("shown modally: the owner disabled, OK ends it and gives the owner back")
    {
        TestWindow owner;
        TdlgAbout about;
        REQUIRE(about.Create(owner.wnd));
        bool ownerDisabled = false;
        HWND focus = nullptr;
        AboutDriver driver(about, [&](HWND dlg) {
            ownerDisabled = !IsWindowEnabled(owner.wnd);
            focus = GetFocus();
            PostMessageA(GetDlgItem(dlg, IDOK), BM_CLICK, 0, 0);
        });
        about.Execute();
        CHECK(driver.acted);
        CHECK_FALSE(driver.forcedClosed);
        CHECK(ownerDisabled);
        CHECK(focus == GetDlgItem(about.Handle(), IDOK));
        CHECK_FALSE(about.IsVisible());
        CHECK(IsWindowEnabled(owner.wnd));
        // Kept for the next time.
        CHECK(IsWindow(about.Handle()));
    }

    TEST_CASE("Escape and Enter end it too")
    {
        TdlgAbout about;
        REQUIRE(about.Create(nullptr));
        for (WPARAM key : {VK_ESCAPE, VK_RETURN}) {
            AboutDriver driver(about, [key](HWND dlg) {
                PostMessageA(GetDlgItem(dlg, IDOK), WM_KEYDOWN, key, 1);
            });
            about.Execute();
            CHECK(driver.acted);
            CHECK_FALSE(driver.forcedClosed);
            CHECK_FALSE(about.IsVisible());
        }
    }

    TEST_CASE("the about command while the dialog is open brings it forward, no second one")
    {
        TestWindow owner;
        TdlgAbout about;
        REQUIRE(about.Create(owner.wnd));
        int before = -1, after = -1;
        bool stillVisible = false;
        AboutDriver driver(about, [&](HWND dlg) {
            before = VisibleDialogs();
            about.Execute(); // returns at once
            after = VisibleDialogs();
            stillVisible = about.IsVisible();
            PostMessageA(GetDlgItem(dlg, IDOK), BM_CLICK, 0, 0);
        });
        about.Execute();
        CHECK_FALSE(driver.forcedClosed);
        CHECK(before == 1);
        CHECK(after == 1);
        CHECK(stillVisible);
        CHECK(IsWindowEnabled(owner.wnd));
    }

    TEST_CASE("Close from inside the loop (the tray's show command) ends it at once")
    {
        TestWindow owner;
        TdlgAbout about;
        REQUIRE(about.Create(owner.wnd));
        bool enabledAtOnce = false, hiddenAtOnce = false;
        AboutDriver driver(about, [&](HWND) {
            about.Close();
            enabledAtOnce = IsWindowEnabled(owner.wnd) != 0;
            hiddenAtOnce = !about.IsVisible();
        });
        about.Execute();
        CHECK(driver.acted);
        CHECK_FALSE(driver.forcedClosed);
        CHECK(enabledAtOnce);
        CHECK(hiddenAtOnce);
    }

    TEST_CASE("a quit during the modal showing ends it and stays on the queue")
    {
        TestWindow owner;
        TdlgAbout about;
        REQUIRE(about.Create(owner.wnd));
        AboutDriver driver(about, [](HWND) { PostQuitMessage(3); });
        about.Execute();
        CHECK_FALSE(driver.forcedClosed);
        CHECK_FALSE(about.IsVisible());
        CHECK(IsWindowEnabled(owner.wnd));
        MSG m{};
        REQUIRE(PeekMessageA(&m, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
        CHECK(m.wParam == 3);
    }

    TEST_CASE("the owner destroyed while the dialog is up: the loop ends, the handle is gone")
    {
        TestWindow other;
        auto* owner = new TestWindow;
        TdlgAbout about;
        REQUIRE(about.Create(owner->wnd));
        AboutDriver driver(about, [&](HWND) { delete owner; });
        about.Execute();
        CHECK(driver.acted);
        CHECK(about.Handle() == nullptr);
        CHECK_FALSE(about.IsVisible());
        CHECK(IsWindowEnabled(other.wnd));
        about.Execute(); // nothing to show, nothing happens
    }
}
