#include "ui/Layout.h"
#include <doctest/doctest.h>
#include <initializer_list>

using namespace typa;

namespace {
int W(const RECT& r) { return r.right - r.left; }
int H(const RECT& r) { return r.bottom - r.top; }
LayoutInput Client(int w, int h)
{
    LayoutInput in;
    in.client = SIZE{w, h};
    in.toolbarHeight = 30;
    in.statusBarHeight = 22;
    return in;
}
} // namespace

TEST_CASE("The two sides share what the middle column leaves, the left half rounded down")
{
    CHECK(AvailableWidth(631, 132) == 249);
    CHECK(AvailableWidth(632, 132) == 250);

    MainLayout m = ComputeLayout(Client(631, 400));
    CHECK(W(m.available.groupBox) == 249);
    CHECK(m.middle.column.left == 249);
    CHECK(W(m.middle.column) == 132);
    CHECK(m.installed.groupBox.left == 381);
    CHECK(m.installed.groupBox.right == 631);
    // Between the tool bar and the status bar.
    CHECK(m.available.groupBox.top == 30);
    CHECK(m.available.groupBox.bottom == 378);
}

TEST_CASE("Each side stacks the tree panel, a 3-pixel bar and the list")
{
    LayoutInput in = Client(800, 500);
    in.availableTreePanel = 110;
    in.installedTreePanel = 60;
    MainLayout m = ComputeLayout(in);
    for (const SideLayout* s : {&m.available, &m.installed}) {
        CHECK(s->splitter.top == s->treePanel.bottom);
        CHECK(H(s->splitter) == 3);
        CHECK(s->list.top == s->splitter.bottom);
        CHECK(s->list.bottom == s->panel.bottom);
        // The tree sits inside the 3-pixel highlight frame.
        CHECK(s->tree.left == s->treePanel.left + 3);
        CHECK(s->tree.bottom == s->treePanel.bottom - 3);
    }
    CHECK(H(m.available.treePanel) == 110);
    CHECK(H(m.installed.treePanel) == 60);
}

TEST_CASE("Odd tree heights never produce inverted rectangles")
{
    LayoutInput in = Client(560, 300);
    in.installedTreePanel = 0; // stored as 0: used unchanged
    in.availableTreePanel = 100000;
    MainLayout m = ComputeLayout(in);
    CHECK(H(m.installed.treePanel) == 0);
    CHECK(H(m.installed.tree) == 0);
    CHECK(m.available.treePanel.bottom == m.available.panel.bottom);
    CHECK(H(m.available.list) == 0);

    // Near 2^31 the sum with the panel's top would wrap around to a negative bottom.
    in.installedTreePanel = 0x7FFFFFF0;
    m = ComputeLayout(in);
    CHECK(m.installed.treePanel.bottom == m.installed.panel.bottom);
    CHECK(H(m.installed.list) == 0);
    CHECK(H(m.installed.splitter) == 0);

    MainLayout tiny = ComputeLayout(Client(10, 10));
    CHECK(W(tiny.installed.list) >= 0);
    CHECK(H(tiny.available.list) >= 0);
}

TEST_CASE("Hidden bars give their room to the sides")
{
    LayoutInput in = Client(700, 500);
    in.toolbarHeight = 0;
    in.statusBarHeight = 0;
    MainLayout m = ComputeLayout(in);
    CHECK(m.available.groupBox.top == 0);
    CHECK(m.installed.groupBox.bottom == 500);
}
