#pragma once
// One font as the program shows it, on either side of the main window. Items are owned by
// exactly one catalogue; list rows and per-operation lists only point at them.
#include <windows.h>
#include <cstdint>
#include <string>

namespace typa {

struct TToShowItem {
    std::string Name;     // key in its catalogue and text of its list row
    std::string FileName; // last path component, lower-cased with its first character upper-cased
    std::string Path;     // installed: the registry data as stored; folder: full path, lower-cased
    std::string Family;   // "*" while nothing usable is known of the installed font's family
    std::string Group;    // user group of an installed font; empty for none
    std::int32_t Size = 0; // file size of a folder font; 0 for installed fonts
    bool Installed = false;     // folder font already installed: drawn red, never installed again
    // Folder font whose own file is the installed one (it lies in the Windows fonts folder). A
    // font marked installed only because its family or name is installed is still drawn and
    // printed from its own file: the installed face may be another style.
    bool OwnFileInstalled = false;
    LOGFONTA LogFont{};
    bool PreviewLoaded = false; // the file is loaded as a temporary font resource for drawing
    bool StandardStripped = false; // " Standard" was removed from the registry value name
};

// "C:\Fonts\ARIALBD.TTF" gives "Arialbd.ttf": the part after the last "\" or ":", lower-cased,
// its first character upper-cased. Case follows the user's code page.
std::string DisplayFileName(const std::string& path);

} // namespace typa
