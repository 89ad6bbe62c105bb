#include "ui/WindowSubclass.h"

namespace typa {
namespace {

struct Chain {
    WNDPROC previous;
    SubclassProc proc;
    void* data;
};

Chain* ChainOf(HWND wnd) { return reinterpret_cast<Chain*>(GetWindowLongPtrW(wnd, GWLP_USERDATA)); }

LRESULT CALLBACK ChainProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp)
{
    Chain* chain = ChainOf(wnd);
    if (!chain) return DefWindowProcW(wnd, msg, wp, lp);
    if (msg == WM_NCDESTROY) {
        // The control's own procedure sees its last message as if it had never been subclassed.
        const WNDPROC previous = chain->previous;
        SetWindowLongPtrW(wnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous));
        SetWindowLongPtrW(wnd, GWLP_USERDATA, 0);
        delete chain;
        return CallWindowProcW(previous, wnd, msg, wp, lp);
    }
    return chain->proc(wnd, msg, wp, lp, chain->data);
}

} // namespace

bool AttachSubclass(HWND wnd, SubclassProc proc, void* data)
{
    if (!IsWindow(wnd) || GetWindowLongPtrW(wnd, GWLP_USERDATA) != 0) return false;
    auto* chain = new Chain{nullptr, proc, data};
    SetWindowLongPtrW(wnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(chain));
    chain->previous = reinterpret_cast<WNDPROC>(SetWindowLongPtrW(wnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ChainProc)));
    if (!chain->previous) {
        SetWindowLongPtrW(wnd, GWLP_USERDATA, 0);
        delete chain;
        return false;
    }
    return true;
}

LRESULT CallPrevious(HWND wnd, UINT msg, WPARAM wp, LPARAM lp)
{
    Chain* chain = ChainOf(wnd);
    return chain ? CallWindowProcW(chain->previous, wnd, msg, wp, lp) : DefWindowProcW(wnd, msg, wp, lp);
}

} // namespace typa
