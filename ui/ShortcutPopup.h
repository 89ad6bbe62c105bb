#pragma once
// A popup menu that never opens. The lists and trees of the main window each carry one: nothing
// shows it, a click does not either, but its items act through their shortcut keys while their
// control has the focus, before the main menu's own shortcuts. A greyed item still takes its key
// and does nothing with it.
#include "platform/Handles.h"

#include <windows.h>
#include <initializer_list>
#include <string>
#include <vector>

namespace typa {

struct ShortcutKey {
    UINT key = 0; // virtual key; 0: the item has no shortcut
    bool ctrl = false;
};

struct PopupItemDef {
    int id;              // for a submenu item, an identifier of our own to find it by
    const char* caption; // the shortcut's text, if any, follows a tab
    ShortcutKey shortcut{};
    bool submenu = false;
};

class TShortcutPopup {
public:
    void Create(std::initializer_list<PopupItemDef> items);
    HMENU Menu() const { return m_menu.Get(); }
    // The submenu of item `id`, or nullptr.
    HMENU SubMenu(int id) const;

    // The item whose shortcut is this key with exactly these modifiers; 0 when none.
    int ItemForKey(UINT key, bool ctrl, bool shift, bool alt) const;
    bool IsEnabled(int id) const;
    void Enable(int id, bool on);
    void SetCaption(int id, const std::string& caption);
    std::string Caption(int id) const;

private:
    struct Entry {
        int id;
        UINT position;
        ShortcutKey shortcut;
    };
    const Entry* Find(int id) const;

    UniqueMenu m_menu;
    std::vector<Entry> m_entries;
};

} // namespace typa
