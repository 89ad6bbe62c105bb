#pragma once
// Taking installed fonts out of the system: each font's resource is unloaded, its file (and a
// companion .FOT or .TTF file) goes to the Recycle Bin, from where the user can restore it, and
// its value in the system font registry is deleted. Group deletion (in the main window) removes
// a whole group's fonts through RemoveSelectedFonts.
#include "fonts/Catalogue.h"
#include "fonts/FontRows.h"

#include <windows.h>
#include <functional>
#include <string>

namespace typa {

class RunUi;

// The eight families whose removal may harm other programs: "Arial", "Times New Roman", ...
bool IsStandardFamily(const std::string& family);

// True when a font concerned has a standard family: the selected rows when any is selected,
// else all of them.
bool SelectionHasStandardFont(const FontRows& installed);
// True when a row has a standard family: only the selected rows when `selectedOnly`, else every row.
bool ListHasStandardFont(const FontRows& installed, bool selectedOnly);

// The other file of a font: a path containing "FOT" has a companion with the extension ".TTF";
// one containing "TTF" has one with ".FOT", and that rule wins when both apply. "" when neither.
std::string CompanionPath(const std::string& path);

// What a step of the removal ends with: done, or the user's answer to the error it showed.
enum class RemoveStep { Done, Yes, No };

// Clears the read-only, hidden and system attributes and moves the file to the Recycle Bin.
// On failure shows 3006 (the file is there) or 3012 (it is not) and returns the answer; a file
// that could not be moved keeps the attributes it had.
RemoveStep DeleteFontFile(const std::string& path);

// Unloads the resource `fileName`, moves `path` and its companion to the Recycle Bin and
// deletes the system font value `valueName`. A failed unload (3010) touches nothing else. When
// the file cannot be moved, its resource is loaded again, and its value stays as long as the
// file is still in place, so that the registry never loses a font that is still there; a
// missing file's value is deleted. Returns Done, or the answer to the last question; `gone`,
// when given, tells whether the value was deleted (the font is no longer installed).
// `forUser`: the value is under the user's own font key, not the system's.
RemoveStep RemoveInstalledFont(const std::string& valueName, const std::string& fileName, const std::string& path,
                               bool* gone = nullptr, bool forUser = false);

// What a removal needs of the main window.
struct RemoveSource {
    FontRows* installedList = nullptr;     // the rows of lbInstalledFonts
    const FontCatalogue* installed = nullptr; // InstalledCatalogue, whose groups are saved at the end
    std::string fontsDir;                  // where a font registered by its bare file name lies
    std::function<void()> unloadPreviewResources;
};

// Removes the selected rows' fonts, and with each face of a collection every other face of its
// file, which cannot stay without it. Every user's fonts need the right to write the system font
// key (message 3023 otherwise, and nothing is asked or changed); a user's own fonts do not. With `ask`, the standard-font question (when one of them
// has a standard family) and the count question (the fonts that go, and their files) come first,
// through `ui`; No to either ends the command with nothing changed. Otherwise, and after them,
// each file goes once: its resource, the file to the Recycle Bin, its system value, then the
// group records of its faces. The run ends with the groups saved and the font-change
// broadcast, also after a stop or Cancel.
void RemoveSelectedFonts(const RemoveSource& source, bool ask, RunUi& ui);

} // namespace typa
