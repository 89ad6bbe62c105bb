#pragma once
// Help context and long hint of every item of the main menu. Items are found by command id;
// submenus, which have none, by their place in the menu bar.
#include <string>

namespace typa {

struct MenuItemInfo {
    int helpContext = 0;
    const char* hint = "";
};

// Item with command id `id`; a zero record when the id is not a main-menu command.
MenuItemInfo MainMenuCommandInfo(int id);
// Submenu at `path` (index in the menu bar, then index inside that menu, -1 for none).
MenuItemInfo MainMenuPopupInfo(int topIndex, int subIndex);

// Long hint of a main-window control (a button), or "" when it has none.
const char* ControlHint(int controlId);

} // namespace typa
