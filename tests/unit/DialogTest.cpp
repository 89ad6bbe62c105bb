// The dialog base for real under Wine's null display driver: a small dialog made from a table,
// modeless where messages can be sent to it directly, modal where a thread timer running inside
// its modal loop acts as a user would.
#include <doctest/doctest.h>

#include "app/Application.h"
#include "app/ErrorBox.h"
#include "app/Errors.h"
#include "app/Scale.h"
#include "ui/Dialog.h"

#include <functional>
#include <string>
#include <vector>

using namespace typa;

namespace {

constexpr int kIdThrow = 200;
constexpr int kIdCount = 201;
constexpr int kIdLabel = 202;
constexpr int kIdPicture = 203;
constexpr int kIdRowFirst = 210;
constexpr int kIdRowSecond = 211;

constexpr DialogControl kControls[] = {
    {kIdLabel, "STATIC", "Texte", SS_LEFT, 10, 12, 150, 13},
    {kIdPicture, "STATIC", nullptr, SS_OWNERDRAW, 170, 12, 32, 32},
    {kIdThrow, "BUTTON", "Lancer", WS_TABSTOP | BS_PUSHBUTTON, 10, 70, 75, 25},
    {kIdCount, "BUTTON", "Compter", WS_TABSTOP | BS_PUSHBUTTON, 90, 70, 75, 25},
    {IDOK, "BUTTON", "OK", WS_TABSTOP | BS_DEFPUSHBUTTON, 170, 70, 75, 25},
};

class TTestDialog : public TDialog {
public:
    TTestDialog() = default;
    ~TTestDialog() override { DestroyDialog(); }

    using TDialog::CreateModeless;
    using TDialog::RunModal;

    static constexpr DialogFrame kFrame{WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME, WS_EX_DLGMODALFRAME};

    int inits = 0, counts = 0, oks = 0, cancels = 0, draws = 0, destroys = 0;
    HWND handleAtInit = nullptr;

private:
    bool OnInit() override
    {
        ++inits;
        handleAtInit = Handle();
        SetWindowTextA(Handle(), "Essai");
        AddControls(kControls);
        // A row of two centred in 300 pixels, 100 from the top.
        static constexpr DialogButton kRow[] = {{kIdRowFirst, "Un", WS_TABSTOP}, {kIdRowSecond, "Deux", WS_TABSTOP}};
        AddButtonRow(kRow, (300 - ButtonRowWidth(2, 80, 6)) / 2, 100, 80, 24, 6);
        return true;
    }
    bool OnCommand(int id, int code) override
    {
        if (code != BN_CLICKED) return false;
        if (id == kIdThrow) throw EUnexpected("Passe inconnue");
        if (id == kIdCount) ++counts;
        return id == kIdCount;
    }
    void OnOK() override
    {
        ++oks;
        TDialog::OnOK();
    }
    void OnCancel() override
    {
        ++cancels;
        TDialog::OnCancel();
    }
    bool OnDrawItem(const DRAWITEMSTRUCT& dis) override
    {
        if (dis.CtlID != kIdPicture) return false;
        ++draws;
        return true;
    }
    void OnDestroy() noexcept override { ++destroys; }
};

void Click(HWND dlg, int id)
{
    SendMessageA(dlg, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dlg, id)));
}

RECT ChildRect(HWND dlg, int id)
{
    RECT r{};
    GetWindowRect(GetDlgItem(dlg, id), &r);
    MapWindowPoints(nullptr, dlg, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

// Runs `act` on the modal dialog once it is up; ends it by force when the act does not, which
// the test sees as a failure.
class ModalDriver {
public:
    ModalDriver(TTestDialog& dlg, std::function<void(HWND)> act) : m_dlg(dlg), m_act(std::move(act))
    {
        s_current = this;
        m_timer = SetTimer(nullptr, 0, 10, Tick);
    }
    ~ModalDriver()
    {
        KillTimer(nullptr, m_timer);
        s_current = nullptr;
    }
    bool acted = false, forcedClosed = false;

private:
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD)
    {
        ModalDriver* self = s_current;
        HWND dlg = self ? self->m_dlg.Handle() : nullptr;
        if (!dlg) return;
        if (!self->acted) {
            self->acted = true;
            self->m_act(dlg);
        } else if (++self->m_ticksAfter > 1000) {
            self->forcedClosed = true;
            EndDialog(dlg, 99);
        }
    }

    static inline ModalDriver* s_current = nullptr;
    TTestDialog& m_dlg;
    std::function<void(HWND)> m_act;
    UINT_PTR m_timer = 0;
    int m_ticksAfter = 0;
};

} // namespace

TEST_SUITE("dialog base")
{
    TEST_CASE("made from its table: the object is reached from WM_INITDIALOG on, controls scaled")
    {
        TTestDialog d;
        REQUIRE(d.CreateModeless(nullptr, TTestDialog::kFrame));
        HWND dlg = d.Handle();
        REQUIRE(dlg);
        CHECK(d.inits == 1);
        CHECK(d.handleAtInit == dlg);
        CHECK_FALSE(IsWindowVisible(dlg)); // modeless dialogs start hidden

        const RECT label = ChildRect(dlg, kIdLabel);
        CHECK(label.left == Scaled(10));
        CHECK(label.top == Scaled(12));
        CHECK(label.right - label.left == Scaled(150));
        CHECK(label.bottom - label.top == Scaled(13));
        const RECT ok = ChildRect(dlg, IDOK);
        CHECK(ok.left == Scaled(170));
        CHECK(ok.right - ok.left == Scaled(75));

        // Controls with a text take the dialog's font; the picture keeps its own.
        const auto dialogFont = SendMessageA(dlg, WM_GETFONT, 0, 0);
        CHECK(dialogFont != 0);
        CHECK(SendDlgItemMessageA(dlg, kIdLabel, WM_GETFONT, 0, 0) == dialogFont);
        CHECK(SendDlgItemMessageA(dlg, IDOK, WM_GETFONT, 0, 0) == dialogFont);
        CHECK(SendDlgItemMessageA(dlg, kIdPicture, WM_GETFONT, 0, 0) == 0);

        // The row in screen pixels: left to right, the gap between, centred.
        const RECT one = ChildRect(dlg, kIdRowFirst), two = ChildRect(dlg, kIdRowSecond);
        CHECK(one.left == (300 - 166) / 2);
        CHECK(one.right - one.left == 80);
        CHECK(one.bottom - one.top == 24);
        CHECK(two.left == one.right + 6);
        CHECK(two.top == 100);
        CHECK(one.top == 100);
        CHECK(SendDlgItemMessageA(dlg, kIdRowSecond, WM_GETFONT, 0, 0) == dialogFont);

        // Table order is the tab order.
        HWND first = GetNextDlgTabItem(dlg, nullptr, FALSE);
        CHECK(GetDlgCtrlID(first) == kIdThrow);
        CHECK(GetDlgCtrlID(GetNextDlgTabItem(dlg, first, FALSE)) == kIdCount);
    }

    TEST_CASE("commands reach OnCommand, OK and Cancel their own handlers, drawing OnDrawItem")
    {
        TTestDialog d;
        REQUIRE(d.CreateModeless(nullptr, TTestDialog::kFrame));
        Click(d.Handle(), kIdCount);
        Click(d.Handle(), kIdCount);
        CHECK(d.counts == 2);
        // Other notifications than a click are the dialog's to judge.
        SendMessageA(d.Handle(), WM_COMMAND, MAKEWPARAM(kIdCount, BN_SETFOCUS), 0);
        CHECK(d.counts == 2);

        DRAWITEMSTRUCT dis{};
        dis.CtlType = ODT_STATIC;
        dis.CtlID = kIdPicture;
        dis.hwndItem = GetDlgItem(d.Handle(), kIdPicture);
        SendMessageA(d.Handle(), WM_DRAWITEM, kIdPicture, reinterpret_cast<LPARAM>(&dis));
        CHECK(d.draws == 1);
    }

    TEST_CASE("an exception in a handler is reported and the dialog goes on")
    {
        ScriptedBoxes script;
        TTestDialog d;
        REQUIRE(d.CreateModeless(nullptr, TTestDialog::kFrame));
        Click(d.Handle(), kIdThrow);
        REQUIRE(script.Boxes().size() == 1);
        const RecordedBox& box = script.Boxes()[0];
        CHECK(box.kind == MsgKind::Error);
        CHECK(box.buttons == MsgButton::OK);
        CHECK(box.text.rfind("Erreur d'exception EUnexpected dans ", 0) == 0);
        CHECK(box.text.find(".\nPasse inconnue.\n") != std::string::npos);

        // Still there, and still answering.
        REQUIRE(IsWindow(d.Handle()));
        Click(d.Handle(), kIdCount);
        CHECK(d.counts == 1);
        Click(d.Handle(), kIdThrow);
        CHECK(script.Boxes().size() == 2);
    }

    TEST_CASE("a modeless window destroyed with its owner: OnDestroy, no handle, nothing reaches the object")
    {
        HWND owner = CreateWindowExA(0, "STATIC", "owner", WS_POPUP, 0, 0, 100, 100, nullptr, nullptr,
                                     GetModuleHandleA(nullptr), nullptr);
        REQUIRE(owner);
        TTestDialog d;
        REQUIRE(d.CreateModeless(owner, TTestDialog::kFrame));
        HWND dlg = d.Handle();
        CHECK(GetWindow(dlg, GW_OWNER) == owner);
        DestroyWindow(owner);
        CHECK_FALSE(IsWindow(dlg));
        CHECK(d.Handle() == nullptr);
        CHECK(d.destroys == 1);
    }

    TEST_CASE("an owner that is no window any more is no owner")
    {
        HWND gone = CreateWindowExA(0, "STATIC", "gone", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                    GetModuleHandleA(nullptr), nullptr);
        DestroyWindow(gone);
        TTestDialog d;
        REQUIRE(d.CreateModeless(gone, TTestDialog::kFrame));
        CHECK(GetWindow(d.Handle(), GW_OWNER) == nullptr);
    }

    TEST_CASE("modal: OK ends the run with IDOK, Escape with IDCANCEL; the handle is gone after")
    {
        {
            TTestDialog d;
            ModalDriver driver(d, [](HWND dlg) { PostMessageA(GetDlgItem(dlg, IDOK), BM_CLICK, 0, 0); });
            CHECK(d.RunModal(nullptr, TTestDialog::kFrame) == IDOK);
            CHECK(driver.acted);
            CHECK_FALSE(driver.forcedClosed);
            CHECK(d.oks == 1);
            CHECK(d.Handle() == nullptr);
            CHECK(d.destroys == 1);
        }
        {
            TTestDialog d;
            ModalDriver driver(d, [](HWND) { PostMessageA(GetFocus(), WM_KEYDOWN, VK_ESCAPE, 1); });
            CHECK(d.RunModal(nullptr, TTestDialog::kFrame) == IDCANCEL);
            CHECK_FALSE(driver.forcedClosed);
            CHECK(d.cancels == 1);
            CHECK(d.oks == 0);
        }
    }

    TEST_CASE("modal: a handler that throws is reported and the run goes on to its answer")
    {
        ScriptedBoxes script;
        TTestDialog d;
        ModalDriver driver(d, [](HWND dlg) {
            Click(dlg, kIdThrow);
            PostMessageA(GetDlgItem(dlg, IDOK), BM_CLICK, 0, 0);
        });
        CHECK(d.RunModal(nullptr, TTestDialog::kFrame) == IDOK);
        CHECK_FALSE(driver.forcedClosed);
        CHECK(script.Boxes().size() == 1);
    }

    TEST_CASE("answered without a dialog: by the script, read as accept or refuse; once the session ends")
    {
        const RecordedBox box{"Texte", MsgKind::Confirmation, MsgButton::OK | MsgButton::Cancel, "Titre", nullptr,
                              false};
        CHECK_FALSE(AnswerWithoutDialog(box, MsgResult::OK, MsgResult::Cancel).has_value());
        {
            ScriptedBoxes script{MsgResult::OK, MsgResult::Yes};
            CHECK(AnswerWithoutDialog(box, MsgResult::OK, MsgResult::Cancel) == MsgResult::OK);
            CHECK(AnswerWithoutDialog(box, MsgResult::OK, MsgResult::Cancel) == MsgResult::Cancel);
            CHECK(AnswerWithoutDialog(box, MsgResult::OK, MsgResult::Cancel) == MsgResult::Cancel); // Escape's
            REQUIRE(script.Boxes().size() == 3);
            CHECK(script.Boxes()[0].caption == "Titre");
            CHECK(script.Boxes()[0].text == "Texte");
        }
        App().sessionEnding = true;
        CHECK(AnswerWithoutDialog(box, MsgResult::OK, MsgResult::Cancel) == MsgResult::Cancel);
        App().sessionEnding = false;
    }
}
