// The warning dialog for real under Wine's null display driver: a thread timer running inside its
// modal loop reads it and answers it with keys and clicks, as a user would.
#include <doctest/doctest.h>

#include "app/Application.h"
#include "app/Messages.h"
#include "app/Scale.h"
#include "ui/DlgWarning.h"

#include <functional>
#include <string>
#include <vector>

using namespace typa;

namespace {

std::string TextOf(HWND w)
{
    char buf[2048] = {};
    GetWindowTextA(w, buf, sizeof buf);
    return buf;
}

bool IsClass(HWND w, const char* cls)
{
    char buf[64] = {};
    GetClassNameA(w, buf, sizeof buf);
    return lstrcmpiA(buf, cls) == 0;
}

HWND ChildWithText(HWND dlg, const char* cls, const std::string& text)
{
    for (HWND c = GetWindow(dlg, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
        if (IsClass(c, cls) && TextOf(c) == text) return c;
    return nullptr;
}

struct Seen {
    bool appeared = false;
    bool stillOpenAfterHelp = false;
    bool forcedClosed = false;
    std::string title;
    RECT rect{};
    LONG style = 0, exStyle = 0;
    int defaultId = 0;
    std::vector<std::string> buttons;
    std::vector<RECT> buttonRects;
    HWND label = nullptr;
    RECT labelRect{};
    LONG labelFontHeight = 0;
};

// Runs `act` once on the warning dialog when it is visible; closes it by force if the answer
// does not arrive, which the test sees as a failure.
class WarningDriver {
public:
    explicit WarningDriver(std::function<void(HWND, Seen&)> act) : m_act(std::move(act))
    {
        s_current = this;
        m_timer = SetTimer(nullptr, 0, 10, Tick);
    }
    ~WarningDriver()
    {
        KillTimer(nullptr, m_timer);
        s_current = nullptr;
    }
    Seen seen;
    std::string expectedText;

private:
    static BOOL CALLBACK Find(HWND w, LPARAM lp)
    {
        if (IsClass(w, "#32770") && IsWindowVisible(w)) {
            *reinterpret_cast<HWND*>(lp) = w;
            return FALSE;
        }
        return TRUE;
    }

    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD)
    {
        WarningDriver* self = s_current;
        HWND dlg = nullptr;
        if (self) EnumThreadWindows(GetCurrentThreadId(), Find, reinterpret_cast<LPARAM>(&dlg));
        if (!dlg) return;
        Seen& s = self->seen;
        if (s.appeared) {
            if (++self->m_ticksAfter > 1000) {
                s.forcedClosed = true;
                EndDialog(dlg, IDCANCEL);
            }
            return;
        }
        s.appeared = true;
        s.title = TextOf(dlg);
        GetWindowRect(dlg, &s.rect);
        s.style = GetWindowLongA(dlg, GWL_STYLE);
        s.exStyle = GetWindowLongA(dlg, GWL_EXSTYLE);
        s.defaultId = LOWORD(SendMessageA(dlg, DM_GETDEFID, 0, 0));
        for (HWND c = GetWindow(dlg, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
            if (!IsClass(c, "Button")) continue;
            s.buttons.push_back(TextOf(c));
            RECT r{};
            GetWindowRect(c, &r);
            s.buttonRects.push_back(r);
        }
        s.label = ChildWithText(dlg, "Static", self->expectedText);
        if (s.label) {
            GetClientRect(s.label, &s.labelRect);
            LOGFONTA lf{};
            auto font = reinterpret_cast<HFONT>(SendMessageA(s.label, WM_GETFONT, 0, 0));
            if (font && GetObjectA(font, sizeof lf, &lf)) s.labelFontHeight = lf.lfHeight;
        }
        self->m_act(dlg, s);
    }

    static inline WarningDriver* s_current = nullptr;
    std::function<void(HWND, Seen&)> m_act;
    UINT_PTR m_timer = 0;
    int m_ticksAfter = 0;
};

void PostKey(WPARAM vk) { PostMessageA(GetFocus(), WM_KEYDOWN, vk, 1); }

struct MainWindowScope {
    explicit MainWindowScope(HWND w) { App().mainWindow = w; }
    ~MainWindowScope() { App().mainWindow = nullptr; }
};

const std::string kText = FormatMessage(5032, {748, 12});
const std::string kCaption = LoadMessage(5031);

} // namespace

TEST_SUITE("warning dialog")
{
    TEST_CASE("caption and text from the caller, picture, buttons; Escape answers No")
    {
        WarningDriver driver([](HWND, Seen&) { PostKey(VK_ESCAPE); });
        driver.expectedText = kText;
        TDlgWarning dlg;
        MsgResult r = dlg.Execute(nullptr, kCaption, kText);
        const Seen& s = driver.seen;
        REQUIRE(s.appeared);
        CHECK_FALSE(s.forcedClosed);
        CHECK(r == MsgResult::No);
        CHECK(s.title == "Avertissement !");
        CHECK(s.buttons == std::vector<std::string>{"&Ja", "&Nein", "Hilfe"});
        REQUIRE(s.buttonRects.size() == 3);
        CHECK(s.buttonRects[0].right <= s.buttonRects[1].left);
        CHECK(s.buttonRects[1].right <= s.buttonRects[2].left);
        CHECK(s.defaultId == IDNO);

        // No title-bar buttons, above the other windows.
        CHECK((s.style & WS_CAPTION) == WS_CAPTION);
        CHECK((s.style & WS_SYSMENU) == 0);
        CHECK((s.exStyle & WS_EX_TOPMOST) != 0);

        // The label: the whole text, word-wrapped at the designed width, 12-pixel font.
        REQUIRE(s.label != nullptr);
        CHECK(s.labelRect.right == Scaled(345));
        CHECK(s.labelRect.bottom > 3 * 12);
        CHECK(s.labelFontHeight == -Scaled(12));
        CHECK(s.buttonRects[0].top >= s.rect.top);
        CHECK(s.buttonRects[2].bottom <= s.rect.bottom);
    }

    TEST_CASE("Enter answers No, the default button")
    {
        WarningDriver driver([](HWND, Seen&) { PostKey(VK_RETURN); });
        TDlgWarning dlg;
        CHECK(dlg.Execute(nullptr, "Caption", "Text") == MsgResult::No);
        CHECK(driver.seen.appeared);
        CHECK_FALSE(driver.seen.forcedClosed);
    }

    TEST_CASE("\"&Ja\" answers Yes, by click and by Alt+J")
    {
        {
            WarningDriver driver([](HWND dlg, Seen&) {
                PostMessageA(ChildWithText(dlg, "Button", "&Ja"), BM_CLICK, 0, 0);
            });
            TDlgWarning dlg;
            CHECK(dlg.Execute(nullptr, "Caption", "Text") == MsgResult::Yes);
            CHECK_FALSE(driver.seen.forcedClosed);
        }
        {
            WarningDriver driver([](HWND, Seen&) {
                PostMessageA(GetFocus(), WM_SYSCHAR, 'j', 1 | (1 << 29));
            });
            TDlgWarning dlg;
            CHECK(dlg.Execute(nullptr, "Caption", "Text") == MsgResult::Yes);
            CHECK_FALSE(driver.seen.forcedClosed);
        }
    }

    TEST_CASE("\"Hilfe\" does not close the dialog")
    {
        // Without the program's help the help call is skipped; what matters here is that the
        // dialog stays and still answers.
        App().help = nullptr;
        WarningDriver driver([](HWND dlg, Seen& s) {
            SendMessageA(ChildWithText(dlg, "Button", "Hilfe"), BM_CLICK, 0, 0);
            s.stillOpenAfterHelp = IsWindow(dlg) && IsWindowVisible(dlg);
            PostMessageA(ChildWithText(dlg, "Button", "&Nein"), BM_CLICK, 0, 0);
        });
        TDlgWarning dlg;
        CHECK(dlg.Execute(nullptr, "Caption", "Text") == MsgResult::No);
        CHECK(driver.seen.stillOpenAfterHelp);
        CHECK_FALSE(driver.seen.forcedClosed);
    }

    TEST_CASE("centred on the main window when it opens")
    {
        HWND main = CreateWindowExA(0, "STATIC", "Typarium", WS_POPUP | WS_VISIBLE, 37, 21, 801, 603,
                                    nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
        MainWindowScope scope(main);
        WarningDriver driver([](HWND, Seen&) { PostKey(VK_ESCAPE); });
        TDlgWarning dlg;
        dlg.Execute(main, "Caption", kText);
        const RECT& d = driver.seen.rect;
        REQUIRE(driver.seen.appeared);
        CHECK(d.left == 37 + (801 - (d.right - d.left)) / 2);
        CHECK(d.top == 21 + (603 - (d.bottom - d.top)) / 2);
        CHECK(IsWindowEnabled(main)); // the owner is given back its input
        DestroyWindow(main);
    }

    TEST_CASE("under a script: recorded with its caption, answered from the queue")
    {
        ScriptedBoxes script{MsgResult::Yes};
        TDlgWarning dlg;
        CHECK(dlg.Execute(nullptr, kCaption, kText) == MsgResult::Yes);
        CHECK(dlg.Execute(nullptr, kCaption, kText) == MsgResult::No); // empty queue: Escape's No
        REQUIRE(script.Boxes().size() == 2);
        const RecordedBox& box = script.Boxes()[0];
        CHECK(box.warningDialog);
        CHECK(box.caption == "Avertissement !");
        CHECK(box.text == kText);
        CHECK(box.buttons == (MsgButton::Yes | MsgButton::No));
    }
}
