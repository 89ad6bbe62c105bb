// The about dialog, laid out in code at creation; its modal showing runs a loop of its own over
// the kept window, so that there is never a second one.
#include "ui/DlgAbout.h"

#include "app/Messages.h"
#include "app/Scale.h"
#include "platform/FileInfo.h"
#include "platform/System.h"
#include "res/Resource.h"
#include "ui/DialogTemplate.h"
#include "ui/ThreadWindows.h"

#include <algorithm>

namespace typa {
namespace {

// Design sizes at 96 pixels per inch.
constexpr int kClientWidth = 438;
constexpr int kClientHeight = 237;
constexpr int kMargin = 8;

// The version line is read once the controls are made.
constexpr DialogControl kControls[] = {
    {TdlgAbout::kIdLogo, "STATIC", nullptr, SS_OWNERDRAW, kMargin, kMargin, kClientWidth - 2 * kMargin, 132},
    {TdlgAbout::kIdTitle, "STATIC", "Typarium pour Windows", SS_CENTER | SS_NOPREFIX, 0, 150, kClientWidth, 16},
    {TdlgAbout::kIdVersion, "STATIC", "", SS_CENTER | SS_NOPREFIX, 0, 170, kClientWidth, 16},
    {TdlgAbout::kIdBevel, "STATIC", nullptr, SS_ETCHEDHORZ, kMargin, 194, kClientWidth - 2 * kMargin, 2},
};
constexpr DialogButton kButtons[] = {{IDOK, "OK", WS_TABSTOP | WS_GROUP | BS_DEFPUSHBUTTON}};

} // namespace

std::string AboutVersionLine(const std::string& programFile)
{
    std::string line = FormatMessage(4010, {"3.0"});
    if (auto written = files::LastWriteTime(programFile)) line += files::ShortDateText(*written);
    return line;
}

TdlgAbout::~TdlgAbout()
{
    EnableAgain();
    DestroyDialog();
}

bool TdlgAbout::Create(HWND owner)
{
    if (Handle()) return true;
    return CreateModeless(owner, {WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME, WS_EX_DLGMODALFRAME});
}

bool TdlgAbout::OnInit()
{
    HWND dlg = Handle();
    SetWindowTextA(dlg, "A propos de Typarium");

    LOGFONTA lf{};
    lf.lfHeight = -Scaled(54);
    lf.lfWeight = FW_NORMAL;
    lf.lfItalic = TRUE;
    lf.lfCharSet = DEFAULT_CHARSET;
    lf.lfQuality = ANTIALIASED_QUALITY;
    lf.lfPitchAndFamily = VARIABLE_PITCH | FF_ROMAN; // any serif face when this one is missing
    lstrcpynA(lf.lfFaceName, "Times New Roman", LF_FACESIZE);
    m_logoFont.Reset(CreateFontIndirectA(&lf));
    m_iconSize = Scaled(48);
    HINSTANCE instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(dlg, GWLP_HINSTANCE));
    m_icon.Reset(static_cast<HICON>(LoadImageA(instance, MAKEINTRESOURCEA(IDI_TYPARIUM), IMAGE_ICON,
                                               m_iconSize, m_iconSize, 0)));

    AddControls(kControls);
    m_versionLine = AboutVersionLine(sys::ModuleFileName());
    SetDlgItemTextA(dlg, kIdVersion, m_versionLine.c_str());
    const int clientWidth = Scaled(kClientWidth), buttonWidth = Scaled(75);
    AddButtonRow(kButtons, (clientWidth - buttonWidth) / 2, Scaled(204), buttonWidth, Scaled(25), 0);

    SizeDialogToClient(dlg, clientWidth, Scaled(kClientHeight));
    FocusDefault(IDOK);
    return false; // the focus is set
}

bool TdlgAbout::OnDrawItem(const DRAWITEMSTRUCT& dis)
{
    if (dis.CtlID != static_cast<UINT>(kIdLogo)) return false;
    DrawLogo(dis);
    return true;
}

void TdlgAbout::DrawLogo(const DRAWITEMSTRUCT& dis) const
{
    HDC dc = dis.hDC;
    RECT r = dis.rcItem;
    const int height = std::max(1, static_cast<int>(r.bottom - r.top));

    // A quiet wash from white at the top to a pale blue-grey at the bottom.
    for (int y = 0; y < height; y += 2) {
        const int t = y * 255 / height;
        UniqueBrush band(CreateSolidBrush(RGB(255 - t * 34 / 255, 255 - t * 26 / 255, 255 - t * 12 / 255)));
        RECT line{r.left, r.top + y, r.right, std::min<LONG>(r.bottom, r.top + y + 2)};
        FillRect(dc, &line, band.Get());
    }

    const char* name = "Typarium";
    const int nameLength = lstrlenA(name);
    SIZE text{0, 0};
    {
        ScopedSelect select(dc, m_logoFont ? static_cast<HGDIOBJ>(m_logoFont.Get())
                                           : GetStockObject(SYSTEM_FONT));
        GetTextExtentPoint32A(dc, name, nameLength, &text);
    }
    const int gap = m_icon ? Scaled(16) : 0;
    const int iconSize = m_icon ? m_iconSize : 0;
    const int total = iconSize + gap + text.cx;
    int x = r.left + ((r.right - r.left) - total) / 2;
    const int middle = r.top + height / 2;

    if (m_icon) {
        DrawIconEx(dc, x, middle - iconSize / 2, m_icon.Get(), iconSize, iconSize, 0, nullptr, DI_NORMAL);
        x += iconSize + gap;
    }

    ScopedSelect select(dc, m_logoFont ? static_cast<HGDIOBJ>(m_logoFont.Get())
                                       : GetStockObject(SYSTEM_FONT));
    SetBkMode(dc, TRANSPARENT);
    const int top = middle - text.cy / 2;
    // A soft shadow under the name, then the name in deep blue.
    SetTextColor(dc, RGB(196, 204, 218));
    TextOutA(dc, x + Scaled(2), top + Scaled(2), name, nameLength);
    SetTextColor(dc, RGB(28, 44, 96));
    TextOutA(dc, x, top, name, nameLength);

    DrawEdge(dc, &r, BDR_SUNKENOUTER, BF_RECT);
}

bool TdlgAbout::IsVisible() const { return Handle() && IsWindowVisible(Handle()); }

void TdlgAbout::Execute()
{
    if (!Handle()) return;
    if (IsVisible()) {
        if (IsIconic(Handle())) ShowWindow(Handle(), SW_RESTORE);
        SetForegroundWindow(Handle());
        return;
    }

    // Whatever way the loop ends (quit, exception, the window destroyed), the windows come back.
    struct EndModal {
        TdlgAbout& about;
        ~EndModal() { about.Close(); }
    } endModal{*this};

    m_modal = true;
    ShowWindow(Handle(), SW_SHOW);
    SetForegroundWindow(Handle());
    m_disabled = DisableThreadWindows(Handle());
    EnableWindow(Handle(), TRUE);

    MSG msg;
    while (m_modal && Handle()) {
        const BOOL got = GetMessageA(&msg, nullptr, 0, 0);
        if (got == 0) {
            // Taken off the queue, so it must go back for the main loop to end.
            PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
        if (got < 0) break;
        if (!Handle() || !IsDialogMessageA(Handle(), &msg)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
}

void TdlgAbout::Close()
{
    const bool wasModal = m_modal;
    m_modal = false;
    // The owner takes input again before the dialog hides, so that activation returns to it.
    EnableAgain();
    if (Handle()) ShowWindow(Handle(), SW_HIDE);
    // Wakes the modal loop, which may be waiting for a message, so that it sees the end.
    if (wasModal) PostThreadMessageA(GetCurrentThreadId(), WM_NULL, 0, 0);
}

void TdlgAbout::EnableAgain() noexcept
{
    EnableWindowsAgain(m_disabled);
    m_disabled.clear();
}

} // namespace typa
