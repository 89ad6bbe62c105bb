// Errors, questions and the unexpected-error report through the scripted seam, then the real
// box: under Wine's null display driver it exists as a real dialog, and a thread timer that
// runs inside its modal loop reads it and answers it as a user would.
#include <doctest/doctest.h>

#include "app/Application.h"
#include "app/ErrorBox.h"
#include "app/Errors.h"
#include "app/Messages.h"

#include <cstdlib>
#include <functional>
#include <new>
#include <stdexcept>
#include <string>
#include <vector>

using namespace typa;

namespace {

const char kTitle3017[] = "Typarium n'a pas \xE9t\xE9 install\xE9 correctement !\nVeuillez "
                          "r\xE9sinstaller le programme puis le red\xE9marrer.";

struct Child {
    std::string cls, text;
    RECT rect{};
    LONG style = 0;
    int id = 0;
};

// What the driver saw of the dialog when it appeared.
struct Seen {
    bool appeared = false;
    bool forcedClosed = false;
    std::string cls, title;
    HWND owner = nullptr;
    RECT rect{};
    HCURSOR cursor = nullptr;
    int defaultId = 0;
    std::vector<Child> children;

    std::vector<std::string> ButtonCaptions() const
    {
        std::vector<std::string> v;
        for (const Child& c : children)
            if (c.cls == "Button") v.push_back(c.text);
        return v;
    }
    const Child* Static(const std::string& text) const
    {
        for (const Child& c : children)
            if (c.cls == "Static" && c.text == text) return &c;
        return nullptr;
    }
};

std::string ClassOf(HWND w)
{
    char buf[64] = {};
    GetClassNameA(w, buf, sizeof buf);
    return buf;
}

std::string TextOf(HWND w)
{
    std::string s(static_cast<std::size_t>(GetWindowTextLengthA(w)) + 1, '\0');
    s.resize(static_cast<std::size_t>(GetWindowTextA(w, s.data(), static_cast<int>(s.size()))));
    return s;
}

HWND ButtonWithCaption(HWND dlg, const char* caption)
{
    for (HWND c = GetWindow(dlg, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
        if (ClassOf(c) == "Button" && TextOf(c) == caption) return c;
    return nullptr;
}

// Answers the next dialog of this thread: once it is visible, records it and runs `act`. A
// dialog still up long after that is closed by force, which the test sees as a failure.
class DialogDriver {
public:
    explicit DialogDriver(std::function<void(HWND)> act) : m_act(std::move(act))
    {
        s_current = this;
        m_timer = SetTimer(nullptr, 0, 10, Tick);
    }
    ~DialogDriver()
    {
        KillTimer(nullptr, m_timer);
        s_current = nullptr;
    }
    Seen seen;

private:
    static BOOL CALLBACK FindDialog(HWND w, LPARAM lp)
    {
        if (ClassOf(w) == "#32770" && IsWindowVisible(w)) {
            *reinterpret_cast<HWND*>(lp) = w;
            return FALSE;
        }
        return TRUE;
    }

    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD)
    {
        DialogDriver* self = s_current;
        if (!self) return;
        HWND dlg = nullptr;
        EnumThreadWindows(GetCurrentThreadId(), FindDialog, reinterpret_cast<LPARAM>(&dlg));
        if (!dlg) return;
        if (!self->seen.appeared) {
            Seen& s = self->seen;
            s.appeared = true;
            s.cls = ClassOf(dlg);
            s.title = TextOf(dlg);
            s.owner = GetWindow(dlg, GW_OWNER);
            GetWindowRect(dlg, &s.rect);
            s.cursor = GetCursor();
            s.defaultId = LOWORD(SendMessageA(dlg, DM_GETDEFID, 0, 0));
            for (HWND c = GetWindow(dlg, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
                Child ch{ClassOf(c), TextOf(c), {}, GetWindowLongA(c, GWL_STYLE), GetDlgCtrlID(c)};
                GetWindowRect(c, &ch.rect);
                s.children.push_back(ch);
            }
            self->m_act(dlg);
        } else if (++self->m_ticksAfter > 1000) {
            self->seen.forcedClosed = true;
            EndDialog(dlg, 99);
        }
    }

    static inline DialogDriver* s_current = nullptr;
    std::function<void(HWND)> m_act;
    UINT_PTR m_timer = 0;
    int m_ticksAfter = 0;
};

std::function<void(HWND)> Click(const char* caption)
{
    return [caption](HWND dlg) {
        HWND b = ButtonWithCaption(dlg, caption);
        if (b) PostMessageA(b, BM_CLICK, 0, 0);
    };
}

// A key as the keyboard would send it to the control that has the focus.
std::function<void(HWND)> Key(WPARAM vk)
{
    return [vk](HWND) { PostMessageA(GetFocus(), WM_KEYDOWN, vk, 1); };
}

std::function<void(HWND)> AltKey(char letter)
{
    return [letter](HWND) {
        PostMessageA(GetFocus(), WM_SYSCHAR, static_cast<WPARAM>(letter), 1 | (1 << 29));
    };
}

HWND MakePopup(int x, int y, int w, int h, bool visible = true)
{
    return CreateWindowExA(0, "STATIC", "main", WS_POPUP | (visible ? WS_VISIBLE : 0), x, y, w, h,
                           nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
}

// Sets the program's main window for one test.
struct MainWindowScope {
    explicit MainWindowScope(HWND w) { App().mainWindow = w; }
    ~MainWindowScope() { App().mainWindow = nullptr; }
};

// The 8 hex digits that follow `head` in a report name an offset inside this program's image.
bool ReportAddressInsideImage(const std::string& text, const std::string& head)
{
    if (text.rfind(head, 0) != 0 || text.size() < head.size() + 8) return false;
    const std::string hex = text.substr(head.size(), 8);
    if (hex.find_first_not_of("0123456789ABCDEF") != std::string::npos) return false;
    const auto* base = reinterpret_cast<const BYTE*>(GetModuleHandleA(nullptr));
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    return std::strtoul(hex.c_str(), nullptr, 16) < nt->OptionalHeader.SizeOfImage;
}

HCURSOR Arrow() { return LoadCursor(nullptr, IDC_ARROW); }
HCURSOR Hourglass() { return LoadCursor(nullptr, IDC_WAIT); }

} // namespace

TEST_SUITE("errors and questions")
{
    TEST_CASE("ShowError: the error's text with the argument, in an error box with OK only")
    {
        ScriptedBoxes script;
        ShowError(17, "Typarium");
        REQUIRE(script.Boxes().size() == 1);
        const RecordedBox& box = script.Boxes()[0];
        CHECK(box.text == kTitle3017);
        CHECK(box.kind == MsgKind::Error);
        CHECK(box.buttons == MsgButton::OK);
        CHECK(box.caption == "Erreur");
        CHECK_FALSE(box.warningDialog);
    }

    TEST_CASE("ShowError without a text raises EUndefinedMessage with the short code")
    {
        ScriptedBoxes script;
        bool thrown = false;
        try {
            ShowError(13, "x");
        } catch (const EUndefinedMessage& e) {
            thrown = true;
            CHECK(std::string(e.what()) == "Erreur interne : message d'erreur ind\xE9"
                                           "fini pour le num\xE9ro d'erreur : 13. Veuillez informer "
                                           "Orvane Media de cette erreur.");
            CHECK(std::string(e.ClassName()) == "EUndefinedMessage");
            CHECK(script.Boxes().empty());

            // What the user then sees: message 2001 naming the class and the 3900 text.
            ShowUnexpectedError(e);
            REQUIRE(script.Boxes().size() == 1);
            const std::string& text = script.Boxes()[0].text;
            CHECK(ReportAddressInsideImage(text, "Erreur d'exception EUndefinedMessage dans "));
            CHECK(text.find(std::string(".\n") + e.what() + ".\nIl est conseill\xE9 de quitter le "
                                                            "programme.") != std::string::npos);
            CHECK(script.Boxes()[0].kind == MsgKind::Error);
            CHECK(script.Boxes()[0].buttons == MsgButton::OK);
        }
        CHECK(thrown);
    }

    TEST_CASE("AskQuestion: both texts, a confirmation box with the caller's buttons, its answer")
    {
        ScriptedBoxes script{MsgResult::All};
        const unsigned buttons = MsgButton::Yes | MsgButton::No | MsgButton::All;
        CHECK(AskQuestion(1, "ARIAL.TTF", "", buttons) == MsgResult::All);
        REQUIRE(script.Boxes().size() == 1);
        CHECK(script.Boxes()[0].text ==
              "Le fichier 'ARIAL.TTF' existe d\xE9j\xE0. Faut-il \xE9"
              "craser le fichier existant ?");
        CHECK(script.Boxes()[0].kind == MsgKind::Confirmation);
        CHECK(script.Boxes()[0].caption == "Confirmation");
        CHECK(script.Boxes()[0].buttons == buttons);
        // The queue is empty now: the box answers as Escape would.
        CHECK(AskQuestion(1, "TIMES.TTF", "", buttons) == MsgResult::No);
        CHECK(script.Boxes().size() == 2);
    }

    TEST_CASE("AskQuestion without a text raises EUndefinedMessage with message 3910")
    {
        ScriptedBoxes script;
        CHECK_THROWS_WITH_AS(AskQuestion(2, "a", "b", MsgButton::Yes | MsgButton::No),
                             "Erreur interne : message de retour ind\xE9"
                             "fini pour le num\xE9ro de retour : 2. Veuillez informer Orvane Media "
                             "de cette erreur.",
                             EUndefinedMessage);
        CHECK(script.Boxes().empty());
    }

    TEST_CASE("an unanswered script answers as Escape would")
    {
        using namespace MsgButton;
        ScriptedBoxes script;
        CHECK(ShowMessageBox("t", MsgKind::Error, OK) == MsgResult::OK);
        CHECK(ShowMessageBox("t", MsgKind::Error, Yes | No) == MsgResult::No);
        CHECK(ShowMessageBox("t", MsgKind::Error, Yes | No | Cancel) == MsgResult::Cancel);
        CHECK(ShowMessageBox("t", MsgKind::Error, OK | Cancel) == MsgResult::Cancel);
        CHECK(ShowMessageBox("t", MsgKind::Error, Yes | All) == MsgResult::Yes);
        CHECK(ShowMessageBox("t", MsgKind::Error, 0) == MsgResult::OK);
    }

    TEST_CASE("scripts nest: the innermost answers, the outer one comes back")
    {
        ScriptedBoxes outer{MsgResult::Yes};
        {
            ScriptedBoxes inner{MsgResult::Cancel};
            CHECK(ScriptedBoxes::Current() == &inner);
            CHECK(ShowMessageBox("inner", MsgKind::Confirmation, MsgButton::Yes | MsgButton::Cancel) ==
                  MsgResult::Cancel);
        }
        CHECK(ScriptedBoxes::Current() == &outer);
        CHECK(ShowMessageBox("outer", MsgKind::Confirmation, MsgButton::Yes | MsgButton::No) ==
              MsgResult::Yes);
        REQUIRE(outer.Boxes().size() == 1);
        CHECK(outer.Boxes()[0].text == "outer");
    }

    TEST_CASE("the arrow shows while a box is up and the hourglass comes back after")
    {
        ScriptedBoxes script;
        SetCursor(Hourglass());
        ShowError(17, "Typarium");
        REQUIRE(script.Boxes().size() == 1);
        CHECK(script.Boxes()[0].cursor == Arrow());
        CHECK(GetCursor() == Hourglass());

        // The path that raises shows no box and leaves the cursor alone.
        CHECK_THROWS_AS(ShowError(13, ""), EUndefinedMessage);
        CHECK(GetCursor() == Hourglass());
        SetCursor(Arrow());
    }
}

TEST_SUITE("unexpected-error report")
{
    TEST_CASE("class name, address relative to the image base, message")
    {
        const auto* base = reinterpret_cast<const char*>(GetModuleHandleA(nullptr));
        CHECK(UnexpectedErrorText("EUnexpected", base + 0x1A2B, "Passe inconnue") ==
              "Erreur d'exception EUnexpected dans 00001A2B.\nPasse inconnue.\nIl est conseill\xE9 "
              "de quitter le programme.");
    }

    TEST_CASE("class names of our own and of standard exceptions")
    {
        CHECK(ExceptionClassName(EUndefinedMessage("m")) == "EUndefinedMessage");
        CHECK(ExceptionClassName(EUnexpected("m")) == "EUnexpected");
        CHECK(ExceptionClassName(std::bad_alloc()) == "EOutOfMemory");
        CHECK(ExceptionClassName(std::runtime_error("m")) == "Exception");
    }

    TEST_CASE("the exception being handled is shown with an address inside the program")
    {
        ScriptedBoxes script;
        try {
            throw EUnexpected("Passe inconnue");
        } catch (...) {
            ShowCurrentException();
        }
        try {
            throw 42;
        } catch (...) {
            ShowCurrentException();
        }
        ShowCurrentException(); // nothing is being handled: nothing to show, no crash
        REQUIRE(script.Boxes().size() == 2);

        const std::string first = script.Boxes()[0].text;
        const std::string head = "Erreur d'exception EUnexpected dans ";
        CHECK(ReportAddressInsideImage(first, head));
        CHECK(first.substr(head.size() + 8) ==
              ".\nPasse inconnue.\nIl est conseill\xE9 de quitter le programme.");
        CHECK(script.Boxes()[0].buttons == MsgButton::OK);

        const std::string second = script.Boxes()[1].text;
        CHECK(ReportAddressInsideImage(second, "Erreur d'exception Exception dans "));
        CHECK(second.find(".\n.\nIl est conseill\xE9") != std::string::npos);
    }
}

TEST_SUITE("placing a dialog over the main window")
{
    TEST_CASE("centred, the halves truncated toward zero")
    {
        HWND main = MakePopup(10, 20, 100, 80);
        HWND dialog = MakePopup(500, 500, 201, 51);
        MainWindowScope scope(main);
        CentreOnMainWindow(dialog);
        RECT r{};
        GetWindowRect(dialog, &r);
        CHECK(r.left == 10 + (100 - 201) / 2); // -40, not the floor's -41
        CHECK(r.left == -40);
        CHECK(r.top == 20 + 14);
        CHECK(r.right - r.left == 201); // the size stays
        DestroyWindow(dialog);
        DestroyWindow(main);
    }

    TEST_CASE("no main window, or a minimised one: the dialog stays where it is")
    {
        HWND dialog = MakePopup(123, 45, 200, 100);
        RECT before{}, after{};
        GetWindowRect(dialog, &before);
        {
            MainWindowScope none(nullptr);
            CentreOnMainWindow(dialog);
        }
        HWND main = CreateWindowExA(0, "STATIC", "main", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 640,
                                    480, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
        ShowWindow(main, SW_MINIMIZE);
        {
            MainWindowScope minimised(main);
            CentreOnMainWindow(dialog);
        }
        GetWindowRect(dialog, &after);
        CHECK(after.left == before.left);
        CHECK(after.top == before.top);
        DestroyWindow(main);
        DestroyWindow(dialog);
    }
}

TEST_SUITE("the real box")
{
    TEST_CASE("a question with Yes, No and All: title, icon, text, buttons; \"&Tout\" answers All")
    {
        const std::string text = "Le fichier 'A&B.TTF' existe d\xE9j\xE0.\nFaut-il \xE9"
                                 "craser le fichier existant ?";
        DialogDriver driver(Click("&Tout"));
        MsgResult r = ShowMessageBox(text, MsgKind::Confirmation,
                                     MsgButton::All | MsgButton::No | MsgButton::Yes);
        const Seen& s = driver.seen;
        REQUIRE(s.appeared);
        CHECK_FALSE(s.forcedClosed);
        CHECK(r == MsgResult::All);
        CHECK(s.cls == "#32770");
        CHECK(s.title == "Confirmation");
        CHECK(s.ButtonCaptions() == std::vector<std::string>{"&Oui", "&Non", "&Tout"});
        CHECK(s.defaultId == IDYES);

        // Left to right in that order, on one line, inside the box.
        std::vector<RECT> buttons;
        for (const Child& c : s.children)
            if (c.cls == "Button") buttons.push_back(c.rect);
        REQUIRE(buttons.size() == 3);
        for (std::size_t i = 1; i < buttons.size(); ++i) {
            CHECK(buttons[i].left >= buttons[i - 1].right);
            CHECK(buttons[i].top == buttons[0].top);
        }
        CHECK(buttons.front().left >= s.rect.left);
        CHECK(buttons.back().right <= s.rect.right);

        // The text as it stands: the ampersand is no mnemonic, the line break stays.
        const Child* label = s.Static(text);
        REQUIRE(label != nullptr);
        CHECK((label->style & SS_NOPREFIX) != 0);
        CHECK(label->rect.bottom - label->rect.top >= 2 * 8); // two lines at least
        CHECK(label->rect.bottom <= buttons.front().top);

        bool hasIcon = false;
        for (const Child& c : s.children)
            if (c.cls == "Static" && (c.style & SS_TYPEMASK) == SS_ICON) hasIcon = true;
        CHECK(hasIcon);
    }

    TEST_CASE("an error: title \"Erreur\", OK alone, Enter answers it")
    {
        DialogDriver driver(Key(VK_RETURN));
        MsgResult r = ShowMessageBox(kTitle3017, MsgKind::Error, MsgButton::OK);
        REQUIRE(driver.seen.appeared);
        CHECK_FALSE(driver.seen.forcedClosed);
        CHECK(r == MsgResult::OK);
        CHECK(driver.seen.title == "Erreur");
        CHECK(driver.seen.ButtonCaptions() == std::vector<std::string>{"OK"});
        CHECK(driver.seen.Static(kTitle3017) != nullptr);
    }

    TEST_CASE("all five buttons keep their order whatever order the flags are given in")
    {
        using namespace MsgButton;
        DialogDriver driver(Click("Annuler"));
        MsgResult r = ShowMessageBox("t", MsgKind::Confirmation, All | Cancel | OK | No | Yes);
        CHECK(r == MsgResult::Cancel);
        CHECK(driver.seen.ButtonCaptions() ==
              std::vector<std::string>{"&Oui", "&Non", "OK", "Annuler", "&Tout"});
    }

    TEST_CASE("Escape answers Cancel, else No, else OK")
    {
        using namespace MsgButton;
        struct Case {
            unsigned buttons;
            MsgResult expected;
        };
        for (Case c : {Case{Yes | No | Cancel, MsgResult::Cancel}, Case{Yes | No, MsgResult::No},
                       Case{OK, MsgResult::OK}, Case{Yes | No | All, MsgResult::No}}) {
            CAPTURE(c.buttons);
            DialogDriver driver(Key(VK_ESCAPE));
            CHECK(ShowMessageBox("t", MsgKind::Confirmation, c.buttons) == c.expected);
            CHECK(driver.seen.appeared);
            CHECK_FALSE(driver.seen.forcedClosed);
        }
    }

    TEST_CASE("Enter answers the first button")
    {
        DialogDriver driver(Key(VK_RETURN));
        CHECK(ShowMessageBox("t", MsgKind::Confirmation, MsgButton::No | MsgButton::Yes) ==
              MsgResult::Yes);
        CHECK_FALSE(driver.seen.forcedClosed);
    }

    TEST_CASE("Alt+O, Alt+N and Alt+T press their buttons")
    {
        using namespace MsgButton;
        struct Case {
            char letter;
            MsgResult expected;
        };
        for (Case c : {Case{'o', MsgResult::Yes}, Case{'n', MsgResult::No}, Case{'t', MsgResult::All}}) {
            CAPTURE(c.letter);
            DialogDriver driver(AltKey(c.letter));
            CHECK(ShowMessageBox("t", MsgKind::Confirmation, Yes | No | All) == c.expected);
            CHECK_FALSE(driver.seen.forcedClosed);
        }
    }

    TEST_CASE("a long text wraps and the box stays on the screen, centred")
    {
        const std::string text = FormatMessage(3010, {"C:\\WINDOWS\\FONTS\\ARIAL.TTF"});
        DialogDriver driver(Key(VK_ESCAPE));
        CHECK(ShowMessageBox(text, MsgKind::Error, MsgButton::Yes | MsgButton::No) == MsgResult::No);
        const Seen& s = driver.seen;
        REQUIRE(s.appeared);
        const int screenW = GetSystemMetrics(SM_CXSCREEN), screenH = GetSystemMetrics(SM_CYSCREEN);
        const int w = s.rect.right - s.rect.left, h = s.rect.bottom - s.rect.top;
        CHECK(w <= screenW);
        CHECK(s.rect.left >= 0);
        CHECK(s.rect.top >= 0);
        CHECK(std::abs(s.rect.left - (screenW - w) / 2) <= 1);
        CHECK(std::abs(s.rect.top - (screenH - h) / 2) <= 1);
        const Child* label = s.Static(text);
        REQUIRE(label != nullptr);
        CHECK(label->rect.bottom - label->rect.top > 3 * 8); // wrapped on several lines
        CHECK(label->rect.right <= s.rect.right);
    }

    TEST_CASE("the arrow while the box is up, the previous cursor after")
    {
        SetCursor(Hourglass());
        DialogDriver driver(Key(VK_ESCAPE));
        ShowMessageBox("t", MsgKind::Error, MsgButton::OK);
        CHECK(driver.seen.cursor == Arrow());
        CHECK(GetCursor() == Hourglass());
        SetCursor(Arrow());
    }

    TEST_CASE("owned by the program's active window")
    {
        HWND main = CreateWindowExA(0, "STATIC", "Typarium", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 50, 50,
                                    400, 300, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
        MainWindowScope scope(main);
        SetActiveWindow(main);
        DialogDriver driver(Key(VK_ESCAPE));
        ShowMessageBox("t", MsgKind::Error, MsgButton::OK);
        CHECK(driver.seen.owner == main);
        CHECK(IsWindowEnabled(main)); // given back after the modal box
        DestroyWindow(main);
    }

    TEST_CASE("a hostile text neither crashes nor hangs")
    {
        std::string text(20000, 'W'); // one word far wider than the box
        text += "\n%s %d %%\t&&&";
        DialogDriver driver(Key(VK_ESCAPE));
        CHECK(ShowMessageBox(text, MsgKind::Error, MsgButton::OK) == MsgResult::OK);
        REQUIRE(driver.seen.appeared);
        CHECK(driver.seen.rect.right - driver.seen.rect.left <= GetSystemMetrics(SM_CXSCREEN));
        CHECK(driver.seen.rect.bottom - driver.seen.rect.top <= GetSystemMetrics(SM_CYSCREEN));
    }
}
