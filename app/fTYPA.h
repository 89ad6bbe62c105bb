#pragma once
// The main window. It owns, for the whole run, the state the rest of the program reads (active
// side, exit and tray flags, folders, display settings), the two catalogues, the two sides of the
// window with their trees and lists, and every other child control. Its window procedure is a
// short switch; the handlers wire the sides, the trees and the operations together, and the work
// lives in those modules.
#include "app/Settings.h"
#include "fonts/Catalogue.h"
#include "fonts/InstalledFonts.h"
#include "groups/DriveTree.h"
#include "groups/GroupTree.h"
#include "platform/Handles.h"
#include "print/Printer.h"
#include "tray/TrayIcon.h"
#include "ui/DlgAbout.h"
#include "ui/FontSheet.h"
#include "ui/FontSide.h"
#include "ui/Layout.h"
#include "ui/SplitControl.h"

#include <windows.h>
#include <commctrl.h>
#include <memory>
#include <string>
#include <vector>

namespace typa {

struct RemoveSource;

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

    // State of the run.
    bool InstalledSideActive = true;
    bool ExitRequested = false;
    bool TrayIconShown = false;
    std::string WindowsDir;
    std::string FontsDir;
    settings::OptionSet AppTools = settings::kAppToolsDefault;
    settings::OptionSet StatusOptions = settings::kStatusOptionsDefault;
    settings::OptionSet FontOptions = settings::kFontOptionsDefault;
    std::string SampleText;

    // The lists kept beside the window for the whole run.
    NameList FontsFolderFiles{true};
    NameList FamilyNames{false};
    FontCatalogue InstalledCatalogue{FontCatalogue::Order::AsAdded};
    FontCatalogue AvailableCatalogue{FontCatalogue::Order::SortedUnique};

    // What the builds of the installed catalogue learnt, kept between runs in the user's own
    // folder (InstalledMemoryPath), and the fonts folder's files as the last reading found them.
    TInstalledMemory InstalledMemory;
    FolderStamps FontsFolderStamps;

private:
    static LRESULT CALLBACK WndProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp);
    static LRESULT CALLBACK SplitBarProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp);
    static LRESULT TreeProc(HWND tree, UINT msg, WPARAM wp, LPARAM lp, void* self);
    static LRESULT FontListProc(HWND list, UINT msg, WPARAM wp, LPARAM lp, void* self);
    LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp);

    // Life cycle (fTYPA.cpp): creation, which false ends the run with exit code 1, the layout,
    // the close that hides, the end of a session, destruction.
    bool FormCreate();
    bool StartupChecksPass();
    void CreateControls();
    void FormShow();
    void LayOut();
    LayoutInput CurrentLayoutInput() const;
    void FormCloseQuery();
    bool CanDestroyNow() const;
    void CancelLabelEdit();
    void OnEndSession();
    void SaveSettings();
    void FormDestroy();
    void OnPaintToolbar(HWND toolbar);

    // Commands (fTYPACommands.cpp).
    void OnCommand(int id, HWND control, int code);
    void mnuFontExitClick();
    void mnuViewStatusbarClick();
    void mnuViewOptionsClick();
    void mnuMarkAllClick();
    void mnuFontPrintClick();
    void ShowMainWindow();
    void AddTrayIcon();
    void RemoveTrayIcon();
    void SetToolbarVisible(bool visible);
    void SetStatusBarVisible(bool visible);
    void SetHintsOn(bool on);
    void ShowHint(const std::string& hint);
    void OnMenuSelect(UINT item, UINT flags, HMENU menu);
    void OnEnterIdle(WPARAM source);

    // The lists and trees (fTYPAFonts.cpp).
    bool FillAvailableList(bool rescan);
    // From the top, or keeping the list where it is (at `keepTop` when the list was emptied first).
    // `update`: the list still shows the last build's rows, and only what changed is redone.
    void FillInstalledList(bool fromTop, int keepTop = -1, bool update = false);
    void ReadCurrentFolder();
    void RefreshLists(bool afterFontChange);
    // Where InstalledMemory lies, and the resolution its row heights are for.
    std::string InstalledMemoryPath() const;
    int ScreenDpi() const;
    void SaveInstalledMemory();
    void OnFontChange();
    void twInstalledGroupClick();
    void twAvailableGroupClick();
    void mnuGroupNewClick();
    void mnuGroupRenameClick();
    void RebuildGroupMenus();
    LRESULT OnNotify(NMHDR& header);
    void OnListCommand(HWND list, int code);
    void OnRightClickInList(TFontSide& side, int x, int y);
    void OnRowChosen(TFontSide& side); // a row selected by the mouse or by typing its name
    void OpenSheet(TFontSide& side, int row); // the font's own sheet
    void SetFocusSide(HWND control);
    TFontSide& ActiveSide() { return InstalledSideActive ? m_installed : m_available; }
    TFontSide* SideOf(HWND control);
    void HighlightActiveSide();
    void UpdateStatus();
    void ApplyCommandStates();

    // Popups and the right clicks on the trees (fTYPAPopups.cpp).
    void CreatePopups();
    bool PopupShortcut(const MSG& msg); // true: the key belonged to an item of the focused control's popup
    static int MainCommandOf(int id);   // the main menu's command that a popup item stands for
    void OnTreeRightClick(HWND tree, HTREEITEM node);

    // Installing, removing, moving, deleting groups (fTYPAOps.cpp).
    void InstallIntoGroup(const std::string& group);
    RemoveSource SelectedForRemoval(); // the installed list's selection, for a removal
    void mnuFontDeleteClick();
    void DeleteGroup();
    void MoveToGroupClick(int index);

    // The bars between trees and lists.
    void SplitterMouseDown(HWND splitter, WPARAM keys);
    void SplitterMouseMove(HWND splitter, int x, int y);
    void SplitterMouseUp(HWND splitter);
    TFontSide* SideOfSplitter(HWND splitter);

    HWND m_wnd = nullptr;
    HWND m_toolbar = nullptr, m_statusBar = nullptr, m_tooltips = nullptr;
    HWND m_groupBoxAction = nullptr, m_groupBoxGroups = nullptr, m_groupBoxProgram = nullptr;
    HWND m_buttons[9] = {};
    HMENU m_menu = nullptr;
    HACCEL m_accelerators = nullptr;

    // The two sides: the folder's fonts on the left, the installed ones on the right.
    TFontSide m_available{kAvailableSide, FontOptions, SampleText};
    TFontSide m_installed{kInstalledSide, FontOptions, SampleText};
    TDriveTree m_folders;  // twAvailableGroup
    TGroupTree m_groups;   // twInstalledGroup

    UniqueFont m_guiFont, m_treeFont, m_logoFont;
    UniqueImageList m_ilInstalledGroup, m_ilAvailableGroup; // outlive the trees that show them
    UniqueIcon m_taskIcon; // ImgTaskIcon: the notification-area icon
    std::unique_ptr<TSplitControl> m_splitControl;
    std::unique_ptr<TTrayIcon> m_tray; // the icon's mouse protocol, Timer1 and pmQSTaskBar

    bool m_toolbarVisible = false, m_statusBarVisible = false, m_hintsOn = false;
    int m_captionHeight = 13;
    bool m_created = false;
    bool m_windowCreated = false; // the window procedure saw WM_NCCREATE: the window owns m_menu
    int m_menuHelpContext = 0;
    std::string m_hint;        // what the status bar shows now
    std::string m_ownHint;     // the main window's own hint: the selection summary
    std::string m_markAllHint; // follows the select-all caption
    HWND m_lastHintWindow = nullptr;
    TdlgAbout m_about;
    TFontSheet m_sheet; // the one font sheet, reused
    TPrinter m_printer; // the printer chosen for printing stays chosen for the whole run
    std::vector<std::string> m_groupTargets; // captions behind the generated install and move items
    UniqueMenu m_pmMoveTo;                   // the popup of btFontMove: "&Déplacer    " and its groups
    POINT m_rightPress{};                    // where a tree was last pressed with the right button

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
    int m_runs = 0;
    bool m_refreshPending = false;   // a font change came during a run
    bool m_treeClickPending = false; // a tree's selection changed during a run
    // Calls of the window procedure on the stack. The window is destroyed only from the
    // outermost one, once every loop and box opened below it has returned.
    int m_handlerDepth = 0;
    bool m_closePending = false;
};

} // namespace typa
