#pragma once
// The main window's geometry: three columns under the toolbar and above the status bar; each
// side holds a tree panel, a 3-pixel drag bar and a font list. Pure arithmetic, so that the
// sharing rules can be checked without a window.
#include <windows.h>

namespace typa {

struct LayoutInput {
    SIZE client{};              // main window client size
    int toolbarHeight = 0;      // 0 when the toolbar is hidden
    int statusBarHeight = 0;    // 0 when the status bar is hidden
    int captionHeight = 13;     // text height of the group-box captions
    int availableTreePanel = 110; // PanelAvailable height (unscaled setting)
    int installedTreePanel = 110; // PanelInstalled height (unscaled setting)
    int ppi = 96;
};

struct SideLayout {
    RECT groupBox{};   // " CD-ROM " or " Système "
    RECT panel{};      // PanelLeft / PanelRight: the group box's inner frame
    RECT treePanel{};  // PanelAvailable / PanelInstalled: holds the highlight frame
    RECT tree{};       // the tree inside the 3-pixel highlight frame
    RECT splitter{};   // SplitterLeft / SplitterRight
    RECT list{};       // the font list
};

struct MiddleLayout {
    RECT column{};
    RECT action{}, groups{}, program{};   // the three group boxes
    RECT buttons[9]{};  // btFontInstall, btFontDelete, btFontMove, btFontMarkAll, btGroupNew,
                        // btGroupRename, btGroupDelete, btTaskbar, btExitProgram
};

struct MainLayout {
    RECT toolbar{};
    RECT statusBar{};
    SideLayout available, installed;
    MiddleLayout middle;
};

// Width of the available side: what the middle column leaves, halved toward zero.
constexpr int AvailableWidth(int clientWidth, int middleWidth) { return (clientWidth - middleWidth) / 2; }

MainLayout ComputeLayout(const LayoutInput& in);

inline constexpr int kHighlightBorder = 3;
inline constexpr int kPanelBorder = 5;

} // namespace typa
