// The main window's commands: the menu, the buttons and the popup items all arrive here, and
// most of them lead to a module of their own. Also the tool bar, the status bar and its hints,
// the notification icon, and the runs that keep commands waiting.
#include "app/fTYPA.h"

#include "app/Application.h"
#include "app/ExceptionGuard.h"
#include "app/MenuInfo.h"
#include "app/Messages.h"
#include "res/Resource.h"
#include "ui/DlgOptions.h"

namespace typa {

void TfrmTYPA::OnCommand(int id, HWND control, int code)
{
    if (control && (control == m_available.List().Handle() || control == m_installed.List().Handle())) {
        OnListCommand(control, code);
        return;
    }
    if (control && code != BN_CLICKED) return;
    if (m_runs > 0) {
        // Only the run's own dialogs take input meanwhile; a click on the folder tree that was
        // queued before the run is taken up when it ends.
        if (id == twAvailableGroup) m_treeClickPending = true;
        return;
    }
    switch (MainCommandOf(id)) {
    case twAvailableGroup:
    case PanelAvailableHighlight: twAvailableGroupClick(); break;
    case PanelInstalledHighlight: twInstalledGroupClick(); break;
    case mnuViewActual: RefreshLists(false); break;
    case mnuMarkAll:
    case btFontMarkAll: mnuMarkAllClick(); break;
    case mnuGroupNew:
    case btGroupNew: mnuGroupNewClick(); break;
    case btFontMove: {
        RECT r;
        GetWindowRect(GetDlgItem(m_wnd, btFontMove), &r);
        TrackPopupMenu(m_pmMoveTo.Get(), TPM_LEFTALIGN | TPM_RIGHTBUTTON, r.left, r.top, 0, m_wnd, nullptr);
        break;
    }
    case mnuGroupRename:
    case btGroupRename: mnuGroupRenameClick(); break;
    case mnuHelpAbout: m_about.Execute(); break;
    case mnuFontPrint: mnuFontPrintClick(); break;
    case mnuFontExit:
    case btExitProgram: mnuFontExitClick(); break;
    case mnuFontTaskbar:
    case btTaskbar: SendMessageA(m_wnd, WM_CLOSE, 0, 0); break;
    case mnuViewStatusbar: mnuViewStatusbarClick(); break;
    case mnuViewOptions: mnuViewOptionsClick(); break;
    case mnuHelpTopic: ShowHelpContents(m_wnd); break;
    case btFontInstall: InstallIntoGroup(m_groups.Caption(m_groups.Selected())); break;
    case mnuFontDelete:
    case btFontDelete: mnuFontDeleteClick(); break;
    case mnuGroupDelete:
    case btGroupDelete: DeleteGroup(); break;
    default:
        if (id >= kMoveToGroupBase && id < kMoveToGroupBase + kMaxGroupTargets) MoveToGroupClick(id - kMoveToGroupBase);
        if (id >= kInstallToGroupBase && id < kInstallToGroupBase + kMaxGroupTargets) {
            const int index = id - kInstallToGroupBase;
            if (index < static_cast<int>(m_groupTargets.size())) InstallIntoGroup(m_groupTargets[index]);
        }
        break;
    }
}

void TfrmTYPA::mnuFontExitClick()
{
    CancelLabelEdit();
    ExitRequested = true;
    SendMessageA(m_wnd, WM_CLOSE, 0, 0);
}

void TfrmTYPA::mnuViewStatusbarClick()
{
    bool visible = !m_statusBarVisible;
    RECT s;
    GetWindowRect(m_statusBar, &s);
    int h = s.bottom - s.top;
    // The tree panels give the status bar its room, and take it back when it goes.
    for (TFontSide* side : {&m_installed, &m_available}) side->SetTreeHeight(side->TreeHeight() + (visible ? -h : h));
    SetStatusBarVisible(visible);
}

void TfrmTYPA::mnuViewOptionsClick()
{
    RunScope run(*this);
    TdlgOptions dlg({SampleText, StatusOptions, FontOptions,
                     [this] { return (GetMenuState(m_menu, mnuViewStatusbar, MF_BYCOMMAND) & MF_CHECKED) != 0; },
                     [this] { mnuViewStatusbarClick(); }, m_wnd});
    dlg.Execute(m_wnd);
    UpdateStatus();
}

void TfrmTYPA::mnuMarkAllClick()
{
    TFontListBox& list = ActiveSide().List();
    // An empty list counts as all selected, so the command deselects (nothing).
    list.SetAllSelected(!list.AllSelected());
    UpdateStatus();
    SetFocus(list.Handle());
}

void TfrmTYPA::SetToolbarVisible(bool visible)
{
    m_toolbarVisible = visible;
    ShowWindow(m_toolbar, visible ? SW_SHOW : SW_HIDE);
    LayOut();
}

void TfrmTYPA::SetStatusBarVisible(bool visible)
{
    m_statusBarVisible = visible;
    ShowWindow(m_statusBar, visible ? SW_SHOW : SW_HIDE);
    CheckMenuItem(m_menu, mnuViewStatusbar, MF_BYCOMMAND | (visible ? MF_CHECKED : MF_UNCHECKED));
    LayOut();
}

void TfrmTYPA::SetHintsOn(bool on)
{
    m_hintsOn = on;
    if (m_tooltips) SendMessageA(m_tooltips, TTM_ACTIVATE, on, 0);
}

void TfrmTYPA::ShowHint(const std::string& hint)
{
    m_hint = hint;
    if (m_statusBar) SendMessageA(m_statusBar, SB_SETTEXTA, 0, reinterpret_cast<LPARAM>(hint.c_str()));
}

void TfrmTYPA::OnMenuSelect(UINT item, UINT flags, HMENU menu)
{
    if (flags == 0xFFFF && !menu) { // the menu closed
        m_menuHelpContext = 0;
        ShowHint(m_ownHint);
        return;
    }
    MenuItemInfo info;
    if (flags & MF_POPUP) {
        if (menu == m_menu) {
            info = MainMenuPopupInfo(static_cast<int>(item), -1);
        } else {
            for (int top = 0; top < GetMenuItemCount(m_menu); ++top)
                if (GetSubMenu(m_menu, top) == menu) info = MainMenuPopupInfo(top, static_cast<int>(item));
        }
    } else {
        info = MainMenuCommandInfo(static_cast<int>(item));
        if (item == mnuMarkAll && !m_markAllHint.empty()) info.hint = m_markAllHint.c_str();
    }
    m_menuHelpContext = info.helpContext;
    ShowHint(info.hint);
}

void TfrmTYPA::OnEnterIdle(WPARAM source)
{
    // F1 on a highlighted menu item opens the help topic of that item.
    if (source == MSGF_MENU && GetKeyState(VK_F1) < 0 && m_menuHelpContext != 0) {
        int context = m_menuHelpContext;
        m_menuHelpContext = 0;
        EndMenu();
        ShowHelpTopic(m_wnd, static_cast<DWORD>(context));
    }
}

// ---------------------------------------------------------------------------------------------
// The notification icon

void TfrmTYPA::AddTrayIcon()
{
    typa::AddTrayIcon(m_wnd, m_taskIcon.Get());
    TrayIconShown = true;
}

void TfrmTYPA::RemoveTrayIcon()
{
    typa::RemoveTrayIcon(m_wnd);
    TrayIconShown = false;
}

void TfrmTYPA::ShowMainWindow()
{
    // The about box may be up alone, opened from the tray menu: the window replaces it.
    if (m_about.IsVisible()) m_about.Close();
    typa::ShowMainWindow(m_wnd);
    if (TrayIconShown) RemoveTrayIcon();
}

// ---------------------------------------------------------------------------------------------
// Runs

TfrmTYPA::RunScope::~RunScope()
{
    // At once, so that whoever looks next sees the lists up to date; what goes wrong there is
    // reported like any other unexpected error and never leaves the destructor.
    if (--m_form.m_runs == 0 && m_form.m_wnd && (m_form.m_refreshPending || m_form.m_treeClickPending))
        Guarded<int>(0, [this] {
            m_form.OnRunEnded();
            return 0;
        });
}

void TfrmTYPA::OnRunEnded()
{
    if (m_runs > 0 || !m_created || ExitRequested) return; // a later end takes it up, or nothing is needed
    if (std::exchange(m_refreshPending, false)) RefreshLists(true);
    if (std::exchange(m_treeClickPending, false)) {
        // The trees show what the user chose meanwhile; the lists follow them now.
        twInstalledGroupClick();
        HTREEITEM folder = m_folders.Selected();
        if (folder && folder != m_folders.Current()) twAvailableGroupClick();
    }
}

} // namespace typa
