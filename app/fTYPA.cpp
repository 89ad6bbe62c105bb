#include "app/fTYPA.h"

#include "app/Application.h"
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
#include "ui/DlgOptions.h"
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

void MoveTo(HWND wnd, const RECT& r)
{
    if (wnd) MoveWindow(wnd, r.left, r.top, r.right - r.left, r.bottom - r.top, TRUE);
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
        SendMessageA(GetAncestor(wnd, GA_ROOT), WM_APP, reinterpret_cast<WPARAM>(wnd), 0);
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
    return ok;
}

bool TfrmTYPA::Create(HWND owner)
{
    StartupInput geo;
    geo.ppi = ScreenPpi();
    geo.screen = SIZE{GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    RECT wa{0, 0, geo.screen.cx, geo.screen.cy};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &wa, 0);
    geo.workArea = SIZE{wa.right - wa.left, wa.bottom - wa.top};
    RECT bounds = InitialWindowBounds(geo); // default size; the saved one is applied in FormCreate

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
    case WM_SIZE: FormResize(); return 0;
    case WM_GETMINMAXINFO:
        DefWindowProcA(m_wnd, msg, wp, lp);
        OnGetMinMaxInfo(*reinterpret_cast<MINMAXINFO*>(lp));
        return 0;
    case WM_CLOSE: FormCloseQuery(); return 0;
    case WM_DESTROY: FormDestroy(); return 0;
    case WM_COMMAND: OnCommand(LOWORD(wp), reinterpret_cast<HWND>(lp), HIWORD(wp)); return 0;
    case WM_NOTIFY: return OnNotify(*reinterpret_cast<NMHDR*>(lp));
    case WM_CONTEXTMENU: // a right click on the margin around a tree
        if (reinterpret_cast<HWND>(wp) == m_panelInstalledHighlight) twInstalledGroupMouseUp(nullptr);
        if (reinterpret_cast<HWND>(wp) == m_panelAvailableHighlight) twAvailableGroupMouseUp();
        return 0;
    case WM_MEASUREITEM: OnMeasureItem(*reinterpret_cast<MEASUREITEMSTRUCT*>(lp)); return TRUE;
    case WM_DRAWITEM: OnDrawItem(*reinterpret_cast<DRAWITEMSTRUCT*>(lp)); return TRUE;
    case WM_FONTCHANGE: OnFontChange(); return 0;
    case WM_MENUSELECT: OnMenuSelect(LOWORD(wp), HIWORD(wp), reinterpret_cast<HMENU>(lp)); return 0;
    case WM_ENTERIDLE: OnEnterIdle(wp); return 0;
    case WM_QUERYENDSESSION: return TRUE;
    case WM_ENDSESSION:
        if (wp) OnEndSession();
        return 0;
    case WM_RUNENDED: OnRunEnded(); return 0;
    case WM_TRAYCALLBACK: OnTrayCallback(lp); return 0;
    case WM_SHOWREQUEST: ShowMainWindow(); return 0;
    case WM_TIMER:
        if (wp == kTimer1Id && m_tray) {
            m_tray->Timer1Timer();
            return 0;
        }
        break;
    case WM_APP: OnPaintToolbar(reinterpret_cast<HWND>(wp)); return 0;
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
    HCURSOR previous = SetCursor(LoadCursor(nullptr, IDC_WAIT));
    InstalledSideActive = true;
    ExitRequested = false;
    TrayIconShown = false;
    LastPreviewRow = -1;

    if (!StartupChecksPass()) return false;

    WindowsDir = sys::WindowsDirectory();
    FontsDir = WindowsDir + "\\FONTS";
    ReadFontsFolderFiles(FontsDir, FontsFolderFiles);

    CreateControls();
    SetToolbarVisible(false);
    SetStatusBarVisible(false);
    SetHintsOn(false);

    AppTools = settings::ReadAppTools();
    if (AppTools & settings::kShowToolbar) SetToolbarVisible(true);
    if (AppTools & settings::kShowStatusBar) SetStatusBarVisible(true);
    if (AppTools & settings::kShowHints) SetHintsOn(true);

    StartupInput geo;
    geo.appTools = AppTools;
    if (AppTools & settings::kRestoreSize) geo.appPos = settings::ReadAppPos();
    geo.ppi = ScreenPpi();
    geo.screen = SIZE{GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    RECT wa{0, 0, geo.screen.cx, geo.screen.cy};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &wa, 0);
    geo.workArea = SIZE{wa.right - wa.left, wa.bottom - wa.top};
    RECT b = InitialWindowBounds(geo);
    SetWindowPos(m_wnd, nullptr, b.left, b.top, b.right - b.left, b.bottom - b.top, SWP_NOZORDER | SWP_NOACTIVATE);

    m_panelInstalledHeight = settings::ReadTreeHeight(true);
    m_panelAvailableHeight = settings::ReadTreeHeight(false);
    LayOut();

    SampleText = settings::ReadSampleText(LoadMessage(1215));

    ShowWindow(m_wnd, SW_SHOW);
    SetForegroundWindow(m_wnd); // its owner, the application window, stays hidden and cannot pass activation on

    StatusOptions = settings::ReadStatusOptions();
    FontOptions = settings::ReadFontOptions();

    ShowHint(App().hint);
    // Emptying a catalogue first lets go of the rows that show its items.
    InstalledCatalogue.SetBeforeClear([this] { SendMessageA(m_lbInstalledFonts, LB_RESETCONTENT, 0, 0); });
    AvailableCatalogue.SetBeforeClear([this] {
        UnloadPreviewResources();
        SendMessageA(m_lbAvailableFonts, LB_RESETCONTENT, 0, 0);
        AvailableView.clear();
    });
    m_splitControl = std::make_unique<TSplitControl>(m_wnd);
    m_about.Create(m_wnd);
    m_tray = std::make_unique<TTrayIcon>(
        m_wnd, TTrayIcon::Commands{[this] { ShowMainWindow(); }, [this] { mnuFontExitClick(); },
                                   [this] { mnuHelpAboutClick(); }});
    // Hints of the tray menu's items reach the status bar like those of the main menu.
    TPopupMenuQS::HintChanged = [this](const std::string& hint) { ShowHint(hint.empty() ? m_ownHint : hint); };

    BuildInstalledRoot();
    BuildFolderRoot();
    UpdateWindow(m_wnd);
    BuildGroupNodes();
    ReadCurrentFolder();
    HighlightActiveSide();
    m_created = true;
    // What came during the start-up (a font change, a log-off) is taken up once it is over.
    if (m_refreshPending || m_treeClickPending) PostMessageA(m_wnd, WM_RUNENDED, 0, 0);
    if (m_closePending) PostMessageA(m_wnd, WM_CLOSE, 0, 0);
    SetCursor(previous ? previous : LoadCursor(nullptr, IDC_ARROW));
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

    auto make = [&](DWORD exStyle, const char* cls, const char* text, DWORD style, int id, HWND parent = nullptr) {
        HWND h = CreateWindowExA(exStyle, cls, text, WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | style, 0, 0, 0, 0,
                                 parent ? parent : m_wnd, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), inst,
                                 nullptr);
        SendMessageA(h, WM_SETFONT, reinterpret_cast<WPARAM>(m_guiFont.Get()), FALSE);
        return h;
    };

    m_toolbar = make(0, kToolbarClass, "", 0, idToolbar);
    m_statusBar = make(0, STATUSCLASSNAMEA, "", SBARS_SIZEGRIP, idStatusBar);
    int wholeBar = -1; // one field, as wide as the bar
    SendMessageA(m_statusBar, SB_SETPARTS, 1, reinterpret_cast<LPARAM>(&wholeBar));

    m_panelAvailableHighlight = make(0, kPanelClass, "", WS_CLIPCHILDREN, PanelAvailableHighlight);
    m_panelInstalledHighlight = make(0, kPanelClass, "", WS_CLIPCHILDREN, PanelInstalledHighlight);
    const DWORD treeStyle = WS_TABSTOP | TVS_SHOWSELALWAYS;
    m_twAvailableGroup = make(0, WC_TREEVIEWA, "", treeStyle, twAvailableGroup, m_panelAvailableHighlight);
    m_twInstalledGroup =
        make(0, WC_TREEVIEWA, "", treeStyle | TVS_EDITLABELS, twInstalledGroup, m_panelInstalledHighlight);
    for (HWND tree : {m_twAvailableGroup, m_twInstalledGroup}) {
        AttachSubclass(tree, TreeProc, this);
        SendMessageA(tree, WM_SETFONT, reinterpret_cast<WPARAM>(m_treeFont.Get()), FALSE);
        SendMessageA(tree, TVM_SETINDENT, 19, 0);
    }
    m_ilInstalledGroup.Reset(CreateInstalledGroupImages());
    m_ilAvailableGroup.Reset(CreateAvailableGroupImages());
    SendMessageA(m_twInstalledGroup, TVM_SETIMAGELIST, TVSIL_NORMAL, reinterpret_cast<LPARAM>(m_ilInstalledGroup.Get()));
    SendMessageA(m_twAvailableGroup, TVM_SETIMAGELIST, TVSIL_NORMAL, reinterpret_cast<LPARAM>(m_ilAvailableGroup.Get()));

    m_splitterLeft = make(0, kSplitBarClass, "", 0, SplitterLeft);
    m_splitterRight = make(0, kSplitBarClass, "", 0, SplitterRight);

    // Rows are put in at their place, already sorted by name, so the list need not sort them.
    const DWORD listStyle = WS_TABSTOP | WS_VSCROLL | WS_HSCROLL | LBS_OWNERDRAWVARIABLE | LBS_HASSTRINGS |
                            LBS_EXTENDEDSEL | LBS_NOINTEGRALHEIGHT | LBS_NOTIFY;
    m_lbAvailableFonts = make(WS_EX_CLIENTEDGE, "LISTBOX", "", listStyle, lbAvailableFonts);
    m_lbInstalledFonts = make(WS_EX_CLIENTEDGE, "LISTBOX", "", listStyle, lbInstalledFonts);
    for (HWND list : {m_lbAvailableFonts, m_lbInstalledFonts})
        AttachSubclass(list, FontListProc, this);

    for (int i = 0; i < 9; ++i)
        m_buttons[i] = make(0, "BUTTON", kButtons[i].caption, WS_TABSTOP | BS_PUSHBUTTON, kButtons[i].id);

    // Group boxes last: they lie below the controls they frame and paint only their frame, so the
    // window's own background shows inside them.
    m_groupBoxAvailable = make(0, "BUTTON", " CD-ROM ", BS_GROUPBOX, GroupBoxAvailable);
    m_groupBoxInstalled = make(0, "BUTTON", " Système ", BS_GROUPBOX, GroupBoxInstalled);
    m_groupBoxAction = make(0, "BUTTON", " Action ", BS_GROUPBOX, GroupBoxAction);
    m_groupBoxGroups = make(0, "BUTTON", " Gestion des groupes ", BS_GROUPBOX, GroupBoxGroups);
    m_groupBoxProgram = make(0, "BUTTON", " Programme ", BS_GROUPBOX, GroupBoxProgram);
    for (HWND box : {m_groupBoxAvailable, m_groupBoxInstalled, m_groupBoxAction, m_groupBoxGroups, m_groupBoxProgram})
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
    SendMessageA(m_lbAvailableFonts, LB_SETHORIZONTALEXTENT, 700, 0);
    SendMessageA(m_lbInstalledFonts, LB_SETHORIZONTALEXTENT, 700, 0);
}

// ---------------------------------------------------------------------------------------------
// Layout

LayoutInput TfrmTYPA::CurrentLayoutInput() const
{
    LayoutInput in;
    RECT c;
    GetClientRect(m_wnd, &c);
    in.client = SIZE{c.right, c.bottom};
    in.ppi = ScreenPpi();
    in.toolbarHeight = m_toolbarVisible ? ScaledFor(30, in.ppi) : 0;
    if (m_statusBarVisible) {
        RECT s;
        GetWindowRect(m_statusBar, &s);
        in.statusBarHeight = s.bottom - s.top;
    }
    in.captionHeight = m_captionHeight;
    in.availableTreePanel = m_panelAvailableHeight;
    in.installedTreePanel = m_panelInstalledHeight;
    return in;
}

void TfrmTYPA::LayOut()
{
    if (!m_toolbar) return;
    if (m_statusBarVisible) SendMessageA(m_statusBar, WM_SIZE, 0, 0);
    MainLayout m = ComputeLayout(CurrentLayoutInput());
    MoveTo(m_toolbar, m.toolbar);
    MoveTo(m_groupBoxAvailable, m.available.groupBox);
    MoveTo(m_groupBoxInstalled, m.installed.groupBox);
    MoveTo(m_panelAvailableHighlight, m.available.treePanel);
    MoveTo(m_panelInstalledHighlight, m.installed.treePanel);
    auto inPanel = [](const SideLayout& s) {
        return RECT{kHighlightBorder, kHighlightBorder, s.treePanel.right - s.treePanel.left - kHighlightBorder,
                    s.treePanel.bottom - s.treePanel.top - kHighlightBorder};
    };
    MoveTo(m_twAvailableGroup, inPanel(m.available));
    MoveTo(m_twInstalledGroup, inPanel(m.installed));
    MoveTo(m_splitterLeft, m.available.splitter);
    MoveTo(m_splitterRight, m.installed.splitter);
    MoveTo(m_lbAvailableFonts, m.available.list);
    MoveTo(m_lbInstalledFonts, m.installed.list);
    MoveTo(m_groupBoxAction, m.middle.action);
    MoveTo(m_groupBoxGroups, m.middle.groups);
    MoveTo(m_groupBoxProgram, m.middle.program);
    for (int i = 0; i < 9; ++i) MoveTo(m_buttons[i], m.middle.buttons[i]);
}

void TfrmTYPA::FormResize() { LayOut(); }

void TfrmTYPA::OnGetMinMaxInfo(MINMAXINFO& mmi)
{
    mmi.ptMinTrackSize.x = Scaled(560);
    mmi.ptMinTrackSize.y = Scaled(435);
}

void TfrmTYPA::HighlightActiveSide()
{
    auto paint = [](HWND panel, int colour) {
        SetWindowLongPtrA(panel, GWLP_USERDATA, colour + 1);
        InvalidateRect(panel, nullptr, TRUE);
    };
    paint(m_panelInstalledHighlight, InstalledSideActive ? COLOR_HIGHLIGHT : COLOR_WINDOW);
    paint(m_panelAvailableHighlight, InstalledSideActive ? COLOR_WINDOW : COLOR_HIGHLIGHT);
}

void TfrmTYPA::PanelAvailableResize()
{
    if (m_panelInstalledHeight < 50) m_panelInstalledHeight = 50;
}

LRESULT CALLBACK TfrmTYPA::SplitBarProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp)
{
    auto* self = reinterpret_cast<TfrmTYPA*>(GetWindowLongPtrA(GetAncestor(wnd, GA_ROOT), GWLP_USERDATA));
    if (!self) return DefWindowProcA(wnd, msg, wp, lp);
    return Guarded<LRESULT>(0, [&]() -> LRESULT {
        switch (msg) {
        case WM_LBUTTONDOWN:
        case WM_RBUTTONDOWN:
        case WM_MBUTTONDOWN:
            self->SplitterMouseDown(wnd, msg == WM_LBUTTONDOWN ? wp : 0, GET_X_LPARAM(lp), GET_Y_LPARAM(lp));
            return 0;
        case WM_MOUSEMOVE: self->SplitterMouseMove(wnd, GET_X_LPARAM(lp), GET_Y_LPARAM(lp)); return 0;
        case WM_LBUTTONUP:
        case WM_RBUTTONUP:
        case WM_MBUTTONUP: self->SplitterMouseUp(wnd); return 0;
        case WM_LBUTTONDBLCLK: return 0; // the second press of a double click starts nothing
        case WM_CAPTURECHANGED:
            if (self->m_splitControl && self->m_splitControl->Splitter() == wnd) self->SplitterMouseUp(wnd);
            return 0;
        default: return DefWindowProcA(wnd, msg, wp, lp);
        }
    });
}

void TfrmTYPA::SplitterMouseDown(HWND splitter, WPARAM keys, int, int)
{
    // Only the left button alone: no Shift, Ctrl or Alt, no other button held.
    if (keys != MK_LBUTTON || GetKeyState(VK_MENU) < 0 || !m_splitControl) return;
    bool left = splitter == m_splitterLeft;
    HWND panel = left ? m_panelAvailableHighlight : m_panelInstalledHighlight;
    RECT pr;
    GetWindowRect(panel, &pr);
    MapWindowPoints(nullptr, m_wnd, reinterpret_cast<POINT*>(&pr), 2);
    TSplitControl::Target target;
    target.origin = POINT{pr.left, pr.top};
    target.apply = [this, left](int height) {
        (left ? m_panelAvailableHeight : m_panelInstalledHeight) = height;
        if (left) PanelAvailableResize();
        LayOut();
    };
    m_splitControl->BeginDrag(splitter, std::move(target));
}

void TfrmTYPA::SplitterMouseMove(HWND splitter, int x, int y)
{
    if (!m_splitControl || m_splitControl->Splitter() != splitter) return;
    // Keep the bar at least 50 pixels away from the top and the bottom of its side.
    MainLayout m = ComputeLayout(CurrentLayoutInput());
    const SideLayout& side = splitter == m_splitterLeft ? m.available : m.installed;
    int top = side.splitter.top - side.panel.top;
    int parentHeight = side.panel.bottom - side.panel.top;
    if (top + y < 50)
        y = 50 - top;
    else if (top + y > parentHeight - 50)
        y = parentHeight - 50 - top;
    m_splitControl->DragTo(x, y);
}

void TfrmTYPA::SplitterMouseUp(HWND splitter)
{
    if (m_splitControl && m_splitControl->Splitter() == splitter) m_splitControl->EndDrag();
}

// ---------------------------------------------------------------------------------------------
// Toolbar, status bar, hints

void TfrmTYPA::OnPaintToolbar(HWND toolbar)
{
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(toolbar, &ps);
    RECT r;
    GetClientRect(toolbar, &r);
    FillRect(dc, &r, GetSysColorBrush(COLOR_BTNFACE));
    // A thin etched line under the bar, as classic tool bars have.
    RECT line{r.left, r.bottom - 2, r.right, r.bottom};
    DrawEdge(dc, &line, EDGE_ETCHED, BF_TOP);
    const int ppi = ScreenPpi();
    int iconSize = GetSystemMetrics(SM_CXSMICON);
    int x = ScaledFor(6, ppi);
    DrawIconEx(dc, x, (r.bottom - iconSize) / 2, m_taskIcon.Get(), iconSize, iconSize, 0, nullptr, DI_NORMAL);
    ScopedSelect font(dc, m_logoFont.Get());
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(0x1f, 0x4e, 0x8c));
    RECT text{x + iconSize + ScaledFor(6, ppi), r.top, r.right, r.bottom - 2};
    DrawTextA(dc, "Typarium", -1, &text, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
    EndPaint(toolbar, &ps);
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
    App().hint = hint;
    if (m_statusBar) SendMessageA(m_statusBar, SB_SETTEXTA, 0, reinterpret_cast<LPARAM>(hint.c_str()));
}

bool TfrmTYPA::PreTranslateMessage(MSG& msg)
{
    if (!m_wnd) return false;
    if (msg.message == WM_MOUSEMOVE && msg.hwnd != m_lastHintWindow) {
        // The status bar follows the control under the pointer; where there is none, the window's
        // own hint (the selection summary) comes back.
        m_lastHintWindow = msg.hwnd;
        if (GetAncestor(msg.hwnd, GA_ROOT) == m_wnd) {
            const char* hint = ControlHint(GetDlgCtrlID(msg.hwnd));
            ShowHint(*hint ? hint : m_ownHint);
        }
    }
    if (msg.hwnd != m_wnd && !IsChild(m_wnd, msg.hwnd)) return false;
    // While a caption is edited in place, every key belongs to the edit box: Enter and Escape end
    // the edit, Delete deletes a letter.
    char cls[16] = {};
    HWND focus = GetFocus();
    if (focus && GetClassNameA(focus, cls, sizeof cls) && lstrcmpiA(cls, "Edit") == 0 &&
        (GetParent(focus) == m_twInstalledGroup || GetParent(focus) == m_twAvailableGroup))
        return false;
    // The focused list's or tree's popup items take their keys before the main menu's.
    if (PopupShortcut(msg)) return true;
    if (m_accelerators && TranslateAcceleratorA(m_wnd, m_accelerators, &msg)) return true;
    return IsDialogMessageA(m_wnd, &msg) != FALSE;
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
        WinHelpA(m_wnd, App().helpFile.c_str(), HELP_CONTEXT, static_cast<ULONG_PTR>(context));
    }
}

// ---------------------------------------------------------------------------------------------
// Commands

void TfrmTYPA::OnCommand(int id, HWND control, int code)
{
    if (control == m_lbAvailableFonts || control == m_lbInstalledFonts) {
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
    case btFontMove: btFontMoveClick(); break;
    case mnuGroupRename:
    case btGroupRename: mnuGroupRenameClick(); break;
    case mnuHelpAbout: mnuHelpAboutClick(); break;
    case mnuFontPrint: mnuFontPrintClick(); break;
    case mnuFontExit:
    case btExitProgram: mnuFontExitClick(); break;
    case mnuFontTaskbar:
    case btTaskbar: mnuFontTaskbarClick(); break;
    case mnuViewStatusbar: mnuViewStatusbarClick(); break;
    case mnuViewOptions: mnuViewOptionsClick(); break;
    case mnuHelpTopic: mnuHelpTopicClick(); break;
    case btFontInstall: btFontInstallClick(); break;
    case mnuFontDelete:
    case btFontDelete: mnuFontDeleteClick(); break;
    case mnuGroupDelete:
    case btGroupDelete: mnuGroupDeleteClick(); break;
    default:
        if (id >= kMoveToGroupBase && id < kMoveToGroupBase + kMaxGroupTargets) MoveToGroupClick(id - kMoveToGroupBase);
        if (id >= kInstallToGroupBase && id < kInstallToGroupBase + kMaxGroupTargets)
            InstallToGroupClick(id - kInstallToGroupBase);
        break;
    }
}

void TfrmTYPA::mnuFontExitClick()
{
    ExitRequested = true;
    SendMessageA(m_wnd, WM_CLOSE, 0, 0);
}

void TfrmTYPA::mnuFontTaskbarClick() { SendMessageA(m_wnd, WM_CLOSE, 0, 0); }

void TfrmTYPA::mnuViewStatusbarClick()
{
    bool visible = !m_statusBarVisible;
    RECT s;
    GetWindowRect(m_statusBar, &s);
    int h = s.bottom - s.top;
    // The tree panels give the status bar its room, and take it back when it goes.
    m_panelInstalledHeight += visible ? -h : h;
    m_panelAvailableHeight += visible ? -h : h;
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

void TfrmTYPA::mnuHelpTopicClick() { WinHelpA(m_wnd, App().helpFile.c_str(), HELP_CONTENTS, 0); }

void TfrmTYPA::OnFontChange()
{
    if (m_runs > 0 || !m_created)
        m_refreshPending = true;
    else
        RefreshLists(true);
}

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
        HTREEITEM folder = reinterpret_cast<HTREEITEM>(SendMessageA(m_twAvailableGroup, TVM_GETNEXTITEM, TVGN_CARET, 0));
        if (folder && folder != CurrentFolderNode) twAvailableGroupClick();
    }
}

// ---------------------------------------------------------------------------------------------
// Close, tray, destruction

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
    HideMainWindow();
}

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

void TfrmTYPA::HideMainWindow() { typa::HideMainWindow(m_wnd); }

void TfrmTYPA::ShowMainWindow()
{
    // The about box may be up alone, opened from the tray menu: the window replaces it.
    if (m_about.IsVisible()) m_about.Close();
    typa::ShowMainWindow(m_wnd);
    if (TrayIconShown) RemoveTrayIcon();
}

void TfrmTYPA::OnTrayCallback(LPARAM mouseMessage)
{
    if (m_tray) m_tray->OnCallback(mouseMessage);
}

void TfrmTYPA::OnEndSession()
{
    // The system may end the process as soon as this returns: the settings are saved now. A run
    // in progress stops at its next step as after Cancel, the boxes open on top of it are
    // answered as Escape would answer them, and the window goes once all of them have returned.
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
    SaveWindowState(m_panelAvailableHeight, m_panelInstalledHeight, AppPos{r.left, r.top, r.right, r.bottom}, AppTools);
}

void TfrmTYPA::FormDestroy()
{
    if (TrayIconShown) RemoveTrayIcon();
    KillTimer(m_wnd, kTimer1Id);
    TPopupMenuQS::HintChanged = nullptr;
    UnloadPreviewResources();

    if (m_created) SaveSettings();

    // Node records go with their nodes; then the items, once no row shows them.
    SendMessageA(m_twInstalledGroup, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(TVI_ROOT));
    SendMessageA(m_twAvailableGroup, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(TVI_ROOT));
    InstalledCatalogue.Clear();
    AvailableCatalogue.Clear();

    WinHelpA(m_wnd, App().helpFile.c_str(), HELP_QUIT, 0);
    PostQuitMessage(0);
}

} // namespace typa
