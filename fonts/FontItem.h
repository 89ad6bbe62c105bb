#pragma once
// One font as the program shows it, on either side of the main window. Items are owned by
// exactly one catalogue; list rows and per-operation lists only point at them.
#include <windows.h>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace typa {

// When a file was last written and how long it is: a file that changed is read anew.
struct FileStamp {
    std::uint64_t size = 0;
    std::uint64_t time = 0; // FILETIME of the last write
    bool operator==(const FileStamp& o) const noexcept { return size == o.size && time == o.time; }
};

// A font file as the lists know it, shared by the items of its faces: a collection is loaded for
// drawing, installed and removed once for all of them. A .ttf or .otf file has one face.
//
// An installed file is also what the builds of the installed catalogue learnt of its system
// font value: the faces the value names, their families and creation records as the system
// reported them, and how high their rows are. A later build takes all of that again for the
// same value of the same file, without asking the system.
struct TFontFile {
    struct Face {
        std::string name;    // full name, as its item is named
        std::string family;  // installed: "*" until the system reported the face
        LOGFONTA logFont{};  // installed: the system's creation record, once reported
        bool standardStripped = false; // installed: " Standard" taken out of the value's name
        int rowFontHeight = 0; // the height of the face's own row font in the lists; 0 until measured
    };
    std::vector<Face> Faces; // every face the file holds, in the file's order
    bool Collection = false;
    int PreviewRefs = 0;     // items holding the file loaded as a temporary font resource

    // Installed files: the value they were read from, and the file as it was then.
    bool ForUser = false;
    std::string ValueName;
    std::string Data;
    FileStamp Stamp;
};

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

    // The file the face lies in, shared with the file's other faces; null for an item made
    // without one, which stands alone for its file.
    std::shared_ptr<TFontFile> File;
    int FaceIndex = 0;     // where the face lies among the file's faces, from 0
    std::string ValueName; // installed: the system font value's name, exactly as stored
    bool Removed = false;  // installed: its file and value left the system in this run
    bool ForUser = false;  // installed for the current user alone (the user's own font key)
};

// "C:\Fonts\ARIALBD.TTF" gives "Arialbd.ttf": the part after the last "\" or ":", lower-cased,
// its first character upper-cased. Case follows the user's code page.
std::string DisplayFileName(const std::string& path);

} // namespace typa
