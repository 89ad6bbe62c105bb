#pragma once
// Font files and their faces, in one place: which files the folder lists, how a system font
// value names the faces of its file, which items share a file, and under which name a file goes
// into the fonts folder. A .ttf or .otf file holds one face; a collection (.ttc, .otc) several,
// registered under one value "A & B (TrueType)" and installed and removed as one file.
#include "fonts/Catalogue.h"
#include "fonts/FontItem.h"

#include <string>
#include <vector>

namespace typa {

// The extensions the folder scan reads: .TTF, .OTF, .TTC and .OTC, in any case.
bool IsFontFileName(const std::string& name);
// A collection by its name: .TTC or .OTC (the system font values tell no more than the name).
bool IsCollectionFileName(const std::string& name);

// A system font value's name without its kind: the first " (TrueType)", or where there is none
// the first " (OpenType)" (the suffix some installers write), taken out.
std::string WithoutTypeSuffix(const std::string& valueName);
// The faces a value names: a collection's value joins them with " & "; any other value names one.
std::vector<std::string> FaceNamesOfValue(const std::string& nameWithoutSuffix, bool collection);
// The value Windows itself writes for a file's faces: their names joined by " & ", then
// " (TrueType)", for OpenType files too.
std::string SystemValueName(const std::vector<std::string>& faceNames);
std::string SystemValueName(const TToShowItem& item);

// What identifies an item's file: its shared file, or the item itself when it has none.
const void* FileKey(const TToShowItem& item);
// The names of every face of the item's file, in the file's order.
std::vector<std::string> FaceNamesOfFile(const TToShowItem& item);
// How many different files the items lie in.
int CountFiles(const std::vector<TToShowItem*>& items);
// Every item of `catalogue` that lies in the file of one of `items`, in the catalogue's order:
// a face of a collection cannot go without the others.
std::vector<TToShowItem*> FacesOfFiles(const FontCatalogue& catalogue, const std::vector<TToShowItem*>& items);

// The name under which a folder font's file goes into the fonts folder: its own, unless the code
// page could not hold that name; then one made of the font's name and the file's extension.
std::string InstallFileName(const TToShowItem& item);

} // namespace typa
