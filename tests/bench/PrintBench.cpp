// Prints how long the print job takes for 300 installed fonts in three groups, every box ticked,
// on the default test printer (a cups-pdf queue, scripts/printers.sh), how long until the PDF is
// written, its pages and its size. Figures only: no pass or fail.
//   PrintBench.exe [number of fonts] [families, comma-separated: only these]
#include "app/Messages.h"
#include "fonts/Catalogue.h"
#include "platform/GdiFonts.h"
#include "print/PrintJob.h"
#include "support/PdfOutput.h"
#include "ui/DlgProgress.h"

#include <windows.h>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <set>
#include <string>

using namespace typa;
using Clock = std::chrono::steady_clock;

namespace {
double Seconds(Clock::time_point from) { return std::chrono::duration<double>(Clock::now() - from).count(); }
} // namespace

int main(int argc, char** argv)
{
    const int wanted = argc > 1 ? std::max(1, std::atoi(argv[1])) : 300;
    std::set<std::string> only;
    if (argc > 2)
        for (std::string rest = argv[2]; !rest.empty();) {
            const auto comma = rest.find(',');
            only.insert(rest.substr(0, comma));
            rest = comma == std::string::npos ? std::string() : rest.substr(comma + 1);
        }

    // The system's TrueType fonts, one item each, as the installed catalogue holds them.
    FontCatalogue catalogue(FontCatalogue::Order::AsAdded);
    HDC screen = GetDC(nullptr);
    std::set<std::string> families;
    gdi::EnumFamilies(screen, nullptr, [&](const ENUMLOGFONTA& f, const NEWTEXTMETRICA& m, DWORD type) {
        // Vertical variants ("@...") are the same fonts turned.
        const std::string face = f.elfLogFont.lfFaceName;
        if ((type & TRUETYPE_FONTTYPE) && face[0] != '@' && (only.empty() || only.count(face))) families.insert(face);
        return true;
    });
    for (const std::string& family : families) {
        if (catalogue.Count() >= wanted) break;
        gdi::EnumFamilies(screen, family.c_str(), [&](const ENUMLOGFONTA& f, const NEWTEXTMETRICA&, DWORD type) {
            if (!(type & TRUETYPE_FONTTYPE) || catalogue.Count() >= wanted) return catalogue.Count() < wanted;
            const std::string full = reinterpret_cast<const char*>(f.elfFullName);
            if (catalogue.IndexOf(full) >= 0) return true; // the same face again, for another script
            auto item = std::make_unique<TToShowItem>();
            item->Name = full;
            item->Family = family;
            item->FileName = item->Name + ".ttf";
            item->LogFont = f.elfLogFont;
            item->Group = catalogue.Count() % 3 == 0 ? "" : catalogue.Count() % 3 == 1 ? "Titres" : "Texte";
            const std::string name = item->Name;
            catalogue.Add(name, item);
            return true;
        });
    }
    ReleaseDC(nullptr, screen);

    TPrinter printer;
    if (printer.Printers().empty()) {
        std::printf("no printer: run scripts/printers.sh\n");
        return 1;
    }
    PrintJobSource source;
    source.installedCatalogue = &catalogue;
    source.sampleText = LoadMessage(1215);
    source.printer = &printer;
    PrintChoices choices; // every box, the system-font column
    choices.mode = PrintMode::rbAllInstalled;

    TDlgProgress progress(nullptr);
    ProgressGuard closing(progress);
    ProgressOpen(progress, nullptr, LoadMessage(1250));
    const auto before = pdf::Files();
    const auto start = Clock::now();
    int pages = 0;
    printer.Title = LoadMessage(100);
    PrintSampleSheets(source, choices, progress, [&](int) { pages = printer.PageNumber(); });
    const double job = Seconds(start);
    ProgressClose(progress);
    const auto file = pdf::WaitForNew(before, 1800000);
    const double toPdf = Seconds(start);

    std::printf("printer: %s, %d fonts in 3 groups, every box ticked\n", printer.Printers()[printer.PrinterIndex()].c_str(),
                catalogue.Count());
    std::printf("print job (StartDoc to EndDoc): %.1f s, %.1f ms per font, %d pages\n", job, 1000.0 * job / catalogue.Count(),
                pages);
    if (!file) {
        std::printf("no PDF came\n");
        return 1;
    }
    WIN32_FILE_ATTRIBUTE_DATA a{};
    GetFileAttributesExA(file->c_str(), GetFileExInfoStandard, &a);
    std::printf("until the PDF is written: %.1f s\n", toPdf);
    std::printf("PDF: %d pages, %.1f MB (%s)\n", pdf::Pages(*file), a.nFileSizeLow / 1048576.0, file->c_str());
    return 0;
}
