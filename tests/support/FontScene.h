#pragma once
// What the end-to-end tests of installing and removing share: the Windows fonts folder, the
// system font registry and the Recycle Bin of the test prefix as the test program sees them, a
// font folder of the test's own whose fonts are taken out of the system again at the end, and
// the steps of choosing rows and answering boxes.
#include "support/TypaSession.h"

#include <optional>
#include <string>
#include <vector>

namespace typa::e2e {

inline constexpr const char* kSystemFontsKey = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Fonts";
inline constexpr const char* kGroupsKey = "Software\\Orvane Media\\Typarium\\GroupsNew";
inline constexpr const char* kFontGroupsKey = "Software\\Orvane Media\\Typarium\\Fonts";

std::string WindowsDir();
std::string FontsFolder();
std::string ReadAll(const std::string& path);
void WriteAll(const std::string& path, const std::string& bytes);
bool Exists(const std::string& path);
// ASCII letters upper-cased.
std::string Upper(std::string s);

// Files left in the fonts folder under a temporary name (TYP*.TMP, ~TYPA*.KEEP): none may stay
// after a run.
std::vector<std::string> TemporaryFiles();

// Wine's Recycle Bin: the XDG trash of the prefix, as Windows sees it.
std::string TrashFolder();
// Takes a file of that name out of the bin again.
void ForgetTrashed(const std::string& bare);

struct DemoFont {
    const char* source; // under the demo folder ("" when the test puts the file there itself)
    const char* name;   // full name: the list row and the registry value's start
    const char* bare;   // the file name the program gives it in the fonts folder
};

// A font folder of its own holding some demo fonts; everything the test installs from it is
// taken out of the system again at the end (files, system values), whatever happened, so the
// prefix is left as it was found. FontPath names the folder.
struct Scene {
    std::string folder;
    std::vector<DemoFont> fonts;

    Scene(const char* name, std::vector<DemoFont> list);
    ~Scene();
    Scene(const Scene&) = delete;
    Scene& operator=(const Scene&) = delete;
    std::string Source(const DemoFont& f) const;
    void Clean() const;
};

std::optional<std::string> SystemValue(const DemoFont& f);
void DeleteSystemValue(const std::string& valueName);

int RowOf(HWND list, const std::string& text);
// Selects exactly these rows of a list, as Ctrl+clicks would, and tells the window.
void SelectRows(HWND list, const std::vector<DemoFont>& fonts);
void SelectRowTexts(HWND list, const std::vector<std::string>& texts);

// Answers the next box of that title after checking its text (fails the test when none comes).
void Expect(Process& typa, const char* title, const std::string& text, const char* button);

// Installs the selected rows into the group of generated menu item `index` (0: "Polices Windows").
void InstallTo(HWND main, int index);
// The index of a group among the generated menu items, or -1.
int GroupTargetIndex(HWND main, const std::string& group);
// The progress dialog of the program, or nullptr.
HWND ProgressDialog(DWORD pid);

// The confirmation texts of a removal.
std::string CountText(int n);
std::string CountText(int fonts, int files);
extern const char* const kStandardText;

} // namespace typa::e2e
