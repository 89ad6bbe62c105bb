// The insert-medium dialog for real under Wine's null display driver: a thread timer running
// inside its modal loop reads it and answers it with keys and clicks.
#include <doctest/doctest.h>

#include "app/Application.h"
#include "app/Messages.h"
#include "app/Scale.h"
#include "ui/DlgAskForDisk.h"

#include <functional>
#include <string>
#include <vector>

using namespace typa;

namespace {

std::string TextOf(HWND w)
{
    char buf[1024] = {};
    GetWindowTextA(w, buf, sizeof buf);
    return buf;
}

BOOL CALLBACK FindVisibleDialog(HWND w, LPARAM lp)
{
    char cls[16] = {};
    GetClassNameA(w, cls, sizeof cls);
    if (lstrcmpA(cls, "#32770") == 0 && IsWindowVisible(w)) {
        *reinterpret_cast<HWND*>(lp) = w;
        return FALSE;
    }
    return TRUE;
}

// Client-relative rectangle of a child.
RECT ChildRect(HWND dlg, int id)
{
    RECT r{};
    HWND c = GetDlgItem(dlg, id);
    GetWindowRect(c, &r);
    MapWindowPoints(nullptr, dlg, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

struct Seen {
    bool appeared = false;
    bool forcedClosed = false;
    std::string title;
    RECT rect{};
    RECT client{};
    LONG style = 0, exStyle = 0;
    int defaultId = 0;
    std::string label;
    RECT labelRect{}, cdRect{}, diskRect{}, okRect{}, cancelRect{};
    std::string ok, cancel;
    LOGFONTA font{};
    HWND focus = nullptr;
    HWND okButton = nullptr;
};

// Runs `act` once on the dialog when it is visible; closes it by force if the answer does not
// arrive, which the test sees as a failure.
class DiskDriver {
public:
    explicit DiskDriver(std::function<void(HWND)> act) : m_act(std::move(act))
    {
        s_current = this;
        m_timer = SetTimer(nullptr, 0, 10, Tick);
    }
    ~DiskDriver()
    {
        KillTimer(nullptr, m_timer);
        s_current = nullptr;
    }
    Seen seen;

private:
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD)
    {
        DiskDriver* self = s_current;
        HWND dlg = nullptr;
        if (self) EnumThreadWindows(GetCurrentThreadId(), FindVisibleDialog, reinterpret_cast<LPARAM>(&dlg));
        if (!dlg) return;
        Seen& s = self->seen;
        if (s.appeared) {
            if (++self->m_ticksAfter > 500) {
                s.forcedClosed = true;
                EndDialog(dlg, IDCANCEL);
            }
            return;
        }
        s.appeared = true;
        s.title = TextOf(dlg);
        GetWindowRect(dlg, &s.rect);
        GetClientRect(dlg, &s.client);
        s.style = GetWindowLongA(dlg, GWL_STYLE);
        s.exStyle = GetWindowLongA(dlg, GWL_EXSTYLE);
        s.defaultId = LOWORD(SendMessageA(dlg, DM_GETDEFID, 0, 0));
        s.label = TextOf(GetDlgItem(dlg, TDlgAskForDisk::kIdLabel));
        s.labelRect = ChildRect(dlg, TDlgAskForDisk::kIdLabel);
        s.cdRect = ChildRect(dlg, TDlgAskForDisk::kIdCD);
        s.diskRect = ChildRect(dlg, TDlgAskForDisk::kIdDisk);
        s.okRect = ChildRect(dlg, IDOK);
        s.cancelRect = ChildRect(dlg, IDCANCEL);
        s.ok = TextOf(GetDlgItem(dlg, IDOK));
        s.cancel = TextOf(GetDlgItem(dlg, IDCANCEL));
        auto font = reinterpret_cast<HFONT>(SendMessageA(GetDlgItem(dlg, TDlgAskForDisk::kIdLabel), WM_GETFONT, 0, 0));
        if (font) GetObjectA(font, sizeof s.font, &s.font);
        s.focus = GetFocus();
        s.okButton = GetDlgItem(dlg, IDOK);
        self->m_act(dlg);
    }

    static inline DiskDriver* s_current = nullptr;
    std::function<void(HWND)> m_act;
    UINT_PTR m_timer = 0;
    int m_ticksAfter = 0;
};

struct MainWindowScope {
    HWND wnd;
    MainWindowScope(int x, int y, int w, int h)
        : wnd(CreateWindowExA(0, "STATIC", "Typarium", WS_POPUP | WS_VISIBLE, x, y, w, h, nullptr, nullptr,
                              GetModuleHandleA(nullptr), nullptr))
    {
        App().mainWindow = wnd;
    }
    ~MainWindowScope()
    {
        App().mainWindow = nullptr;
        DestroyWindow(wnd);
    }
};

const std::string kText = FormatMessage(1070, {"A:"});

} // namespace

TEST_SUITE("insert-medium dialog")
{
    TEST_CASE("texts, frame, sizes and places at 96 dpi; Enter answers OK")
    {
        DiskDriver driver([](HWND dlg) { PostMessageA(GetFocus(), WM_KEYDOWN, VK_RETURN, 1); });
        TDlgAskForDisk dlg;
        MsgResult r = dlg.Execute(kText);
        const Seen& s = driver.seen;
        REQUIRE(s.appeared);
        CHECK_FALSE(s.forcedClosed);
        CHECK(r == MsgResult::OK);

        CHECK(s.title == "Insérer le support de données");
        CHECK(s.label == "Le lecteur 'A:' n'est pas prêt. \n\nVeuillez insérer un support de données puis "
                         "cliquer sur le bouton OK, ou interrompez le processus.");
        CHECK(s.ok == "OK");
        CHECK(s.cancel == "Annuler");
        CHECK(s.defaultId == IDOK);
        CHECK(s.focus == s.okButton);

        // A fixed frame without title-bar buttons, above the other windows.
        CHECK((s.style & WS_CAPTION) == WS_CAPTION);
        CHECK((s.style & (WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX)) == 0);
        CHECK((s.exStyle & WS_EX_TOPMOST) != 0);

        CHECK(s.client.right == Scaled(427));
        CHECK(s.client.bottom == Scaled(182));
        CHECK(s.cdRect.left == Scaled(20));
        CHECK(s.cdRect.top == Scaled(21));
        CHECK(s.cdRect.right - s.cdRect.left == Scaled(32));
        CHECK(s.cdRect.bottom - s.cdRect.top == Scaled(32));
        CHECK(s.diskRect.left == Scaled(20));
        CHECK(s.diskRect.top == Scaled(60));
        CHECK(s.labelRect.left == Scaled(70));
        CHECK(s.labelRect.top == Scaled(21));
        CHECK(s.labelRect.right - s.labelRect.left == Scaled(340));
        CHECK(s.labelRect.bottom - s.labelRect.top == Scaled(68));
        // The buttons below the label, side by side, inside the window.
        CHECK(s.okRect.top >= s.labelRect.bottom);
        CHECK(s.okRect.right <= s.cancelRect.left);
        CHECK(s.cancelRect.right <= s.client.right);
        CHECK(s.cancelRect.bottom <= s.client.bottom);

        // MS Sans Serif, 8 points.
        CHECK(std::string(s.font.lfFaceName) == "MS Sans Serif");
        CHECK(s.font.lfHeight == -MulDiv(8, Scaled(96), 72));
    }

    TEST_CASE("\"OK\" answers OK; \"Annuler\", Escape and Alt+F4 answer Cancel")
    {
        struct Case {
            const char* name;
            std::function<void(HWND)> act;
            MsgResult expected;
        };
        const std::vector<Case> cases = {
            {"OK", [](HWND d) { PostMessageA(GetDlgItem(d, IDOK), BM_CLICK, 0, 0); }, MsgResult::OK},
            {"Annuler", [](HWND d) { PostMessageA(GetDlgItem(d, IDCANCEL), BM_CLICK, 0, 0); },
             MsgResult::Cancel},
            {"Escape", [](HWND) { PostMessageA(GetFocus(), WM_KEYDOWN, VK_ESCAPE, 1); }, MsgResult::Cancel},
            {"close", [](HWND d) { PostMessageA(d, WM_CLOSE, 0, 0); }, MsgResult::Cancel},
        };
        for (const Case& c : cases) {
            CAPTURE(c.name);
            DiskDriver driver(c.act);
            TDlgAskForDisk dlg;
            CHECK(dlg.Execute(kText) == c.expected);
            CHECK(driver.seen.appeared);
            CHECK_FALSE(driver.seen.forcedClosed);
        }
    }

    TEST_CASE("centred over the main window; the main window takes input again afterwards")
    {
        MainWindowScope main(41, 27, 701, 503);
        DiskDriver driver([](HWND dlg) { PostMessageA(GetDlgItem(dlg, IDCANCEL), BM_CLICK, 0, 0); });
        TDlgAskForDisk dlg;
        dlg.Execute(kText);
        const RECT& d = driver.seen.rect;
        REQUIRE(driver.seen.appeared);
        CHECK(d.left == 41 + (701 - (d.right - d.left)) / 2);
        CHECK(d.top == 27 + (503 - (d.bottom - d.top)) / 2);
        CHECK(IsWindowEnabled(main.wnd));
    }

    TEST_CASE("the drive pictures are drawn")
    {
        std::vector<DWORD> cd, disk;
        DiskDriver driver([&](HWND dlg) {
            for (auto [id, out] : {std::pair{TDlgAskForDisk::kIdCD, &cd}, std::pair{TDlgAskForDisk::kIdDisk, &disk}}) {
                HWND c = GetDlgItem(dlg, id);
                RECT r{};
                GetClientRect(c, &r);
                BITMAPINFO bi{};
                bi.bmiHeader = {sizeof(BITMAPINFOHEADER), r.right, -r.bottom, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
                void* bits = nullptr;
                HDC dc = CreateCompatibleDC(nullptr);
                HBITMAP bmp = CreateDIBSection(dc, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
                HGDIOBJ old = SelectObject(dc, bmp);
                PatBlt(dc, 0, 0, r.right, r.bottom, WHITENESS);
                SendMessageA(c, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
                GdiFlush();
                out->assign(static_cast<DWORD*>(bits), static_cast<DWORD*>(bits) + r.right * r.bottom);
                SelectObject(dc, old);
                DeleteObject(bmp);
                DeleteDC(dc);
            }
            PostMessageA(GetDlgItem(dlg, IDCANCEL), BM_CLICK, 0, 0);
        });
        TDlgAskForDisk dlg;
        dlg.Execute(kText);
        REQUIRE(cd.size() == static_cast<std::size_t>(Scaled(32) * Scaled(32)));
        auto painted = [](const std::vector<DWORD>& px) {
            int n = 0;
            for (DWORD p : px) n += (p & 0xFFFFFF) != 0xFFFFFF;
            return n;
        };
        CHECK(painted(cd) > static_cast<int>(cd.size()) / 3);
        CHECK(painted(disk) > static_cast<int>(disk.size()) / 3);
        CHECK(cd != disk);
    }

    TEST_CASE("under a script: recorded with its caption and text, answered from the queue")
    {
        ScriptedBoxes script{MsgResult::OK, MsgResult::Yes};
        TDlgAskForDisk dlg;
        CHECK(dlg.Execute(kText) == MsgResult::OK);
        CHECK(dlg.Execute(kText) == MsgResult::Cancel); // not an answer this dialog has
        CHECK(dlg.Execute(kText) == MsgResult::Cancel); // empty queue: Escape's Cancel
        REQUIRE(script.Boxes().size() == 3);
        const RecordedBox& box = script.Boxes()[0];
        CHECK(box.caption == TDlgAskForDisk::kCaption);
        CHECK(box.caption == "Insérer le support de données");
        CHECK(box.text == kText);
        CHECK(box.buttons == (MsgButton::OK | MsgButton::Cancel));
        CHECK_FALSE(box.warningDialog);
    }
}
