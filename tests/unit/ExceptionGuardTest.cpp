// A failure inside a window procedure reaches the user as the unexpected-error box, and the
// program goes on.
#include "app/ErrorBox.h"
#include "app/ExceptionGuard.h"
#include "app/Messages.h"
#include <doctest/doctest.h>

using namespace typa;

namespace {
LRESULT CALLBACK FailingProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp)
{
    if (msg == WM_APP)
        return Guarded<LRESULT>(-7, [&]() -> LRESULT {
            ShowError(13, "texte");
            return 1;
        });
    return DefWindowProcA(wnd, msg, wp, lp);
}
} // namespace

TEST_CASE("ShowError with an unknown number shows message 2001 naming EUndefinedMessage")
{
    WNDCLASSA wc{};
    wc.lpfnWndProc = FailingProc;
    wc.lpszClassName = "TypariumGuardTest";
    RegisterClassA(&wc);
    HWND wnd = CreateWindowA("TypariumGuardTest", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    REQUIRE(wnd);

    ScriptedBoxes boxes{MsgResult::OK};
    LRESULT r = SendMessageA(wnd, WM_APP, 0, 0);
    CHECK(r == -7); // the procedure returned its safe value instead of unwinding through the system

    REQUIRE(boxes.Boxes().size() == 1);
    const RecordedBox& box = boxes.Boxes()[0];
    CHECK(box.kind == MsgKind::Error);
    CHECK(box.buttons == MsgButton::OK);
    const std::string expectedReason = FormatMessage(3900, {13});
    CHECK(box.text.find("Erreur d'exception EUndefinedMessage dans ") == 0);
    CHECK(box.text.find(expectedReason) != std::string::npos);
    CHECK(box.text.find("Il est conseillé de quitter le programme.") != std::string::npos);

    // And it carries on: the same window answers the next message normally.
    CHECK(SendMessageA(wnd, WM_APP, 0, 0) == -7);
    CHECK(boxes.Boxes().size() == 2);
    DestroyWindow(wnd);
}
