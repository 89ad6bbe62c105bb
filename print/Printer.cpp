#include "print/Printer.h"

#include "app/Messages.h"
#include "platform/System.h"

namespace typa {
namespace {

constexpr const char* kPrintingText = "Impression en cours";
constexpr const char* kNotPrintingText = "L'imprimante n'est pas en train d'imprimer";
constexpr const char* kInvalidPrinterText = "L'imprimante sélectionnée n'est pas valide";

bool Windows95Family() { return sys::GetOsVersion().platformId == VER_PLATFORM_WIN32_WINDOWS; }

// The system's own words for the last failure of a document call.
[[noreturn]] void ThrowLastError()
{
    const DWORD code = GetLastError();
    throw EPrinter(printing::ErrorText(code ? code : ERROR_GEN_FAILURE));
}

// A record locked for the length of one scope.
class LockedDevMode {
public:
    explicit LockedDevMode(HGLOBAL h) : m_h(h), m_dm(h ? static_cast<DEVMODEA*>(GlobalLock(h)) : nullptr) {}
    ~LockedDevMode()
    {
        if (m_dm) GlobalUnlock(m_h);
    }
    LockedDevMode(const LockedDevMode&) = delete;
    LockedDevMode& operator=(const LockedDevMode&) = delete;
    DEVMODEA* Get() const noexcept { return m_dm; }

private:
    HGLOBAL m_h;
    DEVMODEA* m_dm;
};

} // namespace

TPrinter::~TPrinter()
{
    if (m_printing && m_dc) printing::AbortDocument(m_dc.Get());
}

void TPrinter::LoadList()
{
    m_entries = printing::EnumeratePrinters();
    m_names.clear();
    const bool win95 = Windows95Family();
    for (const auto& e : m_entries)
        m_names.push_back(win95 ? FormatPattern("%s sur %s", {e.name, e.port}) : e.name);
    m_listRead = true;
}

const std::vector<std::string>& TPrinter::Printers()
{
    if (!m_listRead) LoadList();
    return m_names;
}

void TPrinter::RefreshPrinters()
{
    if (m_printing) return;
    std::string current;
    if (m_listRead && m_index >= 0 && m_index < static_cast<int>(m_entries.size())) current = m_entries[m_index].name;
    LoadList();
    if (m_index < 0) return; // still the default printer, whichever it is now
    for (int i = 0; i < static_cast<int>(m_entries.size()); ++i)
        if (m_entries[i].name == current) {
            m_index = i;
            return;
        }
    m_index = -1;
    m_devMode.Reset();
}

int TPrinter::PrinterIndex()
{
    const auto& names = Printers();
    if (m_index >= 0 && m_index < static_cast<int>(names.size())) return m_index;
    if (names.empty()) return -1;
    const std::string def = printing::DefaultPrinterName();
    for (int i = 0; i < static_cast<int>(m_entries.size()); ++i)
        if (lstrcmpiA(m_entries[i].name.c_str(), def.c_str()) == 0) return i;
    return 0;
}

void TPrinter::SetPrinterIndex(int index)
{
    CheckNotPrinting();
    const int count = static_cast<int>(Printers().size());
    if (index == -1) {
        m_index = -1;
        index = PrinterIndex();
    }
    if (index < 0 || index >= count) throw EPrinter(kInvalidPrinterText);
    // Choosing a printer, even the same one again, loads its record afresh on the next use.
    m_index = index;
    m_devMode.Reset();
}

const printing::PrinterEntry* TPrinter::Current()
{
    const int i = PrinterIndex();
    return i >= 0 ? &m_entries[i] : nullptr;
}

void TPrinter::GetPrinter(std::string& device, std::string& driver, std::string& port, HGLOBAL& devMode)
{
    const printing::PrinterEntry* e = Current();
    if (!e) throw EPrinter(kInvalidPrinterText);
    device = e->name;
    driver = e->driver;
    port = e->port;
    if (!m_devMode) m_devMode = printing::DefaultDevMode(e->name);
    devMode = m_devMode.Get();
}

void TPrinter::SetPrinter(const std::string& device, const std::string& driver, const std::string& port,
                          UniqueGlobal devMode)
{
    CheckNotPrinting();
    const auto& names = Printers();
    int found = -1;
    for (int i = 0; i < static_cast<int>(m_entries.size()) && found < 0; ++i)
        if (lstrcmpiA(m_entries[i].name.c_str(), device.c_str()) == 0 || lstrcmpiA(names[i].c_str(), device.c_str()) == 0)
            found = i;
    if (found < 0) {
        // A printer the list does not know yet: it joins the list.
        m_entries.push_back({device, driver, port});
        m_names.push_back(Windows95Family() ? FormatPattern("%s sur %s", {device, port}) : device);
        found = static_cast<int>(m_entries.size()) - 1;
    }
    m_index = found;
    m_devMode = std::move(devMode);
}

TPrinterOrientation TPrinter::Orientation()
{
    std::string device, driver, port;
    HGLOBAL h = nullptr;
    GetPrinter(device, driver, port, h);
    LockedDevMode dm(h);
    return dm.Get() && dm.Get()->dmOrientation == DMORIENT_LANDSCAPE ? TPrinterOrientation::poLandscape
                                                                       : TPrinterOrientation::poPortrait;
}

void TPrinter::SetOrientation(TPrinterOrientation orientation)
{
    CheckNotPrinting();
    std::string device, driver, port;
    HGLOBAL h = nullptr;
    GetPrinter(device, driver, port, h);
    LockedDevMode dm(h);
    if (!dm.Get()) return;
    dm.Get()->dmOrientation = orientation == TPrinterOrientation::poLandscape ? DMORIENT_LANDSCAPE : DMORIENT_PORTRAIT;
    dm.Get()->dmFields |= DM_ORIENTATION;
}

void TPrinter::CheckNotPrinting() const
{
    if (m_printing) throw EPrinter(kPrintingText);
}

void TPrinter::CheckPrinting() const
{
    if (!m_printing) throw EPrinter(kNotPrintingText);
}

void TPrinter::BeginDoc()
{
    CheckNotPrinting();
    std::string device, driver, port;
    HGLOBAL h = nullptr;
    GetPrinter(device, driver, port, h);
    {
        LockedDevMode dm(h);
        m_dc = printing::CreatePrinterDc(device, dm.Get());
    }
    if (!m_dc) ThrowLastError();
    if (!printing::StartDocument(m_dc.Get(), Title)) {
        const DWORD code = GetLastError();
        m_dc.Reset();
        throw EPrinter(printing::ErrorText(code ? code : ERROR_GEN_FAILURE));
    }
    m_printing = true;
    m_pageNumber = 1;
    if (!printing::StartPage(m_dc.Get())) ThrowLastError(); // the job's clean-up aborts the document
}

void TPrinter::NewPage()
{
    CheckPrinting();
    if (!printing::EndPage(m_dc.Get())) ThrowLastError();
    ++m_pageNumber;
    if (!printing::StartPage(m_dc.Get())) ThrowLastError();
}

void TPrinter::EndDoc()
{
    CheckPrinting();
    const bool pageEnded = printing::EndPage(m_dc.Get());
    DWORD code = 0;
    if (!pageEnded) {
        code = GetLastError();
        if (!code) code = ERROR_GEN_FAILURE;
        // The document cannot be completed: it is dropped, not half sent.
        printing::AbortDocument(m_dc.Get());
    } else if (!printing::EndDocument(m_dc.Get())) {
        code = GetLastError();
        if (!code) code = ERROR_GEN_FAILURE;
    }
    m_printing = false;
    m_dc.Reset();
    if (code) throw EPrinter(printing::ErrorText(code));
}

void TPrinter::Abort()
{
    CheckPrinting();
    printing::AbortDocument(m_dc.Get());
    m_printing = false;
    m_dc.Reset();
}

int TPrinter::PageWidth() const
{
    CheckPrinting();
    return GetDeviceCaps(m_dc.Get(), HORZRES);
}

int TPrinter::PageHeight() const
{
    CheckPrinting();
    return GetDeviceCaps(m_dc.Get(), VERTRES);
}

} // namespace typa
