#include "ops/Move.h"
#include "app/Messages.h"
#include "fonts/InstalledFonts.h"
#include "platform/Registry.h"

#include <unordered_set>

namespace typa {

void MoveSelectedFonts(FontCatalogue& installed, const std::vector<const TToShowItem*>& selected,
                       const std::string& target)
{
    const std::string group = target == LoadMessage(1091) ? std::string() : target;
    const std::unordered_set<const TToShowItem*> chosen(selected.begin(), selected.end());
    const reg::ValueNameKeys keyOf;
    std::vector<std::wstring> keys;
    keys.reserve(installed.Count());
    std::unordered_set<std::wstring> names;
    for (int i = 0; i < installed.Count(); ++i) {
        keys.push_back(keyOf(installed.Name(i)));
        if (chosen.count(installed.Item(i))) names.insert(keys.back());
    }
    for (int i = 0; i < installed.Count(); ++i)
        if (names.count(keys[i])) installed.Item(i)->Group = group;
    SaveFontGroups(installed);
}

void FillGroupTargetMenu(HMENU menu, const std::vector<std::string>& captions, UINT firstId, const std::string* hidden)
{
    while (GetMenuItemCount(menu) > 0) DeleteMenu(menu, 0, MF_BYPOSITION);
    for (std::size_t i = 0; i < captions.size(); ++i) {
        if (hidden && captions[i] == *hidden) continue; // the group the fonts are in already
        AppendMenuA(menu, MF_STRING, firstId + static_cast<UINT>(i), captions[i].c_str());
    }
}

} // namespace typa
