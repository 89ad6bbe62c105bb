#pragma once
// The installed fonts: the system's font registry names each font and its file, the system's
// family enumeration supplies each TrueType font's family and creation record, and the
// program's own Fonts key remembers the user group of each font.
#include "fonts/Catalogue.h"
#include "fonts/InstalledMemory.h"
#include <windows.h>
#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

namespace typa {

// The system font key for a platform id: Windows 95 and successors (1) keep it under
// "Windows", every other platform under "Windows NT".
const char* SystemFontKeyFor(DWORD platformId);
// The key chosen once at start-up (by the running platform when never chosen).
const std::string& SystemFontKey();
void ChooseSystemFontKey(DWORD platformId);

std::string ReadSystemFont(const std::string& valueName);
bool WriteSystemFont(const std::string& valueName, const std::string& data);
bool DeleteSystemFont(const std::string& valueName);
// The same for a font installed for the current user alone: its value holds the full path.
bool WriteUserFont(const std::string& valueName, const std::string& fullPath);
bool DeleteUserFont(const std::string& valueName);

// The name under which the installed side shows the font of system value `valueName`: without
// " (TrueType)" (or " (OpenType)"), and without the " Standard" that follows a family name
// (`isFamily`). `standardStripped`, when given, tells whether " Standard" went.
std::string InstalledFontName(const std::string& valueName, const std::function<bool(const std::string&)>& isFamily,
                              bool* standardStripped = nullptr);
// The same for a font just installed: its family is `ownFamily`, or any TrueType family the
// system reports now.
std::string InstalledFontName(const std::string& valueName, const std::string& ownFamily);

// The name of one face of an installed file: " Standard" after a family name taken out.
std::string InstalledFaceName(const std::string& face, const std::function<bool(const std::string&)>& isFamily,
                              bool* standardStripped = nullptr);

// The file of one system font registry value with its faces, none of them found yet; null for a
// bitmap or vector font (.FON).
std::shared_ptr<TFontFile> FileFromSystemFont(const std::string& valueName, const std::string& data,
                                              const NameList& familyNames);
// An item per face of an installed file, as the file knows each face.
std::vector<std::unique_ptr<TToShowItem>> ItemsOfFile(const std::shared_ptr<TFontFile>& file);

// Turns one system font registry value into an item per face of its file, sharing the file: one
// for a .ttf or .otf, one per name joined by " & " for a collection; none for a bitmap or vector
// font (.FON).
std::vector<std::unique_ptr<TToShowItem>> ItemsFromSystemFont(const std::string& valueName, const std::string& data,
                                                              const NameList& familyNames);

// Whether the system draws the font of an enumeration from outlines: TrueType, or OpenType with
// PostScript outlines (which Wine reports as a device font flagged NTM_PS_OPENTYPE). Bitmap and
// vector fonts are not; neither are the vertical "@" faces of East Asian fonts.
bool IsOutlineFont(const ENUMLOGFONTA& font, const NEWTEXTMETRICA& metrics, DWORD fontType);

// Sizes and last writes of the files of the Windows fonts folder, by upper-cased name, taken
// with the folder's listing: they tell a font file that changed without opening it.
using FolderStamps = std::unordered_map<std::string, FileStamp>;

// What a build did: the values it took from the memory and those it learnt, and how many families
// it asked the system about (every one when `everyFamily`).
struct InstalledBuildStats {
    int remembered = 0;
    int learnt = 0;
    int familiesAsked = 0;
    bool everyFamily = false;
};

// What a build may take from elsewhere than the system's enumeration.
struct InstalledSources {
    TInstalledMemory* memory = nullptr;         // what earlier builds learnt; null: learn it all
    const FolderStamps* fontsFolder = nullptr;  // the fonts folder's files, for values that name one
    std::string fontsDir;                       // where a value's bare file name lies
    InstalledBuildStats* stats = nullptr;       // filled when given
};

// Fills InstalledCatalogue from the registry (every user's fonts, then the user's own), with the
// families and creation records the system reports, then the groups. Without a memory:
// FamilyNames (pass 1), the values, then every family's faces (pass 2); `progress` receives 5
// after the registry and 5 + 95·i/n at every twentieth family. With one that remembers something,
// a value whose name, data and file are as an earlier build saw them takes what that build
// learnt, and the system is asked only about the rest: pass 1 when there is a new value, and then
// only the families its faces belong to (pass 2 after all when they are many, or when a new face
// is still not found). The memory keeps what this build saw.
void BuildInstalledCatalogue(HDC dc, NameList& familyNames, FontCatalogue& installed,
                             const std::function<void(int percent)>& progress, const InstalledSources& sources = {});
// Its steps, in its order: the TrueType families; an item for every system font value; the
// family and creation record of each item, from the faces of every family.
void ReadTrueTypeFamilies(HDC dc, NameList& familyNames);
void AddSystemFonts(const NameList& familyNames, FontCatalogue& installed);
void ReadFacesOfFamilies(HDC dc, const NameList& familyNames, FontCatalogue& installed,
                         const std::function<void(int percent)>& progress);

// The family-enumeration callback of both passes; any other pass number is an internal error.
struct FamilyPassState {
    NameList* familyNames = nullptr;
    FontCatalogue* installed = nullptr;
    std::string currentFamily;
};
void FamilyPassCallback(int pass, const ENUMLOGFONTA& font, const NEWTEXTMETRICA& metrics, DWORD fontType,
                        FamilyPassState& state);

void ReadFontGroups(FontCatalogue& installed);
// Brings the Fonts key to the catalogue: each font's value written where its group changed, then
// the values of fonts no longer installed deleted (equal names: the later font's group stays).
// Does nothing unless the catalogue is complete. True when the key holds the catalogue's groups.
bool SaveFontGroups(const FontCatalogue& installed);

} // namespace typa
