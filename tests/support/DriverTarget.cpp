// DriverTarget.exe: a tiny program with one control of each kind the end-to-end driver reads
// and acts on, so that DriverTest can prove every driver function under Wine. Its exit code
// tells which button of its question box was pressed last (plus DRIVER_TARGET_BASE).
#include <windows.h>
#include <commctrl.h>

#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

constexpr int kIdList = 101;
constexpr int kIdTree = 102;
constexpr int kIdStatus = 103;
constexpr int kIdAsk = 104;
constexpr int kIdSlow = 105;
constexpr int kIdShortcut = 106;
constexpr int kIdMessageBox = 107;
constexpr int kIdAll = 108;  // "&Tout" in the question box
constexpr int kIdEdit = 109;
constexpr char kClassName[] = "DriverTargetWnd";

struct State {
    HWND list = nullptr;
    HWND tree = nullptr;
    HWND status = nullptr;
    int answer = 0;
};

void SetStatus(const State& st, const char* text)
{
    SendMessageA(st.status, SB_SETTEXTA, 0, reinterpret_cast<LPARAM>(text));
}

// A dialog template built in memory: no resource file needed for one box.
class DialogTemplate {
public:
    DialogTemplate(const char* title, short cx, short cy)
    {
        auto* dlg = Grow<DLGTEMPLATE>();
        dlg->style = DS_MODALFRAME | DS_CENTER | WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_SETFONT;
        dlg->cx = cx;
        dlg->cy = cy;
        Word(0);  // menu
        Word(0);  // class
        String(title);
        Word(8);
        String("MS Shell Dlg");
    }
    void Add(const char* cls, const char* text, int id, DWORD style, short x, short y, short cx,
             short cy)
    {
        Align();
        auto* item = Grow<DLGITEMTEMPLATE>();
        item->style = style | WS_CHILD | WS_VISIBLE;
        item->x = x;
        item->y = y;
        item->cx = cx;
        item->cy = cy;
        item->id = static_cast<WORD>(id);
        String(cls);
        String(text);
        Word(0);
        reinterpret_cast<DLGTEMPLATE*>(m_bytes.data())->cdit++;
    }
    const DLGTEMPLATE* Get() const { return reinterpret_cast<const DLGTEMPLATE*>(m_bytes.data()); }

private:
    template <class T>
    T* Grow()
    {
        size_t at = m_bytes.size();
        m_bytes.resize(at + sizeof(T));
        return reinterpret_cast<T*>(m_bytes.data() + at);
    }
    void Word(WORD w) { *Grow<WORD>() = w; }
    void String(const char* s)
    {
        int n = MultiByteToWideChar(CP_ACP, 0, s, -1, nullptr, 0);
        size_t at = m_bytes.size();
        m_bytes.resize(at + n * sizeof(WCHAR));
        MultiByteToWideChar(CP_ACP, 0, s, -1, reinterpret_cast<WCHAR*>(m_bytes.data() + at), n);
    }
    void Align() { m_bytes.resize((m_bytes.size() + 3) & ~size_t(3)); }

    std::vector<BYTE> m_bytes;  // DWORD-aligned by std::vector's allocator
};

INT_PTR CALLBACK AskProc(HWND dlg, UINT msg, WPARAM w, LPARAM)
{
    if (msg == WM_INITDIALOG) return TRUE;
    if (msg == WM_COMMAND && HIWORD(w) == BN_CLICKED) {
        int id = LOWORD(w);
        if (id == IDYES || id == IDNO || id == kIdAll || id == IDCANCEL) EndDialog(dlg, id);
        return TRUE;
    }
    return FALSE;
}

int Ask(HWND owner)
{
    // Buttons created out of their visual order: the driver must sort them left to right.
    DialogTemplate t("Confirmation", 200, 70);
    t.Add("STATIC", "", -1, SS_LEFT, 5, 5, 20, 20);
    t.Add("STATIC", "Le fichier « é.ttf » existe déjà.", -1, SS_LEFT, 30, 5, 165, 10);
    t.Add("STATIC", "Faut-il l'écraser ?", -1, SS_LEFT, 30, 18, 165, 10);
    t.Add("BUTTON", "&Tout", kIdAll, BS_PUSHBUTTON | WS_TABSTOP, 140, 50, 50, 14);
    t.Add("BUTTON", "&Oui", IDYES, BS_DEFPUSHBUTTON | WS_TABSTOP, 30, 50, 50, 14);
    t.Add("BUTTON", "&Non", IDNO, BS_PUSHBUTTON | WS_TABSTOP, 85, 50, 50, 14);
    return static_cast<int>(DialogBoxIndirectParamA(GetModuleHandleA(nullptr), t.Get(), owner,
                                                    AskProc, 0));
}

HTREEITEM AddItem(HWND tree, HTREEITEM parent, const char* text, int image)
{
    TVINSERTSTRUCTA ins{};
    ins.hParent = parent;
    ins.hInsertAfter = TVI_LAST;
    ins.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_PARAM;
    ins.item.pszText = const_cast<char*>(text);
    ins.item.iImage = image;
    ins.item.iSelectedImage = image + 10;
    ins.item.lParam = image * 100;
    return reinterpret_cast<HTREEITEM>(
        SendMessageA(tree, TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&ins)));
}

void OnCreate(HWND wnd, State& st)
{
    HINSTANCE inst = GetModuleHandleA(nullptr);
    auto child = [&](const char* cls, const char* text, DWORD style, int x, int y, int cx, int cy,
                     int id) {
        return CreateWindowExA(0, cls, text, style | WS_CHILD | WS_VISIBLE, x, y, cx, cy, wnd,
                               reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), inst, nullptr);
    };
    st.list = child("LISTBOX", "", LBS_NOTIFY | LBS_EXTENDEDSEL | WS_BORDER | WS_VSCROLL, 10, 10,
                    200, 150, kIdList);
    for (const char* row : {"Arial", "Courier New", "Éléphant été", "Times New Roman"})
        SendMessageA(st.list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(row));
    SendMessageA(st.list, LB_SETSEL, TRUE, 1);
    SendMessageA(st.list, LB_SETSEL, TRUE, 3);

    st.tree = child(WC_TREEVIEWA, "", TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT |
                                          TVS_SHOWSELALWAYS | WS_BORDER,
                    220, 10, 200, 150, kIdTree);
    HTREEITEM root = AddItem(st.tree, TVI_ROOT, "Groupes", 0);
    HTREEITEM system = AddItem(st.tree, root, "Polices système", 1);
    AddItem(st.tree, system, "Sans empattement", 2);
    AddItem(st.tree, system, "Avec empattement", 2);
    HTREEITEM mine = AddItem(st.tree, root, "Mes polices", 1);
    AddItem(st.tree, TVI_ROOT, "Lecteurs", 3);
    SendMessageA(st.tree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(root));
    SendMessageA(st.tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(mine));

    child("BUTTON", "&Demander", BS_PUSHBUTTON, 10, 170, 90, 24, kIdAsk);
    child("BUTTON", "&Message", BS_PUSHBUTTON, 110, 170, 90, 24, kIdMessageBox);
    HWND off = child("BUTTON", "Inactif", BS_PUSHBUTTON, 210, 170, 90, 24, 0);
    EnableWindow(off, FALSE);
    child("EDIT", "", ES_AUTOHSCROLL | WS_BORDER, 310, 170, 110, 24, kIdEdit);

    st.status = CreateWindowExA(0, STATUSCLASSNAMEA, "", WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, wnd,
                                reinterpret_cast<HMENU>(kIdStatus), inst, nullptr);
    SetStatus(st, "Prêt – 4 polices");
}

void OnCommand(HWND wnd, State& st, int id, int code)
{
    switch (id) {
    case kIdAsk:
        st.answer = Ask(wnd);
        SetStatus(st, st.answer == IDYES ? "Oui" : st.answer == IDNO ? "Non" : "Autre");
        break;
    case kIdMessageBox:
        st.answer = MessageBoxA(wnd, "Une erreur est survenue.", "Erreur", MB_OKCANCEL | MB_ICONSTOP);
        break;
    case kIdSlow:
        // The title is readable without a message to this thread: proves Settle() waited.
        Sleep(700);
        SetWindowTextA(wnd, "Terminé");
        break;
    case kIdShortcut: SetStatus(st, "Ctrl+K"); break;
    case kIdList:
        if (code == LBN_DBLCLK) SetStatus(st, "Double clic");
        break;
    }
}

LRESULT CALLBACK WndProc(HWND wnd, UINT msg, WPARAM w, LPARAM l)
{
    auto* st = reinterpret_cast<State*>(GetWindowLongPtrA(wnd, GWLP_USERDATA));
    switch (msg) {
    case WM_NCCREATE:
        st = static_cast<State*>(reinterpret_cast<CREATESTRUCTA*>(l)->lpCreateParams);
        SetWindowLongPtrA(wnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(st));
        break;
    case WM_CREATE: OnCreate(wnd, *st); return 0;
    case WM_COMMAND: OnCommand(wnd, *st, LOWORD(w), HIWORD(w)); return 0;
    case WM_NOTIFY:
        if (reinterpret_cast<NMHDR*>(l)->code == TVN_SELCHANGEDA ||
            reinterpret_cast<NMHDR*>(l)->code == TVN_SELCHANGEDW)
            SetStatus(*st, "Arbre changé");
        return 0;
    case WM_CONTEXTMENU:
        if (reinterpret_cast<HWND>(w) == st->list) SetStatus(*st, "Menu contextuel");
        return 0;
    case WM_SIZE: SendMessageA(st->status, WM_SIZE, 0, 0); return 0;
    case WM_DESTROY: PostQuitMessage(st->answer); return 0;
    }
    return DefWindowProcA(wnd, msg, w, l);
}

} // namespace

int WINAPI WinMain(HINSTANCE inst, HINSTANCE, LPSTR cmdLine, int show)
{
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_TREEVIEW_CLASSES | ICC_BAR_CLASSES};
    InitCommonControlsEx(&icc);

    WNDCLASSA wc{};
    wc.lpfnWndProc = WndProc;
    wc.hInstance = inst;
    wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kClassName;
    RegisterClassA(&wc);

    // "/titre=X" names the window X: proves that the driver passes arguments.
    const char* title = "Cible du pilote";
    if (const char* t = std::strstr(cmdLine, "/titre=")) title = t + 7;

    State st;
    HWND wnd = CreateWindowExA(0, kClassName, title, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                               CW_USEDEFAULT, 440, 260, nullptr, nullptr, inst, &st);
    if (!wnd) return 1000;
    ShowWindow(wnd, show);

    ACCEL accel{FVIRTKEY | FCONTROL, 'K', kIdShortcut};
    HACCEL accels = CreateAcceleratorTableA(&accel, 1);
    MSG m;
    while (GetMessageA(&m, nullptr, 0, 0) > 0) {
        if (TranslateAcceleratorA(wnd, accels, &m)) continue;
        TranslateMessage(&m);
        DispatchMessageA(&m);
    }
    DestroyAcceleratorTable(accels);
    const char* base = std::getenv("DRIVER_TARGET_BASE");
    return static_cast<int>(m.wParam) + (base ? std::atoi(base) : 0);
}
