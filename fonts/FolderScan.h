#pragma once
// Reading the current folder of the available side: every *.TTF file becomes an item of the
// available catalogue, damaged files are reported one by one, and drives that are not ready are
// asked for (floppy, CD-ROM) or explained (network, other).
#include "fonts/Catalogue.h"
#include "fonts/InstalledFonts.h"
#include <windows.h>
#include <string>

namespace typa {

class RunUi;

// What reading a folder needs of the drive tree's root node.
class FolderRoot {
public:
    virtual ~FolderRoot() = default;
    virtual std::string Path() const = 0;
    virtual void SetCaption(const std::string& caption) = 0;
    virtual void SetFolderRead(bool read) = 0;
};

// Attribute bits a counted *.TTF entry may carry: read-only, hidden, archive, normal, compressed.
inline constexpr DWORD kCountedAttributes = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN |
                                            FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NORMAL |
                                            FILE_ATTRIBUTE_COMPRESSED;
static_assert(kCountedAttributes == 2211);

bool IsDriveReady(const std::string& path);
int CountFolderFiles(const std::string& folder, const std::string& pattern, DWORD mask);
// The non-empty files of `folder` (the Windows fonts folder), named as the lists show them; with
// `stamps`, also each file's size and last write by its upper-cased name.
void ReadFontsFolderFiles(const std::string& folder, NameList& list, FolderStamps* stamps = nullptr);

// The scan proper, under the progress display of `ui` with Cancel. True when every file was
// offered to the reader; false when there was nothing to read, or the user cancelled or stopped.
// `heldMs`, when given, receives how long the finished scan kept its display up only so that it
// is seen.
bool ScanFontFolder(const std::string& folder, FontCatalogue& catalogue, RunUi& ui, DWORD* heldMs = nullptr);

// Reads `folder` with drive handling, asking for a missing medium through `ui`. Returns 0, or -3
// when the user inserted a medium and asked to try again.
int ReadFolderFonts(const std::string& folder, FolderRoot& root, FontCatalogue& catalogue, RunUi& ui);

} // namespace typa
