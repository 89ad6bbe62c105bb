// The popup menus of the main window's lists and trees, and the right clicks on the trees.
// The popups never open; their items act through their shortcut keys while their control has
// the focus, and each item leads to the command of the main menu that does the same work.
#include "app/fTYPA.h"
#include "res/Resource.h"
#include "ui/WindowSubclass.h"

#include <windowsx.h>

namespace typa {

void TfrmTYPA::CreatePopups()
{
    m_available.CreatePopups(
        {
            {mnupmInstall, "&Installer vers", {}, true},
            {mnupmMarkAvailable, "Sélectionner &tout\tCtrl+A", {'A', true}},
            {mnupmActualAvailable, "&Mettre à jour\tF5", {VK_F5, false}},
            {mnupmPrintAvailableFonts, "Im&primer\tCtrl+P", {'P', true}},
        },
        {
            {mnupmChangeFontDir, "&Changer de dossier"}, // no shortcut: never reached
            {mnupmActualFontDir, "&Mettre à jour\tF5", {VK_F5, false}},
        });
    m_installed.CreatePopups(
        {
            {mnupmMove, "&Déplacer vers", {}, true},
            {mnupmMarkInstalled, "Sélectionner &tout"},
            {mnupmDeleteInstalled, "S&upprimer\tSuppr", {VK_DELETE, false}},
            {mnupmActualInstalled, "&Mettre à jour\tF5", {VK_F5, false}},
            {mnupmPrintInstalled, "Im&primer\tCtrl+P", {'P', true}},
        },
        {
            {mnupmNewGroup, "&Nouveau\tCtrl+N", {'N', true}},
            {mnupmDeleteGroup, "S&upprimer\tSuppr", {VK_DELETE, false}},
            {mnupmRenameGroup, "&Renommer\tF2", {VK_F2, false}},
        });
}

bool TfrmTYPA::PopupShortcut(const MSG& msg)
{
    if (msg.message != WM_KEYDOWN && msg.message != WM_SYSKEYDOWN) return false;
    TFontSide* side = SideOf(msg.hwnd);
    TShortcutPopup* popup = side ? side->PopupOf(msg.hwnd) : nullptr;
    if (!popup) return false;
    const int id = popup->ItemForKey(static_cast<UINT>(msg.wParam), GetKeyState(VK_CONTROL) < 0,
                                     GetKeyState(VK_SHIFT) < 0, GetKeyState(VK_MENU) < 0);
    if (id == 0) return false;
    // A greyed item keeps its key all the same: the main menu's item with that key does not run.
    if (popup->IsEnabled(id)) SendMessageA(m_wnd, WM_COMMAND, MAKEWPARAM(id, 1), 0);
    return true;
}

int TfrmTYPA::MainCommandOf(int id)
{
    switch (id) {
    case mnupmMarkAvailable:
    case mnupmMarkInstalled: return mnuMarkAll;
    case mnupmActualAvailable:
    case mnupmActualInstalled:
    case mnupmActualFontDir: return mnuViewActual;
    case mnupmPrintAvailableFonts:
    case mnupmPrintInstalled: return mnuFontPrint;
    case mnupmDeleteInstalled: return mnuFontDelete;
    case mnupmNewGroup: return mnuGroupNew;
    case mnupmDeleteGroup: return mnuGroupDelete;
    case mnupmRenameGroup: return mnuGroupRename;
    default: return id;
    }
}

LRESULT TfrmTYPA::TreeProc(HWND tree, UINT msg, WPARAM wp, LPARAM lp, void* self)
{
    // The tree follows a right press with its own loop until the release and then reports the
    // click; the point pressed is kept for that report.
    if (msg == WM_RBUTTONDOWN) reinterpret_cast<TfrmTYPA*>(self)->m_rightPress = {GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
    return CallPrevious(tree, msg, wp, lp);
}

void TfrmTYPA::OnTreeRightClick(HWND tree, HTREEITEM node)
{
    if (m_runs > 0) return; // queued before a run: the run's lists and nodes stay as they are
    if (tree != m_groups.Handle()) {
        if (InstalledSideActive) twAvailableGroupClick();
        return;
    }
    // A right click chooses the group under the pointer (the margin: the current one) and sets
    // what the group tree's popup items may do with it.
    if (node)
        SendMessageA(m_groups.Handle(), TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(node));
    else
        node = m_groups.Current();
    const bool userGroup = m_groups.IsUserGroup(node);
    m_installed.TreePopup().Enable(mnupmDeleteGroup, userGroup);
    m_installed.TreePopup().Enable(mnupmRenameGroup, userGroup);
    twInstalledGroupClick();
}

} // namespace typa
