// The about dialog, laid out in code at creation; its modal showing runs a loop of its own over
// the kept window, so that there is never a second one.
#include "ui/DlgAbout.h"

#include "app/Application.h"
#include "app/ErrorBox.h"
#include "app/ExceptionGuard.h"
#include "app/Messages.h"
#include "app/Scale.h"
#include "platform/FileInfo.h"
#include "platform/System.h"
#include "res/Resource.h"
#include "ui/ThreadWindows.h"

#include <algorithm>

namespace typa {
namespace {

// Design sizes at 96 pixels per inch.
constexpr int kClientWidth = 438;
constexpr int kClientHeight = 237;
constexpr int kMargin = 8;

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
    if (m_dlg) DestroyWindow(m_dlg);
}

bool TdlgAbout::Create(HWND owner)
{
    if (m_dlg) return true;
    if (owner && !IsWindow(owner)) owner = nullptr;
    const std::vector<WORD> tmpl = EmptyDialogTemplate(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME,
                                                       WS_EX_DLGMODALFRAME);
    HINSTANCE instance = App().instance ? App().instance : GetModuleHandleA(nullptr);
    CreateDialogIndirectParamA(instance, reinterpret_cast<LPCDLGTEMPLATEA>(tmpl.data()), owner,
                               DialogProc, reinterpret_cast<LPARAM>(this));
    return m_dlg != nullptr;
}

INT_PTR CALLBACK TdlgAbout::DialogProc(HWND dlg, UINT msg, WPARAM wp, LPARAM lp) noexcept
{
    return Guarded<INT_PTR>(FALSE, [&]() -> INT_PTR {
        if (msg == WM_INITDIALOG) {
            SetWindowLongPtrA(dlg, DWLP_USER, lp);
            reinterpret_cast<TdlgAbout*>(lp)->FormCreate(dlg);
            return FALSE; // the focus is set
        }
        auto* self = reinterpret_cast<TdlgAbout*>(GetWindowLongPtrA(dlg, DWLP_USER));
        if (!self) return FALSE;
        switch (msg) {
        case WM_COMMAND:
            // "OK", Enter, Escape and the close command.
            if ((LOWORD(wp) == IDOK || LOWORD(wp) == IDCANCEL) && HIWORD(wp) == BN_CLICKED) {
                self->Close();
                return TRUE;
            }
            return FALSE;
        case WM_DRAWITEM: {
            const auto* dis = reinterpret_cast<const DRAWITEMSTRUCT*>(lp);
            if (wp != kIdLogo || !dis) return FALSE;
            self->DrawLogo(*dis);
            return TRUE;
        }
        case WM_DESTROY:
            // Destroyed with its owner: a running modal loop must end, and nothing may use the
            // handle again.
            SetWindowLongPtrA(dlg, DWLP_USER, 0);
            self->m_dlg = nullptr;
            self->EnableAgain();
            return FALSE;
        }
        return FALSE;
    });
}

void TdlgAbout::FormCreate(HWND dlg)
{
    m_dlg = dlg;
    SetWindowTextA(dlg, "A propos de Typarium");
    HFONT font = reinterpret_cast<HFONT>(SendMessageA(dlg, WM_GETFONT, 0, 0));
    const int clientWidth = Scaled(kClientWidth);

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

    AddDialogControl(dlg, "STATIC", nullptr, SS_OWNERDRAW, kIdLogo, Scaled(kMargin), Scaled(kMargin),
                     clientWidth - 2 * Scaled(kMargin), Scaled(132), nullptr);
    AddDialogControl(dlg, "STATIC", "Typarium pour Windows", SS_CENTER | SS_NOPREFIX, kIdTitle, 0,
                     Scaled(150), clientWidth, Scaled(16), font);
    m_versionLine = AboutVersionLine(sys::ModuleFileName());
    // As wide as the dialog, its text centred.
    AddDialogControl(dlg, "STATIC", m_versionLine.c_str(), SS_CENTER | SS_NOPREFIX, kIdVersion, 0,
                     Scaled(170), clientWidth, Scaled(16), font);
    AddDialogControl(dlg, "STATIC", nullptr, SS_ETCHEDHORZ, kIdBevel, Scaled(kMargin), Scaled(194),
                     clientWidth - 2 * Scaled(kMargin), 2, nullptr);
    HWND pbOK = AddDialogControl(dlg, "BUTTON", "OK", WS_TABSTOP | WS_GROUP | BS_DEFPUSHBUTTON, IDOK,
                                 (clientWidth - Scaled(75)) / 2, Scaled(204), Scaled(75), Scaled(25),
                                 font);

    SizeDialogToClient(dlg, clientWidth, Scaled(kClientHeight));

    SendMessageA(dlg, DM_SETDEFID, IDOK, 0);
    SetFocus(pbOK);
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

bool TdlgAbout::IsVisible() const { return m_dlg && IsWindowVisible(m_dlg); }

void TdlgAbout::Execute()
{
    if (!m_dlg) return;
    if (IsVisible()) {
        if (IsIconic(m_dlg)) ShowWindow(m_dlg, SW_RESTORE);
        SetForegroundWindow(m_dlg);
        return;
    }

    // Whatever way the loop ends (quit, exception, the window destroyed), the windows come back.
    struct EndModal {
        TdlgAbout& about;
        ~EndModal() { about.Close(); }
    } endModal{*this};

    m_modal = true;
    ShowWindow(m_dlg, SW_SHOW);
    SetForegroundWindow(m_dlg);
    m_disabled = DisableThreadWindows(m_dlg);
    EnableWindow(m_dlg, TRUE);

    MSG msg;
    while (m_modal && m_dlg) {
        const BOOL got = GetMessageA(&msg, nullptr, 0, 0);
        if (got == 0) {
            // Taken off the queue, so it must go back for the main loop to end.
            PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
        if (got < 0) break;
        if (!m_dlg || !IsDialogMessageA(m_dlg, &msg)) {
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
    if (m_dlg) ShowWindow(m_dlg, SW_HIDE);
    // Wakes the modal loop, which may be waiting for a message, so that it sees the end.
    if (wasModal) PostThreadMessageA(GetCurrentThreadId(), WM_NULL, 0, 0);
}

void TdlgAbout::EnableAgain() noexcept
{
    EnableWindowsAgain(m_disabled);
    m_disabled.clear();
}

} // namespace typa
