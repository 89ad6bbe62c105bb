#pragma once
// One side of the main window: the group box around it, the highlight panel with the tree in it,
// the bar under the tree, the font list, the tree panel's height, and the two popups whose items
// act through their shortcut keys. The main window makes two; what tells them apart is the
// SideRules each is made with.
#include "res/Resource.h"
#include "ui/FontListBox.h"
#include "ui/Layout.h"
#include "ui/ShortcutPopup.h"

#include <windows.h>
#include <commctrl.h>
#include <functional>
#include <initializer_list>

namespace typa {

struct SideRules {
    bool available;            // the folder side (left) rather than the installed side (right)
    const char* groupBoxCaption;
    int groupBoxId, panelId, treeId, splitterId, listId;
    DWORD treeStyle;           // the group tree's captions can be edited in place
};

inline constexpr SideRules kAvailableSide{true,          " CD-ROM ",       GroupBoxAvailable,
                                          PanelAvailableHighlight, twAvailableGroup, SplitterLeft,
                                          lbAvailableFonts, 0};
inline constexpr SideRules kInstalledSide{false,         " Système ",      GroupBoxInstalled,
                                          PanelInstalledHighlight, twInstalledGroup, SplitterRight,
                                          lbInstalledFonts, TVS_EDITLABELS};

class TFontSide {
public:
    // Creates a child control of the main window: extended style, class, text, style (WS_CHILD |
    // WS_VISIBLE | WS_CLIPSIBLINGS are added), id, parent (null: the main window), in the window's font.
    using MakeControl = std::function<HWND(DWORD exStyle, const char* cls, const char* text, DWORD style, int id,
                                           HWND parent)>;

    TFontSide(const SideRules& rules, const std::uint8_t& fontOptions, const std::string& sampleText)
        : m_rules(rules), m_list(rules.available, fontOptions, sampleText)
    {
    }
    TFontSide(const TFontSide&) = delete;
    TFontSide& operator=(const TFontSide&) = delete;

    // The controls are made in steps, the two sides' steps interleaved, so that the window's
    // controls keep their order (Tab, z-order).
    void CreatePanel(const MakeControl& make, const char* panelClass);
    void CreateTree(const MakeControl& make, HFONT treeFont, HIMAGELIST images);
    void CreateSplitter(const MakeControl& make, const char* splitterClass);
    void CreateList(const MakeControl& make, DWORD listStyle);
    void CreateGroupBox(const MakeControl& make);
    void CreatePopups(std::initializer_list<PopupItemDef> listItems, std::initializer_list<PopupItemDef> treeItems);

    bool IsAvailable() const noexcept { return m_rules.available; }
    HWND GroupBox() const noexcept { return m_groupBox; }
    HWND Panel() const noexcept { return m_panel; }
    HWND Tree() const noexcept { return m_tree; }
    HWND Splitter() const noexcept { return m_splitter; }
    TFontListBox& List() noexcept { return m_list; }
    const TFontListBox& List() const noexcept { return m_list; }
    TShortcutPopup& ListPopup() noexcept { return m_listPopup; }
    TShortcutPopup& TreePopup() noexcept { return m_treePopup; }
    // The side's tree or list.
    bool Owns(HWND control) const noexcept { return control && (control == m_tree || control == m_list.Handle()); }
    // The popup of the side's tree or list; null for another control.
    TShortcutPopup* PopupOf(HWND control) noexcept;

    // The tree panel's height (PanelAvailable / PanelInstalled): set by the settings and the bar.
    int TreeHeight() const noexcept { return m_treeHeight; }
    void SetTreeHeight(int height) noexcept { m_treeHeight = height; }

    void LayOut(const SideLayout& layout);
    // The frame around the tree takes the highlight colour on the active side.
    void Highlight(bool active);

private:
    SideRules m_rules;
    HWND m_groupBox = nullptr, m_panel = nullptr, m_tree = nullptr, m_splitter = nullptr;
    TFontListBox m_list;
    TShortcutPopup m_listPopup, m_treePopup;
    int m_treeHeight = 110;
};

} // namespace typa
