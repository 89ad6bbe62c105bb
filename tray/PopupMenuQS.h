#pragma once
// A popup menu that also tells when it closes (OnHide), shows the long hint of the highlighted
// item and opens help on F1 inside the menu. All menus of this kind share one hidden utility
// window, which owns them while they are open and gets their messages; it exists while at least
// one menu does.
#include <windows.h>

#include <functional>
#include <list>
#include <string>

#include "platform/Handles.h"

namespace typa {

// One item. A caption of "-" makes a separator.
struct TMenuItemQS {
    int Command = 0; // the id of its WM_COMMAND
    std::string Caption;
    std::string Hint; // long hint, shown while the item is highlighted
    int HelpContext = 0;
    bool Visible = true;
    bool Default = false; // drawn bold; Enter picks it
    std::function<void()> OnClick;
};

class TPopupMenuQS {
public:
    enum class Alignment { Left, Right, Center };

    TPopupMenuQS();
    ~TPopupMenuQS();
    TPopupMenuQS(const TPopupMenuQS&) = delete;
    TPopupMenuQS& operator=(const TPopupMenuQS&) = delete;

    // Appends an item; the reference stays valid as long as the menu.
    TMenuItemQS& Add(TMenuItemQS item);
    TMenuItemQS* Find(int command);

    // Fires OnPopup, then shows the visible items at screen point (x, y) and returns when the
    // menu has closed. The chosen item's OnClick runs afterwards, from the utility window's
    // WM_COMMAND.
    void Popup(int x, int y);

    // The menu as the last Popup built it (null before).
    HMENU Handle() const noexcept { return m_menu.Get(); }

    std::function<void()> OnPopup;
    std::function<void()> OnHide;
    // The long hint of the item highlighted in this menu, and an empty one when the highlight
    // leaves its items or the menu closes (the main window puts it into its status bar).
    std::function<void(const std::string&)> OnHint;
    int HelpContext = 0;
    Alignment alignment = Alignment::Left;

    // The shared utility window; null while no menu of this kind exists.
    static HWND UtilityWindow() noexcept;

private:
    static LRESULT CALLBACK WndProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) noexcept;
    static LRESULT HandleMessage(HWND wnd, UINT msg, WPARAM wp, LPARAM lp);
    void Rebuild();
    // The item shown under that command id or submenu handle in this menu.
    const TMenuItemQS* Selected(UINT item, UINT flags, HMENU menu) const;
    void FireHide();

    std::list<TMenuItemQS> m_items;
    UniqueMenu m_menu;
    bool m_hidePending = false; // shown, and OnHide not fired yet
};

} // namespace typa
