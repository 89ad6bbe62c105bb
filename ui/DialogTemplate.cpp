// Templates, frames and controls of the dialogs built in code.
#include "ui/DialogTemplate.h"

#include "app/ErrorBox.h"

#include <algorithm>

namespace typa {

std::vector<WORD> EmptyDialogTemplate(DWORD style, DWORD exStyle, const char* face, WORD points)
{
    std::vector<WORD> t;
    auto dword = [&t](DWORD v) {
        t.push_back(LOWORD(v));
        t.push_back(HIWORD(v));
    };
    dword(style | DS_SETFONT);
    dword(exStyle);
    t.push_back(0); // no controls
    for (int i = 0; i < 4; ++i) t.push_back(0); // x, y, cx, cy: laid out at WM_INITDIALOG
    t.push_back(0); // no menu
    t.push_back(0); // the standard dialog class
    t.push_back(0); // empty caption
    t.push_back(points);
    for (const char* p = face; *p; ++p) t.push_back(static_cast<WORD>(static_cast<unsigned char>(*p)));
    t.push_back(0);
    return t;
}

HWND AddDialogControl(HWND dlg, const char* cls, const char* text, DWORD style, int id, int x, int y,
                      int w, int h, HFONT font, DWORD exStyle)
{
    HWND wnd = CreateWindowExA(exStyle, cls, text, WS_CHILD | WS_VISIBLE | style, x, y, w, h, dlg,
                               reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                               reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(dlg, GWLP_HINSTANCE)),
                               nullptr);
    if (wnd && font) SendMessageA(wnd, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    return wnd;
}

void SizeDialogToClient(HWND dlg, int clientWidth, int clientHeight, HWND insertAfter)
{
    RECT frame{0, 0, clientWidth, clientHeight};
    AdjustWindowRectEx(&frame, static_cast<DWORD>(GetWindowLongA(dlg, GWL_STYLE)), FALSE,
                       static_cast<DWORD>(GetWindowLongA(dlg, GWL_EXSTYLE)));
    const int w = frame.right - frame.left, h = frame.bottom - frame.top;
    SetWindowPos(dlg, insertAfter, (GetSystemMetrics(SM_CXSCREEN) - w) / 2,
                 std::max(0, (GetSystemMetrics(SM_CYSCREEN) - h) / 2), w, h,
                 SWP_NOACTIVATE | (insertAfter ? 0 : SWP_NOZORDER));
}

void PlaceTopmostDialog(HWND dlg, int clientWidth, int clientHeight)
{
    // Centred on the screen first, for a run that has no main window (yet).
    SizeDialogToClient(dlg, clientWidth, clientHeight, HWND_TOPMOST);
    CentreOnMainWindow(dlg);
}

} // namespace typa
