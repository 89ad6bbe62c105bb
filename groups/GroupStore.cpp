#include "groups/GroupStore.h"

#include "app/ErrorBox.h"
#include "app/Messages.h"
#include "app/Settings.h"
#include "fonts/InstalledFonts.h"
#include "fonts/NameCompare.h"
#include "platform/Registry.h"

#include <algorithm>

namespace typa {
namespace {

bool IsBlank(char c) { return static_cast<unsigned char>(c) <= ' '; }

} // namespace

std::string GroupKeyPath(const std::string& name) { return std::string(settings::kGroupsKey) + "\\" + name; }

bool IsStorableGroupName(const std::string& name)
{
    // A "\" would reach another key than the group's, and "x\" or "\" even GroupsNew itself.
    return !name.empty() && name.find('\\') == std::string::npos && name.find('\0') == std::string::npos;
}

std::vector<StoredGroup> LoadGroups()
{
    std::vector<StoredGroup> groups;
    for (auto& name : reg::SubkeyNames(HKEY_CURRENT_USER, settings::kGroupsKey)) {
        std::string path = GroupKeyPath(name);
        groups.push_back({std::move(name), std::move(path)});
    }
    std::stable_sort(groups.begin(), groups.end(),
                     [](const StoredGroup& a, const StoredGroup& b) { return CompareNames(a.name, b.name) < 0; });
    return groups;
}

bool CreateGroupKey(const std::string& name)
{
    return IsStorableGroupName(name) && reg::WriteString(HKEY_CURRENT_USER, GroupKeyPath(name), "", "");
}

bool DeleteGroupKey(const std::string& name)
{
    return IsStorableGroupName(name) && reg::DeleteKey(HKEY_CURRENT_USER, GroupKeyPath(name));
}

bool CopyGroupKey(const std::string& oldName, const std::string& newName)
{
    if (!IsStorableGroupName(oldName) || !IsStorableGroupName(newName)) return false;
    // The registry finds key names without regard to case: copying onto the same key and then
    // deleting the "old" one would delete the group.
    if (UpperCase(oldName) == UpperCase(newName)) return false;
    const std::string from = GroupKeyPath(oldName), to = GroupKeyPath(newName);
    if (reg::KeyExists(HKEY_CURRENT_USER, to)) return false; // another group's key
    if (!reg::KeyExists(HKEY_CURRENT_USER, from)) return CreateGroupKey(newName);
    return reg::CopyKey(HKEY_CURRENT_USER, from, to);
}

bool RenameGroupKey(const std::string& oldName, const std::string& newName)
{
    if (!CopyGroupKey(oldName, newName)) return false;
    // The group is safe under its new name now; should the old key resist deletion, it merely
    // shows up once more at the next start.
    DeleteGroupKey(oldName);
    return true;
}

std::optional<std::string> FreeGroupName(const std::vector<std::string>& captions)
{
    // Registry key names do not tell case apart: a group "nouveau groupe" holds the key that
    // "Nouveau groupe" would be given, so it takes the name too.
    auto taken = [&](const std::string& candidate) {
        const std::string upper = UpperCase(candidate);
        return std::any_of(captions.begin(), captions.end(), [&](const std::string& c) { return UpperCase(c) == upper; });
    };
    std::string candidate = LoadMessage(1105);
    for (int i = 1; taken(candidate); ++i) {
        if (i > kMaxNumberedGroupNames) return std::nullopt;
        candidate = FormatMessage(1106, {i});
    }
    return candidate;
}

void ShowNoFreeGroupName() { ShowError(20, std::to_string(kMaxNumberedGroupNames)); }

void RenameGroupInCatalogue(FontCatalogue& installed, const std::string& oldName, const std::string& newName)
{
    if (oldName.empty() || newName.empty()) return;
    for (int i = 0; i < installed.Count(); ++i) {
        TToShowItem* item = installed.Item(i);
        if (item->Group == oldName) item->Group = newName;
    }
}

std::string TrimBlanks(const std::string& text)
{
    auto first = std::find_if_not(text.begin(), text.end(), IsBlank);
    auto last = std::find_if_not(text.rbegin(), text.rend(), IsBlank).base();
    return first < last ? std::string(first, last) : std::string();
}

GroupRenameCheck CheckGroupRename(const std::string& typed, const std::string& oldGroupName,
                                  const std::vector<std::string>& captions)
{
    GroupRenameCheck check;
    check.oldName = TrimBlanks(oldGroupName);
    check.typedName = TrimBlanks(typed.substr(0, kGroupNameMaxLength));
    std::replace(check.typedName.begin(), check.typedName.end(), '\\', '/');
    check.name = check.oldName;
    if (check.typedName.empty()) {
        check.message = 3022;
        return check;
    }
    const std::string upper = UpperCase(check.typedName);
    for (const auto& caption : captions) {
        if (UpperCase(caption) == upper) {
            check.message = 3021;
            return check;
        }
    }
    check.name = check.typedName;
    return check;
}

std::string EndGroupRename(const std::string& typed, const std::string& oldGroupName,
                           const std::vector<std::string>& captions, FontCatalogue& installed)
{
    GroupRenameCheck check = CheckGroupRename(typed, oldGroupName, captions);
    if (check.message != 0) {
        ShowError(check.message - 3000, check.typedName);
        return check.name;
    }
    if (!CopyGroupKey(check.oldName, check.name)) return check.oldName;
    RenameGroupInCatalogue(installed, check.oldName, check.name);
    // Both keys exist while the records change over; the old one goes once none names it.
    if (SaveFontGroups(installed)) DeleteGroupKey(check.oldName);
    return check.name;
}

} // namespace typa
