#include "groups/DriveTree.h"

#include "app/Cursor.h"
#include "app/ErrorBox.h"
#include "app/Messages.h"
#include "app/Settings.h"
#include "groups/TreeProps.h"
#include "platform/Files.h"

#include <vector>

namespace typa {

void TDriveTree::BuildRoot()
{
    std::string path = settings::ReadFontPath();
    if (!path.empty() && path.back() != '\\') path += '\\';
    const int driveType =
        path.compare(0, 2, "\\\\") == 0 ? 4 : static_cast<int>(files::DriveType(path.substr(0, 3)));
    TTreeViewProps props;
    props.Kind = TTreeViewProps::DriveRoot;
    props.Location = path;
    m_root = AddTreeNode(m_tree, TVI_ROOT, FormatMessage(1100, {path}), props, driveType, driveType);
    m_current = m_root;
    SendMessageA(m_tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(m_root));
}

void TDriveTree::Rebuild()
{
    SendMessageA(m_tree, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(TVI_ROOT));
    m_root = m_current = nullptr;
    BuildRoot();
}

std::string TDriveTree::RootPath() const
{
    const TTreeViewProps* p = NodeProps(m_tree, m_root);
    return p ? p->Location : std::string();
}

std::string TDriveTree::CurrentPath() const
{
    const TTreeViewProps* current = NodeProps(m_tree, m_current);
    return current ? current->Location : RootPath();
}

bool TDriveTree::RootUnread() const
{
    const TTreeViewProps* root = NodeProps(m_tree, m_root);
    return root && !root->SubfoldersRead;
}

void TDriveTree::ListSubfolders()
{
    HTREEITEM node = m_current;
    TTreeViewProps* props = NodeProps(m_tree, node);
    if (!props || props->SubfoldersRead || props->Location.empty()) return;
    CursorScope wait(IDC_WAIT);
    const std::string location = files::WithBackslash(props->Location);
    std::vector<std::string> names;
    const DWORD error = files::ForEachEntry(location + "*.*", [&](const files::Entry& e) {
        if ((e.attributes & FILE_ATTRIBUTE_DIRECTORY) && e.name != "." && e.name != "..") names.push_back(e.name);
        return true;
    });
    if (error != 0 && error != ERROR_FILE_NOT_FOUND && IsDriveReady(location)) {
        ShowError(9, props->Location); // the node stays unread, so choosing it again lists again
        return;
    }
    for (const std::string& name : names) {
        TTreeViewProps child;
        child.Kind = TTreeViewProps::Subfolder;
        child.Location = location + name + "\\";
        AddTreeNode(m_tree, node, name, child, 7, 8);
    }
    SortChildren(m_tree, node);
    if ((props = NodeProps(m_tree, node))) props->SubfoldersRead = true;
    if (node == m_root) SendMessageA(m_tree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(node));
}

void TDriveTree::SortTopLevel() { SendMessageA(m_tree, TVM_SORTCHILDREN, TRUE, reinterpret_cast<LPARAM>(TVI_ROOT)); }

void TDriveTree::RootView::SetCaption(const std::string& caption)
{
    SetNodeCaption(m_tree.m_tree, m_tree.m_root, caption);
}

void TDriveTree::RootView::SetFolderRead(bool read)
{
    if (TTreeViewProps* p = NodeProps(m_tree.m_tree, m_tree.m_root)) p->SubfoldersRead = read;
}

} // namespace typa
