#pragma once
// Moving installed fonts to another group, and the menus that offer the groups as targets.
#include "fonts/Catalogue.h"
#include <windows.h>
#include <string>
#include <vector>

namespace typa {

// Gives every named font the group `target` ("Polices Windows" means no group) and saves the
// groups. Names are looked up in the catalogue, first match without regard to case; names not
// found are passed over.
void MoveSelectedFonts(FontCatalogue& installed, const std::vector<std::string>& selectedNames,
                       const std::string& target);

// Empties `menu` and fills it with one item per caption, command ids from `firstId` on, leaving
// out the caption equal to `hidden` (exact comparison) when it is given.
void FillGroupTargetMenu(HMENU menu, const std::vector<std::string>& captions, UINT firstId, const std::string* hidden);

} // namespace typa
