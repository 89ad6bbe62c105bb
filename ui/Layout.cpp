#include "ui/Layout.h"
#include "app/Scale.h"

#include <algorithm>

namespace typa {
namespace {

RECT Inset(RECT r, int l, int t, int rr, int b)
{
    RECT o{r.left + l, r.top + t, r.right - rr, r.bottom - b};
    if (o.right < o.left) o.right = o.left;
    if (o.bottom < o.top) o.bottom = o.top;
    return o;
}

// A group box's own frame takes the caption line at the top and two pixels elsewhere.
RECT GroupBoxClient(const RECT& box, int captionHeight) { return Inset(box, 2, captionHeight + 2, 2, 2); }

SideLayout LayOutSide(const RECT& box, int captionHeight, int treePanelHeight, int splitterHeight)
{
    SideLayout s;
    s.groupBox = box;
    s.panel = Inset(GroupBoxClient(box, captionHeight), kPanelBorder, kPanelBorder, kPanelBorder, kPanelBorder);
    const RECT& p = s.panel;
    // In 64 bits: a height near 2^31 must not wrap around above the panel's top.
    const int treeBottom = static_cast<int>(
        std::min<long long>(static_cast<long long>(p.top) + std::max(treePanelHeight, 0), p.bottom));
    s.treePanel = RECT{p.left, p.top, p.right, treeBottom};
    s.tree = Inset(s.treePanel, kHighlightBorder, kHighlightBorder, kHighlightBorder, kHighlightBorder);
    const int splitBottom = static_cast<int>(std::min<long long>(static_cast<long long>(treeBottom) + splitterHeight, p.bottom));
    s.splitter = RECT{p.left, treeBottom, p.right, splitBottom};
    s.list = RECT{p.left, splitBottom, p.right, p.bottom};
    return s;
}

} // namespace

MainLayout ComputeLayout(const LayoutInput& in)
{
    MainLayout m;
    const int w = in.client.cx, h = in.client.cy;
    m.toolbar = RECT{0, 0, w, in.toolbarHeight};
    m.statusBar = RECT{0, h - in.statusBarHeight, w, h};
    const int top = in.toolbarHeight;
    const int bottom = std::max(top, static_cast<int>(h - in.statusBarHeight));

    const int middleWidth = ScaledFor(132, in.ppi);
    const int availWidth = std::max(0, AvailableWidth(w, middleWidth));
    const int splitterHeight = ScaledFor(3, in.ppi);

    m.available = LayOutSide(RECT{0, top, availWidth, bottom}, in.captionHeight, in.availableTreePanel,
                             splitterHeight);
    m.middle.column = RECT{availWidth, top, availWidth + middleWidth, bottom};
    m.installed = LayOutSide(RECT{availWidth + middleWidth, top, std::max(w, availWidth + middleWidth), bottom},
                             in.captionHeight, in.installedTreePanel, splitterHeight);

    // The middle column: three group boxes of buttons, stacked from the top.
    const int margin = ScaledFor(4, in.ppi);
    const int buttonHeight = ScaledFor(25, in.ppi);
    const int gap = ScaledFor(4, in.ppi);
    const int inner = ScaledFor(8, in.ppi);
    const RECT& col = m.middle.column;
    int y = col.top;
    int button = 0;
    auto box = [&](RECT& out, int count) {
        int boxHeight = in.captionHeight + 2 + gap + count * buttonHeight + (count - 1) * gap + inner;
        out = RECT{col.left + margin, y, col.right - margin, y + boxHeight};
        int by = y + in.captionHeight + 2 + gap;
        for (int i = 0; i < count; ++i, ++button) {
            m.middle.buttons[button] = RECT{out.left + inner, by, out.right - inner, by + buttonHeight};
            by += buttonHeight + gap;
        }
        y = out.bottom + margin;
    };
    box(m.middle.action, 4);
    box(m.middle.groups, 3);
    box(m.middle.program, 2);
    return m;
}

} // namespace typa
