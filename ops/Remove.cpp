#include "ops/Remove.h"

#include "app/Application.h"
#include "app/ErrorBox.h"
#include "app/Messages.h"
#include "app/RunUi.h"
#include "app/Settings.h"
#include "fonts/FontFiles.h"
#include "fonts/InstalledFonts.h"
#include "fonts/NameCompare.h"
#include "ops/Install.h"
#include "platform/Files.h"
#include "platform/FontPlaces.h"
#include "platform/GdiFonts.h"
#include "platform/Registry.h"
#include "platform/Shell.h"
#include "platform/System.h"

#include <algorithm>
#include <array>
#include <unordered_map>
#include <unordered_set>

namespace typa {
namespace {

RemoveStep Ask(int message, const std::string& argument)
{
    return ShowMessageBox(FormatMessage(message, {argument}), MsgKind::Error, MsgButton::Yes | MsgButton::No) ==
                   MsgResult::Yes
               ? RemoveStep::Yes
               : RemoveStep::No;
}

bool HasFolder(const std::string& path) { return path.find_first_of("\\:") != std::string::npos; }

} // namespace

bool IsStandardFamily(const std::string& family)
{
    static constexpr std::array<const char*, 8> kStandard = {"Arial",       "Times New Roman", "Times Roman",
                                                             "Courier",     "Courier New",     "MS LineDraw",
                                                             "Symbol",      "Wingdings"};
    for (const char* name : kStandard)
        if (family == name) return true;
    return false;
}

bool SelectionHasStandardFont(const FontRows& installed)
{
    return ListHasStandardFont(installed, installed.SelectedCount() > 0);
}

bool ListHasStandardFont(const FontRows& installed, bool onlySelected)
{
    for (int row = 0; row < installed.Count(); ++row) {
        if (onlySelected && !installed.Selected(row)) continue;
        if (TToShowItem* item = installed.Item(row); item && IsStandardFamily(item->Family)) return true;
    }
    return false;
}

std::string CompanionPath(const std::string& path)
{
    auto withExtension = [&](const char* extension) {
        // The extension is what follows the last "." of the last path component.
        auto dot = path.find_last_of('.');
        auto sep = path.find_last_of("\\:");
        std::string base = (dot == std::string::npos || (sep != std::string::npos && dot < sep)) ? path : path.substr(0, dot);
        return base + extension;
    };
    std::string companion;
    if (path.find("FOT") != std::string::npos) companion = withExtension(".TTF");
    if (path.find("TTF") != std::string::npos) companion = withExtension(".FOT");
    return companion;
}

RemoveStep DeleteFontFile(const std::string& path)
{
    const DWORD attributes = files::Attributes(path);
    const DWORD cleared = attributes == INVALID_FILE_ATTRIBUTES
                              ? INVALID_FILE_ATTRIBUTES
                              : attributes & ~(FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
    if (cleared == INVALID_FILE_ATTRIBUTES || files::SetAttributes(path, cleared ? cleared : FILE_ATTRIBUTE_NORMAL) != 0) {
        files::Entry entry;
        return Ask(files::FindEntry(path, entry) ? 3006 : 3012, path);
    }
    if (shell::MoveToRecycleBin(path) != 0) {
        // Still in place: it keeps what it had.
        if (files::Attributes(path) != INVALID_FILE_ATTRIBUTES) files::SetAttributes(path, attributes);
        return Ask(3006, path);
    }
    return RemoveStep::Done;
}

RemoveStep RemoveInstalledFont(const std::string& valueName, const std::string& fileName, const std::string& path,
                               bool* gone, bool forUser)
{
    if (gone) *gone = false;
    if (!gdi::RemoveFontResourceFile(fileName)) return Ask(3010, fileName);

    RemoveStep r = DeleteFontFile(path);
    bool stillInPlace = false;
    if (r == RemoveStep::Done) {
        const std::string companion = CompanionPath(path);
        files::Entry entry;
        if (!companion.empty() && files::FindEntry(companion, entry)) r = DeleteFontFile(companion);
    } else {
        gdi::AddFontResourceFile(fileName);
        stillInPlace = files::Attributes(path) != INVALID_FILE_ATTRIBUTES;
    }

    if (stillInPlace) return r;
    if (!(forUser ? DeleteUserFont(valueName) : DeleteSystemFont(valueName))) return Ask(3011, valueName);
    if (gone) *gone = true;
    return r;
}

namespace {

// The system value of an installed font: as it was read, or (for an item made without it) its
// name, " Standard" where it was taken out, and " (TrueType)".
std::string ValueNameOf(const TToShowItem& font)
{
    if (!font.ValueName.empty()) return font.ValueName;
    return font.Name + (font.StandardStripped ? " Standard" : "") + " (TrueType)";
}

// The group records of fonts that left the system go with them, unless another installed font
// of the same name still needs its record (a record is found by name, case aside).
class GroupRecords {
public:
    explicit GroupRecords(const FontCatalogue* installed)
    {
        if (!installed) return;
        for (int i = 0; i < installed->Count(); ++i)
            if (!installed->Item(i)->Removed) ++m_holders[UpperCase(installed->Name(i))];
    }

    void Forget(const std::vector<TToShowItem*>& faces)
    {
        for (TToShowItem* face : faces) {
            if (face->Removed) continue;
            face->Removed = true;
            int& holders = m_holders[UpperCase(face->Name)];
            if (holders > 0) --holders;
            if (holders == 0) reg::DeleteValue(HKEY_CURRENT_USER, settings::kFontsKey, face->Name);
        }
    }

private:
    std::unordered_map<std::string, int> m_holders; // installed fonts per name
};

} // namespace

void RemoveSelectedFonts(const RemoveSource& source, bool ask, RunUi& ui)
{
    FontRows& list = *source.installedList;
    std::vector<TToShowItem*> selected;
    for (int row = 0; row < list.Count(); ++row)
        if (list.Selected(row))
            if (TToShowItem* item = list.Item(row)) selected.push_back(item);
    // A face of a collection cannot go without its file, nor the file without its other faces.
    const std::vector<TToShowItem*> going = source.installed ? FacesOfFiles(*source.installed, selected) : selected;
    const int files = CountFiles(going);
    // Every user's fonts are the administrator's; a user's own fonts are theirs.
    const bool systemFonts = std::any_of(going.begin(), going.end(), [](const TToShowItem* f) { return !f->ForUser; });
    if (systemFonts && sys::GetOsVersion().platformId == VER_PLATFORM_WIN32_NT &&
        !fontplaces::MayWriteSystemFonts(SystemFontKey())) {
        ShowError(23, {});
        return;
    }
    if (ask) {
        const bool standard = std::any_of(going.begin(), going.end(),
                                          [](const TToShowItem* f) { return IsStandardFamily(f->Family); });
        if (standard && !ui.ConfirmRemoval(RunUi::Removal::StandardFonts)) return;
        if (!ui.ConfirmRemoval(RunUi::Removal::RemoveFonts, static_cast<int>(going.size()), files)) return;
    }

    if (source.unloadPreviewResources) source.unloadPreviewResources();
    {
        const std::unique_ptr<RunProgress> progress = ui.NewProgress();
        progress->Open(LoadMessage(1045));
        const int total = files;
        int done = 0;
        std::unordered_set<const void*> handled;
        GroupRecords records(source.installed);
        for (int row = 0; row < list.Count(); ++row) {
            if (!list.Selected(row)) continue;
            TToShowItem* font = list.Item(row);
            if (!font || !handled.insert(FileKey(*font)).second) continue;
            const std::string valueName = ValueNameOf(*font);
            // A font registered by its full path is unloaded by that path, as it was loaded.
            const std::string resource = HasFolder(font->Path) ? font->Path : UpperCase(font->FileName);
            font->FileName = UpperCase(font->FileName);
            font->Path = HasFolder(font->Path) ? UpperCase(font->Path)
                                               : UpperCase(source.fontsDir + "\\" + font->FileName);
            ++done;
            progress->Step(total > 0 ? std::min(done * 100 / total, 100) : 100,
                           FormatMessage(1046, {LowerCase(BareFileName(font->FileName))}));
            if (progress->Cancelled()) break;
            bool gone = false;
            const RemoveStep step = RemoveInstalledFont(valueName, resource, font->Path, &gone, font->ForUser);
            if (gone) records.Forget(source.installed ? FacesOfFiles(*source.installed, {font})
                                                      : std::vector<TToShowItem*>{font});
            if (step == RemoveStep::No) break;
        }
    }
    list.ClearCurrent();
    if (source.installed) SaveFontGroups(*source.installed);
    shell::BroadcastFontChange();
}

} // namespace typa
