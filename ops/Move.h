#pragma once
// Moving installed fonts to another group, and the menus that offer the groups as targets.
#include "fonts/Catalogue.h"
#include <windows.h>
#include <string>
#include <vector>

namespace typa {

// Gives the selected rows' own items the group `target` ("Polices Windows" means no group) and
// saves the groups. A group is recorded per font name, so fonts that share a selected font's
// name (as the registry compares value names) go with it: otherwise the next
// start would put them all back into one group. Items not in the catalogue are passed over.
void MoveSelectedFonts(FontCatalogue& installed, const std::vector<const TToShowItem*>& selected,
                       const std::string& target);

// Empties `menu` and fills it with one item per caption, command ids from `firstId` on, leaving
// out the caption equal to `hidden` (exact comparison) when it is given.
void FillGroupTargetMenu(HMENU menu, const std::vector<std::string>& captions, UINT firstId, const std::string* hidden);

} // namespace typa
