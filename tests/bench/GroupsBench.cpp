// Prints how long the user's group records take with 8,000 installed fonts: the records read at
// start-up, a save that changes nothing, a move of every font to another group, a rename of the
// group that holds them all; beside them the floors (one enumeration of the key, 8,000 plain
// writes through one open key) and the whole rewrite the records had before (the key deleted,
// every value written again). Figures only: no pass or fail.
//   GroupsBench.exe [N]      N fonts (8,000 by default), 5 rounds of each
// It works on the program's own Fonts and GroupsNew keys of the prefix it runs in and removes them
// at the end: use a throw-away prefix.
#include "app/ErrorBox.h"
#include "app/Settings.h"
#include "fonts/InstalledFonts.h"
#include "groups/GroupStore.h"
#include "ops/Move.h"
#include "platform/Handles.h"
#include "platform/Registry.h"

#include <windows.h>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

using namespace typa;
using Clock = std::chrono::steady_clock;

namespace {

constexpr int kRounds = 5;

double Ms(Clock::time_point from) { return std::chrono::duration<double, std::milli>(Clock::now() - from).count(); }

// The best and the median of the rounds, each round timed around `step` alone; `before` runs
// untimed ahead of every round. With `calls`, the best again per registry call of the step.
void Time(const char* what, const std::function<void()>& before, const std::function<void()>& step, int calls = 0)
{
    std::vector<double> ms;
    for (int i = 0; i < kRounds; ++i) {
        if (before) before();
        const auto t = Clock::now();
        step();
        ms.push_back(Ms(t));
    }
    std::sort(ms.begin(), ms.end());
    std::printf("  %-66s best %7.1f ms, median %7.1f ms", what, ms.front(), ms[ms.size() / 2]);
    if (calls > 0) std::printf(" (%.0f us a call)", ms.front() * 1000 / calls);
    std::printf("\n");
}

} // namespace

int main(int argc, char** argv)
{
    const int fonts = argc > 1 ? std::max(1, std::atoi(argv[1])) : 8000;
    ScriptedBoxes boxes; // a refused rename would show a box: none may wait for an answer here
    FontCatalogue installed(FontCatalogue::Order::AsAdded);
    std::vector<const TToShowItem*> all;
    for (int i = 1; i <= fonts; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "Typa Banc %05d", i);
        auto item = std::make_unique<TToShowItem>();
        item->Name = name;
        item->Group = "Alpha";
        all.push_back(item.get());
        installed.Add(name, item);
    }
    installed.MarkComplete();
    reg::DeleteKey(HKEY_CURRENT_USER, settings::kFontsKey);
    reg::DeleteKey(HKEY_CURRENT_USER, settings::kGroupsKey);
    std::vector<std::pair<std::string, std::string>> values;
    for (int i = 0; i < installed.Count(); ++i) values.emplace_back(installed.Name(i), installed.Item(i)->Group);

    std::printf("group records of %d installed fonts, %d rounds each (Wine: every registry call goes to the "
                "wine server)\n", fonts, kRounds);
    std::printf("floors\n");
    SaveFontGroups(installed);
    Time("one enumeration of the key (every value and its data)", nullptr,
         [] { reg::ReadAllValues(HKEY_CURRENT_USER, settings::kFontsKey); }, fonts);
    Time("every value written through one open key", nullptr, [&] {
        UniqueKey k;
        RegOpenKeyExA(HKEY_CURRENT_USER, settings::kFontsKey, 0, KEY_ALL_ACCESS, k.Put());
        for (const auto& [name, text] : values)
            RegSetValueExA(k.Get(), name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                           static_cast<DWORD>(text.size() + 1));
    }, fonts);

    std::printf("before: the key deleted and every value written again\n");
    Time("a save (any change)", nullptr, [&] {
        reg::DeleteKey(HKEY_CURRENT_USER, settings::kFontsKey);
        reg::WriteStrings(HKEY_CURRENT_USER, settings::kFontsKey, values);
    });

    std::printf("now: written in place where they differ, stale values deleted\n");
    Time("the first save, into an empty key", [] { reg::DeleteKey(HKEY_CURRENT_USER, settings::kFontsKey); },
         [&] { SaveFontGroups(installed); });
    Time("a save that changes nothing", nullptr, [&] { SaveFontGroups(installed); });
    Time("the records read at start-up (ReadFontGroups)", nullptr, [&] { ReadFontGroups(installed); });
    bool toBeta = true;
    // A move or a rename of every font reads each value once and writes each once.
    Time("a move of every font to another group, its save included", nullptr, [&] {
        MoveSelectedFonts(installed, all, toBeta ? "Beta" : "Alpha");
        toBeta = !toBeta;
    });
    CreateGroupKey(installed.Item(0)->Group);
    std::string current = installed.Item(0)->Group;
    Time("a rename of the group that holds them all (key, records, old key)", nullptr, [&] {
        const std::string next = current == "Gamma" ? "Delta" : "Gamma";
        const std::string shown = EndGroupRename(next, current, {"Polices installées", "Polices Windows", current}, installed);
        if (shown == next) current = next;
    });
    const bool renamed = installed.Item(0)->Group == current && installed.Item(fonts - 1)->Group == current &&
                         reg::ReadString(HKEY_CURRENT_USER, settings::kFontsKey, installed.Name(0), "") == current;
    std::printf("  (the records follow the renames: %s)\n", renamed ? "yes" : "NO");

    reg::DeleteKey(HKEY_CURRENT_USER, settings::kFontsKey);
    reg::DeleteKey(HKEY_CURRENT_USER, settings::kGroupsKey);
    return renamed ? 0 : 1;
}
