// The manifest inside TYPA.EXE is read by the system: a running Typarium draws its controls
// with the common controls of version 6, which only a valid manifest asks for.
#include "support/TypaSession.h"
#include <doctest/doctest.h>

#include <psapi.h>

#include <algorithm>
#include <cctype>

using namespace typa::e2e;

namespace {

// Lower-cased full paths of the modules loaded into the process.
std::vector<std::string> ModulePaths(HANDLE process)
{
    std::vector<HMODULE> modules(512);
    DWORD needed = 0;
    if (!EnumProcessModules(process, modules.data(), static_cast<DWORD>(modules.size() * sizeof(HMODULE)), &needed))
        return {};
    modules.resize(std::min<size_t>(modules.size(), needed / sizeof(HMODULE)));
    std::vector<std::string> paths;
    for (HMODULE m : modules) {
        char path[MAX_PATH] = {};
        if (GetModuleFileNameExA(process, m, path, sizeof path)) {
            std::string p = path;
            std::transform(p.begin(), p.end(), p.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
            paths.push_back(p);
        }
    }
    return paths;
}

} // namespace

TEST_CASE("A running Typarium uses the common controls of version 6")
{
    ResetSettings(EmptyFontFolder());
    Process typa;
    HWND main = StartAndWait(typa);
    REQUIRE(main);

    std::vector<std::string> comctl;
    for (const std::string& p : ModulePaths(typa.Handle()))
        if (p.size() >= 12 && p.compare(p.size() - 12, 12, "comctl32.dll") == 0) comctl.push_back(p);
    std::string loaded;
    for (const auto& p : comctl) loaded += p + " ";
    CAPTURE(loaded);
    REQUIRE_FALSE(comctl.empty());
    bool version6 = std::any_of(comctl.begin(), comctl.end(), [](const std::string& p) {
        return p.find("\\winsxs\\") != std::string::npos && p.find("common-controls") != std::string::npos &&
               p.find("_6.") != std::string::npos;
    });
    CHECK(version6);

    CHECK(QuitByButton(typa, main) == std::optional<DWORD>(0));
}
