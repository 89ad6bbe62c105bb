// The progress dialog for real under Wine's null display driver: hidden but complete windows,
// driven by posting the messages a user's keys and clicks would make.
#include <doctest/doctest.h>

#include "app/Application.h"
#include "app/ErrorBox.h"
#include "app/Scale.h"
#include "ui/DlgProgress.h"

#include <commctrl.h>

#include <stdexcept>
#include <string>

using namespace typa;

namespace {

constexpr UINT kProbe = WM_APP + 7;
int g_probes = 0;

LRESULT CALLBACK ProbeProc(HWND w, UINT msg, WPARAM wp, LPARAM lp)
{
    if (msg == kProbe) {
        ++g_probes;
        return 0;
    }
    return DefWindowProcA(w, msg, wp, lp);
}

const char* ProbeClass()
{
    static const char* name = [] {
        WNDCLASSA wc{};
        wc.lpfnWndProc = ProbeProc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "ProgressTestWindow";
        RegisterClassA(&wc);
        return "ProgressTestWindow";
    }();
    return name;
}

// A top-level window of this thread, destroyed with the scope.
struct TestWindow {
    HWND wnd;
    TestWindow(int x, int y, int w, int h, bool visible = true)
        : wnd(CreateWindowExA(0, ProbeClass(), "Test", WS_POPUP | (visible ? WS_VISIBLE : 0), x, y, w,
                              h, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr))
    {
    }
    ~TestWindow()
    {
        if (IsWindow(wnd)) DestroyWindow(wnd);
    }
};

// The main window for the time of a test.
struct MainWindowScope {
    explicit MainWindowScope(HWND w) { App().mainWindow = w; }
    ~MainWindowScope() { App().mainWindow = nullptr; }
};

HWND Cancel(const TDlgProgress& d) { return GetDlgItem(d.Handle(), TDlgProgress::kIdCancel); }

void PostKey(HWND to, WPARAM vk) { PostMessageA(to, WM_KEYDOWN, vk, 1); }

bool Queued(UINT msg)
{
    MSG m;
    return PeekMessageA(&m, nullptr, msg, msg, PM_NOREMOVE) != 0;
}

void Drain(UINT msg)
{
    MSG m;
    while (PeekMessageA(&m, nullptr, msg, msg, PM_REMOVE)) {
    }
}

SIZE ClientSize(HWND w)
{
    RECT r{};
    GetClientRect(w, &r);
    return {r.right - r.left, r.bottom - r.top};
}

} // namespace

TEST_SUITE("progress dialog")
{
    TEST_CASE("creation: hidden, caption, frame, controls and sizes at the design resolution")
    {
        TDlgProgress d(nullptr);
        REQUIRE(d.Handle() != nullptr);
        CHECK_FALSE(IsWindowVisible(d.Handle()));
        CHECK(d.Caption() == "Typarium");
        const LONG style = GetWindowLongA(d.Handle(), GWL_STYLE);
        CHECK((style & WS_CAPTION) == WS_CAPTION);
        CHECK((style & (WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME)) == 0);

        const SIZE client = ClientSize(d.Handle());
        CHECK(client.cx == Scaled(297));
        CHECK(client.cy == Scaled(128));

        HWND label = GetDlgItem(d.Handle(), TDlgProgress::kIdLabel);
        REQUIRE(label);
        CHECK(ClientSize(label).cx == Scaled(240));

        HWND cancel = Cancel(d);
        REQUIRE(cancel);
        char text[32] = {};
        GetWindowTextA(cancel, text, sizeof text);
        CHECK(std::string(text) == "Annuler");
        CHECK(d.IsCancelVisible());
        CHECK(LOWORD(SendMessageA(d.Handle(), DM_GETDEFID, 0, 0)) == IDCANCEL);
        CHECK((GetWindowLongA(cancel, GWL_STYLE) & 0x0F) == BS_DEFPUSHBUTTON);

        // The bar: 0 to 100 in steps of 4.
        HWND bar = GetDlgItem(d.Handle(), TDlgProgress::kIdBar);
        REQUIRE(bar);
        PBRANGE range{};
        SendMessageA(bar, PBM_GETRANGE, FALSE, reinterpret_cast<LPARAM>(&range));
        CHECK(range.iLow == 0);
        CHECK(range.iHigh == 100);
        SendMessageA(bar, PBM_STEPIT, 0, 0);
        CHECK(d.Position() == 4);
        ProgressClose(d);
        CHECK(d.Handle() == nullptr);
    }

    TEST_CASE("centred over the main window, halves truncated toward zero")
    {
        int dw = 0, dh = 0;
        {
            TDlgProgress probe(nullptr);
            RECT r{};
            GetWindowRect(probe.Handle(), &r);
            dw = r.right - r.left;
            dh = r.bottom - r.top;
            ProgressClose(probe);
        }
        REQUIRE(dw > 0);

        SUBCASE("a larger main window with odd differences")
        {
            TestWindow main(37, 21, dw + 501, dh + 303);
            MainWindowScope scope(main.wnd);
            TDlgProgress d;
            RECT r{};
            GetWindowRect(d.Handle(), &r);
            CHECK(r.left == 37 + 250);
            CHECK(r.top == 21 + 151);
            CHECK(r.right - r.left == dw);
        }
        SUBCASE("a smaller main window: a negative half goes up, not down")
        {
            TestWindow main(300, 200, dw - 7, dh - 5);
            MainWindowScope scope(main.wnd);
            TDlgProgress d;
            RECT r{};
            GetWindowRect(d.Handle(), &r);
            CHECK(r.left == 300 - 3);
            CHECK(r.top == 200 - 2);
        }
    }

    TEST_CASE("Cancel by its button, by Escape and by Enter; the flag reads true once")
    {
        TestWindow main(10, 10, 600, 400);
        MainWindowScope scope(main.wnd);
        TDlgProgress d;
        ProgressGuard guard(d);
        ProgressOpen(d, nullptr, "Lecture des fichiers de polices...");
        REQUIRE(IsWindowVisible(d.Handle()));
        CHECK(GetFocus() == Cancel(d));
        CHECK_FALSE(ProgressCancelled());

        SUBCASE("the button") { PostMessageA(Cancel(d), BM_CLICK, 0, 0); }
        SUBCASE("Escape") { PostKey(Cancel(d), VK_ESCAPE); }
        SUBCASE("Enter") { PostKey(Cancel(d), VK_RETURN); }

        ProgressStep(d, 12, "Lecture du fichier de police arial.ttf...");
        CHECK(ProgressCancelled());
        CHECK_FALSE(ProgressCancelled());
        // Pressed or not, the dialog stays until the run closes it.
        CHECK(IsWindowVisible(d.Handle()));
        CHECK(d.Text() == "Lecture du fichier de police arial.ttf...");
    }

    TEST_CASE("a cancel flag left set is cleared by ProgressClose")
    {
        {
            TDlgProgress d(nullptr);
            ProgressOpen(d, nullptr, "Un");
            PostMessageA(Cancel(d), BM_CLICK, 0, 0);
            ProgressStep(d, 50, "Un");
            ProgressClose(d); // the loop ended without asking
        }
        TDlgProgress next(nullptr);
        ProgressGuard guard(next);
        ProgressOpen(next, nullptr, "Deux");
        ProgressStep(next, 10, "Deux");
        CHECK_FALSE(ProgressCancelled());
    }

    TEST_CASE("other windows are disabled during the run and only those are enabled after it")
    {
        TestWindow main(10, 10, 600, 400);
        TestWindow other(700, 10, 100, 100);
        TestWindow alreadyDisabled(10, 500, 100, 100);
        TestWindow hidden(200, 500, 100, 100, false);
        TestWindow goesAway(400, 500, 100, 100);
        EnableWindow(alreadyDisabled.wnd, FALSE);
        MainWindowScope scope(main.wnd);

        TDlgProgress d;
        ProgressOpen(d, nullptr, "Texte");
        CHECK_FALSE(IsWindowEnabled(main.wnd));
        CHECK_FALSE(IsWindowEnabled(other.wnd));
        CHECK_FALSE(IsWindowEnabled(goesAway.wnd));
        CHECK(IsWindowEnabled(hidden.wnd)); // not visible: left alone
        CHECK(IsWindowEnabled(d.Handle()));

        DestroyWindow(goesAway.wnd);
        ProgressClose(d);
        CHECK(IsWindowEnabled(main.wnd));
        CHECK(IsWindowEnabled(other.wnd));
        CHECK_FALSE(IsWindowEnabled(alreadyDisabled.wnd));
        CHECK(IsWindowEnabled(hidden.wnd));
        CHECK(d.Handle() == nullptr);

        // A second close changes nothing.
        EnableWindow(alreadyDisabled.wnd, FALSE);
        ProgressClose(d);
        CHECK_FALSE(IsWindowEnabled(alreadyDisabled.wnd));
    }

    TEST_CASE("with Cancel hidden: no cursor change, no message runs, no key cancels")
    {
        TestWindow main(10, 10, 600, 400);
        MainWindowScope scope(main.wnd);
        HCURSOR wait = LoadCursor(nullptr, IDC_WAIT);
        SetCursor(wait);
        Drain(kProbe);
        g_probes = 0;

        TDlgProgress d;
        ProgressGuard guard(d);
        d.HideCancel();
        CHECK_FALSE(d.IsCancelVisible());
        ProgressOpen(d, "Typarium", "Charger des polices installées...");
        CHECK(GetCursor() == wait);

        PostMessageA(main.wnd, kProbe, 0, 0);
        PostKey(Cancel(d), VK_ESCAPE);
        PostKey(Cancel(d), VK_RETURN);
        ProgressStep(d, 5, "Charger des polices installées...");
        CHECK(g_probes == 0);
        CHECK(Queued(kProbe));
        CHECK(Queued(WM_KEYDOWN));

        // Even when the keys do reach the dialog, a hidden Cancel cannot be pressed.
        MSG m;
        while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE))
            if (!IsDialogMessageA(d.Handle(), &m)) DispatchMessageA(&m);
        CHECK(g_probes == 1);
        CHECK_FALSE(ProgressCancelled());
    }

    TEST_CASE("with Cancel visible: the arrow cursor and pending messages run at each step")
    {
        TestWindow main(10, 10, 600, 400);
        MainWindowScope scope(main.wnd);
        SetCursor(LoadCursor(nullptr, IDC_WAIT));
        Drain(kProbe);
        g_probes = 0;

        TDlgProgress d;
        ProgressGuard guard(d);
        ProgressOpen(d, nullptr, "Texte");
        CHECK(GetCursor() == LoadCursor(nullptr, IDC_ARROW));

        PostMessageA(main.wnd, kProbe, 0, 0);
        PostMessageA(main.wnd, kProbe, 0, 0);
        ProgressStep(d, 8, "Texte");
        CHECK(g_probes == 2);
        CHECK_FALSE(Queued(kProbe));
    }

    TEST_CASE("a WM_QUIT met during a step goes back to the queue")
    {
        TDlgProgress d(nullptr);
        ProgressGuard guard(d);
        ProgressOpen(d, nullptr, "Texte");
        Drain(kProbe);
        g_probes = 0;
        TestWindow w(10, 10, 50, 50);
        PostQuitMessage(7);
        PostMessageA(w.wnd, kProbe, 0, 0);
        ProgressStep(d, 30, "Texte");

        MSG m{};
        REQUIRE(PeekMessageA(&m, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
        CHECK(m.wParam == 7);
        Drain(kProbe);
    }

    TEST_CASE("the bar: full above 100, empty below 0; the label keeps its width")
    {
        TDlgProgress d(nullptr);
        ProgressGuard guard(d);
        d.HideCancel();
        ProgressOpen(d, nullptr, "Texte");
        CHECK(d.Position() == 0);
        ProgressStep(d, 37, "a");
        CHECK(d.Position() == 37);
        ProgressStep(d, 137, "b");
        CHECK(d.Position() == 100);
        ProgressStep(d, -5, "c");
        CHECK(d.Position() == 0);

        const std::string longText(300, 'x');
        ProgressStep(d, 100, longText);
        CHECK(d.Text() == longText);
        CHECK(ClientSize(GetDlgItem(d.Handle(), TDlgProgress::kIdLabel)).cx == Scaled(240));
    }

    TEST_CASE("opening anew sets the caption when given and the bar back to 0")
    {
        TDlgProgress d(nullptr);
        ProgressGuard guard(d);
        ProgressOpen(d, "Impression", "Un");
        ProgressStep(d, 60, "Un");
        CHECK(d.Caption() == "Impression");
        ProgressOpen(d, nullptr, "Deux");
        CHECK(d.Caption() == "Impression");
        CHECK(d.Position() == 0);
        CHECK(d.Text() == "Deux");
    }

    TEST_CASE("a run opened without showing: hidden, nothing disabled, still updated")
    {
        TestWindow main(10, 10, 600, 400);
        MainWindowScope scope(main.wnd);
        TDlgProgress d;
        ProgressGuard guard(d);
        d.HideCancel();
        d.SetHeight(Scaled(110));
        ProgressOpen(d, nullptr, "Charger des polices installées...", false);
        CHECK_FALSE(IsWindowVisible(d.Handle()));
        CHECK(IsWindowEnabled(main.wnd));
        ProgressStep(d, 45, "Charger des polices installées...");
        CHECK(d.Position() == 45);
        RECT r{};
        GetWindowRect(d.Handle(), &r);
        CHECK(r.bottom - r.top == Scaled(110));
    }

    TEST_CASE("the guard closes the run when the loop throws")
    {
        TestWindow main(10, 10, 600, 400);
        MainWindowScope scope(main.wnd);
        TDlgProgress d;
        try {
            ProgressGuard guard(d);
            ProgressOpen(d, nullptr, "Texte");
            PostMessageA(Cancel(d), BM_CLICK, 0, 0);
            ProgressStep(d, 4, "Texte");
            throw std::runtime_error("lost file");
        } catch (const std::runtime_error&) {
        }
        CHECK(d.Handle() == nullptr);
        CHECK(IsWindowEnabled(main.wnd));
        CHECK_FALSE(ProgressCancelled());
    }

    TEST_CASE("a dialog destroyed with its owner: no dangling handle, the windows come back")
    {
        TestWindow other(700, 10, 100, 100);
        auto* owner = new TestWindow(10, 10, 600, 400);
        TDlgProgress d(owner->wnd);
        ProgressOpen(d, nullptr, "Texte");
        CHECK_FALSE(IsWindowEnabled(other.wnd));
        delete owner; // takes the owned dialog with it
        CHECK(d.Handle() == nullptr);
        ProgressStep(d, 50, "Texte"); // harmless
        CHECK(d.Position() == 0);
        ProgressClose(d);
        CHECK(IsWindowEnabled(other.wnd));
    }

    TEST_CASE("quick steps: the first shows at once, quicker ones wait, the kept one shows when asked")
    {
        TestWindow main(10, 10, 600, 400);
        MainWindowScope scope(main.wnd);
        TDlgProgress d;
        ProgressGuard guard(d);
        ProgressOpen(d, nullptr, "Lecture des fichiers de polices...");
        Drain(kProbe);
        g_probes = 0;

        ProgressQuickStep(d, 1, "fichier 1");
        CHECK(d.Text() == "fichier 1");
        CHECK(d.Position() == 1);
        // Steps that come sooner than kQuickStepMs after the one shown change nothing yet and let
        // no message run.
        PostMessageA(main.wnd, kProbe, 0, 0);
        const DWORD shown = GetTickCount();
        int n = 2;
        for (; n < 50 && GetTickCount() - shown < kQuickStepMs / 2; ++n) ProgressQuickStep(d, n, "fichier " + std::to_string(n));
        const int last = n - 1;
        REQUIRE(last > 1);
        CHECK(d.Text() == "fichier 1");
        CHECK(d.Position() == 1);
        CHECK(g_probes == 0);

        SUBCASE("ProgressShowKept shows the last one kept, once")
        {
            ProgressShowKept();
            CHECK(d.Text() == "fichier " + std::to_string(last));
            CHECK(d.Position() == last);
            ProgressStep(d, 99, "autre");
            ProgressShowKept(); // nothing kept any more
            CHECK(d.Text() == "autre");
        }
        SUBCASE("a box over the dialog shows it first")
        {
            ScriptedBoxes boxes{MsgResult::OK};
            ShowMessageBox("Erreur", MsgKind::Error, MsgButton::OK);
            CHECK(d.Text() == "fichier " + std::to_string(last));
        }
        SUBCASE("a step late enough shows itself and runs the messages")
        {
            Sleep(kQuickStepMs + 20);
            ProgressQuickStep(d, 77, "fichier 77");
            CHECK(d.Text() == "fichier 77");
            CHECK(d.Position() == 77);
            CHECK(g_probes == 1);
            ProgressShowKept(); // the kept step is older than the one shown: it never comes back
            CHECK(d.Text() == "fichier 77");
        }
    }

    TEST_CASE("quick steps: a click on Cancel is taken by the next step shown and seen at the item after it")
    {
        TestWindow main(10, 10, 600, 400);
        MainWindowScope scope(main.wnd);
        TDlgProgress d;
        ProgressGuard guard(d);
        ProgressOpen(d, nullptr, "Lecture des fichiers de polices...");

        SUBCASE("clicked before the first step")
        {
            PostMessageA(Cancel(d), BM_CLICK, 0, 0);
            ProgressQuickStep(d, 1, "fichier 1");
            CHECK(ProgressCancelled());
        }
        SUBCASE("clicked between two shown steps")
        {
            ProgressQuickStep(d, 1, "fichier 1");
            CHECK_FALSE(ProgressCancelled());
            PostMessageA(Cancel(d), BM_CLICK, 0, 0);
            Sleep(kQuickStepMs + 20);
            ProgressQuickStep(d, 2, "fichier 2");
            CHECK(ProgressCancelled());
            CHECK_FALSE(ProgressCancelled());
        }
        // A new run starts showing at once again, with nothing kept from the last one.
        ProgressOpen(d, nullptr, "Encore");
        ProgressShowKept();
        CHECK(d.Text() == "Encore");
        ProgressQuickStep(d, 3, "fichier 3");
        CHECK(d.Text() == "fichier 3");
    }

    TEST_CASE("quick steps kept by a dialog that goes away are forgotten")
    {
        {
            TDlgProgress d(nullptr);
            ProgressOpen(d, nullptr, "Un");
            ProgressQuickStep(d, 1, "a");
            ProgressQuickStep(d, 2, "b"); // kept
            ProgressClose(d);
        }
        ProgressShowKept(); // must not reach the freed dialog
        TDlgProgress next(nullptr);
        ProgressGuard guard(next);
        ProgressOpen(next, nullptr, "Deux");
        ProgressShowKept();
        CHECK(next.Text() == "Deux");
    }

    TEST_CASE("the hold answers what other programs send, and runs nothing posted")
    {
        TestWindow target(0, 0, 10, 10, false);
        g_probes = 0;
        PostMessageA(target.wnd, kProbe, 0, 0); // the program's own: waits for the loop
        struct Sender {
            HWND to;
            DWORD answeredAt = 0;
            static DWORD WINAPI Run(void* p)
            {
                auto* s = static_cast<Sender*>(p);
                Sleep(200);
                SendMessageA(s->to, kProbe, 0, 0);
                s->answeredAt = GetTickCount();
                return 0;
            }
        } sender{target.wnd};
        const DWORD start = GetTickCount();
        HANDLE thread = CreateThread(nullptr, 0, Sender::Run, &sender, 0, nullptr);
        REQUIRE(thread);
        ProgressHold(1500);
        const DWORD held = GetTickCount() - start;
        WaitForSingleObject(thread, 10000);
        CloseHandle(thread);
        CHECK(held >= 1500);
        CHECK(sender.answeredAt != 0);
        CHECK(sender.answeredAt - start < 1400); // answered during the hold, not after it
        CHECK(g_probes == 1);                    // the sent one; the posted one still waits
        CHECK(Queued(kProbe));
        Drain(kProbe);
    }
}
