#pragma once
// The print command: sample sheets of the fonts the user chooses in the print dialog, one framed
// block per font, a header on every page, under a progress dialog with Cancel.
//
//   mnuFontPrintClick   the whole command: no printer (message 3031), the dialog, the job
//   PrintSampleSheets   the job itself, once the choices are made
//   SortCatalogueForPrint  the order of installed fonts on paper
#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <string>
#include <vector>

#include "fonts/Catalogue.h"
#include "fonts/FontRows.h"
#include "groups/GroupStore.h"
#include "print/PageLayout.h"
#include "print/PrintChoices.h"
#include "print/Printer.h"

namespace typa {

class TDlgProgress;

// What the print command needs of the main window: its lists, the current group and folder,
// the catalogue of installed fonts and the printer object, all borrowed for the command.
struct PrintJobSource {
    HWND owner = nullptr;
    // The rows of lbInstalledFonts and lbAvailableFonts, under names of their own: the resource
    // header defines those two names as control ids.
    const FontRows* installedList = nullptr;
    const FontRows* availableList = nullptr;
    FontCatalogue* installedCatalogue = nullptr;
    int availableCatalogueCount = 0;
    // The group whose fonts lbInstalledFonts shows: its caption, whether it is the tree's root
    // ("Polices installées") and whether it carries a group key (user groups do, "Polices
    // Windows" does not).
    std::string currentGroupCaption;
    bool currentGroupIsRoot = false;
    bool currentGroupHasKey = false;
    // The user groups of the tree: a font whose record names none of them is printed with the
    // fonts of no group, as "Polices Windows" lists it. Without it every record counts as a group.
    const GroupMembership* membership = nullptr;
    // The folder tree's current folder (else its root), as the header of mode rbAllAvailable
    // names it.
    std::string folderPath;
    std::string sampleText;
    TPrinter* printer = nullptr;
};

// Group after group, groups in the locale's alphabetical order ignoring case with the fonts of
// no group first, names in the same order within a group. The catalogue keeps this order.
// `membership` as in PrintJobSource.
void SortCatalogueForPrint(FontCatalogue& catalogue, const GroupMembership* membership = nullptr);

// The fonts the mode prints, in order, and the progress total of the mode (which may differ from
// the number of fonts: the counts of the list rows).
struct PrintSelection {
    std::vector<TToShowItem*> items;
    std::vector<std::string> names; // as the progress shows them: row texts or catalogue names
    int total = 0;
    bool hasFailedFonts = false;
};
// The installed fonts of the mode, taken from the (already sorted) catalogue, or the rows of the
// available list.
PrintSelection SelectFontsToPrint(const PrintJobSource& source, PrintMode mode);

// Prints on the printer object's current printer. The progress dialog is open (and may be
// cancelled through it); a cancel or a printer error leaves the document aborted. Returns false
// when the job was cancelled. EPrinter comes out for the caller to report. `afterFont` (tests,
// benchmarks) runs after each block.
bool PrintSampleSheets(const PrintJobSource& source, const PrintChoices& choices, TDlgProgress& progress,
                       const std::function<void(int printed)>& afterFont = {});

// The command behind "Im&primer..." (Ctrl+P) and the popup items of both lists.
void mnuFontPrintClick(const PrintJobSource& source);

} // namespace typa
