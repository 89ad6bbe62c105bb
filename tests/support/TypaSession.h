#pragma once
// What most end-to-end tests do first: a known registry state, TYPA.EXE started, its main
// window found once the start-up has finished.
#include "support/Driver.h"

#include <string>
#include <vector>

namespace typa::e2e {

inline constexpr const char* kMachineKey = "SOFTWARE\\Orvane Media\\Typarium";

// An empty folder that exists for the whole test run (a quick font folder to start with).
std::string EmptyFontFolder();
// The demo font folder of the build tree, as Wine sees it.
std::string DemoFontFolder();

// A small font that comes with Wine (webdings.ttf, 4 KB) written to `path` under other names (its
// tables kept, a new name table; ASCII names). Throws DriverError when it cannot be made.
void WriteRenamedWineFont(const std::string& path, const std::string& family, const std::string& style,
                          const std::string& fullName);

// Copies of a small font that comes with Wine, each a family of its own: the i-th (from 1) is
// folder\<filePrefix><i>.TTF with the family "<familyPrefix> <i>", i written with `digits` digits.
// Files already there are kept. Throws DriverError when a file cannot be made.
struct FontCopy {
    std::string file;   // name in the folder
    std::string family;
};
std::vector<FontCopy> WriteFontCopies(const std::string& folder, int count, const std::string& filePrefix,
                                      const std::string& familyPrefix, int digits);

// Families of four styles (Regular, Bold, Italic, Bold Italic, each with its weight and slant),
// made of the same small font of Wine's: `count` fonts in all, the i-th (from 1) in
// folder\<filePrefix><i>.TTF, of the family "<familyPrefix> <(i + 3) / 4>" with its full name
// "<family> <style>". Files already there are kept. `family` of each copy is its full name.
std::vector<FontCopy> WriteFontFamilies(const std::string& folder, int count, const std::string& filePrefix,
                                        const std::string& familyPrefix, int digits);

// Forgets the user's settings and sets (or, when empty, removes) FontPath.
void ResetSettings(const std::string& fontPath);

// Starts TYPA.EXE and waits until its main window is visible and its start-up has finished.
// Returns the main window, nullptr when it did not come.
HWND StartAndWait(Process& typa, DWORD timeoutMs = 180000);
// The same for a program already started (a TYPA.EXE elsewhere, an installed one).
HWND WaitUntilStarted(Process& typa, DWORD timeoutMs = 180000);

// Waits until the program has finished what it was doing: its loop idle, the main window taking
// input again (a progress disables it) and no dialog of the program left on screen. False when
// that does not come within timeoutMs.
bool WaitUntilQuiet(Process& typa, HWND main, DWORD timeoutMs = 180000);

// Text height (tmHeight) of `face` at 12 point on the screen, as the font lists measure a row's
// own face.
int RowFontHeight(const std::string& face);

// Waits until a run is over: no dialog of the program left and the window takes input again.
bool RunOver(Process& typa, HWND main, DWORD timeoutMs = 300000);

// Selects a group of the group tree under its root, as a user's click would, and waits.
void SelectGroup(HWND main, const std::string& group);

// "&Quitter" (the button), then the exit code.
std::optional<DWORD> QuitByButton(Process& typa, HWND main);

// The Windows version Wine reports to every TYPA.EXE started while this lives ("winxp", "win7",
// "win10"; HKCU\Software\Wine\AppDefaults\TYPA.EXE, value Version), whatever the prefix says.
class ReportedWindows {
public:
    explicit ReportedWindows(const char* version);
    ~ReportedWindows();
    ReportedWindows(const ReportedWindows&) = delete;
    ReportedWindows& operator=(const ReportedWindows&) = delete;
};

} // namespace typa::e2e
