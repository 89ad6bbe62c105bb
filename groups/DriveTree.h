#pragma once
// The folder tree (twAvailableGroup): one root node for the font folder ("Polices dans ..."),
// the sub-folders below it as they are chosen. The tree's owner gives it its window; the tree
// keeps the node whose folder the available list shows, and lists a node's sub-folders the
// first time it is chosen.
#include "fonts/FolderScan.h"
#include "groups/NodeTree.h"

#include <windows.h>
#include <commctrl.h>
#include <string>

namespace typa {

// The current node is the one whose folder the available list shows (CurrentFolderNode).
class TDriveTree : public TNodeTree {
public:
    TDriveTree() : m_rootView(*this) {}
    TDriveTree(const TDriveTree&) = delete;
    TDriveTree& operator=(const TDriveTree&) = delete;

    // The root for the font folder (FontPath), selected and current.
    void BuildRoot();
    // Every node gone, then the root anew.
    void Rebuild();
    // The font folder with a final "\"; empty when none is set.
    std::string RootPath() const;
    // The current node's folder, else the root's.
    std::string CurrentPath() const;
    // The root is there but has not had its sub-folders listed (its drive was not ready).
    bool RootUnread() const;
    // The current node's sub-folders, the first time: sorted, the root expanded. A folder that
    // cannot be listed on a ready drive gives message 3009 and stays unlisted, so that choosing
    // it again lists again.
    void ListSubfolders();
    void SortTopLevel();
    // The root as the folder read sees it: its path, its caption, whether it was read.
    FolderRoot& AsFolderRoot() { return m_rootView; }

private:
    class RootView final : public FolderRoot {
    public:
        explicit RootView(TDriveTree& tree) : m_tree(tree) {}
        std::string Path() const override { return m_tree.RootPath(); }
        void SetCaption(const std::string& caption) override;
        void SetFolderRead(bool read) override;

    private:
        TDriveTree& m_tree;
    };

    RootView m_rootView;
};

} // namespace typa
