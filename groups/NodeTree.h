#pragma once
// What the two trees of the main window share: the tree's window, given by its owner, the root
// node, and the node whose fonts the list beside it shows.
#include <windows.h>
#include <commctrl.h>

namespace typa {

class TNodeTree {
public:
    void Attach(HWND tree) noexcept { m_tree = tree; }
    HWND Handle() const noexcept { return m_tree; }
    HTREEITEM Root() const noexcept { return m_root; }
    HTREEITEM Selected() const
    {
        return reinterpret_cast<HTREEITEM>(SendMessageA(m_tree, TVM_GETNEXTITEM, TVGN_CARET, 0));
    }
    HTREEITEM Current() const noexcept { return m_current; }
    void SetCurrent(HTREEITEM node) noexcept { m_current = node; }

protected:
    HWND m_tree = nullptr;
    HTREEITEM m_root = nullptr;
    HTREEITEM m_current = nullptr;
};

} // namespace typa
