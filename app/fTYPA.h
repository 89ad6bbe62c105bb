#pragma once
// The main window. It owns, for the whole run, the state the rest of the program reads (active
// side, exit and tray flags, folders, display settings) and every child control. Its window
// procedure is a short switch; the work lives in the handlers and in the modules they call.
#include "app/Settings.h"
#include "fonts/Catalogue.h"
#include "groups/GroupStore.h"
#include "tray/TrayIcon.h"
#include "platform/Handles.h"
#include "print/Printer.h"
#include "ui/DlgAbout.h"
#include "ui/Layout.h"
#include "ui/ShortcutPopup.h"
#include "ui/SplitControl.h"

#include <windows.h>
#include <commctrl.h>
#include <memory>
#include <string>
#include <vector>

namespace typa {

class TfrmTYPA {
public:
    TfrmTYPA() = default;
    TfrmTYPA(const TfrmTYPA&) = delete;
    TfrmTYPA& operator=(const TfrmTYPA&) = delete;
    ~TfrmTYPA();

    static bool RegisterClasses(HINSTANCE instance);

    // Creates and shows the main window. False when a start-up check refused the run; the
    // reason has been shown to the user then.
    bool Create(HWND owner);
    HWND Handle() const { return m_wnd; }
    // Keyboard shortcuts, dialog keys (Tab between controls) and the status-bar hints; true when
    // the message was consumed.
    bool PreTranslateMessage(MSG& msg);

    void ShowMainWindow();
    void HideMainWindow();

    // State other modules read.
    bool InstalledSideActive = true;
    bool ExitRequested = false;
    bool TrayIconShown = false;
    std::string WindowsDir;
    std::string FontsDir;
    settings::OptionSet AppTools = settings::kAppToolsDefault;
    settings::OptionSet StatusOptions = settings::kStatusOptionsDefault;
    settings::OptionSet FontOptions = settings::kFontOptionsDefault;
    std::string SampleText;
    int LastPreviewRow = -1;

    // The lists kept beside the window for the whole run.
    NameList FontsFolderFiles{true};
    NameList FamilyNames{false};
    FontCatalogue InstalledCatalogue{FontCatalogue::Order::AsAdded};
    FontCatalogue AvailableCatalogue{FontCatalogue::Order::SortedUnique};
    std::vector<TToShowItem*> AvailableView; // the rows of lbAvailableFonts, in order

    HTREEITEM InstalledRootNode = nullptr, FolderRootNode = nullptr;
    HTREEITEM CurrentGroupNode = nullptr, CurrentFolderNode = nullptr;

    // Font lists and their side of the window.
    bool FillAvailableList(bool rescan);
    void FillInstalledList(bool fromTop);
    void ReadCurrentFolder();
    void UnloadPreviewResources();
    void UpdateStatus();
    void RefreshLists(bool afterFontChange);
    void SetFocusSide(HWND control);
    void SetAllSelected(HWND list, bool state);
    void mnuMarkAllClick();
    void UpdateMarkAllCaptions();

private:
    static LRESULT CALLBACK WndProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp);
    static LRESULT CALLBACK SplitBarProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp);
    LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp);

    // Creation sequence; false ends the run with exit code 1.
    bool FormCreate();
    bool StartupChecksPass();
    void CreateControls();
    void FormShow();
    void FormResize();
    void FormCloseQuery();
    bool CanDestroyNow() const;
    void FormDestroy();
    void OnGetMinMaxInfo(MINMAXINFO& mmi);
    void OnCommand(int id, HWND control, int code);
    void OnFontChange();
    void OnMenuSelect(UINT item, UINT flags, HMENU menu);
    void OnEnterIdle(WPARAM source);
    void OnTrayCallback(LPARAM mouseMessage);
    void OnPaintToolbar(HWND toolbar);
    LRESULT OnNotify(NMHDR& header);
    void OnListCommand(HWND list, int code);
    void OnMeasureItem(MEASUREITEMSTRUCT& mis);
    void OnDrawItem(const DRAWITEMSTRUCT& dis);
    void mnuHelpAboutClick();
    void mnuFontPrintClick();

    // Trees (their nodes carry TTreeViewProps records).
    void BuildInstalledRoot();
    void BuildGroupNodes();
    void BuildFolderRoot();
    void twInstalledGroupClick();
    void twAvailableGroupClick();
    void ListSubfolders();
    std::vector<std::string> GroupCaptions() const;
    void SortGroupTree();
    HTREEITEM NewGroup();
    void mnuGroupNewClick();
    void mnuGroupRenameClick();
    bool twInstalledGroupEditing(HTREEITEM node);
    void twInstalledGroupEdited(HTREEITEM node, const char* text);
    void RebuildGroupMenus();

    // Popup menus of the lists and trees (they act through their shortcut keys) and right clicks.
    void CreatePopups();
    TShortcutPopup* PopupOf(HWND control);
    bool PopupShortcut(const MSG& msg); // true: the key belonged to an item of the focused control's popup
    static int MainCommandOf(int id);   // the main menu's command that a popup item stands for
    static LRESULT TreeProc(HWND tree, UINT msg, WPARAM wp, LPARAM lp, void* self);
    HTREEITEM NodeAt(HWND tree, POINT client) const;
    void OnTreeRightClick(HWND tree, HTREEITEM node);
    void twInstalledGroupMouseUp(HTREEITEM node); // nullptr: no node under the pointer
    void twAvailableGroupMouseUp();
    void UpdatePopupStates(bool installable, bool deletable, bool movable, bool markable);
    void MoveToGroupClick(int index);
    // Installing and removing (fTYPAOps.cpp).
    void btFontInstallClick();
    void InstallToGroupClick(int index);
    void InstallIntoGroup(const std::string& group);
    void mnuFontDeleteClick();
    void mnuGroupDeleteClick();
    void DeleteGroup();
    void btFontMoveClick();
    static LRESULT FontListProc(HWND list, UINT msg, WPARAM wp, LPARAM lp, void* self);
    bool lbFontsKeyDown(HWND list, UINT key); // true: the key is swallowed
    void lbFontsMouseUp(HWND list, int x, int y);
    // Rows of a font list with the item of each; `rows` must be in display order.
    void PutRows(HWND list, const std::vector<TToShowItem*>& rows, int topRow);
    TToShowItem* RowItem(HWND list, int row) const;
    void ComputeCommandStates();

    void mnuFontExitClick();
    void mnuFontTaskbarClick();
    void mnuViewStatusbarClick();
    void mnuViewOptionsClick();
    void mnuHelpTopicClick();

    void AddTrayIcon();
    void RemoveTrayIcon();
    void SetToolbarVisible(bool visible);
    void SetStatusBarVisible(bool visible);
    void SetHintsOn(bool on);
    void ShowHint(const std::string& hint);

    // Layout and splitters.
    void LayOut();
    LayoutInput CurrentLayoutInput() const;
    void HighlightActiveSide();
    void PanelAvailableResize();
    void SplitterMouseDown(HWND splitter, WPARAM keys, int x, int y);
    void SplitterMouseMove(HWND splitter, int x, int y);
    void SplitterMouseUp(HWND splitter);

    HWND m_wnd = nullptr;
    HWND m_toolbar = nullptr, m_statusBar = nullptr, m_tooltips = nullptr;
    HWND m_groupBoxAvailable = nullptr, m_groupBoxInstalled = nullptr;
    HWND m_groupBoxAction = nullptr, m_groupBoxGroups = nullptr, m_groupBoxProgram = nullptr;
    HWND m_panelAvailableHighlight = nullptr, m_panelInstalledHighlight = nullptr;
    HWND m_twAvailableGroup = nullptr, m_twInstalledGroup = nullptr;
    HWND m_lbAvailableFonts = nullptr, m_lbInstalledFonts = nullptr;
    HWND m_splitterLeft = nullptr, m_splitterRight = nullptr;
    HWND m_buttons[9] = {};
    HMENU m_menu = nullptr;
    HACCEL m_accelerators = nullptr;

    UniqueFont m_guiFont, m_treeFont, m_logoFont;
    UniqueImageList m_ilInstalledGroup, m_ilAvailableGroup; // outlive the trees that show them
    UniqueIcon m_taskIcon; // ImgTaskIcon: the notification-area icon
    std::unique_ptr<TSplitControl> m_splitControl;
    std::unique_ptr<TTrayIcon> m_tray; // the icon's mouse protocol, Timer1 and pmQSTaskBar

    bool m_toolbarVisible = false, m_statusBarVisible = false, m_hintsOn = false;
    int m_panelAvailableHeight = settings::kTreeHeightDefault; // PanelAvailable
    int m_panelInstalledHeight = settings::kTreeHeightDefault; // PanelInstalled
    int m_captionHeight = 13;
    bool m_created = false;
    bool m_windowCreated = false; // the window procedure saw WM_NCCREATE: the window owns m_menu
    int m_menuHelpContext = 0;
    std::string m_ownHint; // the main window's own hint: the selection summary
    std::string m_markAllHint; // follows the select-all caption
    HWND m_lastHintWindow = nullptr;
    TdlgAbout m_about;
    TPrinter m_printer; // the printer chosen for printing stays chosen for the whole run
    std::string OldGroupName;       // caption of the current group when an edit begins
    GroupEditReentry m_editReentry; // the end of an edit runs once, even when a box ends it again
    std::vector<std::string> m_groupTargets; // captions behind the generated install and move items
    UniqueMenu m_pmMoveTo;                   // the popup of btFontMove: "&Déplacer    " and its groups
    TShortcutPopup m_pmAvailableGroup, m_pmInstalledGroup; // of the two lists
    TShortcutPopup m_pmManageGroups, m_pmFontDir;         // of the group tree and the drive tree
    POINT m_rightPress{};                                 // where a tree was last pressed with the right button
    const std::vector<TToShowItem*>* m_rowsBeingAdded = nullptr; // for the measure of new rows

    // Runs: a folder scan, an installation, a removal, a group deletion, printing, a modal
    // command. While one is going its loop lets messages through, and the rows, the catalogues
    // and the tree nodes it walks must stay as they are: commands are not taken, and font
    // changes (our own broadcast included) and clicks in the trees wait. When the outermost run
    // ends, the lists are brought up to date once (through WM_RUNENDED for what came while the
    // window was being created).
    class RunScope {
    public:
        explicit RunScope(TfrmTYPA& form) : m_form(form) { ++m_form.m_runs; }
        ~RunScope();
        RunScope(const RunScope&) = delete;
        RunScope& operator=(const RunScope&) = delete;

    private:
        TfrmTYPA& m_form;
    };
    void OnRunEnded();
    void OnEndSession();
    void SaveSettings();
    int m_runs = 0;
    bool m_refreshPending = false;   // a font change came during a run
    bool m_treeClickPending = false; // a tree's selection changed during a run
    // Calls of the window procedure on the stack. The window is destroyed only from the
    // outermost one, once every loop and box opened below it has returned.
    int m_handlerDepth = 0;
    bool m_closePending = false;
};

} // namespace typa
