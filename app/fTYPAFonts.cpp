// The main window's two sides: what fills the lists, what the trees choose, which side is
// active, and the summary of the active side in the status bar with the state of the commands.
#include "app/fTYPA.h"

#include "app/Application.h"
#include "app/Cursor.h"
#include "app/ExceptionGuard.h"
#include "app/Messages.h"
#include "app/Scale.h"
#include "fonts/FolderScan.h"
#include "fonts/FontFiles.h"
#include "fonts/InstalledFonts.h"
#include "groups/TreeProps.h"
#include "ops/Move.h"
#include "platform/Files.h"
#include "platform/System.h"
#include "res/Resource.h"
#include "ui/CommandStates.h"
#include "ui/DlgProgress.h"
#include "ui/RunDialogs.h"
#include "ui/StatusText.h"
#include "ui/WindowSubclass.h"

#include <windowsx.h>

#include <algorithm>
#include <unordered_set>

namespace typa {

// ---------------------------------------------------------------------------------------------
// Filling the lists

bool TfrmTYPA::FillAvailableList(bool rescan)
{
    TFontListBox& list = m_available.List();
    if (m_folders.RootPath().empty()) {
        list.Clear();
        UpdateStatus();
        return false;
    }
    CursorScope wait(IDC_WAIT);
    const int top = rescan ? 0 : list.TopRow();
    if (rescan) list.Clear();

    if (rescan) {
        TRunDialogs dialogs(m_wnd);
        if (ReadFolderFonts(m_folders.CurrentPath(), m_folders.AsFolderRoot(), AvailableCatalogue, dialogs) < -1)
            return true;
    }

    std::vector<TToShowItem*> rows;
    rows.reserve(AvailableCatalogue.Count());
    for (int i = 0; i < AvailableCatalogue.Count(); ++i) {
        TToShowItem* item = AvailableCatalogue.Item(i);
        MarkInstalled(*item, FontsFolderFiles, InstalledCatalogue);
        rows.push_back(item);
    }
    // Shown again for what is installed now: the rows stay, only their colour may change.
    if (rescan)
        list.Fill(rows, top);
    else
        list.Update(rows, top);
    UpdateStatus();
    RebuildGroupMenus();
    return false;
}

void TfrmTYPA::FillInstalledList(bool fromTop, int keepTop, bool update)
{
    CursorScope wait(IDC_WAIT);
    TFontListBox& list = m_installed.List();
    const int top = fromTop ? 0 : keepTop >= 0 ? keepTop : list.TopRow();
    {
        ScopedNoRedraw noRedraw(list.Handle());
        m_available.List().UnloadPreviews();
        if (!update) list.Clear();

        if (InstalledCatalogue.Count() == 0) {
            TDlgProgress dialog(m_wnd);
            ProgressGuard closing(dialog);
            dialog.HideCancel();
            dialog.SetHeight(Scaled(110));
            // Hidden at first: a build that knows every font from the last one is over before it
            // could be read. It shows once the system is asked for the faces of every family.
            ProgressOpen(dialog, nullptr, LoadMessage(1042), false);
            bool shown = false;
            WindowDc dc(m_wnd);
            InstalledSources sources;
            sources.memory = &InstalledMemory;
            sources.fontsFolder = &FontsFolderStamps;
            sources.fontsDir = FontsDir;
            BuildInstalledCatalogue(dc.Get(), FamilyNames, InstalledCatalogue, [&](int percent) {
                if (!shown && percent > 5 && GetActiveWindow() == m_wnd) {
                    ProgressOpen(dialog, nullptr, LoadMessage(1042), true);
                    shown = true;
                }
                // The bar moves every few tens of milliseconds, not for every twentieth family.
                ProgressQuickStep(dialog, percent, LoadMessage(1042));
            }, sources);
        }

        std::vector<TToShowItem*> rows;
        HTREEITEM node = m_groups.Current();
        if (node && node != m_groups.Root()) {
            // "Polices Windows" shows every font that no user group holds, those whose record
            // names a group that is not in the tree included: no font is left out of sight.
            const std::string group = m_groups.IsUserGroup(node) ? m_groups.Caption(node) : std::string();
            const GroupMembership membership = m_groups.Membership();
            // The list shows its rows sorted by name; equal names keep the catalogue's order. Name
            // keys sort as the names compare, without a call into the locale for each comparison.
            std::vector<std::pair<const std::string*, TToShowItem*>> keyed;
            for (int i = 0; i < InstalledCatalogue.Count(); ++i) {
                TToShowItem* item = InstalledCatalogue.Item(i);
                if (membership.Holding(item->Group) == group) keyed.emplace_back(&InstalledCatalogue.Key(i), item);
            }
            std::stable_sort(keyed.begin(), keyed.end(), [](const auto& a, const auto& b) { return *a.first < *b.first; });
            rows.reserve(keyed.size());
            for (const auto& [key, item] : keyed) rows.push_back(item);
        }
        if (update)
            list.Update(rows, top);
        else
            list.Fill(rows, top);
        if (list.FontsMeasured() > 0) InstalledMemory.MarkChanged();
    }
    SaveInstalledMemory();
    UpdateStatus();
    RebuildGroupMenus();
}

std::string TfrmTYPA::InstalledMemoryPath() const
{
    const std::string local = sys::LocalAppDataFolder();
    return local.empty() ? std::string() : local + "\\Typarium\\Polices installees.dat";
}

int TfrmTYPA::ScreenDpi() const
{
    WindowDc screen(nullptr);
    return GetDeviceCaps(screen.Get(), LOGPIXELSY);
}

void TfrmTYPA::SaveInstalledMemory()
{
    const std::string path = InstalledMemoryPath();
    if (InstalledMemory.Changed() && !path.empty()) InstalledMemory.Save(path, ScreenDpi());
}

void TfrmTYPA::ReadCurrentFolder()
{
    RunScope run(*this); // the scan lets messages through between its files
    AvailableCatalogue.Clear();
    do {
        m_folders.ListSubfolders();
        m_folders.SortTopLevel();
    } while (FillAvailableList(true)); // true: a medium was inserted, read again
}

void TfrmTYPA::RefreshLists(bool afterFontChange)
{
    if (afterFontChange || InstalledSideActive) {
        // The list keeps what its rows showed while the catalogue is built again, and is brought
        // up to the new build: only the rows of what changed go out or come in.
        const int top = m_installed.List().TopRow();
        m_installed.List().LetGoOfItems();
        InstalledCatalogue.ClearWithoutHook(); // freed before the new build: one catalogue at a time
        FontsFolderFiles.Clear();
        ReadFontsFolderFiles(FontsDir, FontsFolderFiles, &FontsFolderStamps);
        FillInstalledList(false, top, true);
    }
    if (afterFontChange) {
        FillAvailableList(false);
    } else if (!InstalledSideActive) {
        AvailableCatalogue.Clear();
        m_folders.Rebuild();
        ReadCurrentFolder();
    }
}

void TfrmTYPA::OnFontChange()
{
    if (m_runs > 0 || !m_created)
        m_refreshPending = true;
    else
        RefreshLists(true);
}

// ---------------------------------------------------------------------------------------------
// Trees

void TfrmTYPA::twInstalledGroupClick()
{
    HTREEITEM selected = m_groups.Selected();
    if (selected && selected != m_groups.Current()) {
        m_groups.SetCurrent(selected);
        FillInstalledList(true);
    }
}

void TfrmTYPA::twAvailableGroupClick()
{
    HTREEITEM selected = m_folders.Selected();
    if (!selected) selected = m_folders.Root();
    if (selected != m_folders.Current()) {
        m_folders.SetCurrent(selected);
        ReadCurrentFolder();
        return;
    }
    if (m_folders.RootUnread()) ReadCurrentFolder(); // the drive was not ready last time
}

void TfrmTYPA::mnuGroupNewClick()
{
    SetFocus(m_groups.Handle());
    if (!m_groups.NewGroup()) return;
    RebuildGroupMenus();
    // The new caption is open for editing: its edit box keeps the focus inside the tree.
    HWND focus = GetFocus();
    if (focus != m_groups.Handle() && !IsChild(m_groups.Handle(), focus)) SetFocus(m_groups.Handle());
    SetFocusSide(m_groups.Handle());
    twInstalledGroupClick();
}

void TfrmTYPA::mnuGroupRenameClick()
{
    SetFocus(m_groups.Handle());
    HTREEITEM node = m_groups.Selected();
    m_groups.RememberCaption(node);
    if (node) SendMessageA(m_groups.Handle(), TVM_EDITLABELA, 0, reinterpret_cast<LPARAM>(node));
}

void TfrmTYPA::RebuildGroupMenus()
{
    // Every node but the root, in tree order: "Polices Windows" and the user groups.
    std::vector<std::string> captions = m_groups.Captions();
    if (!captions.empty()) captions.erase(captions.begin());
    if (captions.size() > kMaxGroupTargets) captions.resize(kMaxGroupTargets);
    m_groupTargets = captions;
    const std::string selected = m_groups.Caption(m_groups.Selected());
    HMENU font = GetSubMenu(m_menu, 0);
    FillGroupTargetMenu(GetSubMenu(font, 0), captions, kInstallToGroupBase, nullptr);
    FillGroupTargetMenu(GetSubMenu(font, 1), captions, kMoveToGroupBase, &selected);
    if (!m_pmMoveTo) {
        m_pmMoveTo.Reset(CreatePopupMenu());
        AppendMenuA(m_pmMoveTo.Get(), MF_POPUP, reinterpret_cast<UINT_PTR>(CreatePopupMenu()), "&Déplacer    ");
    }
    FillGroupTargetMenu(GetSubMenu(m_pmMoveTo.Get(), 0), captions, kMoveToGroupBase, &selected);
    FillGroupTargetMenu(m_available.ListPopup().SubMenu(mnupmInstall), captions, kInstallToGroupBase, nullptr);
    FillGroupTargetMenu(m_installed.ListPopup().SubMenu(mnupmMove), captions, kMoveToGroupBase, &selected);
}

// ---------------------------------------------------------------------------------------------
// Notifications of the trees and the lists

LRESULT TfrmTYPA::OnNotify(NMHDR& header)
{
    TFontSide* side = SideOf(header.hwndFrom);
    if (!side || header.hwndFrom != side->Tree()) return 0;
    const bool installed = side == &m_installed;
    switch (header.code) {
    case TVN_DELETEITEMA:
    case TVN_DELETEITEMW: FreeDeletedNodeProps(reinterpret_cast<NMTREEVIEWA&>(header)); break;
    case TVN_SELCHANGEDA:
    case TVN_SELCHANGEDW:
        if (!installed) break;
        if (m_runs > 0)
            m_treeClickPending = true; // the list the run walks stays as it is until it ends
        else
            twInstalledGroupClick();
        break;
    case NM_CLICK:
        if (!installed) PostMessageA(m_wnd, WM_COMMAND, MAKEWPARAM(twAvailableGroup, 0), 0);
        break;
    case NM_SETFOCUS: SetFocusSide(header.hwndFrom); break;
    case NM_RCLICK: {
        TVHITTESTINFO hit{};
        hit.pt = m_rightPress;
        auto node = reinterpret_cast<HTREEITEM>(SendMessageA(header.hwndFrom, TVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
        OnTreeRightClick(header.hwndFrom, (hit.flags & TVHT_ONITEM) ? node : nullptr);
        return TRUE; // no context menu follows
    }
    case TVN_BEGINLABELEDITA:
        if (installed) return m_groups.EditMayBegin(reinterpret_cast<NMTVDISPINFOA&>(header).item.hItem) ? FALSE : TRUE;
        return TRUE;
    case TVN_ENDLABELEDITA: {
        auto& info = reinterpret_cast<NMTVDISPINFOA&>(header);
        if (installed && m_groups.EndEdit(info.item.hItem, info.item.pszText, InstalledCatalogue)) RebuildGroupMenus();
        return FALSE; // the caption was set above, checked
    }
    default: break;
    }
    return 0;
}

void TfrmTYPA::OnListCommand(HWND list, int code)
{
    switch (code) {
    case LBN_SETFOCUS: SetFocusSide(list); break;
    case LBN_SELCHANGE: UpdateStatus(); break;
    case LBN_DBLCLK:
        if (TFontSide* side = SideOf(list)) OpenSheet(*side, side->List().Caret());
        break;
    default: break;
    }
}

LRESULT TfrmTYPA::FontListProc(HWND list, UINT msg, WPARAM wp, LPARAM lp, void* self)
{
    auto* form = reinterpret_cast<TfrmTYPA*>(self);
    return Guarded<LRESULT>(0, [&]() -> LRESULT {
        TFontSide* side = form->SideOf(list);
        if (!side) return CallPrevious(list, msg, wp, lp);
        if (msg == WM_KEYDOWN && side->List().KeyDown(static_cast<UINT>(wp))) return 0;
        if (msg == WM_CHAR && (wp == VK_BACK || wp >= 0x20)) {
            // Typed letters find a row by its name (the procedure sees them as UTF-16).
            const wchar_t typed = static_cast<wchar_t>(wp);
            char ch = '\b';
            if (wp != VK_BACK && WideCharToMultiByte(CP_ACP, 0, &typed, 1, &ch, 1, nullptr, nullptr) != 1) return 0;
            if (side->List().TypeToFind(ch, GetTickCount())) form->OnRowChosen(*side);
            return 0;
        }
        LRESULT result = CallPrevious(list, msg, wp, lp);
        if (msg == WM_RBUTTONUP) form->OnRightClickInList(*side, GET_X_LPARAM(lp), GET_Y_LPARAM(lp));
        return result;
    });
}

void TfrmTYPA::OnRightClickInList(TFontSide& side, int x, int y)
{
    if (side.List().SelectAtRightClick(x, y))
        OnRowChosen(side);
    else
        SetFocusSide(side.List().Handle());
}

void TfrmTYPA::OnRowChosen(TFontSide& side)
{
    // As after a click on a row: the side, the status bar, the commands and their menus.
    SetFocusSide(side.List().Handle());
    UpdateStatus();
    RebuildGroupMenus();
}

void TfrmTYPA::OpenSheet(TFontSide& side, int row)
{
    if (m_runs > 0) return;
    const TFontListBox& list = side.List();
    const TToShowItem* item = row >= 0 && row < list.Count() ? list.Item(row) : nullptr;
    if (!item) return;
    SheetFont font;
    font.name = item->Name;
    font.family = item->Family;
    font.fileName = item->FileName;
    font.logFont = item->LogFont;
    font.faceIndex = item->FaceIndex;
    for (const std::string& face : FaceNamesOfFile(*item))
        if (face != item->Name) font.otherFaces.push_back(face);
    if (side.IsAvailable()) {
        font.path = item->Path;
        font.size = item->Size;
        font.installed = item->Installed;
        font.loadFile = !item->OwnFileInstalled;
    } else {
        // Installed: the registry holds a bare file name for a file of the fonts folder.
        font.path = item->Path.find_first_of("\\:") == std::string::npos ? FontsDir + "\\" + item->Path : item->Path;
        files::Entry entry;
        if (files::FindEntry(font.path, entry)) font.size = static_cast<std::int64_t>(entry.size);
        font.installed = true;
        font.group = m_groups.Membership().Holding(item->Group); // as the tree shows the font
        font.installedFor = item->ForUser ? SheetFont::For::ThisUser : SheetFont::For::AllUsers;
    }
    m_sheet.Show(m_wnd, font, SampleText);
}

// ---------------------------------------------------------------------------------------------
// The active side

TFontSide* TfrmTYPA::SideOf(HWND control)
{
    for (TFontSide* side : {&m_available, &m_installed})
        if (control && (side->Owns(control) || control == side->Panel())) return side;
    return nullptr;
}

void TfrmTYPA::SetFocusSide(HWND control)
{
    const bool installed = SideOf(control) == &m_installed && control != m_installed.Panel();
    const bool changed = installed != InstalledSideActive;
    InstalledSideActive = installed;
    if (changed) HighlightActiveSide();
    UpdateStatus();
    RebuildGroupMenus();
}

void TfrmTYPA::HighlightActiveSide()
{
    m_installed.Highlight(InstalledSideActive);
    m_available.Highlight(!InstalledSideActive);
}

// ---------------------------------------------------------------------------------------------
// Status bar and command states

void TfrmTYPA::UpdateStatus()
{
    ApplyCommandStates(); // kept right even while the status bar is hidden
    if (!m_statusBarVisible) return;

    StatusInput in;
    in.options = StatusOptions;
    in.availableSideActive = !InstalledSideActive;
    const TFontListBox& active = ActiveSide().List();
    in.total = active.Count();
    if (InstalledSideActive && m_groups.Current() == m_groups.Root()) in.total = InstalledCatalogue.Count();

    const TFontListBox& available = m_available.List();
    std::unordered_set<const void*> counted; // the faces of a collection share one file
    for (int row = 0; row < available.Count(); ++row) {
        TToShowItem* item = available.Item(row);
        if (!item || item->Installed) continue;
        ++in.notInstalled;
        if (available.Selected(row)) {
            if (!InstalledSideActive) ++in.selected;
            if (counted.insert(FileKey(*item)).second)
                in.selectedSize += static_cast<std::uint64_t>(std::max(item->Size, 0));
        }
    }
    if (InstalledSideActive) in.selected = active.SelectedCount();

    in.windowsDrive = WindowsDir.empty() ? 'C' : WindowsDir[0];
    files::DiskFreeBytes(std::string(1, in.windowsDrive) + ":\\", in.freeBytes);

    std::string s = BuildStatusText(in);
    m_ownHint = s.substr(1);
    ShowHint(m_ownHint);
}

void TfrmTYPA::ApplyCommandStates()
{
    CommandInput in;
    const TFontListBox& available = m_available.List();
    for (int row = 0; row < available.Count() && !in.availableSelectionInstallable; ++row)
        if (available.Selected(row)) {
            const TToShowItem* item = available.Item(row);
            in.availableSelectionInstallable = item && !item->Installed;
        }
    HTREEITEM group = m_groups.Selected();
    in.groupChosen = group && group != m_groups.Root();
    in.userGroupChosen = m_groups.IsUserGroup(group);
    in.installedSideActive = InstalledSideActive;
    in.installedSelected = m_installed.List().SelectedCount();
    in.groupNodes = static_cast<int>(SendMessageA(m_groups.Handle(), TVM_GETCOUNT, 0, 0));
    in.activeRows = ActiveSide().List().Count();
    const CommandStates states = ComputeCommandStates(in);

    auto set = [&](int button, int command, bool on) {
        EnableWindow(GetDlgItem(m_wnd, button), on);
        if (command) EnableMenuItem(m_menu, command, MF_BYCOMMAND | (on ? MF_ENABLED : MF_GRAYED));
    };
    set(btFontInstall, 0, states.installable);
    EnableMenuItem(GetSubMenu(m_menu, 0), 0, MF_BYPOSITION | (states.installable ? MF_ENABLED : MF_GRAYED));
    set(btFontDelete, mnuFontDelete, states.deletable);
    set(btFontMove, 0, states.movable);
    EnableMenuItem(GetSubMenu(m_menu, 0), 1, MF_BYPOSITION | (states.movable ? MF_ENABLED : MF_GRAYED));
    set(btGroupRename, mnuGroupRename, states.groupEditable);
    set(btGroupDelete, mnuGroupDelete, states.groupEditable);
    set(btFontMarkAll, mnuMarkAll, states.markable);
    m_available.ListPopup().Enable(mnupmInstall, states.installable);
    m_installed.ListPopup().Enable(mnupmDeleteInstalled, states.deletable);
    m_installed.ListPopup().Enable(mnupmMove, states.movable);
    m_installed.ListPopup().Enable(mnupmMarkInstalled, states.markable);

    // "Sélectionner tout" or "Désélectionner tout", after the active list.
    const bool allSelected = ActiveSide().List().AllSelected();
    const std::string caption = LoadMessage(allSelected ? 1112 : 1110);
    SetWindowTextA(GetDlgItem(m_wnd, btFontMarkAll), caption.c_str());
    const std::string menuText = caption + "\tCtrl+A";
    ModifyMenuA(m_menu, mnuMarkAll, MF_BYCOMMAND | MF_STRING | (GetMenuState(m_menu, mnuMarkAll, MF_BYCOMMAND) & MF_GRAYED),
                mnuMarkAll, menuText.c_str());
    m_markAllHint = LoadMessage(allSelected ? 1115 : 1114);
    m_installed.ListPopup().SetCaption(mnupmMarkInstalled, LoadMessage(allSelected ? 1113 : 1111));
}

} // namespace typa
