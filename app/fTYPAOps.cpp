// The main window's install, remove and group-delete commands: they hand the operations what
// they need of the window, and keep the lists from being rebuilt under a running operation.
#include "app/fTYPA.h"

#include "app/Messages.h"
#include "fonts/InstalledFonts.h"
#include "groups/TreeProps.h"
#include "ops/Install.h"
#include "ops/Remove.h"
#include "ui/DlgConfirmRemoval.h"

#include <utility>

namespace typa {
namespace {

HTREEITEM SelectedNode(HWND tree)
{
    return reinterpret_cast<HTREEITEM>(SendMessageA(tree, TVM_GETNEXTITEM, TVGN_CARET, 0));
}

} // namespace

void TfrmTYPA::btFontInstallClick()
{
    InstallIntoGroup(NodeCaption(m_twInstalledGroup, SelectedNode(m_twInstalledGroup)));
}

void TfrmTYPA::InstallToGroupClick(int index)
{
    if (index >= 0 && index < static_cast<int>(m_groupTargets.size())) InstallIntoGroup(m_groupTargets[index]);
}

void TfrmTYPA::InstallIntoGroup(const std::string& group)
{
    InstallSource source;
    source.availableList = m_lbAvailableFonts;
    source.available = &AvailableCatalogue;
    source.installedCount = InstalledCatalogue.Count();
    source.windowsDir = WindowsDir;
    source.unloadPreviewResources = [this] { UnloadPreviewResources(); };
    RunScope run(*this);
    InstallSelectedFonts(source, group);
}

void TfrmTYPA::mnuFontDeleteClick()
{
    RemoveSource source;
    source.installedList = m_lbInstalledFonts;
    source.installed = &InstalledCatalogue;
    source.fontsDir = FontsDir;
    source.unloadPreviewResources = [this] { UnloadPreviewResources(); };
    TDlgConfirmRemoval dialog;
    RunScope run(*this);
    RemoveSelectedFonts(source, true, dialog);
}

void TfrmTYPA::mnuGroupDeleteClick() { DeleteGroup(); }

void TfrmTYPA::DeleteGroup()
{
    HTREEITEM node = SelectedNode(m_twInstalledGroup);
    TTreeViewProps* props = NodeProps(m_twInstalledGroup, node);
    if (!node || node == InstalledRootNode || !props || props->Location.empty()) {
        MessageBeep(0);
        return;
    }
    const std::string group = NodeCaption(m_twInstalledGroup, node);
    const int rows = static_cast<int>(SendMessageA(m_lbInstalledFonts, LB_GETCOUNT, 0, 0));
    RunScope run(*this);
    if (rows > 0) {
        TDlgConfirmRemoval dialog;
        if (dialog.Execute(m_wnd, TDlgConfirmRemoval::DeleteGroup, rows, 0, group) != MsgResult::Yes) return;
        // Every font of the group goes, whatever rows happen to be selected: all of them count.
        if (ListHasStandardFont(m_lbInstalledFonts, false) &&
            dialog.Execute(m_wnd, TDlgConfirmRemoval::StandardFonts) != MsgResult::Yes)
            return;
        SetAllSelected(m_lbInstalledFonts, true);
        RemoveSource source;
        source.installedList = m_lbInstalledFonts;
        source.installed = &InstalledCatalogue;
        source.fontsDir = FontsDir;
        source.unloadPreviewResources = [this] { UnloadPreviewResources(); };
        RemoveSelectedFonts(source, false, dialog);
    }
    // The group goes whatever became of its fonts. Fonts that stayed installed (a stop, Cancel)
    // join "Polices Windows": no node would show them under a group that no longer exists.
    DeleteGroupKey(group);
    bool moved = false;
    for (int i = 0; i < InstalledCatalogue.Count(); ++i) {
        TToShowItem* item = InstalledCatalogue.Item(i);
        if (item->Group == group) {
            item->Group.clear();
            moved = true;
        }
    }
    if (moved) SaveFontGroups(InstalledCatalogue);
    // The node's record goes with it (TVN_DELETEITEM); the tree selects a neighbour.
    SendMessageA(m_twInstalledGroup, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(node));
    if (CurrentGroupNode == node) {
        CurrentGroupNode = nullptr;
        twInstalledGroupClick();
    }
    RebuildGroupMenus();
}

} // namespace typa
