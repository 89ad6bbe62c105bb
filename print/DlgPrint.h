#pragma once
// TdlgPrint, "Imprimer les polices": the printer with its paper size, paper source and
// orientation, which fonts to print, what each block shows and the font of the additional data.
// Printer choices go into the printer's device-mode record at once (through PrintSet1); the block
// options are saved in PrintOptions when OK is pressed. The print job keeps the object until it
// has finished: the record stays locked by PrintSet1 until then.
#include <windows.h>

#include <string>
#include <vector>

#include "platform/Handles.h"
#include "print/PrintChoices.h"
#include "print/PrintEx.h"
#include "print/Printer.h"
#include "ui/Dialog.h"

namespace typa {

// What the dialog reads of the main window to preselect a mode.
struct PrintDialogContext {
    int installedRows = 0;      // rows of lbInstalledFonts
    int installedSelected = 0;  // selected rows of lbInstalledFonts
    bool rootNodeSelected = false; // "Polices installées" is the selected group node
    int availableCount = 0;     // items of AvailableCatalogue
};

class TdlgPrint : public TDialog {
public:
    static constexpr int kHelpContext = 1000;
    // Control ids, for whoever drives the dialog from outside.
    enum : int {
        kIdPrinters = 101, kIdLocation = 102, kIdPaperSizes = 103, kIdBinSources = 104,
        kIdPortraitImage = 105, kIdPortrait = 106, kIdLandscapeImage = 107, kIdLandscape = 108,
        kIdSelected = 110, kIdSelectedGroup = 111, kIdAllInstalled = 112, kIdAllAvailable = 113,
        kIdFontname = 120, kIdFilename = 121, kIdChars = 122, kIdSample = 123,
        kIdRespectiveFont = 130, kIdSystemFont = 131,
    };

    TdlgPrint(TPrinter& printer, const PrintDialogContext& context);
    TdlgPrint(const TdlgPrint&) = delete;
    TdlgPrint& operator=(const TdlgPrint&) = delete;

    // Shows the dialog modally over `owner`; true when it was closed with OK.
    bool Execute(HWND owner);
    // The choices as they were when OK was pressed.
    const PrintChoices& Choices() const noexcept { return m_choices; }
    int PrinterIndex() const noexcept { return m_printerIndex; }

private:
    bool OnInit() override; // FormCreate
    bool OnCommand(int id, int code) override;
    void OnOK() override; // pbOKClick, while OK is enabled
    bool OnDrawItem(const DRAWITEMSTRUCT& dis) override; // DrawPageIcon
    void CreateControls();
    void FillPrinters();
    void PreselectMode();
    void FillList(int id, const std::vector<std::string>& names, int selected);
    void FillPaperSizes();
    void FillBinSources();
    void ShowOrientation();
    void ShowLocation();
    void cbPrintersChange();
    void OrientationClick();
    void UpdateOkButton();
    void DrawPageIcon(const DRAWITEMSTRUCT& dis) const;

    TPrinter& m_printer;
    PrintDialogContext m_context;
    TPrintSet PrintSet1;
    std::vector<std::string> m_locations; // the location of each cbPrinters entry
    PrintChoices m_choices;
    int m_printerIndex = -1;
};

} // namespace typa
