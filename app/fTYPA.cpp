#include "app/fTYPA.h"

#include "app/Application.h"
#include "app/Cursor.h"
#include "app/ErrorBox.h"
#include "app/ExceptionGuard.h"
#include "app/MenuInfo.h"
#include "app/Messages.h"
#include "app/Scale.h"
#include "app/StartupGeometry.h"
#include "fonts/FolderScan.h"
#include "platform/Shell.h"
#include "platform/System.h"
#include "res/Resource.h"
#include "tray/TrayIcon.h"
#include "ui/TreeImages.h"
#include "ui/WindowSubclass.h"

#include <commctrl.h>
#include <windowsx.h>

namespace typa {
namespace {

constexpr const char* kMainClass = "TfrmTYPA";
constexpr const char* kPanelClass = "TypaPanel";
constexpr const char* kSplitBarClass = "TSplitBar";
constexpr const char* kToolbarClass = "TypaToolbar";

// Buttons of the middle column, in layout order.
struct ButtonDef {
    int id;
    const char* caption;
};
constexpr ButtonDef kButtons[9] = {
    {btFontInstall, "&Installer >>"},   {btFontDelete, "S&upprimer"},     {btFontMove, "&Déplacer"},
    {btFontMarkAll, "Sélectionner &tout"}, {btGroupNew, "&Nouveau groupe"}, {btGroupRename, "&Renommer"},
    {btGroupDelete, "&Supprimer groupe"}, {btTaskbar, "&Barre des tâches"}, {btExitProgram, "&Quitter"},
};

HFONT CreateNamedFont(const char* face, int height, int weight = FW_NORMAL, bool italic = false)
{
    LOGFONTA lf{};
    lf.lfHeight = height;
    lf.lfWeight = weight;
    lf.lfItalic = italic ? 1 : 0;
    lf.lfCharSet = DEFAULT_CHARSET;
    lstrcpynA(lf.lfFaceName, face, LF_FACESIZE);
    return CreateFontIndirectA(&lf);
}

RECT WorkArea(SIZE screen)
{
    RECT wa{0, 0, screen.cx, screen.cy};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &wa, 0);
    return wa;
}

StartupInput ScreenGeometry()
{
    StartupInput geo;
    geo.ppi = ScreenPpi();
    geo.screen = SIZE{GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    const RECT wa = WorkArea(geo.screen);
    geo.workArea = SIZE{wa.right - wa.left, wa.bottom - wa.top};
    return geo;
}

// A plain panel that paints itself in one system colour (stored as index + 1 in the user data)
// and passes its children's notifications on to the main window.
LRESULT CALLBACK PanelProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp)
{
    switch (msg) {
    case WM_ERASEBKGND: {
        RECT r;
        GetClientRect(wnd, &r);
        int colour = static_cast<int>(GetWindowLongPtrA(wnd, GWLP_USERDATA)) - 1;
        FillRect(reinterpret_cast<HDC>(wp), &r, GetSysColorBrush(colour >= 0 ? colour : COLOR_BTNFACE));
        return 1;
    }
    case WM_NOTIFY:
    case WM_COMMAND:
    case WM_DRAWITEM:
    case WM_MEASUREITEM:
    case WM_CONTEXTMENU:
        return SendMessageA(GetAncestor(wnd, GA_ROOT), msg, wp, lp);
    case WM_LBUTTONUP: // a click on the frame counts as a click on the side
        SendMessageA(GetAncestor(wnd, GA_ROOT), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(wnd), BN_CLICKED),
                     reinterpret_cast<LPARAM>(wnd));
        return 0;
    default:
        return DefWindowProcA(wnd, msg, wp, lp);
    }
}

// Escape on a dialog of ours: Cancel, else No.
BOOL CALLBACK AnswerAsEscape(HWND wnd, LPARAM)
{
    char cls[16] = {};
    if (IsWindowVisible(wnd) && GetClassNameA(wnd, cls, sizeof cls) && lstrcmpA(cls, "#32770") == 0)
        PostMessageA(wnd, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    return TRUE;
}

LRESULT CALLBACK ToolbarProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp)
{
    if (msg == WM_PAINT) {
        // The main window paints the logo: it holds the fonts and the icon.
        SendMessageA(GetAncestor(wnd, GA_ROOT), WM_PAINTTOOLBAR, reinterpret_cast<WPARAM>(wnd), 0);
        return 0;
    }
    return DefWindowProcA(wnd, msg, wp, lp);
}

} // namespace

TfrmTYPA::~TfrmTYPA()
{
    if (m_wnd) DestroyWindow(m_wnd);
}

bool TfrmTYPA::RegisterClasses(HINSTANCE instance)
{
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_TREEVIEW_CLASSES | ICC_BAR_CLASSES | ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&icc);

    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);

    wc.lpfnWndProc = WndProc;
    wc.lpszClassName = kMainClass;
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(IDI_TYPARIUM));
    wc.hIconSm = static_cast<HICON>(LoadImageA(instance, MAKEINTRESOURCEA(IDI_TYPARIUM), IMAGE_ICON, 16, 16, 0));
    bool ok = RegisterClassExA(&wc) != 0;

    wc.hIcon = wc.hIconSm = nullptr;
    wc.hbrBackground = nullptr;
    wc.lpfnWndProc = PanelProc;
    wc.lpszClassName = kPanelClass;
    ok = RegisterClassExA(&wc) != 0 && ok;

    wc.lpfnWndProc = ToolbarProc;
    wc.lpszClassName = kToolbarClass;
    ok = RegisterClassExA(&wc) != 0 && ok;

    // Double clicks must arrive as such, so that the second press never starts a drag.
    wc.style = CS_DBLCLKS;
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.hCursor = LoadCursor(nullptr, IDC_SIZENS);
    wc.lpfnWndProc = SplitBarProc;
    wc.lpszClassName = kSplitBarClass;
    ok = RegisterClassExA(&wc) != 0 && ok;
    return TFontSheet::RegisterClasses(instance) && ok;
}

bool TfrmTYPA::Create(HWND owner)
{
    const RECT bounds = InitialWindowBounds(ScreenGeometry()); // the saved size comes in FormCreate
    m_menu = LoadMenuA(App().instance, MAKEINTRESOURCEA(IDR_MAINMENU));
    m_accelerators = LoadAcceleratorsA(App().instance, MAKEINTRESOURCEA(IDR_ACCELERATORS));
    HWND wnd = CreateWindowExA(WS_EX_APPWINDOW | WS_EX_CONTROLPARENT, kMainClass, LoadMessage(100).c_str(),
                               WS_OVERLAPPEDWINDOW, bounds.left, bounds.top,
                               bounds.right - bounds.left, bounds.bottom - bounds.top, owner, m_menu,
                               App().instance, this);
    if (!wnd) {
        // A window that came into being took its menu along when it was destroyed again (a
        // start-up check refused it); otherwise the menu is still ours to destroy.
        if (m_menu && !m_windowCreated) DestroyMenu(m_menu);
        m_menu = nullptr;
        return false;
    }
    return true;
}

LRESULT CALLBACK TfrmTYPA::WndProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp)
{
    TfrmTYPA* self;
    if (msg == WM_NCCREATE) {
        self = static_cast<TfrmTYPA*>(reinterpret_cast<CREATESTRUCTA*>(lp)->lpCreateParams);
        self->m_wnd = wnd;
        self->m_windowCreated = true;
        App().mainWindow = wnd; // dialogs of the creation sequence centre on it
        SetWindowLongPtrA(wnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    } else {
        self = reinterpret_cast<TfrmTYPA*>(GetWindowLongPtrA(wnd, GWLP_USERDATA));
    }
    if (!self) return DefWindowProcA(wnd, msg, wp, lp);
    if (msg == WM_CREATE) // a failed check refuses the window itself
        return Guarded<LRESULT>(-1, [&]() -> LRESULT { return self->FormCreate() ? 0 : -1; });
    ++self->m_handlerDepth;
    LRESULT result = Guarded<LRESULT>(0, [&] { return self->HandleMessage(msg, wp, lp); });
    --self->m_handlerDepth;
    if (msg == WM_NCDESTROY) {
        SetWindowLongPtrA(wnd, GWLP_USERDATA, 0);
        self->m_wnd = nullptr;
        if (App().mainWindow == wnd) App().mainWindow = nullptr;
        return result;
    }
    // A close asked for while something below was still running happens now that it has returned.
    if (self->m_closePending && self->CanDestroyNow()) {
        self->m_closePending = false;
        DestroyWindow(wnd);
    }
    return result;
}

LRESULT TfrmTYPA::HandleMessage(UINT msg, WPARAM wp, LPARAM lp)
{
    switch (msg) {
    case WM_SHOWWINDOW:
        if (wp) FormShow();
        break;
    case WM_SIZE: LayOut(); return 0;
    case WM_GETMINMAXINFO: {
        DefWindowProcA(m_wnd, msg, wp, lp);
        auto& mmi = *reinterpret_cast<MINMAXINFO*>(lp);
        mmi.ptMinTrackSize.x = Scaled(560);
        mmi.ptMinTrackSize.y = Scaled(435);
        return 0;
    }
    case WM_CLOSE: FormCloseQuery(); return 0;
    case WM_DESTROY: FormDestroy(); return 0;
    case WM_COMMAND: OnCommand(LOWORD(wp), reinterpret_cast<HWND>(lp), HIWORD(wp)); return 0;
    case WM_NOTIFY: return OnNotify(*reinterpret_cast<NMHDR*>(lp));
    case WM_CONTEXTMENU: // a right click on the margin around a tree
        for (TFontSide* side : {&m_available, &m_installed})
            if (reinterpret_cast<HWND>(wp) == side->Panel()) OnTreeRightClick(side->Tree(), nullptr);
        return 0;
    case WM_MEASUREITEM: {
        auto& mis = *reinterpret_cast<MEASUREITEMSTRUCT*>(lp);
        if (mis.CtlType == ODT_LISTBOX) (mis.CtlID == lbAvailableFonts ? m_available : m_installed).List().Measure(mis);
        return TRUE;
    }
    case WM_DRAWITEM: {
        const auto& dis = *reinterpret_cast<DRAWITEMSTRUCT*>(lp);
        if (TFontSide* side = SideOf(dis.hwndItem); side && dis.CtlType == ODT_LISTBOX) side->List().Draw(dis);
        return TRUE;
    }
    case WM_FONTCHANGE: OnFontChange(); return 0;
    case WM_MENUSELECT: OnMenuSelect(LOWORD(wp), HIWORD(wp), reinterpret_cast<HMENU>(lp)); return 0;
    case WM_ENTERIDLE: OnEnterIdle(wp); return 0;
    case WM_QUERYENDSESSION: return TRUE;
    case WM_ENDSESSION:
        if (wp) OnEndSession();
        return 0;
    case WM_RUNENDED: OnRunEnded(); return 0;
    case WM_REFRESHLISTS: OnFontChange(); return 0;
    case WM_TRAYCALLBACK:
        if (m_tray) m_tray->OnCallback(lp);
        return 0;
    case WM_SHOWREQUEST: ShowMainWindow(); return 0;
    case WM_TIMER:
        if (wp == kTimer1Id && m_tray) {
            m_tray->Timer1Timer();
            return 0;
        }
        break;
    case WM_PAINTTOOLBAR: OnPaintToolbar(reinterpret_cast<HWND>(wp)); return 0;
    case WM_CTLCOLORSTATIC:
        // Group-box captions sit on the window colour of the dialog face.
        SetBkColor(reinterpret_cast<HDC>(wp), GetSysColor(COLOR_BTNFACE));
        return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
    default: break;
    }
    return DefWindowProcA(m_wnd, msg, wp, lp);
}

// ---------------------------------------------------------------------------------------------
// Creation

bool TfrmTYPA::FormCreate()
{
    CursorScope wait(IDC_WAIT);
    InstalledSideActive = true;
    ExitRequested = false;
    TrayIconShown = false;

    if (!StartupChecksPass()) return false;

    WindowsDir = sys::WindowsDirectory();
    FontsDir = WindowsDir + "\\FONTS";
    ReadFontsFolderFiles(FontsDir, FontsFolderFiles, &FontsFolderStamps);
    InstalledMemory.Load(InstalledMemoryPath(), ScreenDpi()); // nothing, or a damaged file: all is learnt again

    CreateControls();
    SetToolbarVisible(false);
    SetStatusBarVisible(false);
    SetHintsOn(false);

    AppTools = settings::ReadAppTools();
    if (AppTools & settings::kShowToolbar) SetToolbarVisible(true);
    if (AppTools & settings::kShowStatusBar) SetStatusBarVisible(true);
    if (AppTools & settings::kShowHints) SetHintsOn(true);

    StartupInput geo = ScreenGeometry();
    geo.appTools = AppTools;
    if (AppTools & settings::kRestoreSize) geo.appPos = settings::ReadAppPos();
    const RECT b = InitialWindowBounds(geo);
    SetWindowPos(m_wnd, nullptr, b.left, b.top, b.right - b.left, b.bottom - b.top, SWP_NOZORDER | SWP_NOACTIVATE);

    m_installed.SetTreeHeight(settings::ReadTreeHeight(true));
    m_available.SetTreeHeight(settings::ReadTreeHeight(false));
    LayOut();

    SampleText = settings::ReadSampleText(LoadMessage(1215));

    ShowWindow(m_wnd, SW_SHOW);
    SetForegroundWindow(m_wnd); // its owner, the application window, stays hidden and cannot pass activation on

    StatusOptions = settings::ReadStatusOptions();
    FontOptions = settings::ReadFontOptions();

    ShowHint(m_hint);
    // Emptying a catalogue first lets go of the rows that show its items.
    InstalledCatalogue.SetBeforeClear([this] { m_installed.List().Clear(); });
    AvailableCatalogue.SetBeforeClear([this] { m_available.List().Clear(); });
    m_splitControl = std::make_unique<TSplitControl>(m_wnd);
    m_about.Create(m_wnd);
    m_tray = std::make_unique<TTrayIcon>(
        m_wnd, TTrayIcon::Commands{[this] { ShowMainWindow(); }, [this] { mnuFontExitClick(); },
                                   [this] { m_about.Execute(); }});
    // Hints of the tray menu's items reach the status bar like those of the main menu.
    m_tray->pmQSTaskBar.OnHint = [this](const std::string& hint) { ShowHint(hint.empty() ? m_ownHint : hint); };

    m_groups.BuildRoot();
    m_folders.BuildRoot();
    UpdateWindow(m_wnd);
    // Selecting "Polices Windows" fills the installed list through the selection notification,
    // once the user's groups are in the tree.
    const HTREEITEM windowsFonts = m_groups.BuildGroupNodes();
    if (m_groups.Current() != windowsFonts) twInstalledGroupClick();
    ReadCurrentFolder();
    HighlightActiveSide();
    m_created = true;
    // What came during the start-up (a font change, a log-off) is taken up once it is over.
    if (m_refreshPending || m_treeClickPending) PostMessageA(m_wnd, WM_RUNENDED, 0, 0);
    if (m_closePending) PostMessageA(m_wnd, WM_CLOSE, 0, 0);
    return true;
}

bool TfrmTYPA::StartupChecksPass()
{
    const std::string title = LoadMessage(100);
    sys::OsVersion v = sys::GetOsVersion();
    bool supported = (v.platformId == VER_PLATFORM_WIN32_NT && v.major >= 4) ||
                     v.platformId == VER_PLATFORM_WIN32_WINDOWS;
    if (!supported) {
        ShowError(1, title);
        return false;
    }
    if (settings::ReadFontPath().empty()) {
        ShowError(17, title);
        return false;
    }
    return true;
}

void TfrmTYPA::CreateControls()
{
    HINSTANCE inst = App().instance;
    const int ppi = ScreenPpi();
    m_guiFont.Reset(CreateNamedFont("MS Sans Serif", -MulDiv(8, ppi, 72)));
    m_treeFont.Reset(CreateNamedFont("MS Sans Serif", -9));
    m_logoFont.Reset(CreateNamedFont("Times New Roman", -ScaledFor(22, ppi), FW_BOLD, true));
    m_taskIcon.Reset(static_cast<HICON>(
        LoadImageA(inst, MAKEINTRESOURCEA(IDI_TYPARIUM), IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                   GetSystemMetrics(SM_CYSMICON), 0)));
    {
        WindowDc dc(m_wnd);
        ScopedSelect font(dc.Get(), m_guiFont.Get());
        TEXTMETRICA tm{};
        if (GetTextMetricsA(dc.Get(), &tm)) m_captionHeight = tm.tmHeight;
    }

    const TFontSide::MakeControl make = [&](DWORD exStyle, const char* cls, const char* text, DWORD style, int id,
                                            HWND parent) {
        HWND h = CreateWindowExA(exStyle, cls, text, WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | style, 0, 0, 0, 0,
                                 parent ? parent : m_wnd, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), inst,
                                 nullptr);
        SendMessageA(h, WM_SETFONT, reinterpret_cast<WPARAM>(m_guiFont.Get()), FALSE);
        return h;
    };

    m_toolbar = make(0, kToolbarClass, "", 0, idToolbar, nullptr);
    m_statusBar = make(0, STATUSCLASSNAMEA, "", SBARS_SIZEGRIP, idStatusBar, nullptr);
    int wholeBar = -1; // one field, as wide as the bar
    SendMessageA(m_statusBar, SB_SETPARTS, 1, reinterpret_cast<LPARAM>(&wholeBar));

    // Each step for both sides before the next, so that the controls keep their order.
    m_ilInstalledGroup.Reset(CreateInstalledGroupImages());
    m_ilAvailableGroup.Reset(CreateAvailableGroupImages());
    m_available.CreatePanel(make, kPanelClass);
    m_installed.CreatePanel(make, kPanelClass);
    m_available.CreateTree(make, m_treeFont.Get(), m_ilAvailableGroup.Get());
    m_installed.CreateTree(make, m_treeFont.Get(), m_ilInstalledGroup.Get());
    m_folders.Attach(m_available.Tree());
    m_groups.Attach(m_installed.Tree());
    for (TFontSide* side : {&m_available, &m_installed}) AttachSubclass(side->Tree(), TreeProc, this);
    m_available.CreateSplitter(make, kSplitBarClass);
    m_installed.CreateSplitter(make, kSplitBarClass);

    // Rows are put in at their place, already sorted by name, so the list need not sort them.
    const DWORD listStyle = WS_TABSTOP | WS_VSCROLL | WS_HSCROLL | LBS_OWNERDRAWVARIABLE | LBS_HASSTRINGS |
                            LBS_EXTENDEDSEL | LBS_NOINTEGRALHEIGHT | LBS_NOTIFY;
    m_available.CreateList(make, listStyle);
    m_installed.CreateList(make, listStyle);
    for (TFontSide* side : {&m_available, &m_installed}) AttachSubclass(side->List().Handle(), FontListProc, this);

    for (int i = 0; i < 9; ++i)
        m_buttons[i] = make(0, "BUTTON", kButtons[i].caption, WS_TABSTOP | BS_PUSHBUTTON, kButtons[i].id, nullptr);

    // Group boxes last: they lie below the controls they frame and paint only their frame, so the
    // window's own background shows inside them.
    m_available.CreateGroupBox(make);
    m_installed.CreateGroupBox(make);
    m_groupBoxAction = make(0, "BUTTON", " Action ", BS_GROUPBOX, GroupBoxAction, nullptr);
    m_groupBoxGroups = make(0, "BUTTON", " Gestion des groupes ", BS_GROUPBOX, GroupBoxGroups, nullptr);
    m_groupBoxProgram = make(0, "BUTTON", " Programme ", BS_GROUPBOX, GroupBoxProgram, nullptr);
    for (HWND box : {m_available.GroupBox(), m_installed.GroupBox(), m_groupBoxAction, m_groupBoxGroups, m_groupBoxProgram})
        SetWindowPos(box, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);

    m_tooltips = CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP, 0, 0, 0, 0,
                                 m_wnd, nullptr, inst, nullptr);
    for (HWND b : m_buttons) {
        TOOLINFOA ti{};
        ti.cbSize = sizeof ti;
        ti.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
        ti.hwnd = m_wnd;
        ti.uId = reinterpret_cast<UINT_PTR>(b);
        ti.lpszText = const_cast<char*>(ControlHint(GetDlgCtrlID(b)));
        SendMessageA(m_tooltips, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&ti));
    }
    CreatePopups();
}

void TfrmTYPA::FormShow()
{
    SendMessageA(m_available.List().Handle(), LB_SETHORIZONTALEXTENT, 700, 0);
    SendMessageA(m_installed.List().Handle(), LB_SETHORIZONTALEXTENT, 700, 0);
}

// ---------------------------------------------------------------------------------------------
// Close, end of session, destruction

bool TfrmTYPA::CanDestroyNow() const { return m_handlerDepth == 0 && m_runs == 0 && m_created; }

void TfrmTYPA::FormCloseQuery()
{
    if (ExitRequested) {
        // Never under a run or a box: their loops would go on with freed catalogues and nodes.
        // The window goes when the outermost call of its procedure returns.
        m_closePending = true;
        return;
    }
    if (!TrayIconShown) AddTrayIcon();
    typa::HideMainWindow(m_wnd);
}

void TfrmTYPA::CancelLabelEdit()
{
    // A group's name being edited when the program ends is left as it was, as Escape leaves it:
    // confirming it would check the name, and could show a box, while the window goes.
    if (m_groups.Handle()) m_groups.CancelEdit();
}

void TfrmTYPA::OnEndSession()
{
    // The system may end the process as soon as this returns: the settings are saved now. A run
    // in progress stops at its next step as after Cancel, the boxes open on top of it are
    // answered as Escape would answer them, and the window goes once all of them have returned.
    CancelLabelEdit();
    ExitRequested = true;
    App().sessionEnding = true;
    EndMenu();
    EnumThreadWindows(GetCurrentThreadId(), AnswerAsEscape, 0);
    if (m_created) SaveSettings();
    FormCloseQuery();
}

void TfrmTYPA::SaveSettings()
{
    using namespace settings;
    OptionSet tools = AppTools & ~(kShowToolbar | kShowStatusBar | kShowHints);
    if (m_toolbarVisible) tools |= kShowToolbar;
    if (m_statusBarVisible) tools |= kShowStatusBar;
    if (m_hintsOn) tools |= kShowHints;
    tools |= kRestoreSize;
    AppTools = tools;

    // A minimised window reports a far-away rectangle; its restored one is what the user sized.
    RECT r;
    GetWindowRect(m_wnd, &r);
    if (IsIconic(m_wnd)) {
        WINDOWPLACEMENT wp{};
        wp.length = sizeof wp;
        if (GetWindowPlacement(m_wnd, &wp)) r = wp.rcNormalPosition;
    }
    SaveWindowState(m_available.TreeHeight(), m_installed.TreeHeight(), AppPos{r.left, r.top, r.right, r.bottom},
                    AppTools);
}

void TfrmTYPA::FormDestroy()
{
    if (TrayIconShown) RemoveTrayIcon();
    m_sheet.Close();
    KillTimer(m_wnd, kTimer1Id);
    if (m_tray) m_tray->pmQSTaskBar.OnHint = nullptr;
    m_available.List().UnloadPreviews();

    if (m_created) SaveSettings();

    // Node records go with their nodes; then the items, once no row shows them.
    SendMessageA(m_groups.Handle(), TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(TVI_ROOT));
    SendMessageA(m_folders.Handle(), TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(TVI_ROOT));
    InstalledCatalogue.Clear();
    AvailableCatalogue.Clear();

    CloseHelp(m_wnd);
    PostQuitMessage(0);
}

} // namespace typa
