#pragma once
// The program's printer object: the list of the system's printers, the current one, its
// device-mode record (the one the print dialog writes and the job prints with), and the document
// being printed on it. The main window owns one for the whole run, so the printer chosen in the
// print dialog stays chosen from one job to the next.
//
// Failures of the printer itself are raised as EPrinter with a text for the user (message 3030).
#include <windows.h>

#include <string>
#include <vector>

#include "app/Errors.h"
#include "platform/Handles.h"
#include "platform/Printing.h"

namespace typa {

class EPrinter : public ETypaError {
public:
    using ETypaError::ETypaError;
    const char* ClassName() const noexcept override { return "EPrinter"; }
};

enum class TPrinterOrientation { poPortrait, poLandscape };

class TPrinter {
public:
    TPrinter() = default;
    ~TPrinter();
    TPrinter(const TPrinter&) = delete;
    TPrinter& operator=(const TPrinter&) = delete;

    // The entries of the printer list: the printer's name on Windows NT, "name sur port" on the
    // Windows 95 family. Read from the system on first use.
    const std::vector<std::string>& Printers();
    // Reads the list again; the current printer stays current when it is still there (its
    // record is kept), otherwise the default printer becomes current.
    void RefreshPrinters();

    // The current printer's position in the list: the default printer until one is chosen, -1
    // when there is no printer.
    int PrinterIndex();
    // -1 chooses the default printer. Choosing another printer drops the record of the previous
    // one: the next use loads the new printer's defaults. Throws EPrinter for a position outside
    // the list and while a document is open.
    void SetPrinterIndex(int index);

    // The current printer's device, driver and port names and its device-mode record, loaded with
    // the driver's defaults when none is held (null when the printer gives none). The record stays
    // the printer object's.
    void GetPrinter(std::string& device, std::string& driver, std::string& port, HGLOBAL& devMode);
    // Makes the printer named `device` current, with `devMode` as its record (taken over); a null
    // record makes the next use load the driver's defaults.
    void SetPrinter(const std::string& device, const std::string& driver, const std::string& port,
                    UniqueGlobal devMode);
    // The record held for the current printer, without loading one; null when none is held.
    HGLOBAL DevModeHandle() const noexcept { return m_devMode.Get(); }

    TPrinterOrientation Orientation();
    void SetOrientation(TPrinterOrientation orientation);

    // The job's name in the system's printer queue.
    std::string Title;

    // Opens a document on the current printer with its record, and its first page.
    void BeginDoc();
    void NewPage();
    // Ends the last page and the document: the pages go to the printer.
    void EndDoc();
    // Drops the open document: nothing of it is printed.
    void Abort();
    bool Printing() const noexcept { return m_printing; }
    int PageNumber() const noexcept { return m_pageNumber; }

    // The open document's drawing surface and its measures in device pixels; only while printing.
    HDC Canvas() const noexcept { return m_dc.Get(); }
    int PageWidth() const;  // HORZRES
    int PageHeight() const; // VERTRES

private:
    void LoadList();
    void CheckNotPrinting() const;
    void CheckPrinting() const;
    const printing::PrinterEntry* Current();

    std::vector<printing::PrinterEntry> m_entries;
    std::vector<std::string> m_names;
    bool m_listRead = false;
    int m_index = -1; // -1: the default printer, resolved on use
    UniqueGlobal m_devMode; // the current printer's record, movable
    UniquePrinterDc m_dc;   // only while a document is open
    bool m_printing = false;
    int m_pageNumber = 0;
};

} // namespace typa
