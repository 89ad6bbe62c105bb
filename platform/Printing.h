#pragma once
// The system's printers: their list, capabilities and device-mode records, and the document calls
// of a printer device context. Results come back as values, counts or bool; nothing here throws.
#include <windows.h>

#include <cstddef>
#include <string>
#include <vector>

#include "platform/Handles.h"

namespace typa::printing {

struct PrinterEntry {
    std::string name;   // the printer's name, as OpenPrinterA and CreateDCA take it
    std::string driver;
    std::string port;
};

// Every printer the system lists, local and connected, in its order; empty when there is none or
// the list cannot be read.
std::vector<PrinterEntry> EnumeratePrinters();

// The default printer's name, "" when there is none.
std::string DefaultPrinterName();

// DeviceCapabilitiesA without an output buffer: the number of entries, -1 when the call fails.
int CapabilityCount(const std::string& device, const std::string& port, WORD capability,
                    const DEVMODEA* devMode);
// DeviceCapabilitiesA into `out`, which must hold every entry the count reported. The count it
// wrote, -1 on failure.
int CapabilityData(const std::string& device, const std::string& port, WORD capability, void* out,
                   const DEVMODEA* devMode);

// The driver's default device-mode record of a printer (DocumentPropertiesA), copied into a new
// movable global block; null when the printer cannot be opened or gives no record.
UniqueGlobal DefaultDevMode(const std::string& device);

struct PrinterInfo {
    std::string server; // empty for a local printer
    std::string port;
};
// The printer's PRINTER_INFO_2, asked for with a buffer of `bufferSize` bytes. False when the
// printer cannot be opened or its information does not fit; `info` is then left empty.
bool ReadPrinterInfo(const std::string& name, std::size_t bufferSize, PrinterInfo& info);

// A device context of the printer, set up from `devMode` (null: the driver's defaults). Null on
// failure.
UniquePrinterDc CreatePrinterDc(const std::string& device, const DEVMODEA* devMode);

// The document calls of a printer device context; false when the system refuses them.
bool StartDocument(HDC dc, const std::string& title);
bool StartPage(HDC dc);
bool EndPage(HDC dc);
bool EndDocument(HDC dc);
bool AbortDocument(HDC dc);

// Whether text in the font selected into a printer DC can go to the printer as text. Not so for a
// font with PostScript outlines (a 'CFF ' or 'CFF2' table) under Wine, whose PostScript driver
// can only download TrueType outlines and fails on the others: such text must reach it as the
// glyphs' outlines, filled.
bool PrinterTakesFontAsText(HDC dc);

// The system's text for an error code, without its final line break; the code in decimal when
// the system has no text for it.
std::string ErrorText(DWORD code);

} // namespace typa::printing
