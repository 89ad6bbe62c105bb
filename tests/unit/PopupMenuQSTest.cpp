// TPopupMenuQS with real menus: keys posted before Popup drive its menu loop as a user would.
#include "app/Application.h"
#include "tray/PopupMenuQS.h"

#include <doctest/doctest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

using namespace typa;

namespace {

// Runs what the menu posted (its WM_COMMAND comes after the loop has ended).
void Pump()
{
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
}

void PostKeys(std::initializer_list<UINT> keys)
{
    HWND owner = TPopupMenuQS::UtilityWindow();
    for (UINT vk : keys) {
        PostMessageA(owner, WM_KEYDOWN, vk, 0);
        PostMessageA(owner, WM_KEYUP, vk, 0xC0000000);
    }
}

struct Recorder {
    std::vector<std::string> events;
    std::vector<std::string> hints;
};

TMenuItemQS Item(int command, const char* caption, const char* hint, Recorder& r)
{
    TMenuItemQS item;
    item.Command = command;
    item.Caption = caption;
    item.Hint = hint;
    item.OnClick = [&r, caption] { r.events.push_back(std::string("click ") + caption); };
    return item;
}

} // namespace

TEST_CASE("One hidden owner window for all menus of the kind, for as long as one exists")
{
    CHECK(TPopupMenuQS::UtilityWindow() == nullptr);
    auto first = std::make_unique<TPopupMenuQS>();
    HWND shared = TPopupMenuQS::UtilityWindow();
    REQUIRE(shared);
    CHECK_FALSE(IsWindowVisible(shared));
    {
        TPopupMenuQS second;
        CHECK(TPopupMenuQS::UtilityWindow() == shared);
    }
    CHECK(IsWindow(shared));
    first.reset();
    CHECK_FALSE(IsWindow(shared));
    CHECK(TPopupMenuQS::UtilityWindow() == nullptr);
}

TEST_CASE("Popup: OnPopup, hints while items are highlighted, OnHide, then the chosen item's OnClick")
{
    Recorder r;
    TPopupMenuQS menu;
    TPopupMenuQS other; // a second menu of the kind: its items are offered commands too
    menu.Add(Item(10, "&Un", "Le premier.", r));
    menu.Add(Item(11, "&Deux", "", r)).Visible = false;
    TMenuItemQS separator;
    separator.Caption = "-";
    menu.Add(separator);
    menu.Add(Item(12, "&Trois", "Le troisième.", r));
    other.Add(Item(20, "&Autre", "", r));
    menu.OnPopup = [&] { r.events.push_back("popup"); };
    menu.OnHide = [&] { r.events.push_back("hide"); };
    other.OnHide = [&] { r.events.push_back("other hide"); };
    menu.OnHint = [&](const std::string& hint) { r.hints.push_back(hint); };
    other.OnHint = [&](const std::string& hint) { r.hints.push_back("other: " + hint); };

    SUBCASE("Escape: nothing chosen")
    {
        PostKeys({VK_DOWN, VK_ESCAPE});
        menu.Popup(10, 10);
        Pump();
        CHECK(r.events == std::vector<std::string>{"popup", "hide", "other hide"});
        REQUIRE_FALSE(r.hints.empty());
        CHECK(r.hints.front() == "Le premier.");
        CHECK(r.hints.back().empty()); // the closed menu takes its hint away
        // Only the menu that was open heard of its hints.
        for (const std::string& h : r.hints) CHECK(h.rfind("other: ", 0) == std::string::npos);
        // The invisible item was not in the menu: the separator follows the first item.
        CHECK(GetMenuItemCount(menu.Handle()) == 3);
    }
    SUBCASE("Down, Down, Enter: the third item, past the hidden one and the separator")
    {
        PostKeys({VK_DOWN, VK_DOWN, VK_RETURN});
        menu.Popup(10, 10);
        Pump();
        CHECK(r.events == std::vector<std::string>{"popup", "hide", "other hide", "click &Trois"});
        CHECK(std::find(r.hints.begin(), r.hints.end(), "Le troisième.") != r.hints.end());
    }
    SUBCASE("A command of another menu of the kind runs that menu's item")
    {
        SendMessageA(TPopupMenuQS::UtilityWindow(), WM_COMMAND, 20, 0);
        SendMessageA(TPopupMenuQS::UtilityWindow(), WM_COMMAND, 99, 0); // nobody's
        CHECK(r.events == std::vector<std::string>{"click &Autre"});
    }
}
