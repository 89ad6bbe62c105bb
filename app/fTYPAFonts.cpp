// The main window's two font lists: what fills them, what they show, and the summary of the
// active side in the status bar.
#include "app/fTYPA.h"

#include "app/Application.h"
#include "app/ExceptionGuard.h"
#include "app/ErrorBox.h"
#include "app/Messages.h"
#include "app/Scale.h"
#include "fonts/FolderScan.h"
#include "fonts/InstalledFonts.h"
#include "fonts/NameCompare.h"
#include "groups/TreeProps.h"
#include "platform/Files.h"
#include "res/Resource.h"
#include "ui/DlgProgress.h"
#include "ui/FontList.h"
#include "ui/StatusText.h"
#include "ui/WindowSubclass.h"
#include "ops/Move.h"

#include <windowsx.h>

#include <algorithm>
#include <unordered_map>

namespace typa {
namespace {

// The drive tree's root node as the folder read sees it.
class TreeFolderRoot : public FolderRoot {
public:
    TreeFolderRoot(HWND tree, HTREEITEM node) : m_tree(tree), m_node(node) {}
    std::string Path() const override
    {
        TTreeViewProps* p = NodeProps(m_tree, m_node);
        return p ? p->Location : std::string();
    }
    void SetCaption(const std::string& caption) override { SetNodeCaption(m_tree, m_node, caption); }
    void SetFolderRead(bool read) override
    {
        if (TTreeViewProps* p = NodeProps(m_tree, m_node)) p->SubfoldersRead = read;
    }

private:
    HWND m_tree;
    HTREEITEM m_node;
};

HTREEITEM SelectedNode(HWND tree)
{
    return reinterpret_cast<HTREEITEM>(SendMessageA(tree, TVM_GETNEXTITEM, TVGN_CARET, 0));
}

class ScopedWaitCursor {
public:
    ScopedWaitCursor() : m_previous(SetCursor(LoadCursor(nullptr, IDC_WAIT))) {}
    ~ScopedWaitCursor() { SetCursor(m_previous ? m_previous : LoadCursor(nullptr, IDC_ARROW)); }
    ScopedWaitCursor(const ScopedWaitCursor&) = delete;
    ScopedWaitCursor& operator=(const ScopedWaitCursor&) = delete;

private:
    HCURSOR m_previous;
};

// A list box stops redrawing for one scope.
class ScopedNoRedraw {
public:
    explicit ScopedNoRedraw(HWND wnd) : m_wnd(wnd) { SendMessageA(wnd, WM_SETREDRAW, FALSE, 0); }
    ~ScopedNoRedraw()
    {
        SendMessageA(m_wnd, WM_SETREDRAW, TRUE, 0);
        InvalidateRect(m_wnd, nullptr, TRUE);
    }
    ScopedNoRedraw(const ScopedNoRedraw&) = delete;
    ScopedNoRedraw& operator=(const ScopedNoRedraw&) = delete;

private:
    HWND m_wnd;
};

int ListCount(HWND list) { return static_cast<int>(SendMessageA(list, LB_GETCOUNT, 0, 0)); }
bool RowSelected(HWND list, int row) { return SendMessageA(list, LB_GETSEL, row, 0) > 0; }

} // namespace

// ---------------------------------------------------------------------------------------------
// Trees

void TfrmTYPA::BuildInstalledRoot()
{
    TTreeViewProps props;
    props.Kind = TTreeViewProps::GroupRoot;
    InstalledRootNode = AddTreeNode(m_twInstalledGroup, TVI_ROOT, LoadMessage(1090), props, 4, 4);
}

void TfrmTYPA::BuildGroupNodes()
{
    TTreeViewProps props;
    props.Kind = TTreeViewProps::Group;
    HTREEITEM windowsFonts = AddTreeNode(m_twInstalledGroup, InstalledRootNode, LoadMessage(1091), props, 0, 1);
    SendMessageA(m_twInstalledGroup, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(InstalledRootNode));
    // Selecting the node fills the installed list through the selection-change notification.
    SendMessageA(m_twInstalledGroup, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(windowsFonts));
    if (CurrentGroupNode != windowsFonts) twInstalledGroupClick();
    for (const StoredGroup& group : LoadGroups()) {
        TTreeViewProps user;
        user.Kind = TTreeViewProps::Group;
        user.Location = group.keyPath;
        AddTreeNode(m_twInstalledGroup, InstalledRootNode, group.name, user, 2, 3);
    }
    SendMessageA(m_twInstalledGroup, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(InstalledRootNode));
    SortGroupTree();
}

std::vector<std::string> TfrmTYPA::GroupCaptions() const
{
    std::vector<std::string> captions;
    std::vector<HTREEITEM> pending{reinterpret_cast<HTREEITEM>(SendMessageA(m_twInstalledGroup, TVM_GETNEXTITEM, TVGN_ROOT, 0))};
    // Tree order: each node, then its children.
    while (!pending.empty()) {
        HTREEITEM node = pending.back();
        pending.pop_back();
        if (!node) continue;
        captions.push_back(NodeCaption(m_twInstalledGroup, node));
        pending.push_back(reinterpret_cast<HTREEITEM>(
            SendMessageA(m_twInstalledGroup, TVM_GETNEXTITEM, TVGN_NEXT, reinterpret_cast<LPARAM>(node))));
        pending.push_back(reinterpret_cast<HTREEITEM>(
            SendMessageA(m_twInstalledGroup, TVM_GETNEXTITEM, TVGN_CHILD, reinterpret_cast<LPARAM>(node))));
    }
    return captions;
}

void TfrmTYPA::SortGroupTree() { SortChildren(m_twInstalledGroup, InstalledRootNode); }

HTREEITEM TfrmTYPA::NewGroup()
{
    std::optional<std::string> name = FreeGroupName(GroupCaptions());
    if (!name) {
        ShowNoFreeGroupName();
        return nullptr;
    }
    TTreeViewProps props;
    props.Kind = TTreeViewProps::Group;
    props.Location = *name;
    HTREEITEM node = AddTreeNode(m_twInstalledGroup, InstalledRootNode, *name, props, 2, 3);
    SendMessageA(m_twInstalledGroup, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(node));
    SortGroupTree();
    CreateGroupKey(*name); // the group exists from the moment it shows, under its default name
    SendMessageA(m_twInstalledGroup, TVM_EDITLABELA, 0, reinterpret_cast<LPARAM>(node));
    return node;
}

void TfrmTYPA::mnuGroupNewClick()
{
    SetFocus(m_twInstalledGroup);
    if (!NewGroup()) return;
    RebuildGroupMenus();
    // The new caption is open for editing: its edit box keeps the focus inside the tree.
    HWND focus = GetFocus();
    if (focus != m_twInstalledGroup && !IsChild(m_twInstalledGroup, focus)) SetFocus(m_twInstalledGroup);
    SetFocusSide(m_twInstalledGroup);
    twInstalledGroupClick();
}

void TfrmTYPA::mnuGroupRenameClick()
{
    SetFocus(m_twInstalledGroup);
    HTREEITEM node = SelectedNode(m_twInstalledGroup);
    OldGroupName = NodeCaption(m_twInstalledGroup, node);
    if (node) SendMessageA(m_twInstalledGroup, TVM_EDITLABELA, 0, reinterpret_cast<LPARAM>(node));
}

bool TfrmTYPA::twInstalledGroupEditing(HTREEITEM node)
{
    m_editReentry.Clear();
    TTreeViewProps* props = NodeProps(m_twInstalledGroup, node);
    bool allowed = node != InstalledRootNode && props && !props->Location.empty();
    if (!allowed) MessageBeep(0);
    OldGroupName = NodeCaption(m_twInstalledGroup, CurrentGroupNode);
    return allowed;
}

void TfrmTYPA::twInstalledGroupEdited(HTREEITEM node, const char* text)
{
    if (!text) return; // left with Escape: the group keeps its name
    GroupEditReentry::Scope once(m_editReentry);
    if (!once.Entered()) return;
    std::string caption = EndGroupRename(text, OldGroupName, GroupCaptions(), InstalledCatalogue);
    SetNodeCaption(m_twInstalledGroup, node, caption);
    SortGroupTree();
    RebuildGroupMenus();
}

void TfrmTYPA::BuildFolderRoot()
{
    std::string path = settings::ReadFontPath();
    if (!path.empty() && path.back() != '\\') path += '\\';
    int driveType = path.compare(0, 2, "\\\\") == 0 ? 4 : static_cast<int>(files::DriveType(path.substr(0, 3)));
    TTreeViewProps props;
    props.Kind = TTreeViewProps::DriveRoot;
    props.Location = path;
    FolderRootNode = AddTreeNode(m_twAvailableGroup, TVI_ROOT, FormatMessage(1100, {path}), props, driveType,
                                 driveType);
    CurrentFolderNode = FolderRootNode;
    SendMessageA(m_twAvailableGroup, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(FolderRootNode));
}

void TfrmTYPA::twInstalledGroupClick()
{
    HTREEITEM selected = SelectedNode(m_twInstalledGroup);
    if (selected && selected != CurrentGroupNode) {
        CurrentGroupNode = selected;
        FillInstalledList(true);
    }
}

void TfrmTYPA::twAvailableGroupClick()
{
    HTREEITEM selected = SelectedNode(m_twAvailableGroup);
    if (!selected) selected = FolderRootNode;
    if (selected != CurrentFolderNode) {
        CurrentFolderNode = selected;
        ReadCurrentFolder();
        return;
    }
    TTreeViewProps* root = NodeProps(m_twAvailableGroup, FolderRootNode);
    if (root && !root->SubfoldersRead) ReadCurrentFolder(); // the drive was not ready last time
}

void TfrmTYPA::ListSubfolders()
{
    HTREEITEM node = CurrentFolderNode;
    TTreeViewProps* props = NodeProps(m_twAvailableGroup, node);
    if (!props || props->SubfoldersRead || props->Location.empty()) return;
    ScopedWaitCursor wait;
    const std::string location = files::WithBackslash(props->Location);
    std::vector<std::string> names;
    DWORD error = files::ForEachEntry(location + "*.*", [&](const files::Entry& e) {
        if ((e.attributes & FILE_ATTRIBUTE_DIRECTORY) && e.name != "." && e.name != "..") names.push_back(e.name);
        return true;
    });
    if (error != 0 && error != ERROR_FILE_NOT_FOUND && IsDriveReady(location)) {
        ShowError(9, props->Location); // the node stays unread, so choosing it again lists again
        return;
    }
    for (const std::string& name : names) {
        TTreeViewProps child;
        child.Kind = TTreeViewProps::Subfolder;
        child.Location = location + name + "\\";
        AddTreeNode(m_twAvailableGroup, node, name, child, 7, 8);
    }
    SortChildren(m_twAvailableGroup, node);
    if ((props = NodeProps(m_twAvailableGroup, node))) props->SubfoldersRead = true;
    if (node == FolderRootNode) SendMessageA(m_twAvailableGroup, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(node));
}

// ---------------------------------------------------------------------------------------------
// Filling the lists

TToShowItem* TfrmTYPA::RowItem(HWND list, int row) const
{
    LRESULT data = SendMessageA(list, LB_GETITEMDATA, row, 0);
    return data == LB_ERR ? nullptr : reinterpret_cast<TToShowItem*>(data);
}

void TfrmTYPA::PutRows(HWND list, const std::vector<TToShowItem*>& rows, int topRow)
{
    // Rows go in at their index, already in order, so the measure of each new row knows its item.
    m_rowsBeingAdded = &rows;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        auto row = static_cast<int>(SendMessageA(list, LB_INSERTSTRING, i, reinterpret_cast<LPARAM>(rows[i]->Name.c_str())));
        if (row >= 0) SendMessageA(list, LB_SETITEMDATA, row, reinterpret_cast<LPARAM>(rows[i]));
    }
    m_rowsBeingAdded = nullptr;
    if (topRow > 0 && topRow < static_cast<int>(rows.size())) SendMessageA(list, LB_SETTOPINDEX, topRow, 0);
}

void TfrmTYPA::UnloadPreviewResources()
{
    const int n = ListCount(m_lbAvailableFonts);
    for (int row = 0; row < n; ++row) {
        TToShowItem* item = RowItem(m_lbAvailableFonts, row);
        if (item && item->PreviewLoaded) UnloadPreview(*item);
    }
}

bool TfrmTYPA::FillAvailableList(bool rescan)
{
    TTreeViewProps* root = NodeProps(m_twAvailableGroup, FolderRootNode);
    if (!root || root->Location.empty()) {
        UnloadPreviewResources();
        SendMessageA(m_lbAvailableFonts, LB_RESETCONTENT, 0, 0);
        AvailableView.clear();
        UpdateStatus();
        return false;
    }
    ScopedWaitCursor wait;
    int top = rescan ? 0 : static_cast<int>(SendMessageA(m_lbAvailableFonts, LB_GETTOPINDEX, 0, 0));
    UnloadPreviewResources();
    SendMessageA(m_lbAvailableFonts, LB_RESETCONTENT, 0, 0);
    AvailableView.clear();

    if (rescan) {
        TTreeViewProps* current = NodeProps(m_twAvailableGroup, CurrentFolderNode);
        TreeFolderRoot folderRoot(m_twAvailableGroup, FolderRootNode);
        if (ReadFolderFonts(current ? current->Location : root->Location, folderRoot, AvailableCatalogue) < -1)
            return true;
    }

    {
        ScopedNoRedraw noRedraw(m_lbAvailableFonts);
        AvailableView.reserve(AvailableCatalogue.Count());
        for (int i = 0; i < AvailableCatalogue.Count(); ++i) {
            TToShowItem* item = AvailableCatalogue.Item(i);
            MarkInstalled(*item, FontsFolderFiles, InstalledCatalogue);
            AvailableView.push_back(item);
        }
        PutRows(m_lbAvailableFonts, AvailableView, top);
    }
    UpdateStatus();
    RebuildGroupMenus();
    return false;
}

void TfrmTYPA::FillInstalledList(bool fromTop)
{
    ScopedWaitCursor wait;
    int top = fromTop ? 0 : static_cast<int>(SendMessageA(m_lbInstalledFonts, LB_GETTOPINDEX, 0, 0));
    {
        ScopedNoRedraw noRedraw(m_lbInstalledFonts);
        UnloadPreviewResources();
        SendMessageA(m_lbInstalledFonts, LB_RESETCONTENT, 0, 0);

        if (InstalledCatalogue.Count() == 0) {
            TDlgProgress dialog(m_wnd);
            ProgressGuard closing(dialog);
            dialog.HideCancel();
            dialog.SetHeight(Scaled(110));
            ProgressOpen(dialog, nullptr, LoadMessage(1042), GetActiveWindow() == m_wnd);
            WindowDc dc(m_wnd);
            BuildInstalledCatalogue(dc.Get(), FamilyNames, InstalledCatalogue,
                                    [&](int percent) { ProgressStep(dialog, percent, LoadMessage(1042)); });
        }

        std::vector<TToShowItem*> rows;
        HTREEITEM node = CurrentGroupNode;
        if (node && node != InstalledRootNode) {
            const std::string caption = NodeCaption(m_twInstalledGroup, node);
            TTreeViewProps* props = NodeProps(m_twInstalledGroup, node);
            const bool noGroup = !props || props->Location.empty();
            // The list shows its rows sorted by name; equal names keep the catalogue's order. Name
            // keys sort as the names compare, without a call into the locale for each comparison.
            std::vector<std::pair<const std::string*, TToShowItem*>> keyed;
            for (int i = 0; i < InstalledCatalogue.Count(); ++i) {
                TToShowItem* item = InstalledCatalogue.Item(i);
                if (item->Group == caption || (item->Group.empty() && noGroup))
                    keyed.emplace_back(&InstalledCatalogue.Key(i), item);
            }
            std::stable_sort(keyed.begin(), keyed.end(), [](const auto& a, const auto& b) { return *a.first < *b.first; });
            rows.reserve(keyed.size());
            for (const auto& [key, item] : keyed) rows.push_back(item);
        }
        PutRows(m_lbInstalledFonts, rows, top);
    }
    UpdateStatus();
    RebuildGroupMenus();
}

void TfrmTYPA::ReadCurrentFolder()
{
    RunScope run(*this); // the scan lets messages through between its files
    AvailableCatalogue.Clear();
    do {
        ListSubfolders();
        SendMessageA(m_twAvailableGroup, TVM_SORTCHILDREN, TRUE, reinterpret_cast<LPARAM>(TVI_ROOT));
    } while (FillAvailableList(true)); // true: a medium was inserted, read again
}

void TfrmTYPA::RefreshLists(bool afterFontChange)
{
    if (afterFontChange || InstalledSideActive) {
        InstalledCatalogue.Clear();
        FontsFolderFiles.Clear();
        ReadFontsFolderFiles(FontsDir, FontsFolderFiles);
        FillInstalledList(false);
    }
    if (afterFontChange) {
        FillAvailableList(false);
    } else if (!InstalledSideActive) {
        AvailableCatalogue.Clear();
        SendMessageA(m_twAvailableGroup, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(TVI_ROOT));
        FolderRootNode = CurrentFolderNode = nullptr;
        BuildFolderRoot();
        ReadCurrentFolder();
    }
}

void TfrmTYPA::SetFocusSide(HWND control)
{
    bool installed = control == m_lbInstalledFonts || control == m_twInstalledGroup;
    bool changed = installed != InstalledSideActive;
    InstalledSideActive = installed;
    if (changed) HighlightActiveSide();
    UpdateStatus();
    RebuildGroupMenus();
}

void TfrmTYPA::RebuildGroupMenus()
{
    // Every node but the root, in tree order: "Polices Windows" and the user groups.
    std::vector<std::string> captions = GroupCaptions();
    if (!captions.empty()) captions.erase(captions.begin());
    if (captions.size() > kMaxGroupTargets) captions.resize(kMaxGroupTargets);
    m_groupTargets = captions;
    const std::string selected = NodeCaption(m_twInstalledGroup, SelectedNode(m_twInstalledGroup));
    HMENU font = GetSubMenu(m_menu, 0);
    FillGroupTargetMenu(GetSubMenu(font, 0), captions, kInstallToGroupBase, nullptr);
    FillGroupTargetMenu(GetSubMenu(font, 1), captions, kMoveToGroupBase, &selected);
    if (!m_pmMoveTo) {
        m_pmMoveTo.Reset(CreatePopupMenu());
        AppendMenuA(m_pmMoveTo.Get(), MF_POPUP, reinterpret_cast<UINT_PTR>(CreatePopupMenu()), "&Déplacer    ");
    }
    FillGroupTargetMenu(GetSubMenu(m_pmMoveTo.Get(), 0), captions, kMoveToGroupBase, &selected);
    FillGroupTargetMenu(m_pmAvailableGroup.SubMenu(mnupmInstall), captions, kInstallToGroupBase, nullptr);
    FillGroupTargetMenu(m_pmInstalledGroup.SubMenu(mnupmMove), captions, kMoveToGroupBase, &selected);
}

void TfrmTYPA::MoveToGroupClick(int index)
{
    if (index < 0 || index >= static_cast<int>(m_groupTargets.size())) return;
    std::vector<const TToShowItem*> items;
    const int rows = ListCount(m_lbInstalledFonts);
    for (int row = 0; row < rows; ++row)
        if (RowSelected(m_lbInstalledFonts, row))
            if (TToShowItem* item = RowItem(m_lbInstalledFonts, row)) items.push_back(item);
    MoveSelectedFonts(InstalledCatalogue, items, m_groupTargets[index]);
    FillInstalledList(false);
}

LRESULT TfrmTYPA::FontListProc(HWND list, UINT msg, WPARAM wp, LPARAM lp, void* self)
{
    auto* form = reinterpret_cast<TfrmTYPA*>(self);
    return Guarded<LRESULT>(0, [&]() -> LRESULT {
        if (msg == WM_KEYDOWN && form->lbFontsKeyDown(list, static_cast<UINT>(wp))) return 0;
        LRESULT result = CallPrevious(list, msg, wp, lp);
        if (msg == WM_RBUTTONUP) form->lbFontsMouseUp(list, GET_X_LPARAM(lp), GET_Y_LPARAM(lp));
        return result;
    });
}

bool TfrmTYPA::lbFontsKeyDown(HWND list, UINT key)
{
    const int count = ListCount(list);
    const bool oneSelected = SendMessageA(list, LB_GETSELCOUNT, 0, 0) == 1;
    // The single selected row at an end of the list stays where it is.
    if (key == VK_DOWN && oneSelected && count > 0 && RowSelected(list, count - 1)) return true;
    if (key == VK_UP && oneSelected && count > 0 && RowSelected(list, 0)) return true;
    if (key == VK_END && count > 0) SendMessageA(list, LB_SETTOPINDEX, count - 1, 0);
    return false;
}

void TfrmTYPA::lbFontsMouseUp(HWND list, int x, int y)
{
    SetFocusSide(list);
    LRESULT hit = SendMessageA(list, LB_ITEMFROMPOINT, 0, MAKELPARAM(x, y));
    const int row = LOWORD(hit);
    if (HIWORD(hit) != 0 || row >= ListCount(list)) return; // below the last row: nothing changes
    if (SendMessageA(list, LB_GETSELCOUNT, 0, 0) == 1) {
        ScopedNoRedraw noRedraw(list);
        SendMessageA(list, LB_SETSEL, FALSE, -1);
    }
    if (!RowSelected(list, row)) SendMessageA(list, LB_SETSEL, TRUE, row);
    UpdateStatus();
    RebuildGroupMenus();
}

void TfrmTYPA::btFontMoveClick()
{
    RECT r;
    GetWindowRect(GetDlgItem(m_wnd, btFontMove), &r);
    TrackPopupMenu(m_pmMoveTo.Get(), TPM_LEFTALIGN | TPM_RIGHTBUTTON, r.left, r.top, 0, m_wnd, nullptr);
}

void TfrmTYPA::SetAllSelected(HWND list, bool state)
{
    {
        ScopedNoRedraw noRedraw(list);
        for (int row = ListCount(list) - 1; row >= 0; --row) SendMessageA(list, LB_SETSEL, state, row);
        if (ListCount(list) > 0) SendMessageA(list, LB_SETCARETINDEX, 0, FALSE);
    }
}

void TfrmTYPA::mnuMarkAllClick()
{
    HWND list = InstalledSideActive ? m_lbInstalledFonts : m_lbAvailableFonts;
    // An empty list counts as all selected, so the command deselects (nothing).
    const bool allSelected = SendMessageA(list, LB_GETSELCOUNT, 0, 0) >= ListCount(list);
    SetAllSelected(list, !allSelected);
    UpdateStatus();
    SetFocus(list);
}

void TfrmTYPA::UpdateMarkAllCaptions()
{
    HWND list = InstalledSideActive ? m_lbInstalledFonts : m_lbAvailableFonts;
    const bool allSelected = SendMessageA(list, LB_GETSELCOUNT, 0, 0) >= ListCount(list);
    const std::string caption = LoadMessage(allSelected ? 1112 : 1110);
    SetWindowTextA(GetDlgItem(m_wnd, btFontMarkAll), caption.c_str());
    const std::string menuText = caption + "\tCtrl+A";
    ModifyMenuA(m_menu, mnuMarkAll, MF_BYCOMMAND | MF_STRING | (GetMenuState(m_menu, mnuMarkAll, MF_BYCOMMAND) & MF_GRAYED),
                mnuMarkAll, menuText.c_str());
    m_markAllHint = LoadMessage(allSelected ? 1115 : 1114);
    m_pmInstalledGroup.SetCaption(mnupmMarkInstalled, LoadMessage(allSelected ? 1113 : 1111));
}

// ---------------------------------------------------------------------------------------------
// Status bar and command states

void TfrmTYPA::UpdateStatus()
{
    ComputeCommandStates(); // kept right even while the status bar is hidden
    if (!m_statusBarVisible) return;

    StatusInput in;
    in.options = StatusOptions;
    in.availableSideActive = !InstalledSideActive;
    HWND list = InstalledSideActive ? m_lbInstalledFonts : m_lbAvailableFonts;
    const int rows = ListCount(list);
    in.total = rows;
    if (InstalledSideActive && CurrentGroupNode == InstalledRootNode) in.total = InstalledCatalogue.Count();

    const int available = ListCount(m_lbAvailableFonts);
    for (int row = 0; row < available; ++row) {
        TToShowItem* item = RowItem(m_lbAvailableFonts, row);
        if (!item || item->Installed) continue;
        ++in.notInstalled;
        if (RowSelected(m_lbAvailableFonts, row)) {
            if (!InstalledSideActive) ++in.selected;
            in.selectedSize += static_cast<std::uint64_t>(std::max(item->Size, 0));
        }
    }
    if (InstalledSideActive) in.selected = static_cast<int>(std::max<LRESULT>(SendMessageA(list, LB_GETSELCOUNT, 0, 0), 0));

    in.windowsDrive = WindowsDir.empty() ? 'C' : WindowsDir[0];
    files::DiskFreeBytes(std::string(1, in.windowsDrive) + ":\\", in.freeBytes);

    std::string s = BuildStatusText(in);
    m_ownHint = s.substr(1);
    ShowHint(m_ownHint);
}

void TfrmTYPA::ComputeCommandStates()
{
    bool installable = false;
    const int available = ListCount(m_lbAvailableFonts);
    for (int row = 0; row < available && !installable; ++row)
        if (RowSelected(m_lbAvailableFonts, row)) {
            TToShowItem* item = RowItem(m_lbAvailableFonts, row);
            installable = item && !item->Installed;
        }
    HTREEITEM group = SelectedNode(m_twInstalledGroup);
    installable = installable && group && group != InstalledRootNode;

    const bool deletable = InstalledSideActive && SendMessageA(m_lbInstalledFonts, LB_GETSELCOUNT, 0, 0) > 0;
    const bool movable = deletable && SendMessageA(m_twInstalledGroup, TVM_GETCOUNT, 0, 0) > 2;
    TTreeViewProps* props = NodeProps(m_twInstalledGroup, group);
    const bool userGroup = group && group != InstalledRootNode && props && !props->Location.empty();
    const bool markable = ListCount(InstalledSideActive ? m_lbInstalledFonts : m_lbAvailableFonts) > 0;

    auto set = [&](int button, int command, bool on) {
        EnableWindow(GetDlgItem(m_wnd, button), on);
        if (command) EnableMenuItem(m_menu, command, MF_BYCOMMAND | (on ? MF_ENABLED : MF_GRAYED));
    };
    set(btFontInstall, 0, installable);
    EnableMenuItem(GetSubMenu(m_menu, 0), 0, MF_BYPOSITION | (installable ? MF_ENABLED : MF_GRAYED));
    set(btFontDelete, mnuFontDelete, deletable);
    set(btFontMove, 0, movable);
    EnableMenuItem(GetSubMenu(m_menu, 0), 1, MF_BYPOSITION | (movable ? MF_ENABLED : MF_GRAYED));
    set(btGroupRename, mnuGroupRename, userGroup);
    set(btGroupDelete, mnuGroupDelete, userGroup);
    set(btFontMarkAll, mnuMarkAll, markable);
    UpdatePopupStates(installable, deletable, movable, markable);
    UpdateMarkAllCaptions();
}

// ---------------------------------------------------------------------------------------------
// Rows

void TfrmTYPA::OnMeasureItem(MEASUREITEMSTRUCT& mis)
{
    if (mis.CtlType != ODT_LISTBOX || !m_rowsBeingAdded || mis.itemID >= m_rowsBeingAdded->size()) return;
    TToShowItem& item = *(*m_rowsBeingAdded)[mis.itemID];
    const bool available = mis.CtlID == lbAvailableFonts;
    // A folder font is measured in itself: its file is loaded just for the measure.
    if (available && NeedsPreview(item)) LoadPreview(item);
    WindowDc dc(m_wnd);
    mis.itemHeight = static_cast<UINT>(std::clamp(MeasureFontRow(dc.Get(), item, item.Name, FontOptions, SampleText), 1, 255));
    if (available && item.PreviewLoaded) UnloadPreview(item);
}

void TfrmTYPA::OnDrawItem(const DRAWITEMSTRUCT& dis)
{
    if (dis.CtlType != ODT_LISTBOX || dis.itemID == static_cast<UINT>(-1) || !dis.itemData) return;
    TToShowItem& item = *reinterpret_cast<TToShowItem*>(dis.itemData);
    const int row = static_cast<int>(dis.itemID);
    const bool available = dis.hwndItem == m_lbAvailableFonts;
    if (NeedsPreview(item)) {
        LoadPreview(item);
        LastPreviewRow = row;
    }
    DrawFontRow(dis.hDC, dis.rcItem, item, item.Name, dis.itemState & ODS_SELECTED, available, FontOptions, SampleText);
    // The row loaded last keeps its resource until the next unload of all previews.
    if (item.Size != 0 && item.PreviewLoaded && LastPreviewRow != row) UnloadPreview(item);
    if (dis.itemState & ODS_FOCUS) DrawFocusRect(dis.hDC, &dis.rcItem);
}

// ---------------------------------------------------------------------------------------------
// Notifications

LRESULT TfrmTYPA::OnNotify(NMHDR& header)
{
    if (header.hwndFrom == m_twInstalledGroup || header.hwndFrom == m_twAvailableGroup) {
        const bool installed = header.hwndFrom == m_twInstalledGroup;
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
        case NM_RCLICK:
            OnTreeRightClick(header.hwndFrom, NodeAt(header.hwndFrom, m_rightPress));
            return TRUE; // no context menu follows
        case TVN_BEGINLABELEDITA:
            if (installed) return twInstalledGroupEditing(reinterpret_cast<NMTVDISPINFOA&>(header).item.hItem) ? FALSE : TRUE;
            return TRUE;
        case TVN_ENDLABELEDITA: {
            auto& info = reinterpret_cast<NMTVDISPINFOA&>(header);
            if (installed) twInstalledGroupEdited(info.item.hItem, info.item.pszText);
            return FALSE; // the caption was set above, checked
        }
        default: break;
        }
    }
    return 0;
}

void TfrmTYPA::OnListCommand(HWND list, int code)
{
    switch (code) {
    case LBN_SETFOCUS: SetFocusSide(list); break;
    case LBN_SELCHANGE: UpdateStatus(); break;
    default: break;
    }
}

void TfrmTYPA::mnuHelpAboutClick() { m_about.Execute(); }

} // namespace typa
