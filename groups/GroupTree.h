#pragma once
// The tree of font groups (twInstalledGroup): its root "Polices installées", the node "Polices
// Windows" for the fonts of no group, and one node per user group, kept sorted. The tree's
// owner gives it its window; the tree keeps the node whose fonts the list shows, and the
// in-place renaming of a group.
#include "fonts/Catalogue.h"
#include "groups/GroupStore.h"
#include "groups/NodeTree.h"

#include <windows.h>
#include <commctrl.h>
#include <optional>
#include <string>
#include <vector>

namespace typa {

// The current node is the one whose fonts the installed list shows (CurrentGroupNode); null
// before the first.
class TGroupTree : public TNodeTree {
public:
    std::string Caption(HTREEITEM node) const;
    // A group of the user's: neither the root nor "Polices Windows".
    bool IsUserGroup(HTREEITEM node) const;

    void BuildRoot();
    // "Polices Windows" and the stored groups under the root, sorted; then "Polices Windows" is
    // selected (its fonts fill the list through the selection notification), once the tree knows
    // every group: its fonts are those that no group of the tree holds.
    HTREEITEM BuildGroupNodes();
    // Every caption in tree order, the root's first.
    std::vector<std::string> Captions() const;
    // The user groups the tree shows now, for deciding which of them holds a font.
    GroupMembership Membership() const;
    void Sort();
    // A new group under the first free default name, selected, its key made and its caption
    // open for editing; null (and message 3020) when no default name is free.
    HTREEITEM NewGroup();
    // Takes the node and its record away; true when it was the current node, which is none then.
    bool Delete(HTREEITEM node);

    // Renaming in place: the group's caption when the edit begins, then whether it may begin.
    void RememberCaption(HTREEITEM node) { m_oldName = Caption(node); }
    bool EditMayBegin(HTREEITEM node);
    // The end of an edit: the caption the node keeps (the new name, or the old one when refused),
    // the key and the fonts' groups moved. Nothing when the edit was left with Escape, or when a
    // box inside it ended the same edit once more.
    std::optional<std::string> EndEdit(HTREEITEM node, const char* text, FontCatalogue& installed);
    // Ends an edit in progress as Escape would: the name stays as it was, no box is shown.
    void CancelEdit();

private:
    std::string m_oldName;           // caption of the current group when an edit begins
    GroupEditReentry m_editReentry; // the end of an edit runs once, even when a box ends it again
    bool m_cancelling = false;      // every end of the edit during CancelEdit is a cancel
};

} // namespace typa
