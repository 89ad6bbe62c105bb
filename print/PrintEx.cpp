#include "print/PrintEx.h"

#include "platform/Printing.h"
#include "platform/System.h"

#include <algorithm>
#include <cstring>

namespace typa {
namespace {

constexpr std::size_t kBinNameLength = 24;
constexpr std::size_t kPaperNameLength = 64;
// PRINTER_INFO_2 is asked for with this much room; a printer whose information is larger has no
// location.
constexpr std::size_t kPrinterInfoLimit = 4000;

std::string Trim(const std::string& s)
{
    const auto first = s.find_first_not_of(' ');
    if (first == std::string::npos) return {};
    return s.substr(first, s.find_last_not_of(' ') - first + 1);
}

bool Windows95Family() { return sys::GetOsVersion().platformId == VER_PLATFORM_WIN32_WINDOWS; }

} // namespace

bool TPrintSet::RecordIsCurrent() const noexcept
{
    // The printer object drops a record when another printer is chosen; it is never touched
    // through an old pointer.
    return m_devMode && m_devModeHandle && m_printer.DevModeHandle() == m_devModeHandle;
}

void TPrintSet::CheckPrinter()
{
    if (m_printer.PrinterIndex() == m_loadedPrinterIndex && RecordIsCurrent()) return;
    if (m_printer.PrinterIndex() != m_loadedPrinterIndex) {
        HGLOBAL h = nullptr;
        m_printer.GetPrinter(m_deviceName, m_driverName, m_portName, h);
        m_printer.SetPrinter(m_deviceName, m_driverName, m_portName, UniqueGlobal());
    }
    LoadDevMode();
}

void TPrintSet::LoadDevMode()
{
    UnlockDevMode();
    HGLOBAL h = nullptr;
    m_printer.GetPrinter(m_deviceName, m_driverName, m_portName, h);
    if (!h) {
        m_printer.SetPrinterIndex(m_printer.PrinterIndex());
        m_printer.GetPrinter(m_deviceName, m_driverName, m_portName, h);
    }
    DEVMODEA* dm = h ? static_cast<DEVMODEA*>(GlobalLock(h)) : nullptr;
    if (!dm) {
        m_devModeHandle = nullptr;
        m_devMode = nullptr;
        m_loadedPrinterIndex = -99;
        m_binNumbers.clear();
        m_paperNumbers.clear();
        return;
    }
    m_devModeHandle = h;
    m_devMode = dm;
    m_locked = true;
    m_loadedPrinterIndex = m_printer.PrinterIndex();
    m_binNumbers = ReadNumbers(DC_BINS);
    m_paperNumbers = ReadNumbers(DC_PAPERS);
}

std::vector<std::uint16_t> TPrintSet::ReadNumbers(WORD capability) const
{
    const int count = printing::CapabilityCount(m_deviceName, m_portName, capability, m_devMode);
    if (count <= 0) return {};
    // Room for more than announced: a driver whose list grew in between must not write past it.
    std::vector<std::uint16_t> numbers(static_cast<std::size_t>(count) + 64);
    const int got = printing::CapabilityData(m_deviceName, m_portName, capability, numbers.data(), m_devMode);
    if (got <= 0) return {};
    // The counts are single bytes: a longer list keeps its first 255 entries.
    numbers.resize(std::min({static_cast<std::size_t>(got), static_cast<std::size_t>(count), std::size_t{255}}));
    return numbers;
}

std::vector<std::string> TPrintSet::ReadNames(WORD capability, std::size_t slot, std::size_t count) const
{
    if (count == 0) return {};
    const int announced = printing::CapabilityCount(m_deviceName, m_portName, capability, m_devMode);
    const std::size_t room = std::max<std::size_t>(count, announced > 0 ? static_cast<std::size_t>(announced) : 0) + 64;
    std::vector<char> buffer(room * slot, '\0');
    const int n = printing::CapabilityData(m_deviceName, m_portName, capability, buffer.data(), m_devMode);
    std::vector<std::string> names;
    for (std::size_t i = 0; n > 0 && i < static_cast<std::size_t>(n) && i < count; ++i) {
        const char* name = buffer.data() + i * slot;
        names.emplace_back(name, strnlen(name, slot));
    }
    return names;
}

std::vector<std::string> TPrintSet::GetBinNames()
{
    CheckPrinter();
    return ReadNames(DC_BINNAMES, kBinNameLength, m_binNumbers.size());
}

std::vector<std::string> TPrintSet::GetPaperNames()
{
    CheckPrinter();
    return ReadNames(DC_PAPERNAMES, kPaperNameLength, m_paperNumbers.size());
}

std::uint8_t TPrintSet::GetBinIndex() const
{
    if (!RecordIsCurrent()) return 0;
    for (std::size_t i = 0; i < m_binNumbers.size(); ++i)
        if (m_binNumbers[i] == static_cast<std::uint16_t>(m_devMode->dmDefaultSource)) return static_cast<std::uint8_t>(i);
    return 0;
}

std::uint8_t TPrintSet::GetPaperIndex() const
{
    if (!RecordIsCurrent()) return 0;
    for (std::size_t i = 0; i < m_paperNumbers.size(); ++i)
        if (m_paperNumbers[i] == static_cast<std::uint16_t>(m_devMode->dmPaperSize)) return static_cast<std::uint8_t>(i);
    return 0;
}

void TPrintSet::SetBinIndex(std::uint8_t index)
{
    CheckPrinter();
    if (m_binNumbers.empty()) return;
    if (index >= m_binNumbers.size()) throw EPrinter("Index out of range setting bin.");
    SetBin(m_binNumbers[index]);
}

void TPrintSet::SetPaperIndex(std::uint8_t index)
{
    CheckPrinter();
    if (m_paperNumbers.empty()) return;
    if (index >= m_paperNumbers.size()) throw EPrinter("Index out of range setting paper.");
    SetPaperSize(m_paperNumbers[index]);
}

void TPrintSet::SetBin(std::uint16_t number)
{
    CheckPrinter();
    if (!RecordIsCurrent()) return;
    m_devMode->dmDefaultSource = static_cast<short>(number);
    m_devMode->dmFields |= DM_DEFAULTSOURCE;
}

void TPrintSet::SetPaperSize(std::uint16_t number)
{
    CheckPrinter();
    if (!RecordIsCurrent()) return;
    m_devMode->dmPaperSize = static_cast<short>(number);
    m_devMode->dmFields |= DM_PAPERSIZE;
}

void TPrintSet::SetOrientation(int value)
{
    CheckPrinter();
    if (RecordIsCurrent()) m_devMode->dmOrientation = static_cast<short>(value);
    m_printer.SetOrientation(value == 2 ? TPrinterOrientation::poLandscape : TPrinterOrientation::poPortrait);
}

void TPrintSet::UnlockDevMode()
{
    // Only a record the printer object still holds is unlocked; one it has dropped is gone.
    if (m_locked && m_devModeHandle && m_printer.DevModeHandle() == m_devModeHandle) GlobalUnlock(m_devModeHandle);
    m_locked = false;
    m_devMode = nullptr;
}

std::string PrinterDisplayName(const std::string& entry, bool windows95Family)
{
    const std::string s = Trim(entry);
    if (!windows95Family) return s;
    // "name sur port": the part before the second blank from the end.
    const auto last = s.rfind(' ');
    if (last == std::string::npos || last == 0) return s;
    const auto second = s.rfind(' ', last - 1);
    if (second == std::string::npos) return s;
    return Trim(s.substr(0, second));
}

std::string PrinterDisplayName(const std::string& entry) { return PrinterDisplayName(entry, Windows95Family()); }

std::string PrinterLocation(const std::string& entry, bool windows95Family)
{
    const std::string s = Trim(entry);
    if (windows95Family) {
        const auto last = s.rfind(' ');
        return last == std::string::npos ? std::string() : s.substr(last + 1);
    }
    printing::PrinterInfo info;
    if (!printing::ReadPrinterInfo(s, kPrinterInfoLimit, info)) return {};
    return info.server.empty() ? info.port : info.server;
}

std::string PrinterLocation(const std::string& entry) { return PrinterLocation(entry, Windows95Family()); }

} // namespace typa
