#include "tray/PopupMenuQS.h"

#include "app/Application.h"
#include "app/ExceptionGuard.h"

#include <algorithm>
#include <vector>

namespace typa {
namespace {

constexpr const char* kUtilityClass = "TPopupMenuQSWindow";

// What all menus of this kind share: the list of menus, their one owner window, and the help
// context of the item highlighted last.
struct Shared {
    std::vector<TPopupMenuQS*> menus;
    HWND window = nullptr;
    int helpContext = 0;
    TPopupMenuQS* shown = nullptr; // the menu open now, or the one open last
};

Shared& Menus()
{
    static Shared shared;
    return shared;
}

} // namespace

TPopupMenuQS::TPopupMenuQS()
{
    Shared& s = Menus();
    if (!s.window) {
        HINSTANCE instance = App().instance ? App().instance : GetModuleHandleA(nullptr);
        WNDCLASSA wc{};
        wc.lpfnWndProc = WndProc;
        wc.hInstance = instance;
        wc.lpszClassName = kUtilityClass;
        RegisterClassA(&wc); // fails harmlessly when registered by an earlier window
        s.window = CreateWindowExA(WS_EX_TOOLWINDOW, kUtilityClass, "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                   instance, nullptr);
    }
    s.menus.push_back(this);
}

TPopupMenuQS::~TPopupMenuQS()
{
    Shared& s = Menus();
    s.menus.erase(std::remove(s.menus.begin(), s.menus.end(), this), s.menus.end());
    if (s.shown == this) s.shown = nullptr;
    if (s.menus.empty() && s.window) {
        DestroyWindow(s.window);
        s.window = nullptr;
        s.helpContext = 0;
    }
}

HWND TPopupMenuQS::UtilityWindow() noexcept { return Menus().window; }

TMenuItemQS& TPopupMenuQS::Add(TMenuItemQS item)
{
    m_items.push_back(std::move(item));
    return m_items.back();
}

TMenuItemQS* TPopupMenuQS::Find(int command)
{
    for (TMenuItemQS& item : m_items)
        if (item.Caption != "-" && item.Command == command) return &item;
    return nullptr;
}

void TPopupMenuQS::Rebuild()
{
    m_menu.Reset(CreatePopupMenu());
    if (!m_menu) return;
    for (const TMenuItemQS& item : m_items) {
        if (!item.Visible) continue;
        if (item.Caption == "-")
            AppendMenuA(m_menu.Get(), MF_SEPARATOR, 0, nullptr);
        else
            AppendMenuA(m_menu.Get(), MF_STRING, static_cast<UINT_PTR>(item.Command), item.Caption.c_str());
        if (item.Default && item.Caption != "-") SetMenuDefaultItem(m_menu.Get(), static_cast<UINT>(item.Command), FALSE);
    }
}

void TPopupMenuQS::Popup(int x, int y)
{
    Shared& s = Menus();
    if (OnPopup) OnPopup();
    s.helpContext = HelpContext;
    s.shown = this;
    Rebuild();
    if (!m_menu || !s.window) {
        FireHide();
        return;
    }
    UINT flags = TPM_RIGHTBUTTON;
    switch (alignment) {
    case Alignment::Left: flags |= TPM_LEFTALIGN; break;
    case Alignment::Right: flags |= TPM_RIGHTALIGN; break;
    case Alignment::Center: flags |= TPM_CENTERALIGN; break;
    }
    m_hidePending = true;
    TrackPopupMenu(m_menu.Get(), flags, x, y, 0, s.window, nullptr);
    // A menu shown for a notification icon closes on a click elsewhere only when its owner
    // thread took a message after it.
    PostMessageA(s.window, WM_NULL, 0, 0);
    // The menu loop reports its end through WM_MENUSELECT; should it not (no menu could be
    // shown), the menu is closed all the same.
    FireHide();
}

void TPopupMenuQS::FireHide()
{
    if (!m_hidePending) return;
    m_hidePending = false;
    if (OnHide) OnHide();
}

const TMenuItemQS* TPopupMenuQS::Selected(UINT item, UINT flags, HMENU menu) const
{
    // Items carry commands only: a submenu (MF_POPUP) is never one of ours.
    if (!m_menu || menu != m_menu.Get() || (flags & MF_POPUP)) return nullptr;
    for (const TMenuItemQS& i : m_items)
        if (i.Visible && i.Caption != "-" && static_cast<UINT>(i.Command) == item) return &i;
    return nullptr;
}

LRESULT CALLBACK TPopupMenuQS::WndProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) noexcept
{
    return Guarded<LRESULT>(0, [&] { return HandleMessage(wnd, msg, wp, lp); });
}

LRESULT TPopupMenuQS::HandleMessage(HWND wnd, UINT msg, WPARAM wp, LPARAM lp)
{
    Shared& s = Menus();
    switch (msg) {
    case WM_COMMAND: {
        const int command = LOWORD(wp);
        // A copy: an OnClick may end the program, and with it the menus.
        const std::vector<TPopupMenuQS*> menus = s.menus;
        for (TPopupMenuQS* menu : menus) {
            if (TMenuItemQS* item = menu->Find(command)) {
                if (item->OnClick) {
                    const auto onClick = item->OnClick;
                    onClick();
                }
                return 0;
            }
        }
        break;
    }
    case WM_MENUSELECT: {
        const UINT item = LOWORD(wp), flags = HIWORD(wp);
        const HMENU menu = reinterpret_cast<HMENU>(lp);
        if (flags == 0xFFFF && !menu) { // a menu closed: every menu of this kind hears of it
            const std::vector<TPopupMenuQS*> menus = s.menus;
            for (TPopupMenuQS* m : menus) {
                m->m_hidePending = false;
                if (m->OnHide) m->OnHide();
            }
        }
        for (TPopupMenuQS* m : s.menus) {
            if (const TMenuItemQS* found = m->Selected(item, flags, menu)) {
                s.helpContext = found->HelpContext;
                if (m->OnHint) m->OnHint(found->Hint);
                return 0;
            }
        }
        s.helpContext = 0;
        if (s.shown && s.shown->OnHint) s.shown->OnHint({});
        break;
    }
    case WM_ENTERIDLE:
        if (wp == MSGF_MENU && GetKeyState(VK_F1) < 0 && s.helpContext != 0) {
            const int context = s.helpContext;
            s.helpContext = 0;
            ShowHelpTopic(wnd, static_cast<DWORD>(context));
        }
        return 0;
    }
    return DefWindowProcA(wnd, msg, wp, lp);
}

} // namespace typa
