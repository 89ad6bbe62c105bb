// The main window's creation when a start-up check refuses it, in this process: the message and
// no window left behind.
#include "app/Application.h"
#include "app/ErrorBox.h"
#include "app/Settings.h"
#include "app/fTYPA.h"
#include "platform/Registry.h"
#include <doctest/doctest.h>

using namespace typa;

TEST_CASE("A refused start shows 3017 and leaves no window")
{
    App().instance = GetModuleHandleA(nullptr);
    TfrmTYPA::RegisterClasses(App().instance);
    const std::string fontPath = settings::ReadFontPath();
    reg::DeleteValue(HKEY_LOCAL_MACHINE, settings::kProgramKey, "FontPath");

    ScriptedBoxes boxes{MsgResult::OK};
    TfrmTYPA form;
    CHECK_FALSE(form.Create(nullptr));
    CHECK(form.Handle() == nullptr);
    CHECK(FindWindowA("TfrmTYPA", nullptr) == nullptr);
    REQUIRE(boxes.Boxes().size() == 1);
    CHECK(boxes.Boxes()[0].text.find("n'a pas été installé correctement") != std::string::npos);

    if (!fontPath.empty()) reg::WriteString(HKEY_LOCAL_MACHINE, settings::kProgramKey, "FontPath", fontPath);
}
