#pragma once
// The data record of every node of the two trees, kept in the node's lParam. A record lives as
// long as its node: the tree's owner frees it when the tree reports the node deleted
// (TVN_DELETEITEM), which also happens for every node when the tree is emptied.
#include <windows.h>
#include <commctrl.h>
#include <cstdint>
#include <string>

namespace typa {

struct TTreeViewProps {
    enum Kind : std::uint8_t { GroupRoot = 0, DriveRoot = 1, Group = 2, Subfolder = 3 };
    std::uint8_t Kind = GroupRoot;
    // Folder nodes: the full path ending in "\"; user groups: non-empty; the rest: empty.
    std::string Location;
    bool SubfoldersRead = false;
};

// Adds a node carrying a new record under `parent` (TVI_ROOT for the top level).
HTREEITEM AddTreeNode(HWND tree, HTREEITEM parent, const std::string& caption, const TTreeViewProps& props,
                      int image, int selectedImage);
TTreeViewProps* NodeProps(HWND tree, HTREEITEM node);
std::string NodeCaption(HWND tree, HTREEITEM node);
void SetNodeCaption(HWND tree, HTREEITEM node, const std::string& caption);
// Puts the children of `parent` in the locale's word order of their captions (lstrcmpA:
// letters first, case only breaks ties).
void SortChildren(HWND tree, HTREEITEM parent);
// Frees the record that a deleted node carried (the TVN_DELETEITEM notification).
void FreeDeletedNodeProps(const NMTREEVIEWA& notification);

} // namespace typa
