#include "ui/ShortcutPopup.h"

namespace typa {

void TShortcutPopup::Create(std::initializer_list<PopupItemDef> items)
{
    m_menu.Reset(CreatePopupMenu());
    m_entries.clear();
    UINT position = 0;
    for (const PopupItemDef& item : items) {
        if (item.submenu)
            AppendMenuA(m_menu.Get(), MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(CreatePopupMenu()), item.caption);
        else
            AppendMenuA(m_menu.Get(), MF_STRING, static_cast<UINT_PTR>(item.id), item.caption);
        m_entries.push_back({item.id, position++, item.shortcut});
    }
}

const TShortcutPopup::Entry* TShortcutPopup::Find(int id) const
{
    for (const Entry& entry : m_entries)
        if (entry.id == id) return &entry;
    return nullptr;
}

HMENU TShortcutPopup::SubMenu(int id) const
{
    const Entry* entry = Find(id);
    return entry ? GetSubMenu(m_menu.Get(), static_cast<int>(entry->position)) : nullptr;
}

int TShortcutPopup::ItemForKey(UINT key, bool ctrl, bool shift, bool alt) const
{
    if (shift || alt || key == 0) return 0;
    for (const Entry& entry : m_entries)
        if (entry.shortcut.key == key && entry.shortcut.ctrl == ctrl) return entry.id;
    return 0;
}

bool TShortcutPopup::IsEnabled(int id) const
{
    const Entry* entry = Find(id);
    if (!entry) return false;
    UINT state = GetMenuState(m_menu.Get(), entry->position, MF_BYPOSITION);
    return state != static_cast<UINT>(-1) && !(state & (MF_GRAYED | MF_DISABLED));
}

void TShortcutPopup::Enable(int id, bool on)
{
    if (const Entry* entry = Find(id))
        EnableMenuItem(m_menu.Get(), entry->position, MF_BYPOSITION | (on ? MF_ENABLED : MF_GRAYED));
}

void TShortcutPopup::SetCaption(int id, const std::string& caption)
{
    const Entry* entry = Find(id);
    if (!entry) return;
    MENUITEMINFOA info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_STRING;
    info.dwTypeData = const_cast<char*>(caption.c_str());
    SetMenuItemInfoA(m_menu.Get(), entry->position, TRUE, &info);
}

std::string TShortcutPopup::Caption(int id) const
{
    const Entry* entry = Find(id);
    if (!entry) return {};
    char text[256] = {};
    GetMenuStringA(m_menu.Get(), entry->position, text, sizeof text, MF_BYPOSITION);
    return text;
}

} // namespace typa
