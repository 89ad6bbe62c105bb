#include "ops/Remove.h"

#include "app/Application.h"
#include "app/ErrorBox.h"
#include "app/Messages.h"
#include "fonts/InstalledFonts.h"
#include "fonts/NameCompare.h"
#include "ops/Install.h"
#include "platform/Files.h"
#include "platform/GdiFonts.h"
#include "platform/Shell.h"
#include "ui/DlgConfirmRemoval.h"
#include "ui/DlgProgress.h"

#include <array>

namespace typa {
namespace {

TToShowItem* RowItem(HWND list, int row)
{
    LRESULT data = SendMessageA(list, LB_GETITEMDATA, row, 0);
    return data == LB_ERR ? nullptr : reinterpret_cast<TToShowItem*>(data);
}

int RowCount(HWND list) { return static_cast<int>(SendMessageA(list, LB_GETCOUNT, 0, 0)); }
bool RowSelected(HWND list, int row) { return SendMessageA(list, LB_GETSEL, row, 0) > 0; }

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

bool SelectionHasStandardFont(HWND installedList)
{
    return ListHasStandardFont(installedList, SendMessageA(installedList, LB_GETSELCOUNT, 0, 0) > 0);
}

bool ListHasStandardFont(HWND installedList, bool onlySelected)
{
    const int rows = RowCount(installedList);
    for (int row = 0; row < rows; ++row) {
        if (onlySelected && !RowSelected(installedList, row)) continue;
        if (TToShowItem* item = RowItem(installedList, row); item && IsStandardFamily(item->Family)) return true;
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

void RemoveSelectedFonts(const RemoveSource& source, bool ask, TDlgConfirmRemoval& dialog)
{
    HWND list = source.installedList;
    const int selected = static_cast<int>(std::max<LRESULT>(SendMessageA(list, LB_GETSELCOUNT, 0, 0), 0));
    if (ask) {
        if (SelectionHasStandardFont(list) &&
            dialog.Execute(App().mainWindow, TDlgConfirmRemoval::StandardFonts) != MsgResult::Yes)
            return;
        if (dialog.Execute(App().mainWindow, TDlgConfirmRemoval::RemoveFonts, selected, selected) != MsgResult::Yes)
            return;
    }

    if (source.unloadPreviewResources) source.unloadPreviewResources();
    {
        TDlgProgress progress;
        ProgressGuard closing(progress);
        ProgressOpen(progress, nullptr, LoadMessage(1045));
        const int total = selected;
        int done = 0;
        for (int row = 0; row < RowCount(list); ++row) {
            if (!RowSelected(list, row)) continue;
            TToShowItem* font = RowItem(list, row);
            if (!font) continue;
            font->FileName = UpperCase(font->FileName);
            font->Path = HasFolder(font->Path) ? UpperCase(font->Path)
                                               : UpperCase(source.fontsDir + "\\" + font->FileName);
            ++done;
            ProgressStep(progress, total > 0 ? done * 100 / total : 100,
                         FormatMessage(1046, {LowerCase(BareFileName(font->FileName))}));
            if (ProgressCancelled()) break;
            if (font->StandardStripped) font->Name += " Standard";
            if (RemoveInstalledFont(font->Name + " (TrueType)", font->FileName, font->Path) == RemoveStep::No) break;
        }
    }
    SendMessageA(list, LB_SETCARETINDEX, static_cast<WPARAM>(-1), 0);
    if (source.installed) SaveFontGroups(*source.installed);
    shell::BroadcastFontChange();
}

} // namespace typa
