#pragma once
// What a font's sheet says in words: the header (name, family, style, file, folder, size,
// installed or not and in which group), the counts of characters and glyphs, and what the file
// says of itself. Pure: the sheet window shows these texts, and Ctrl+C copies them.
#include "fonts/FontDetails.h"

#include <windows.h>
#include <cstdint>
#include <string>
#include <vector>

namespace typa {

// The font a sheet shows, copied from its list row: the lists may be filled again while the
// sheet is open.
struct SheetFont {
    std::string name;     // the row's text
    std::string family;   // as the list knows it ("*" when the system reported none)
    std::string fileName; // as the list shows it
    std::string path;     // the file itself, a full path
    std::int64_t size = -1; // bytes; -1 when not known
    bool installed = false;
    std::string group;    // the installed font's group; empty for "Polices Windows"
    // For whom an installed font is: every user, or the current user alone; unknown (not shown)
    // for a folder font.
    enum class For { Unknown, AllUsers, ThisUser } installedFor = For::Unknown;
    LOGFONTA logFont{};   // the face as the list draws it
    bool loadFile = false; // a folder font whose own file is not the installed one: loaded while shown
    int faceIndex = 0;     // where the face lies in its file, from 0
    std::vector<std::string> otherFaces; // the other faces of a collection, in the file's order
};

struct SheetTexts {
    std::string caption; // the window's: the name, then " - Typarium"
    std::string header;
    std::string counts;
    std::string info;
};

// `details` as the file's deeper read gave it.
SheetTexts BuildSheetTexts(const SheetFont& font, const ttf::FontDetails& details);

// "Caractères" line and the rest use these for what the file does not say or could not be read.
inline constexpr const char* kUnreadable = "illisible";

} // namespace typa
