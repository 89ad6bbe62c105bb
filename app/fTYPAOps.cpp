// The main window's install, remove, move and group-delete commands: they hand the operations
// what they need of the window, with the program's dialogs for their questions, and keep the
// lists from being rebuilt under a running operation.
#include "app/fTYPA.h"

#include "fonts/InstalledFonts.h"
#include "ops/Install.h"
#include "ops/Move.h"
#include "ops/Remove.h"
#include "ui/RunDialogs.h"

namespace typa {

void TfrmTYPA::InstallIntoGroup(const std::string& group)
{
    InstallSource source;
    source.availableList = &m_available.List();
    source.available = &AvailableCatalogue;
    source.installedCount = InstalledCatalogue.Count();
    source.windowsDir = WindowsDir;
    source.unloadPreviewResources = [this] { m_available.List().UnloadPreviews(); };
    RunScope run(*this);
    TRunDialogs dialogs(m_wnd);
    InstallSelectedFonts(source, group, dialogs);
}

RemoveSource TfrmTYPA::SelectedForRemoval()
{
    RemoveSource source;
    source.installedList = &m_installed.List();
    source.installed = &InstalledCatalogue;
    source.fontsDir = FontsDir;
    source.unloadPreviewResources = [this] { m_available.List().UnloadPreviews(); };
    return source;
}

void TfrmTYPA::mnuFontDeleteClick()
{
    RunScope run(*this);
    TRunDialogs dialogs(m_wnd);
    RemoveSelectedFonts(SelectedForRemoval(), true, dialogs);
}

void TfrmTYPA::DeleteGroup()
{
    HTREEITEM node = m_groups.Selected();
    if (!m_groups.IsUserGroup(node)) {
        MessageBeep(0);
        return;
    }
    const std::string group = m_groups.Caption(node);
    TFontListBox& list = m_installed.List();
    const int rows = list.Count();
    RunScope run(*this);
    if (rows > 0) {
        TRunDialogs dialogs(m_wnd);
        RunUi& ui = dialogs;
        if (!ui.ConfirmRemoval(RunUi::Removal::DeleteGroup, rows, 0, group)) return;
        // Every font of the group goes, whatever rows happen to be selected: all of them count.
        if (ListHasStandardFont(list, false) && !ui.ConfirmRemoval(RunUi::Removal::StandardFonts)) return;
        list.SetAllSelected(true);
        RemoveSelectedFonts(SelectedForRemoval(), false, dialogs);
    }
    // The group goes whatever became of its fonts. Fonts that stayed installed (a stop, Cancel)
    // join "Polices Windows", and their records say so before the group's key goes: a program
    // ended in between leaves an empty group, never records naming a group that is gone.
    bool moved = false;
    for (int i = 0; i < InstalledCatalogue.Count(); ++i) {
        TToShowItem* item = InstalledCatalogue.Item(i);
        if (item->Group == group) {
            item->Group.clear();
            moved = true;
        }
    }
    if (moved) SaveFontGroups(InstalledCatalogue);
    DeleteGroupKey(group);
    if (m_groups.Delete(node)) twInstalledGroupClick();
    RebuildGroupMenus();
}

void TfrmTYPA::MoveToGroupClick(int index)
{
    if (index < 0 || index >= static_cast<int>(m_groupTargets.size())) return;
    const std::vector<TToShowItem*> selected = m_installed.List().SelectedItems();
    MoveSelectedFonts(InstalledCatalogue, {selected.begin(), selected.end()}, m_groupTargets[index]);
    FillInstalledList(false);
}

} // namespace typa
