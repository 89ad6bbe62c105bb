#include "groups/GroupTree.h"

#include "app/Messages.h"
#include "groups/TreeProps.h"

namespace typa {

std::string TGroupTree::Caption(HTREEITEM node) const { return NodeCaption(m_tree, node); }

bool TGroupTree::IsUserGroup(HTREEITEM node) const
{
    const TTreeViewProps* props = NodeProps(m_tree, node);
    return node && node != m_root && props && !props->Location.empty();
}

void TGroupTree::BuildRoot()
{
    TTreeViewProps props;
    props.Kind = TTreeViewProps::GroupRoot;
    m_root = AddTreeNode(m_tree, TVI_ROOT, LoadMessage(1090), props, 4, 4);
}

HTREEITEM TGroupTree::BuildGroupNodes()
{
    TTreeViewProps props;
    props.Kind = TTreeViewProps::Group;
    HTREEITEM windowsFonts = AddTreeNode(m_tree, m_root, LoadMessage(1091), props, 0, 1);
    for (const StoredGroup& group : LoadGroups()) {
        TTreeViewProps user;
        user.Kind = TTreeViewProps::Group;
        user.Location = group.keyPath;
        AddTreeNode(m_tree, m_root, group.name, user, 2, 3);
    }
    SendMessageA(m_tree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(m_root));
    Sort();
    SendMessageA(m_tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(windowsFonts));
    return windowsFonts;
}

std::vector<std::string> TGroupTree::Captions() const
{
    std::vector<std::string> captions;
    std::vector<HTREEITEM> pending{reinterpret_cast<HTREEITEM>(SendMessageA(m_tree, TVM_GETNEXTITEM, TVGN_ROOT, 0))};
    // Tree order: each node, then its children.
    while (!pending.empty()) {
        HTREEITEM node = pending.back();
        pending.pop_back();
        if (!node) continue;
        captions.push_back(NodeCaption(m_tree, node));
        pending.push_back(reinterpret_cast<HTREEITEM>(
            SendMessageA(m_tree, TVM_GETNEXTITEM, TVGN_NEXT, reinterpret_cast<LPARAM>(node))));
        pending.push_back(reinterpret_cast<HTREEITEM>(
            SendMessageA(m_tree, TVM_GETNEXTITEM, TVGN_CHILD, reinterpret_cast<LPARAM>(node))));
    }
    return captions;
}

GroupMembership TGroupTree::Membership() const
{
    std::vector<std::string> groups;
    auto next = [&](HTREEITEM node, WPARAM relation) {
        return reinterpret_cast<HTREEITEM>(SendMessageA(m_tree, TVM_GETNEXTITEM, relation, reinterpret_cast<LPARAM>(node)));
    };
    // Groups are the root's children only.
    for (HTREEITEM node = m_root ? next(m_root, TVGN_CHILD) : nullptr; node; node = next(node, TVGN_NEXT))
        if (IsUserGroup(node)) groups.push_back(Caption(node));
    return GroupMembership(groups);
}

void TGroupTree::Sort() { SortChildren(m_tree, m_root); }

HTREEITEM TGroupTree::NewGroup()
{
    std::optional<std::string> name = FreeGroupName(Captions());
    if (!name) {
        ShowNoFreeGroupName();
        return nullptr;
    }
    TTreeViewProps props;
    props.Kind = TTreeViewProps::Group;
    props.Location = *name;
    HTREEITEM node = AddTreeNode(m_tree, m_root, *name, props, 2, 3);
    SendMessageA(m_tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(node));
    Sort();
    CreateGroupKey(*name); // the group exists from the moment it shows, under its default name
    SendMessageA(m_tree, TVM_EDITLABELA, 0, reinterpret_cast<LPARAM>(node));
    return node;
}

bool TGroupTree::Delete(HTREEITEM node)
{
    // The node's record goes with it (TVN_DELETEITEM); the tree selects a neighbour.
    SendMessageA(m_tree, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(node));
    if (m_current != node) return false;
    m_current = nullptr;
    return true;
}

bool TGroupTree::EditMayBegin(HTREEITEM node)
{
    m_editReentry.Clear();
    const bool allowed = IsUserGroup(node);
    if (!allowed) MessageBeep(0);
    m_oldName = Caption(m_current);
    return allowed;
}

std::optional<std::string> TGroupTree::EndEdit(HTREEITEM node, const char* text, FontCatalogue& installed)
{
    if (!text || m_cancelling) return std::nullopt; // left with Escape: the group keeps its name
    GroupEditReentry::Scope once(m_editReentry);
    if (!once.Entered()) return std::nullopt;
    std::string caption = EndGroupRename(text, m_oldName, Captions(), installed);
    SetNodeCaption(m_tree, node, caption);
    Sort();
    return caption;
}

void TGroupTree::CancelEdit()
{
    // The edit box goes with the focus still in it: losing the focus ends the same edit once more,
    // with its text, as if it were confirmed. That end belongs to the cancel too.
    m_cancelling = true;
    SendMessageA(m_tree, TVM_ENDEDITLABELNOW, TRUE, 0);
    m_cancelling = false;
}

} // namespace typa
