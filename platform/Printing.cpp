#include "platform/Printing.h"
#include "platform/System.h"

#include <winspool.h>

#include <cstring>

namespace typa::printing {

std::vector<PrinterEntry> EnumeratePrinters()
{
    std::vector<PrinterEntry> out;
    const DWORD flags = PRINTER_ENUM_LOCAL | PRINTER_ENUM_CONNECTIONS;
    DWORD needed = 0, count = 0;
    EnumPrintersA(flags, nullptr, 2, nullptr, 0, &needed, &count);
    // The list may grow between the two calls: ask again with the new size a few times.
    for (int attempt = 0; attempt < 3 && needed > 0; ++attempt) {
        std::vector<BYTE> buffer(needed);
        if (EnumPrintersA(flags, nullptr, 2, buffer.data(), needed, &needed, &count)) {
            const auto* info = reinterpret_cast<const PRINTER_INFO_2A*>(buffer.data());
            for (DWORD i = 0; i < count; ++i) {
                if (!info[i].pPrinterName || !*info[i].pPrinterName) continue;
                out.push_back({info[i].pPrinterName, info[i].pDriverName ? info[i].pDriverName : "",
                               info[i].pPortName ? info[i].pPortName : ""});
            }
            return out;
        }
        if (GetLastError() != ERROR_INSUFFICIENT_BUFFER) break;
    }
    return out;
}

std::string DefaultPrinterName()
{
    // "name,driver,port" in the [windows] section, as every Windows since 95 keeps it.
    char device[512] = {};
    GetProfileStringA("windows", "device", "", device, sizeof device);
    std::string name = device;
    const auto comma = name.find(',');
    if (comma != std::string::npos) name.resize(comma);
    return name;
}

int CapabilityCount(const std::string& device, const std::string& port, WORD capability,
                    const DEVMODEA* devMode)
{
    return DeviceCapabilitiesA(device.c_str(), port.c_str(), capability, nullptr, devMode);
}

int CapabilityData(const std::string& device, const std::string& port, WORD capability, void* out,
                   const DEVMODEA* devMode)
{
    return DeviceCapabilitiesA(device.c_str(), port.c_str(), capability, static_cast<LPSTR>(out), devMode);
}

UniqueGlobal DefaultDevMode(const std::string& device)
{
    UniquePrinter printer;
    if (!OpenPrinterA(const_cast<char*>(device.c_str()), printer.Put(), nullptr)) return {};
    char* name = const_cast<char*>(device.c_str());
    const LONG size = DocumentPropertiesA(nullptr, printer.Get(), name, nullptr, nullptr, 0);
    if (size < static_cast<LONG>(offsetof(DEVMODEA, dmFields) + sizeof(DWORD))) return {};
    // Some drivers write past the size they announce; leave them room.
    UniqueGlobal block(GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, static_cast<SIZE_T>(size) + 1024));
    if (!block) return {};
    auto* dm = static_cast<DEVMODEA*>(GlobalLock(block.Get()));
    if (!dm) return {};
    const LONG r = DocumentPropertiesA(nullptr, printer.Get(), name, dm, nullptr, DM_OUT_BUFFER);
    GlobalUnlock(block.Get());
    if (r != IDOK) return {};
    return block;
}

bool ReadPrinterInfo(const std::string& name, std::size_t bufferSize, PrinterInfo& info)
{
    info = {};
    UniquePrinter printer;
    if (!OpenPrinterA(const_cast<char*>(name.c_str()), printer.Put(), nullptr)) return false;
    std::vector<BYTE> buffer(bufferSize);
    DWORD needed = 0;
    if (!GetPrinterA(printer.Get(), 2, buffer.data(), static_cast<DWORD>(buffer.size()), &needed)) return false;
    const auto* p = reinterpret_cast<const PRINTER_INFO_2A*>(buffer.data());
    if (p->pServerName) info.server = p->pServerName;
    if (p->pPortName) info.port = p->pPortName;
    return true;
}

UniquePrinterDc CreatePrinterDc(const std::string& device, const DEVMODEA* devMode)
{
    return UniquePrinterDc(CreateDCA("WINSPOOL", device.c_str(), nullptr, devMode));
}

bool StartDocument(HDC dc, const std::string& title)
{
    DOCINFOA info{};
    info.cbSize = sizeof info;
    info.lpszDocName = title.c_str();
    return StartDocA(dc, &info) > 0;
}

bool StartPage(HDC dc) { return ::StartPage(dc) > 0; }
bool EndPage(HDC dc) { return ::EndPage(dc) > 0; }
bool EndDocument(HDC dc) { return ::EndDoc(dc) > 0; }
bool AbortDocument(HDC dc) { return ::AbortDoc(dc) > 0; }

std::string ErrorText(DWORD code)
{
    char* text = nullptr;
    const DWORD n = FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                       FORMAT_MESSAGE_IGNORE_INSERTS,
                                   nullptr, code, 0, reinterpret_cast<LPSTR>(&text), 0, nullptr);
    std::string s = n && text ? std::string(text, n) : std::string();
    if (text) LocalFree(text);
    while (!s.empty() && (s.back() == '\n' || s.back() == '\r' || s.back() == ' ')) s.pop_back();
    return s.empty() ? std::to_string(code) : s;
}

bool PrinterTakesFontAsText(HDC dc)
{
    if (!sys::RunsUnderWine()) return true;
    auto has = [&](char a, char b, char c, char d) {
        const DWORD tag = static_cast<DWORD>(static_cast<unsigned char>(a)) | (static_cast<DWORD>(static_cast<unsigned char>(b)) << 8) |
                          (static_cast<DWORD>(static_cast<unsigned char>(c)) << 16) | (static_cast<DWORD>(static_cast<unsigned char>(d)) << 24);
        return GetFontData(dc, tag, 0, nullptr, 0) != GDI_ERROR;
    };
    return !has('C', 'F', 'F', ' ') && !has('C', 'F', 'F', '2');
}

} // namespace typa::printing
