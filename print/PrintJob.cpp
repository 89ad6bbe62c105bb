#include "print/PrintJob.h"
#include "app/Cursor.h"

#include "app/ErrorBox.h"
#include "app/Messages.h"
#include "fonts/NameCompare.h"
#include "print/DlgPrint.h"
#include "ui/DlgProgress.h"
#include "ui/FontList.h"

#include <algorithm>
#include <cstring>
#include <unordered_map>

namespace typa {
namespace {

// Whatever leaves the job before its end drops the open document: nothing half drawn is printed.
class AbortUnlessEnded {
public:
    explicit AbortUnlessEnded(TPrinter& printer) : m_printer(printer) {}
    ~AbortUnlessEnded()
    {
        if (m_printer.Printing()) {
            try {
                m_printer.Abort();
            } catch (...) {
            }
        }
    }
    AbortUnlessEnded(const AbortUnlessEnded&) = delete;
    AbortUnlessEnded& operator=(const AbortUnlessEnded&) = delete;

private:
    TPrinter& m_printer;
};

// The folder font's file is loaded for the time its block is measured and drawn, so that the
// printer gets the face itself and not a substitute.
class PrintResource {
public:
    explicit PrintResource(TToShowItem& item) : m_item(item), m_loaded(NeedsPreview(item))
    {
        if (m_loaded) LoadPreview(m_item);
    }
    ~PrintResource()
    {
        if (m_loaded) UnloadPreview(m_item);
    }
    PrintResource(const PrintResource&) = delete;
    PrintResource& operator=(const PrintResource&) = delete;

private:
    TToShowItem& m_item;
    bool m_loaded;
};

int Rows(const FontRows* list) { return list ? list->Count() : 0; }

bool InstalledMode(PrintMode mode) { return mode != PrintMode::rbAllAvailable; }

// The group an installed font is printed under: "" for none.
const std::string& PrintedGroup(const TToShowItem& item, const GroupMembership* membership)
{
    return membership ? membership->Holding(item.Group) : item.Group;
}

} // namespace

void SortCatalogueForPrint(FontCatalogue& catalogue, const GroupMembership* membership)
{
    if (catalogue.Count() == 0) return;
    // Groups whose names differ only in case stay together, each spelling in its own run.
    catalogue.Sort([membership](const TToShowItem& a, const TToShowItem& b) {
        const std::string& ga = PrintedGroup(a, membership);
        const std::string& gb = PrintedGroup(b, membership);
        if (int c = CompareNames(ga, gb)) return c < 0;
        if (int c = std::strcmp(ga.c_str(), gb.c_str())) return c < 0;
        return CompareNames(a.Name, b.Name) < 0;
    });
}

PrintSelection SelectFontsToPrint(const PrintJobSource& source, PrintMode mode)
{
    PrintSelection s;
    if (mode == PrintMode::rbAllAvailable) {
        const int rows = Rows(source.availableList);
        s.total = rows;
        for (int row = 0; row < rows; ++row)
            if (TToShowItem* item = source.availableList->Item(row)) {
                s.items.push_back(item);
                s.names.push_back(source.availableList->Text(row));
            }
        return s; // the footnote is never printed for folder fonts
    }

    const FontCatalogue& catalogue = *source.installedCatalogue;
    const FontRows* list = source.installedList;
    const int rows = Rows(list);
    auto add = [&](int index) {
        s.items.push_back(catalogue.Item(index));
        s.names.push_back(catalogue.Name(index));
    };
    switch (mode) {
    case PrintMode::rbSelected: {
        // The first row bearing each name decides whether the name is chosen.
        std::unordered_map<std::string, int> firstRow;
        for (int row = 0; row < rows; ++row) {
            firstRow.try_emplace(NameKey(list->Text(row)), row);
            if (list->Selected(row)) {
                ++s.total;
                const TToShowItem* item = list->Item(row);
                if (item && item->Family == "*") s.hasFailedFonts = true;
            }
        }
        for (int i = 0; i < catalogue.Count(); ++i) {
            auto it = firstRow.find(NameKey(catalogue.Name(i)));
            if (it != firstRow.end() && list->Selected(it->second)) add(i);
        }
        break;
    }
    case PrintMode::rbSelectedGroup:
        s.total = rows;
        for (int row = 0; row < rows && !s.hasFailedFonts; ++row) {
            const TToShowItem* item = list->Item(row);
            s.hasFailedFonts = item && item->Family == "*";
        }
        {
            // The fonts the list shows for the group ("Polices Windows": those of no user group).
            const std::string group = source.currentGroupHasKey ? source.currentGroupCaption : std::string();
            for (int i = 0; i < catalogue.Count(); ++i)
                if (PrintedGroup(*catalogue.Item(i), source.membership) == group) add(i);
        }
        break;
    default:
        s.total = catalogue.Count();
        for (int i = 0; i < catalogue.Count(); ++i) {
            add(i);
            if (catalogue.Item(i)->Family == "*") s.hasFailedFonts = true;
        }
        break;
    }
    return s;
}

bool PrintSampleSheets(const PrintJobSource& source, const PrintChoices& choices, TDlgProgress& progress,
                       const std::function<void(int printed)>& afterFont)
{
    TPrinter& printer = *source.printer;
    printer.Title = LoadMessage(100);
    printer.BeginDoc();
    AbortUnlessEnded abortGuard(printer);
    const bool installed = InstalledMode(choices.mode);
    if (installed && source.installedCatalogue->Count() == 0) {
        printer.EndDoc(); // nothing to print: the page stays empty
        return true;
    }
    {
        SheetSetup setup;
        setup.choices = choices;
        setup.sampleText = source.sampleText;
        setup.folderPath = source.folderPath;
        TSampleSheet sheet(printer.Canvas(), setup);
        sheet.Setup().LeftX = sheet.MmToDeviceX(15);
        sheet.Setup().RightX = printer.PageWidth() - sheet.Setup().LeftX;
        const int pageHeight = printer.PageHeight();

        const bool installed = InstalledMode(choices.mode);
        std::string group; // installed pass: the group of the current page
        std::string headerGroup;
        if (installed) {
            SortCatalogueForPrint(*source.installedCatalogue, source.membership);
            if (choices.mode == PrintMode::rbAllInstalled)
                group = PrintedGroup(*source.installedCatalogue->Item(0), source.membership);
            else
                group = source.currentGroupCaption == LoadMessage(1091) ? std::string() : source.currentGroupCaption;
            headerGroup = group;
        } else {
            headerGroup = LoadMessage(1260);
        }
        const PrintSelection selection = SelectFontsToPrint(source, choices.mode);
        sheet.Setup().HasFailedFonts = installed && selection.hasFailedFonts;
        const int total = std::max(selection.total, 1);

        sheet.DrawPageHeader(printer.PageNumber(), headerGroup);
        for (std::size_t k = 0; k < selection.items.size(); ++k) {
            TToShowItem& item = *selection.items[k];
            ProgressStep(progress, static_cast<int>(k * 100 / total), FormatMessage(1270, {selection.names[k]}));
            if (ProgressCancelled()) return false; // the guard aborts the document
            PrintResource resource(item);
            const int height = sheet.MeasureFontBlock(item);
            int bottom = sheet.CurrentY + height;
            const bool groupChange = installed && PrintedGroup(item, source.membership) != group;
            if (bottom > pageHeight || groupChange) {
                printer.NewPage();
                if (groupChange) group = headerGroup = PrintedGroup(item, source.membership);
                sheet.DrawPageHeader(printer.PageNumber(), headerGroup);
                bottom = sheet.CurrentY + height;
            }
            sheet.DrawFontBlock(item, sheet.Setup().LeftX, sheet.CurrentY, sheet.Setup().RightX, bottom);
            sheet.CurrentY = bottom + sheet.MmToDeviceY(1);
            if (afterFont) afterFont(static_cast<int>(k) + 1);
        }
    } // the sheet gives the page its own font back before the document ends
    printer.EndDoc();
    return true;
}

void mnuFontPrintClick(const PrintJobSource& source)
{
    TPrinter& printer = *source.printer;
    printer.RefreshPrinters();
    if (printer.Printers().empty()) {
        ShowError(31, "");
        return;
    }
    CursorScope wait(IDC_WAIT);
    PrintDialogContext context;
    context.installedRows = Rows(source.installedList);
    context.installedSelected = source.installedList ? source.installedList->SelectedCount() : 0;
    context.rootNodeSelected = source.currentGroupIsRoot;
    context.availableCount = source.availableCatalogueCount;
    TdlgPrint dialog(printer, context);
    TDlgProgress progress(source.owner);
    ProgressGuard closing(progress);
    if (!dialog.Execute(source.owner)) return;

    ProgressOpen(progress, nullptr, LoadMessage(1250));
    try {
        if (printer.PrinterIndex() != dialog.PrinterIndex()) printer.SetPrinterIndex(dialog.PrinterIndex());
        PrintSampleSheets(source, dialog.Choices(), progress);
    } catch (const EPrinter& e) {
        if (progress.Handle()) ShowWindow(progress.Handle(), SW_HIDE);
        ShowError(30, e.what());
    }
}

} // namespace typa
