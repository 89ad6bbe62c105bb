#pragma once
// Installing the fonts selected in the available list: each file is copied into the Windows
// fonts folder, loaded into the running system, recorded in the system's font registry and in
// the program's Fonts key with its group. One run goes from the last selected row to the first
// under the progress dialog and ends with the font-change broadcast, to which the main window
// answers by reading both sides again.
#include "fonts/Catalogue.h"
#include "fonts/FontRows.h"

#include <windows.h>
#include <functional>
#include <string>

namespace typa {

class RunUi;

// What a run needs of the main window.
struct InstallSource {
    FontRows* availableList = nullptr; // the rows of lbAvailableFonts
    const FontCatalogue* available = nullptr; // AvailableCatalogue, in its order
    int installedCount = 0;            // entries of InstalledCatalogue, for the 750-font warning
    std::string windowsDir;            // the fonts go to its "FONTS" folder; its drive is checked for room
    std::function<void()> unloadPreviewResources;
};

// Installs every selected row whose font is not installed yet into `groupName` ("Polices
// Windows" means no group). The 750-font warning and the progress come from `ui`; errors go to
// message boxes.
void InstallSelectedFonts(const InstallSource& source, std::string groupName, RunUi& ui);

// "Polices Windows" stands for no group: the empty name.
std::string StoredGroupName(const std::string& groupName);
// The part of a file name after its last "\" or ":".
std::string BareFileName(const std::string& fileName);
// ASCII letters a-z upper-cased, nothing else changed: the data of a system font value.
std::string AsciiUpper(std::string s);

// Where a run puts its fonts: the Windows fonts folder with the system font key, or (for a user
// without the right to write that key, on Windows 10 version 1809 or later) the user's own fonts
// folder and key, where a font is loaded and registered by its full path.
struct InstallTarget {
    std::string folder;
    bool forUser = false;
};

// One file of a run: what became of it.
enum class FileOutcome { Installed, Skipped, Stop };

// The per-file steps after the progress and the cancel test: the question before replacing a
// file, the room on the Windows drive, the copy, the load, the registry. `rowText` names the
// group record, under the name the installed side will show for it; `overwriteAll` is the run's
// answer All to the replace question.
//
// A file that replaces one of the same name is first copied whole beside it under a temporary
// name; the old file is moved aside only then, and comes back when the new one cannot be put in
// its place or cannot be loaded. So a failed copy or load never costs the old file.
//
// `beforeLoad` runs right before the copy is loaded: the preview resources go first, since a
// system that already holds an identical face may not load the installed one beside it.
FileOutcome InstallFontFile(const TToShowItem& font, const std::string& rowText, const std::string& group,
                            const InstallTarget& target, bool& overwriteAll,
                            const std::function<void()>& beforeLoad = {});
// The same into the Windows fonts folder of `windowsDir` and the system font key.
FileOutcome InstallFontFile(const TToShowItem& font, const std::string& rowText, const std::string& group,
                            const std::string& windowsDir, bool& overwriteAll,
                            const std::function<void()>& beforeLoad = {});

} // namespace typa
