// The print job's rules: the order of installed fonts on paper, which fonts each mode prints
// (against real list boxes), and a printer that cannot print.
// The resource header first, as the main window's files include it: its control ids must not
// clash with the job's field names.
#include "res/Resource.h"
#include "print/PrintJob.h"
#include "ui/DlgProgress.h"
#include "ui/FontListBox.h"

#include <doctest/doctest.h>

#include <memory>

using namespace typa;

namespace {

void Add(FontCatalogue& c, const std::string& name, const std::string& group, const std::string& family = "F")
{
    auto item = std::make_unique<TToShowItem>();
    item->Name = name;
    item->Group = group;
    item->Family = family;
    c.Add(name, item);
}

std::vector<std::string> Names(const FontCatalogue& c)
{
    std::vector<std::string> v;
    for (int i = 0; i < c.Count(); ++i) v.push_back(c.Name(i));
    return v;
}

// A hidden multi-selection list box whose rows carry items, as the main window's lists do.
// A real list box with the main window's row access over it.
class List {
public:
    List() : m_wnd(CreateWindowA("LISTBOX", "", LBS_EXTENDEDSEL | LBS_HASSTRINGS, 0, 0, 100, 100, nullptr, nullptr, nullptr, nullptr))
    {
        m_rows.Attach(m_wnd);
    }
    ~List() { DestroyWindow(m_wnd); }
    List(const List&) = delete;
    List& operator=(const List&) = delete;
    void Row(TToShowItem* item, bool selected = false)
    {
        const auto row = SendMessageA(m_wnd, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item->Name.c_str()));
        SendMessageA(m_wnd, LB_SETITEMDATA, row, reinterpret_cast<LPARAM>(item));
        if (selected) SendMessageA(m_wnd, LB_SETSEL, TRUE, row);
    }
    const FontRows* Rows() const { return &m_rows; }
    HWND Handle() const { return m_wnd; }

private:
    HWND m_wnd;
    std::uint8_t m_options = 1;
    std::string m_sample;
    TFontListBox m_rows{false, m_options, m_sample};
};

} // namespace

TEST_CASE("Installed fonts go on paper group after group, no group first, names ignoring case")
{
    FontCatalogue c(FontCatalogue::Order::AsAdded);
    Add(c, "zapf", "Script");
    Add(c, "Arial", "");
    Add(c, "bodoni", "Déco");
    Add(c, "Times", "");
    Add(c, "Alpha", "Script");
    Add(c, "courier", "");
    Add(c, "Didot", "Déco");
    Add(c, "Brush", "script"); // another spelling: its own run beside Script
    SortCatalogueForPrint(c);
    const auto names = Names(c);
    CHECK(std::vector<std::string>(names.begin(), names.begin() + 5) ==
          std::vector<std::string>{"Arial", "courier", "Times", "bodoni", "Didot"});
    // Script and script compare equal as groups; each spelling stays in one run, sorted by name.
    const std::vector<std::string> tail(names.begin() + 5, names.end());
    CHECK((tail == std::vector<std::string>{"Alpha", "zapf", "Brush"} || tail == std::vector<std::string>{"Brush", "Alpha", "zapf"}));
    // The catalogue keeps the order; a second sort changes nothing.
    SortCatalogueForPrint(c);
    CHECK(Names(c) == names);
    FontCatalogue empty(FontCatalogue::Order::AsAdded);
    SortCatalogueForPrint(empty);
    CHECK(empty.Count() == 0);
}

TEST_CASE("Which fonts each mode prints, with its progress total and the footnote")
{
    FontCatalogue c(FontCatalogue::Order::AsAdded);
    Add(c, "Arial", "Script");
    Add(c, "Brush", "script");
    Add(c, "Cursive", "Script", "*");
    Add(c, "Dingbats", "");
    SortCatalogueForPrint(c);
    List installed;
    // The list shows group Script: Arial (selected), Cursive.
    installed.Row(c.Item(c.IndexOf("Arial")), true);
    installed.Row(c.Item(c.IndexOf("Cursive")));
    PrintJobSource source;
    source.installedCatalogue = &c;
    source.installedList = installed.Rows();
    source.currentGroupCaption = "Script";
    source.currentGroupHasKey = true;

    SUBCASE("the chosen fonts: the rows selected, looked up by name")
    {
        PrintSelection s = SelectFontsToPrint(source, PrintMode::rbSelected);
        CHECK(s.names == std::vector<std::string>{"Arial"});
        CHECK(s.total == 1);
        CHECK_FALSE(s.hasFailedFonts);
        SendMessageA(installed.Handle(), LB_SETSEL, TRUE, 1);
        s = SelectFontsToPrint(source, PrintMode::rbSelected);
        CHECK(s.names == std::vector<std::string>{"Arial", "Cursive"});
        CHECK(s.hasFailedFonts);
    }
    SUBCASE("the group: its exact name only, not another spelling")
    {
        const PrintSelection s = SelectFontsToPrint(source, PrintMode::rbSelectedGroup);
        CHECK(s.names == std::vector<std::string>{"Arial", "Cursive"});
        CHECK(s.total == 2);
        CHECK(s.hasFailedFonts);
    }
    SUBCASE("the fonts of no group")
    {
        source.currentGroupCaption = "Polices Windows";
        source.currentGroupHasKey = false;
        CHECK(SelectFontsToPrint(source, PrintMode::rbSelectedGroup).names == std::vector<std::string>{"Dingbats"});
    }
    SUBCASE("all installed fonts")
    {
        const PrintSelection s = SelectFontsToPrint(source, PrintMode::rbAllInstalled);
        CHECK(s.names.size() == 4);
        CHECK(s.total == 4);
        CHECK(s.hasFailedFonts);
    }
    SUBCASE("the folder's fonts: the rows in order, never the footnote")
    {
        FontCatalogue folder(FontCatalogue::Order::SortedUnique);
        Add(folder, "Lato", "", "*");
        Add(folder, "Open Sans", "");
        List available;
        available.Row(folder.Item(0));
        available.Row(folder.Item(1));
        source.availableList = available.Rows();
        const PrintSelection s = SelectFontsToPrint(source, PrintMode::rbAllAvailable);
        CHECK(s.names == std::vector<std::string>{"Lato", "Open Sans"});
        CHECK(s.total == 2);
        CHECK_FALSE(s.hasFailedFonts);
    }
}

TEST_CASE("A font whose record names no group of the tree is printed with the fonts of no group")
{
    FontCatalogue c(FontCatalogue::Order::AsAdded);
    Add(c, "Arial", "Script");
    Add(c, "Zapf", "Déco");
    Add(c, "Brush", "script"); // another spelling: no group of the tree
    Add(c, "Nowhere", "Nowhere");
    Add(c, "Dingbats", "");
    const GroupMembership tree({"Script", "Déco"});
    SortCatalogueForPrint(c, &tree);
    CHECK(Names(c) == std::vector<std::string>{"Brush", "Dingbats", "Nowhere", "Zapf", "Arial"});

    PrintJobSource source;
    source.installedCatalogue = &c;
    source.membership = &tree;
    source.currentGroupCaption = "Polices Windows";
    CHECK(SelectFontsToPrint(source, PrintMode::rbSelectedGroup).names ==
          std::vector<std::string>{"Brush", "Dingbats", "Nowhere"});
    source.currentGroupCaption = "Script";
    source.currentGroupHasKey = true;
    CHECK(SelectFontsToPrint(source, PrintMode::rbSelectedGroup).names == std::vector<std::string>{"Arial"});
}

TEST_CASE("A printer that cannot print: the printer error, and no document left open")
{
    FontCatalogue c(FontCatalogue::Order::AsAdded);
    Add(c, "Arial", "");
    TPrinter printer;
    REQUIRE(!printer.Printers().empty());
    printer.SetPrinter("Typarium imprimante absente", "", "", UniqueGlobal());
    PrintJobSource source;
    source.installedCatalogue = &c;
    source.printer = &printer;
    TDlgProgress progress(nullptr);
    ProgressGuard closing(progress);
    PrintChoices choices;
    bool threw = false;
    try {
        PrintSampleSheets(source, choices, progress);
    } catch (const EPrinter& e) {
        threw = true;
        CHECK(std::string(e.what()).size() > 0);
    }
    CHECK(threw);
    CHECK_FALSE(printer.Printing());
}
