// Paper sizes, paper sources and orientation of real printers (the CUPS test queues of
// scripts/printers.sh, seen through Wine), the index errors, the reset to the driver's defaults on
// a change of printer, and the printer's display name and location.
#include "print/PrintEx.h"
#include "print/Printer.h"

#include <doctest/doctest.h>

#include <algorithm>
#include <functional>

using namespace typa;

namespace {
int IndexOfPrinter(TPrinter& printer, const std::string& name)
{
    const auto& list = printer.Printers();
    auto it = std::find(list.begin(), list.end(), name);
    return it == list.end() ? -1 : static_cast<int>(it - list.begin());
}

std::string ErrorOf(const std::function<void()>& f)
{
    try {
        f();
    } catch (const EPrinter& e) {
        return e.what();
    }
    return {};
}
} // namespace

TEST_CASE("Paper sizes and sources of two printers, the index errors, and the defaults after a change of printer")
{
    TPrinter printer;
    const int pdf = IndexOfPrinter(printer, "TypaPDF");
    const int letter = IndexOfPrinter(printer, "TypaLettre");
    REQUIRE(pdf >= 0);
    REQUIRE(letter >= 0);
    CHECK(printer.PrinterIndex() == pdf); // the system's default printer

    TPrintSet set(printer);
    printer.SetPrinterIndex(letter);
    CHECK(set.GetPaperNames() == std::vector<std::string>{"US Letter", "US Legal", "Executive", "A5"});
    CHECK(set.LoadedPrinterIndex() == letter);
    CHECK(set.GetPaperIndex() == 0);
    const std::vector<std::string> bins = set.GetBinNames();
    REQUIRE(bins.size() == 4);
    CHECK(bins[1] == "Bac 1");
    CHECK(bins[3] == "Introduction manuelle");

    SUBCASE("the third bin and the second paper go into the record; beyond the lists the record stays")
    {
        set.SetBinIndex(2);
        REQUIRE(set.DevMode());
        CHECK(set.DevMode()->dmDefaultSource == set.BinNumbers()[2]);
        CHECK((set.DevMode()->dmFields & DM_DEFAULTSOURCE) != 0);
        CHECK(set.GetBinIndex() == 2);
        set.SetPaperIndex(1);
        CHECK(set.DevMode()->dmPaperSize == DMPAPER_LEGAL);
        CHECK(set.GetPaperIndex() == 1);

        CHECK(ErrorOf([&] { set.SetBinIndex(4); }) == "Index out of range setting bin.");
        CHECK(ErrorOf([&] { set.SetPaperIndex(4); }) == "Index out of range setting paper.");
        CHECK(set.DevMode()->dmDefaultSource == set.BinNumbers()[2]);
        CHECK(set.DevMode()->dmPaperSize == DMPAPER_LEGAL);

        set.SetOrientation(2);
        CHECK(set.DevMode()->dmOrientation == DMORIENT_LANDSCAPE);
        CHECK(printer.Orientation() == TPrinterOrientation::poLandscape);
    }
    SUBCASE("another printer brings its own lists and defaults; coming back resets the first")
    {
        set.SetPaperIndex(1);
        printer.SetPrinterIndex(pdf);
        const std::vector<std::string> papers = set.GetPaperNames();
        CHECK(papers.size() > 20);
        REQUIRE(set.GetPaperIndex() < papers.size());
        CHECK(papers[set.GetPaperIndex()] == "A4");
        CHECK(set.GetBinNames().size() == 1);

        printer.SetPrinterIndex(letter);
        CHECK(set.GetPaperNames().size() == 4);
        CHECK(set.GetPaperIndex() == 0); // US Letter again, not the Legal chosen before
        CHECK(printer.Orientation() == TPrinterOrientation::poPortrait);
    }
    set.UnlockDevMode();
}

TEST_CASE("A default source outside the bin list reads as the first bin")
{
    TPrinter printer;
    const int letter = IndexOfPrinter(printer, "TypaLettre");
    REQUIRE(letter >= 0);
    printer.SetPrinterIndex(letter);
    TPrintSet set(printer);
    REQUIRE(!set.GetBinNames().empty());
    set.SetBin(9999);
    CHECK(set.GetBinIndex() == 0);
}

TEST_CASE("The printer's name and where it is")
{
    // Windows 95 family entries: "name sur port".
    CHECK(PrinterDisplayName("HP LaserJet 4 sur LPT1:", true) == "HP LaserJet 4");
    CHECK(PrinterLocation("HP LaserJet 4 sur LPT1:", true) == "LPT1:");
    CHECK(PrinterDisplayName("  Bureau sur \\\\SERVEUR\\laser  ", true) == "Bureau");
    CHECK(PrinterDisplayName("Seul", true) == "Seul");
    // Windows NT: the name itself; the location is the port of a local printer.
    CHECK(PrinterDisplayName(" TypaPDF ", false) == "TypaPDF");
    CHECK(PrinterLocation("TypaPDF", false) == "CUPS:TypaPDF");
    CHECK(PrinterLocation("TypaLettre ", false) == "CUPS:TypaLettre");
    CHECK(PrinterLocation("Aucune imprimante de ce nom", false).empty());
}

TEST_CASE("The printer object refuses what it cannot do")
{
    TPrinter printer;
    REQUIRE(!printer.Printers().empty());
    CHECK(ErrorOf([&] { printer.SetPrinterIndex(static_cast<int>(printer.Printers().size())); }) ==
          "L'imprimante sélectionnée n'est pas valide");
    CHECK(ErrorOf([&] { printer.NewPage(); }) == "L'imprimante n'est pas en train d'imprimer");
    CHECK(ErrorOf([&] { printer.EndDoc(); }) == "L'imprimante n'est pas en train d'imprimer");
    CHECK_FALSE(printer.Printing());
}
