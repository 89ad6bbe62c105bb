#include "ui/FontSide.h"

namespace typa {
namespace {

void MoveTo(HWND wnd, const RECT& r)
{
    if (wnd) MoveWindow(wnd, r.left, r.top, r.right - r.left, r.bottom - r.top, TRUE);
}

} // namespace

void TFontSide::CreatePanel(const MakeControl& make, const char* panelClass)
{
    m_panel = make(0, panelClass, "", WS_CLIPCHILDREN, m_rules.panelId, nullptr);
}

void TFontSide::CreateTree(const MakeControl& make, HFONT treeFont, HIMAGELIST images)
{
    m_tree = make(0, WC_TREEVIEWA, "", WS_TABSTOP | TVS_SHOWSELALWAYS | m_rules.treeStyle, m_rules.treeId, m_panel);
    SendMessageA(m_tree, WM_SETFONT, reinterpret_cast<WPARAM>(treeFont), FALSE);
    SendMessageA(m_tree, TVM_SETINDENT, 19, 0);
    SendMessageA(m_tree, TVM_SETIMAGELIST, TVSIL_NORMAL, reinterpret_cast<LPARAM>(images));
}

void TFontSide::CreateSplitter(const MakeControl& make, const char* splitterClass)
{
    m_splitter = make(0, splitterClass, "", 0, m_rules.splitterId, nullptr);
}

void TFontSide::CreateList(const MakeControl& make, DWORD listStyle)
{
    m_list.Attach(make(WS_EX_CLIENTEDGE, "LISTBOX", "", listStyle, m_rules.listId, nullptr));
}

void TFontSide::CreateGroupBox(const MakeControl& make)
{
    m_groupBox = make(0, "BUTTON", m_rules.groupBoxCaption, BS_GROUPBOX, m_rules.groupBoxId, nullptr);
}

void TFontSide::CreatePopups(std::initializer_list<PopupItemDef> listItems, std::initializer_list<PopupItemDef> treeItems)
{
    m_listPopup.Create(listItems);
    m_treePopup.Create(treeItems);
}

TShortcutPopup* TFontSide::PopupOf(HWND control) noexcept
{
    if (!control) return nullptr;
    if (control == m_list.Handle()) return &m_listPopup;
    if (control == m_tree) return &m_treePopup;
    return nullptr;
}

void TFontSide::LayOut(const SideLayout& layout)
{
    MoveTo(m_groupBox, layout.groupBox);
    MoveTo(m_panel, layout.treePanel);
    const RECT inPanel{kHighlightBorder, kHighlightBorder,
                       layout.treePanel.right - layout.treePanel.left - kHighlightBorder,
                       layout.treePanel.bottom - layout.treePanel.top - kHighlightBorder};
    MoveTo(m_tree, inPanel);
    MoveTo(m_splitter, layout.splitter);
    MoveTo(m_list.Handle(), layout.list);
}

void TFontSide::Highlight(bool active)
{
    // The panel paints itself in the system colour kept (as index + 1) in its user data.
    SetWindowLongPtrA(m_panel, GWLP_USERDATA, (active ? COLOR_HIGHLIGHT : COLOR_WINDOW) + 1);
    InvalidateRect(m_panel, nullptr, TRUE);
}

} // namespace typa
