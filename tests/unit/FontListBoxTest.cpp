// A font list brought up to a catalogue built again: the rows of faces it showed stay, measured
// once; only the others go out or come in, in order; a real owner-drawn list box under Wine.
#include "ui/FontListBox.h"

#include <doctest/doctest.h>

#include <memory>
#include <string>
#include <vector>

using namespace typa;

namespace {

// A hidden window with the main window's kind of list: owner-drawn rows of their own heights,
// with strings, many selected at once; the measures are forwarded to the list and counted.
class Window {
public:
    Window()
    {
        WNDCLASSA wc{};
        wc.lpfnWndProc = Proc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "TypaListBoxTest";
        RegisterClassA(&wc);
        m_parent = CreateWindowA("TypaListBoxTest", "", WS_OVERLAPPEDWINDOW, 0, 0, 300, 300, nullptr, nullptr,
                                 wc.hInstance, this);
        m_list = CreateWindowA("LISTBOX", "",
                               WS_CHILD | LBS_OWNERDRAWVARIABLE | LBS_HASSTRINGS | LBS_EXTENDEDSEL | LBS_NOTIFY, 0, 0,
                               280, 280, m_parent, nullptr, wc.hInstance, nullptr);
        m_rows.Attach(m_list);
    }
    ~Window() { DestroyWindow(m_parent); }
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;

    TFontListBox& Rows() { return m_rows; }
    HWND List() const { return m_list; }
    void SetOptions(std::uint8_t options) { m_options = options; }
    int measures = 0;

    std::vector<std::string> Texts() const
    {
        std::vector<std::string> texts;
        for (int row = 0; row < m_rows.Count(); ++row) texts.push_back(m_rows.Text(row));
        return texts;
    }
    // Each row points at the item it shows, in the list box and in the list's own record.
    bool RowsPointAt(const std::vector<TToShowItem*>& items) const
    {
        if (m_rows.Count() != static_cast<int>(items.size())) return false;
        for (int row = 0; row < m_rows.Count(); ++row)
            if (m_rows.Item(row) != items[static_cast<std::size_t>(row)] ||
                m_rows.Text(row) != items[static_cast<std::size_t>(row)]->Name)
                return false;
        return true;
    }

private:
    static LRESULT CALLBACK Proc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp)
    {
        if (msg == WM_NCCREATE)
            SetWindowLongPtrA(wnd, GWLP_USERDATA,
                              reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTA*>(lp)->lpCreateParams));
        auto* self = reinterpret_cast<Window*>(GetWindowLongPtrA(wnd, GWLP_USERDATA));
        if (msg == WM_MEASUREITEM && self) {
            ++self->measures;
            self->m_rows.Measure(*reinterpret_cast<MEASUREITEMSTRUCT*>(lp));
            return TRUE;
        }
        return DefWindowProcA(wnd, msg, wp, lp);
    }

    HWND m_parent = nullptr;
    HWND m_list = nullptr;
    std::uint8_t m_options = 1; // the name in its own font
    std::string m_sample;
    TFontListBox m_rows{false, m_options, m_sample};
};

// A build of the installed catalogue: one item per name, each a face of its file; the files
// are those of the earlier build when the same `files` are given, as a remembering build's are.
struct Build {
    std::vector<std::unique_ptr<TToShowItem>> owned;
    std::vector<TToShowItem*> rows;

    Build(const std::vector<std::string>& names, std::vector<std::shared_ptr<TFontFile>>& files)
    {
        for (const std::string& name : names) {
            std::shared_ptr<TFontFile> file;
            for (const auto& f : files)
                if (f->Faces.size() == 1 && f->Faces[0].name == name) file = f;
            if (!file) {
                file = std::make_shared<TFontFile>();
                file->Faces.push_back({});
                file->Faces[0].name = name;
                files.push_back(file);
            }
            auto item = std::make_unique<TToShowItem>();
            item->Name = name;
            item->Family = "Arial";
            item->File = file;
            item->FaceIndex = 0;
            rows.push_back(item.get());
            owned.push_back(std::move(item));
        }
    }
};

LRESULT ListBoxData(HWND list, int row) { return SendMessageA(list, LB_GETITEMDATA, row, 0); }

} // namespace

TEST_CASE("Brought up to a new build, a list keeps the rows of unchanged faces and measures only new ones")
{
    Window w;
    std::vector<std::shared_ptr<TFontFile>> files;
    const Build first({"Alpha", "Bravo", "Charlie", "Delta", "Echo", "Foxtrot"}, files);
    w.Rows().Fill(first.rows, 0);
    REQUIRE(w.RowsPointAt(first.rows));
    CHECK(w.measures == 6);
    const int heightOfEcho = static_cast<int>(SendMessageA(w.List(), LB_GETITEMHEIGHT, 4, 0));
    SendMessageA(w.List(), LB_SETSEL, TRUE, 1);
    SendMessageA(w.List(), LB_SETTOPINDEX, 2, 0);
    const int top = w.Rows().TopRow();

    SUBCASE("one face in, one out: two changes, the others point at the new build's items")
    {
        // "Charlie" left the system, "Cobalt" came; "Echo" is another file under the same name.
        std::vector<std::shared_ptr<TFontFile>> echoAnew;
        for (const auto& f : files)
            if (f->Faces[0].name != "Echo") echoAnew.push_back(f);
        const Build second({"Alpha", "Bravo", "Cobalt", "Delta", "Echo", "Foxtrot"}, echoAnew);
        w.measures = 0;
        w.Rows().Update(second.rows, top);
        CHECK(w.RowsPointAt(second.rows));
        CHECK(w.measures == 2); // Cobalt, and Echo's new file
        CHECK(SendMessageA(w.List(), LB_GETITEMHEIGHT, 4, 0) == heightOfEcho);
        CHECK(w.Rows().SelectedCount() == 0); // as after a fill
        CHECK(w.Rows().TopRow() == top);
    }
    SUBCASE("rows at either end, a list emptied and filled again")
    {
        const Build ends({"Aardvark", "Alpha", "Bravo", "Charlie", "Delta", "Echo", "Foxtrot", "Zulu"}, files);
        w.measures = 0;
        w.Rows().Update(ends.rows, 0);
        CHECK(w.RowsPointAt(ends.rows));
        CHECK(w.measures == 2);
        const Build none({}, files);
        w.Rows().Update(none.rows, 0);
        CHECK(w.Rows().Count() == 0);
        w.measures = 0;
        w.Rows().Update(first.rows, 0);
        CHECK(w.RowsPointAt(first.rows));
        CHECK(w.measures == 6);
    }
    SUBCASE("rows in another order: the list is filled again, in the new order")
    {
        const Build reordered({"Foxtrot", "Alpha", "Bravo", "Charlie", "Delta", "Echo"}, files);
        w.measures = 0;
        w.Rows().Update(reordered.rows, 0);
        CHECK(w.RowsPointAt(reordered.rows));
        CHECK(w.measures == 6);
    }
    SUBCASE("a row taken out by the program before the update is not counted twice")
    {
        w.Rows().Remove(3); // Delta, removed by the user
        const Build second({"Alpha", "Bravo", "Charlie", "Echo", "Foxtrot"}, files);
        w.measures = 0;
        w.Rows().Update(second.rows, 0);
        CHECK(w.RowsPointAt(second.rows));
        CHECK(w.measures == 0);
    }
    SUBCASE("other display options: every row is measured again, to its new height")
    {
        w.SetOptions(1 | 8); // the name in its font, and the alphabet below it
        w.measures = 0;
        w.Rows().Update(first.rows, top);
        CHECK(w.RowsPointAt(first.rows));
        CHECK(w.measures == 6);
        CHECK(SendMessageA(w.List(), LB_GETITEMHEIGHT, 4, 0) > heightOfEcho);
    }
    SUBCASE("the same items again: nothing goes in, nothing is measured")
    {
        w.measures = 0;
        w.Rows().Update(first.rows, top);
        CHECK(w.RowsPointAt(first.rows));
        CHECK(w.measures == 0);
    }
}

TEST_CASE("A list that let go of its items while they were built again keeps the rows of unchanged faces")
{
    Window w;
    std::vector<std::shared_ptr<TFontFile>> files;
    auto first = std::make_unique<Build>(std::vector<std::string>{"Alpha", "Bravo", "Charlie", "Delta"}, files);
    w.Rows().Fill(first->rows, 0);
    // A row without a file of its own never passes for another.
    auto loose = std::make_unique<TToShowItem>();
    loose->Name = "Zeta";
    loose->Family = "*";
    std::vector<TToShowItem*> withLoose = first->rows;
    withLoose.push_back(loose.get());
    w.Rows().Update(withLoose, 0);
    REQUIRE(w.RowsPointAt(withLoose));

    w.Rows().LetGoOfItems();
    CHECK(w.Rows().Count() == 5);
    for (int row = 0; row < 5; ++row) CHECK(w.Rows().Item(row) == nullptr); // nothing to draw meanwhile
    CHECK(w.Rows().SelectedItems().empty());
    RedrawWindow(w.List(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW); // draws nothing, harmlessly
    // From here on the old items are never touched: a preview given back through one of them
    // would be a freed item's in the program.
    for (TToShowItem* item : withLoose) item->PreviewLoaded = true;
    const std::vector<TToShowItem*> old = withLoose;

    auto again = std::make_unique<TToShowItem>();
    again->Name = "Zeta";
    again->Family = "*";
    Build second({"Alpha", "Bravo", "Delta", "Echo"}, files);
    second.rows.push_back(again.get());
    w.measures = 0;
    w.Rows().Update(second.rows, 0);
    CHECK(w.RowsPointAt(second.rows));
    CHECK(w.measures == 2); // Echo, and Zeta's new item
    for (const TToShowItem* item : old) CHECK(item->PreviewLoaded);
    for (TToShowItem* item : old) item->PreviewLoaded = false;
    first.reset(); // the old build's items go
    loose.reset();
    for (int row = 0; row < w.Rows().Count(); ++row)
        CHECK(ListBoxData(w.List(), row) == reinterpret_cast<LRESULT>(second.rows[static_cast<std::size_t>(row)]));
}
