// The user's group records when TYPA.EXE is ended at any instant: 1,500 installed fonts in five
// groups of 300, a move of a whole group and a rename of one, each cut short by TerminateProcess
// at instants spread from just after the command to past the end of its save. After every one,
// each font still has its record, naming its old group or its new one, and that group has its key.
#include "support/FontScene.h"
#include "platform/Handles.h"
#include "res/Resource.h"
#include <doctest/doctest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <map>
#include <set>

using namespace typa::e2e;
using Clock = std::chrono::steady_clock;

namespace {

using Records = std::map<std::string, std::string>;

constexpr int kFonts = 1500;
const std::vector<std::string> kGroupNames{"Alpha", "Beta", "Gamma", "Delta", "Epsilon"};

double Ms(Clock::time_point from) { return std::chrono::duration<double, std::milli>(Clock::now() - from).count(); }

typa::UniqueKey OpenOrCreate(HKEY root, const char* key)
{
    typa::UniqueKey k;
    if (RegCreateKeyExA(root, key, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, k.Put(), nullptr) != ERROR_SUCCESS)
        k.Release();
    REQUIRE(k);
    return k;
}

void WriteValues(HKEY root, const char* key, const Records& values)
{
    typa::UniqueKey k = OpenOrCreate(root, key);
    for (const auto& [name, text] : values)
        REQUIRE(RegSetValueExA(k.Get(), name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                               static_cast<DWORD>(text.size() + 1)) == ERROR_SUCCESS);
}

Records ReadValues(HKEY root, const char* key)
{
    Records out;
    typa::UniqueKey k;
    if (RegOpenKeyExA(root, key, 0, KEY_READ, k.Put()) != ERROR_SUCCESS) {
        k.Release();
        return out;
    }
    std::vector<char> name(16384);
    std::vector<BYTE> data(65536);
    for (DWORD i = 0;; ++i) {
        DWORD nameLen = static_cast<DWORD>(name.size()), dataLen = static_cast<DWORD>(data.size() - 1), type = 0;
        if (RegEnumValueA(k.Get(), i, name.data(), &nameLen, nullptr, &type, data.data(), &dataLen) != ERROR_SUCCESS)
            break;
        data[dataLen] = 0;
        out[std::string(name.data(), nameLen)] = type == REG_SZ ? reinterpret_cast<const char*>(data.data()) : "?type";
    }
    return out;
}

// 1,500 fonts named in the system's font list whose files do not exist: the installed side lists
// them all the same, and no Wine process spends time loading them. Font i is in group i mod 5, so
// every group's records lie all along the key. Taken out of the system again at the end.
struct ManyFonts {
    std::vector<std::string> names;
    Records initial; // their records at the start of every run

    ManyFonts()
    {
        Records system;
        for (int i = 1; i <= kFonts; ++i) {
            char number[8];
            std::snprintf(number, sizeof number, "%04d", i);
            names.push_back(std::string("Typa Lot ") + number);
            system[names.back() + " (TrueType)"] = std::string("TYPALOT") + number + ".TTF";
            initial[names.back()] = kGroupNames[static_cast<std::size_t>(i - 1) % kGroupNames.size()];
        }
        WriteValues(HKEY_LOCAL_MACHINE, kSystemFontsKey, system);
    }
    ~ManyFonts()
    {
        HKEY k;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kSystemFontsKey, 0, KEY_ALL_ACCESS, &k) == ERROR_SUCCESS) {
            for (const std::string& n : names) RegDeleteValueA(k, (n + " (TrueType)").c_str());
            RegCloseKey(k);
        }
        ResetSettings("");
    }
    std::vector<std::string> Of(const std::string& group) const
    {
        std::vector<std::string> out;
        for (const auto& [name, g] : initial)
            if (g == group) out.push_back(name);
        return out;
    }
    // The user's groups and records as every run finds them. `others` are the records the program
    // itself writes for the prefix's own fonts, so that a run's save changes only what it moves.
    void Prepare(const Records& others) const
    {
        ResetSettings(EmptyFontFolder());
        for (const std::string& g : kGroupNames) SetString(HKEY_CURRENT_USER, (std::string(kGroupsKey) + "\\" + g).c_str(), "", "");
        Records all = others;
        all.insert(initial.begin(), initial.end());
        WriteValues(HKEY_CURRENT_USER, kFontGroupsKey, all);
    }
};

// When the first and the last record of `fonts` (in the order the program writes them) came to
// name `group`, from the command's start; polled every millisecond or so, not to slow the program
// down by keeping the registry busy.
struct SaveWindow {
    double first = -1, last = -1;
};
SaveWindow WatchRecords(const std::vector<std::string>& fonts, const std::string& group, Clock::time_point start)
{
    SaveWindow w;
    const std::string firstName = fonts.front(), lastName = fonts.back();
    WaitUntil([&] {
        if (w.first < 0 && GetString(HKEY_CURRENT_USER, kFontGroupsKey, firstName.c_str()) == group) w.first = Ms(start);
        if (w.last < 0 && GetString(HKEY_CURRENT_USER, kFontGroupsKey, lastName.c_str()) == group) w.last = Ms(start);
        return w.first >= 0 && w.last >= 0;
    }, 120000, 1);
    return w;
}

// Ten kill delays from just after the command to past the end of its save: one at once, one while
// the stored records are read, seven across the writes, one after the last write.
std::vector<DWORD> SpreadOver(const SaveWindow& save)
{
    std::vector<double> at{save.last * 0.02, save.first * 0.5};
    for (int k = 0; k < 7; ++k) at.push_back(save.first + (save.last - save.first) * k / 6.0);
    at.push_back(save.last * 1.3);
    std::vector<DWORD> delays;
    for (double ms : at) delays.push_back(static_cast<DWORD>(ms + 0.5));
    return delays;
}

// The records of the prefix's own fonts, as a first save leaves them.
Records OthersOf(const Records& all, const ManyFonts& many)
{
    Records others;
    for (const auto& [name, group] : all)
        if (!many.initial.count(name)) others[name] = group;
    return others;
}

// Kills at the ten instants of SpreadOver. `killAt` runs the program, kills it that long after
// the command and checks the records; it answers how many of the 300 had changed. Runs differ in
// speed: when no kill fell between the first write and the last, up to six more go halfway
// between the latest kill that found nothing changed and the earliest that found everything
// changed (in either order: a slow run after a quick one).
void KillOverTheSave(const SaveWindow& save, const std::function<int(DWORD)>& killAt)
{
    int inside = 0;
    DWORD before = 0, after = static_cast<DWORD>(save.last * 3 + 0.5);
    auto run = [&](DWORD delay) {
        const int changed = killAt(delay);
        if (changed > 0 && changed < 300) ++inside;
        if (changed == 0) before = std::max(before, delay);
        if (changed == 300) after = std::min(after, delay);
    };
    for (DWORD delay : SpreadOver(save)) run(delay);
    for (int extra = 0; extra < 6 && inside == 0; ++extra) {
        const DWORD lo = std::min(before, after), hi = std::max(before, after);
        if (hi <= lo + 1) break;
        run((lo + hi) / 2);
    }
    std::printf("  kills that fell inside the writes: %d\n", inside);
    if (inside == 0) WARN_MESSAGE(false, "no kill fell between the first write and the last");
}

// A change of the 300 records of "Alpha" to `to`, made by the real program: `ready` brings it,
// started, to the instant before the change and returns what makes the change (the instants
// count from its call). A first run lets the program write the records of the prefix's own fonts;
// a second one measures when the records are written; then the kills. After each, every font has
// its record, naming its old group or its new one, and each group named has its key.
using Ready = std::function<std::function<void()>(HWND main)>;
void EndedAtInstants(const char* what, const std::string& to, bool oldKeyGoes, const Ready& ready)
{
    ManyFonts many;
    const std::vector<std::string> alpha = many.Of("Alpha");
    REQUIRE(alpha.size() == 300);
    auto start = [&](Process& typa) {
        HWND main = StartAndWait(typa, 600000);
        REQUIRE(main);
        SelectGroup(main, "Alpha");
        HWND list = ChildById(main, lbInstalledFonts);
        REQUIRE(ListCount(list) == 300);
        Send(list, LB_SETSEL, TRUE, -1);
        Send(main, WM_COMMAND, MAKEWPARAM(lbInstalledFonts, LBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
        return main;
    };

    Records others;
    {
        many.Prepare({});
        Process typa;
        HWND main = start(typa);
        ready(main)();
        REQUIRE(Settle(main, 120000));
        others = OthersOf(ReadValues(HKEY_CURRENT_USER, kFontGroupsKey), many);
        REQUIRE(QuitByButton(typa, main) == std::optional<DWORD>(0));
    }

    double settled = 0;
    SaveWindow save;
    {
        many.Prepare(others);
        Process typa;
        HWND main = start(typa);
        const auto change = ready(main);
        const auto t = Clock::now();
        change();
        save = WatchRecords(alpha, to, t);
        REQUIRE(Settle(main, 120000));
        settled = Ms(t);
        const Records after = ReadValues(HKEY_CURRENT_USER, kFontGroupsKey);
        for (const std::string& name : alpha) CHECK(after.at(name) == to);
        CHECK(KeyExists(HKEY_CURRENT_USER, (std::string(kGroupsKey) + "\\" + to).c_str()));
        CHECK(KeyExists(HKEY_CURRENT_USER, (std::string(kGroupsKey) + "\\Alpha").c_str()) == !oldKeyGoes);
        REQUIRE(QuitByButton(typa, main) == std::optional<DWORD>(0));
    }
    std::printf("%s: first record written %.1f ms after the command, last %.1f ms, command handled %.1f ms\n", what,
                save.first, save.last, settled);

    KillOverTheSave(save, [&](DWORD delay) {
        many.Prepare(others);
        Process typa;
        HWND main = start(typa);
        const auto change = ready(main);
        change();
        Sleep(delay);
        typa.Terminate();

        const Records after = ReadValues(HKEY_CURRENT_USER, kFontGroupsKey);
        std::set<std::string> named;
        int changed = 0, lost = 0, wrong = 0;
        for (const auto& [name, group] : many.initial) {
            auto it = after.find(name);
            if (it == after.end()) {
                ++lost;
                continue;
            }
            named.insert(it->second);
            if (group == "Alpha" && it->second == to)
                ++changed;
            else if (it->second != group)
                ++wrong;
        }
        for (const auto& [name, group] : others) {
            auto it = after.find(name);
            if (it == after.end() || it->second != group) ++wrong;
        }
        INFO("killed ", delay, " ms after the command: ", changed, " changed");
        CHECK(lost == 0);
        CHECK(wrong == 0);
        int keyless = 0;
        for (const std::string& group : named)
            if (!KeyExists(HKEY_CURRENT_USER, (std::string(kGroupsKey) + "\\" + group).c_str())) ++keyless;
        CHECK(keyless == 0);
        std::printf("  killed after %lu ms: %d of 300 records changed, %d lost, %d wrong, %d groups without a key\n",
                    static_cast<unsigned long>(delay), changed, lost, wrong, keyless);
        return changed;
    });
}

} // namespace

TEST_CASE("A move of 300 of 1,500 fonts ended at ten instants: every font keeps its old group or has its new one")
{
    // The group's rows selected, the move command to "Beta".
    EndedAtInstants("move of 300 of 1,500 fonts", "Beta", false, [](HWND main) {
        const int target = GroupTargetIndex(main, "Beta");
        return std::function<void()>([main, target] { Command(main, kMoveToGroupBase + target); });
    });
}

TEST_CASE("A rename of a group of 300 ended at ten instants: each record names the old or the new group, and it has its key")
{
    // F2 on the group, its new name typed; Enter renames it.
    EndedAtInstants("rename of a group of 300 among 1,500 fonts", "Zeta", true, [](HWND main) {
        HWND tree = ChildById(main, twInstalledGroup);
        Key(tree, VK_F2);
        HWND edit = nullptr;
        REQUIRE(WaitUntil([&] { return (edit = ChildByClass(tree, "Edit")) != nullptr && IsVisible(edit); }, 60000));
        Send(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("Zeta"));
        return std::function<void()>([edit] { Key(edit, VK_RETURN); });
    });
}
