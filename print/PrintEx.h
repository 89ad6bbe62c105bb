#pragma once
// TPrintSet: the paper sizes, paper sources (bins) and orientation of the printer object's
// current printer. It reads the printer's capability lists and writes the user's choices straight
// into the printer object's device-mode record, the record the print job starts its document
// with. The print dialog holds one for as long as it is open.
//
// The record belongs to the printer object; the component keeps it locked while it works on it
// and lets go of it on UnlockDevMode and when it is destroyed. Choosing another printer index
// in the printer object makes the next operation reload: the new printer starts from its
// driver's defaults.
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "print/Printer.h"

namespace typa {

class TPrintSet {
public:
    explicit TPrintSet(TPrinter& printer) : m_printer(printer) {}
    ~TPrintSet() { UnlockDevMode(); }
    TPrintSet(const TPrintSet&) = delete;
    TPrintSet& operator=(const TPrintSet&) = delete;

    // Makes sure the fields belong to the printer object's current printer; on a change of
    // printer its record goes back to the driver's defaults.
    void CheckPrinter();

    // The printer's bin (paper size) names, in the order of its numbers; empty when it has none.
    std::vector<std::string> GetBinNames();
    std::vector<std::string> GetPaperNames();
    // Position of the record's source (paper size) among the printer's numbers; 0 when absent.
    std::uint8_t GetBinIndex() const;
    std::uint8_t GetPaperIndex() const;
    // Select the bin (paper size) at that position; EPrinter "Index out of range setting bin."
    // ("... paper.") beyond the list. Nothing happens for a printer without bins (paper sizes).
    void SetBinIndex(std::uint8_t index);
    void SetPaperIndex(std::uint8_t index);
    void SetBin(std::uint16_t number);
    void SetPaperSize(std::uint16_t number);
    // 1 portrait, 2 landscape.
    void SetOrientation(int value);
    // Hands the record back to the printer object.
    void UnlockDevMode();

    // What is loaded, for whoever looks from outside.
    int LoadedPrinterIndex() const noexcept { return m_loadedPrinterIndex; }
    const DEVMODEA* DevMode() const noexcept { return m_devMode; }
    const std::vector<std::uint16_t>& BinNumbers() const noexcept { return m_binNumbers; }
    const std::vector<std::uint16_t>& PaperNumbers() const noexcept { return m_paperNumbers; }
    const std::string& DeviceName() const noexcept { return m_deviceName; }
    const std::string& PortName() const noexcept { return m_portName; }

private:
    void LoadDevMode();
    std::vector<std::uint16_t> ReadNumbers(WORD capability) const;
    std::vector<std::string> ReadNames(WORD capability, std::size_t slot, std::size_t count) const;
    bool RecordIsCurrent() const noexcept;

    TPrinter& m_printer;
    std::string m_deviceName, m_driverName, m_portName;
    HGLOBAL m_devModeHandle = nullptr;
    DEVMODEA* m_devMode = nullptr;
    bool m_locked = false;
    int m_loadedPrinterIndex = -99;
    std::vector<std::uint16_t> m_binNumbers;   // at most 255
    std::vector<std::uint16_t> m_paperNumbers; // at most 255
};

// The text of the dialog's printer box for an entry of the printer list: on the Windows 95 family
// the part before " sur <port>", elsewhere the entry itself, trimmed.
std::string PrinterDisplayName(const std::string& entry);
std::string PrinterDisplayName(const std::string& entry, bool windows95Family);
// Where the printer is: the port after the last blank on the Windows 95 family; elsewhere the
// printer's server, or its port for a local printer; "" when the printer cannot be asked.
std::string PrinterLocation(const std::string& entry);
std::string PrinterLocation(const std::string& entry, bool windows95Family);

} // namespace typa
