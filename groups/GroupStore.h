#pragma once
// The user's font groups as the registry keeps them: one subkey of GroupsNew per group, named by
// the group, holding only an empty default value. Which font is in which group is kept with the
// fonts (their Group field and the Fonts key), not here.
//
// The tree of groups is the main window's; this module gives it the stored list, the key
// operations, and the rules for default names and renaming as plain functions over captions.
// A group name never holds "\": the registry would take it for a path below GroupsNew, so a
// renaming turns every "\" into "/", and the key operations refuse such a name outright.
#include "fonts/Catalogue.h"

#include <cstddef>
#include <optional>
#include <string>
#include <unordered_set>
#include <utility>
#include <vector>

namespace typa {

// A renamed group keeps at most this many characters of what was typed.
inline constexpr std::size_t kGroupNameMaxLength = 210;
// Default names are "Nouveau groupe" and "Nouveau groupe (1)" up to this number.
inline constexpr int kMaxNumberedGroupNames = 100;

struct StoredGroup {
    std::string name;    // the subkey's name, as stored
    std::string keyPath; // its full path under HKEY_CURRENT_USER: never empty
};

// "SOFTWARE\...\GroupsNew\" followed by the name.
std::string GroupKeyPath(const std::string& name);
// A name the key operations accept: not empty and without "\".
bool IsStorableGroupName(const std::string& name);

// Every stored group, sorted by name without regard to case (the locale's comparison), in the
// order the tree adds them. Creates the GroupsNew key when it is missing; values beside the
// subkeys are ignored.
std::vector<StoredGroup> LoadGroups();

// The key operations answer whether they did what was asked; callers may ignore the answer.
// Each does nothing (false) for a name IsStorableGroupName refuses.
//
// Creates the group's key with its empty default value.
bool CreateGroupKey(const std::string& name);
// Removes the group's key with everything in it.
bool DeleteGroupKey(const std::string& name);
// Copies the group's key, with all its values and subkeys, to the new name and keeps the old
// one. A key that already holds another group is never written into, and a copy that cannot be
// completed leaves no new key. A name that differs from the old one only in case is the same
// registry key: nothing is copied (false). When the old key does not exist (its creation
// failed), the new one is simply created.
bool CopyGroupKey(const std::string& oldName, const std::string& newName);
// Moves the group's key: CopyGroupKey, then the old key is deleted once the copy is complete, so
// no group is ever lost.
bool RenameGroupKey(const std::string& oldName, const std::string& newName);

// The first of "Nouveau groupe", "Nouveau groupe (1)" ... "Nouveau groupe (100)" that equals no
// caption exactly (case counts); none when all are taken.
std::optional<std::string> FreeGroupName(const std::vector<std::string>& captions);
// Message 3020: no free default name left.
void ShowNoFreeGroupName();

// Every font of group `oldName` goes to `newName` (exact comparison, case included). Nothing
// happens when either name is empty: the fonts of "Polices Windows" have no group to move.
void RenameGroupInCatalogue(FontCatalogue& installed, const std::string& oldName, const std::string& newName);

// Which user group shows a font: the group its record names, when a group of exactly that name
// (case included) is in the tree; otherwise none, and the font shows under "Polices Windows".
// A record naming a group that is gone (deleted by another program, a rename cut short) or one
// that differs from a group only in case is left as it is until the font is moved.
class GroupMembership {
public:
    GroupMembership() = default;
    explicit GroupMembership(const std::vector<std::string>& userGroups)
        : m_groups(userGroups.begin(), userGroups.end())
    {
    }
    // The user group holding a font of this record, or "" for none.
    const std::string& Holding(const std::string& record) const
    {
        static const std::string kNone;
        return m_groups.count(record) ? record : kNone;
    }

private:
    std::unordered_set<std::string> m_groups;
};

// Blanks (spaces and control characters) cut from both ends.
std::string TrimBlanks(const std::string& text);

struct GroupRenameCheck {
    int message = 0;        // 0 when the rename may go ahead, else 3022 (empty) or 3021 (taken)
    std::string name;       // the caption to keep: the new name, or the old one when refused
    std::string oldName;    // the old name, trimmed
    std::string typedName;  // what was typed, cut, trimmed and without "\": the text of 3021
    bool Accepted() const noexcept { return message == 0; }
};

// The rules for the end of an in-place edit: cut to 210 characters, trim both names, "\"
// becomes "/", then refuse an empty name (3022) or one that equals any caption of the tree
// upper-cased, the edited node's own included (3021). So a name confirmed unchanged, or changed
// only in case, is refused too.
GroupRenameCheck CheckGroupRename(const std::string& typed, const std::string& oldGroupName,
                                  const std::vector<std::string>& captions);

// The whole end of an in-place edit once the re-entry guard has let it in: checks the name,
// shows 3022 or 3021 when it is refused, otherwise copies the key, moves the fonts of the group
// and saves the fonts' groups, and only then deletes the old key: a program ended at any instant
// leaves every font's record naming the old group or the new one, with its key. Returns the
// caption the node is to show. When the key cannot be copied the old name stays, in the tree as
// in the fonts; when the records cannot all be saved the old key stays beside the new one.
std::string EndGroupRename(const std::string& typed, const std::string& oldGroupName,
                           const std::vector<std::string>& captions, FontCatalogue& installed);

// Keeps the end-of-edit handler from running twice for one edit: a message box shown inside it
// can end the edit a second time. Clear() at the start of every edit; the handler holds a Scope
// for its whole run and stops at once when the scope was not Entered().
class GroupEditReentry {
public:
    void Clear() noexcept { m_set = false; }
    bool IsSet() const noexcept { return m_set; }

    class Scope {
    public:
        explicit Scope(GroupEditReentry& flag) noexcept : m_flag(flag), m_entered(!std::exchange(flag.m_set, true)) {}
        ~Scope()
        {
            if (m_entered) m_flag.Clear();
        }
        Scope(const Scope&) = delete;
        Scope& operator=(const Scope&) = delete;
        bool Entered() const noexcept { return m_entered; }

    private:
        GroupEditReentry& m_flag;
        bool m_entered;
    };

private:
    bool m_set = false;
};

} // namespace typa
