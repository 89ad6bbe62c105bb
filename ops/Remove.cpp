#include "ops/Remove.h"

#include "app/Application.h"
#include "app/ErrorBox.h"
#include "app/Messages.h"
#include "app/RunUi.h"
#include "fonts/InstalledFonts.h"
#include "fonts/NameCompare.h"
#include "ops/Install.h"
#include "platform/Files.h"
#include "platform/GdiFonts.h"
#include "platform/Shell.h"

#include <array>

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

RemoveStep RemoveInstalledFont(const std::string& valueName, const std::string& fileName, const std::string& path)
{
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

    if (!stillInPlace && !DeleteSystemFont(valueName)) r = Ask(3011, valueName);
    return r;
}

void RemoveSelectedFonts(const RemoveSource& source, bool ask, RunUi& ui)
{
    FontRows& list = *source.installedList;
    const int selected = std::max(list.SelectedCount(), 0);
    if (ask) {
        if (SelectionHasStandardFont(list) && !ui.ConfirmRemoval(RunUi::Removal::StandardFonts)) return;
        if (!ui.ConfirmRemoval(RunUi::Removal::RemoveFonts, selected, selected)) return;
    }

    if (source.unloadPreviewResources) source.unloadPreviewResources();
    {
        const std::unique_ptr<RunProgress> progress = ui.NewProgress();
        progress->Open(LoadMessage(1045));
        const int total = selected;
        int done = 0;
        for (int row = 0; row < list.Count(); ++row) {
            if (!list.Selected(row)) continue;
            TToShowItem* font = list.Item(row);
            if (!font) continue;
            font->FileName = UpperCase(font->FileName);
            font->Path = HasFolder(font->Path) ? UpperCase(font->Path)
                                               : UpperCase(source.fontsDir + "\\" + font->FileName);
            ++done;
            progress->Step(total > 0 ? done * 100 / total : 100,
                           FormatMessage(1046, {LowerCase(BareFileName(font->FileName))}));
            if (progress->Cancelled()) break;
            if (font->StandardStripped) font->Name += " Standard";
            if (RemoveInstalledFont(font->Name + " (TrueType)", font->FileName, font->Path) == RemoveStep::No) break;
        }
    }
    list.ClearCurrent();
    if (source.installed) SaveFontGroups(*source.installed);
    shell::BroadcastFontChange();
}

} // namespace typa
