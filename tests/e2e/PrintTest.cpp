// Printing sample sheets as a user does it: Ctrl+P, the print dialog, the job on the test
// printers (cups-pdf queues, scripts/printers.sh), and the PDF read back with poppler's tools.
#include "support/PdfOutput.h"
#include "support/TypaSession.h"
#include "print/DlgPrint.h"
#include "res/Resource.h"
#include "ui/DlgProgress.h"

#include <doctest/doctest.h>

#include <algorithm>
#include <map>

using namespace typa::e2e;
using typa::TdlgPrint;
namespace pdf = typa::pdf;

namespace {

const char* kSystemFonts = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Fonts";
const char* kGroups = "Software\\Orvane Media\\Typarium\\GroupsNew";
const char* kFontGroups = "Software\\Orvane Media\\Typarium\\Fonts";
const char* kPrintDialog = "Imprimer les polices";

// The system font registry of a Wine prefix lists thousands of host fonts; a job of all of them
// would take an hour under emulation. For one test only the DejaVu and Liberation fonts stay
// listed, with extra values when asked; everything is put back afterwards.
class SmallFontSet {
public:
    explicit SmallFontSet(const std::vector<std::pair<std::string, std::string>>& extra = {}) : m_extra(extra)
    {
        HKEY key;
        REQUIRE(RegOpenKeyExA(HKEY_LOCAL_MACHINE, kSystemFonts, 0, KEY_ALL_ACCESS, &key) == ERROR_SUCCESS);
        for (DWORD i = 0;; ++i) {
            char name[512];
            BYTE data[2048];
            DWORD nameLength = sizeof name, dataLength = sizeof data, type = 0;
            if (RegEnumValueA(key, i, name, &nameLength, nullptr, &type, data, &dataLength) != ERROR_SUCCESS) break;
            m_saved.push_back({name, type, std::string(reinterpret_cast<char*>(data), dataLength)});
        }
        for (const Saved& v : m_saved) {
            const bool keep = v.name.rfind("DejaVu", 0) == 0 || v.name.rfind("Liberation", 0) == 0;
            if (keep && v.name.find("(TrueType)") != std::string::npos)
                m_kept.push_back(v.name.substr(0, v.name.find(" (TrueType)")));
            else
                RegDeleteValueA(key, v.name.c_str());
        }
        for (const auto& [name, file] : m_extra) {
            RegSetValueExA(key, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(file.c_str()),
                           static_cast<DWORD>(file.size() + 1));
            m_kept.push_back(name.substr(0, name.find(" (TrueType)")));
        }
        RegCloseKey(key);
    }
    ~SmallFontSet()
    {
        HKEY key;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kSystemFonts, 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS) return;
        for (const auto& extra : m_extra) RegDeleteValueA(key, extra.first.c_str());
        for (const Saved& v : m_saved)
            RegSetValueExA(key, v.name.c_str(), 0, v.type, reinterpret_cast<const BYTE*>(v.data.data()),
                           static_cast<DWORD>(v.data.size()));
        RegCloseKey(key);
    }
    SmallFontSet(const SmallFontSet&) = delete;
    SmallFontSet& operator=(const SmallFontSet&) = delete;
    // The names the program lists for the fonts left.
    const std::vector<std::string>& Names() const { return m_kept; }

private:
    struct Saved {
        std::string name;
        DWORD type;
        std::string data;
    };
    std::vector<Saved> m_saved;
    std::vector<std::pair<std::string, std::string>> m_extra;
    std::vector<std::string> m_kept;
};

bool Checked(HWND dlg, int id) { return Send(ChildById(dlg, id), BM_GETCHECK) == BST_CHECKED; }
bool Enabled(HWND dlg, int id) { return IsEnabled(ChildById(dlg, id)); }

std::vector<std::string> ComboItems(HWND combo)
{
    std::vector<std::string> items;
    const int n = static_cast<int>(SendWide(combo, CB_GETCOUNT));
    for (int i = 0; i < n; ++i) {
        std::wstring text(static_cast<std::size_t>(SendWide(combo, CB_GETLBTEXTLEN, i)) + 1, L'\0');
        SendWide(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text.data()));
        items.push_back(ToCp1252(text));
    }
    return items;
}

std::string ComboText(HWND combo)
{
    const int sel = static_cast<int>(SendWide(combo, CB_GETCURSEL));
    const auto items = ComboItems(combo);
    return sel >= 0 && sel < static_cast<int>(items.size()) ? items[sel] : std::string();
}

// Picks an entry as the user does: the selection changes and the dialog hears of it.
void Choose(HWND dlg, int id, int index)
{
    HWND combo = ChildById(dlg, id);
    Send(combo, CB_SETCURSEL, index);
    Post(dlg, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo));
    Settle(dlg);
}

int IndexOf(const std::vector<std::string>& items, const std::string& item)
{
    auto it = std::find(items.begin(), items.end(), item);
    return it == items.end() ? -1 : static_cast<int>(it - items.begin());
}

HWND OpenPrintDialog(Process& typa, HWND main)
{
    Command(main, mnuFontPrint);
    auto dlg = WaitForDialog(typa.Pid(), kPrintDialog, 120000);
    return dlg ? dlg->wnd : nullptr;
}

// Chooses the mode, presses OK and waits for the job's PDF.
std::optional<std::string> PrintWithMode(HWND dlg, int mode)
{
    Click(ChildById(dlg, mode));
    Settle(dlg);
    const auto before = pdf::Files();
    Click(ChildById(dlg, IDOK));
    return pdf::WaitForNew(before);
}

// Today as the sheets write it, in UTF-8.
std::string Today()
{
    char text[64] = {};
    GetDateFormatA(LOCALE_USER_DEFAULT, 0, nullptr, "d MMMM yyyy", text, sizeof text);
    return pdf::Utf8(text);
}

std::vector<std::string> Split(const std::string& s, char separator)
{
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (std::size_t at; (at = s.find(separator, start)) != std::string::npos; start = at + 1)
        parts.push_back(s.substr(start, at - start));
    parts.push_back(s.substr(start));
    return parts;
}

// The lines of a page's text that are font names of `names` (a name line is the name alone, or
// the name with a leading "*").
std::vector<std::string> NameLines(const std::string& page, const std::vector<std::string>& names)
{
    std::vector<std::string> found;
    for (const std::string& line : Split(page, '\n')) {
        std::string t = line;
        while (!t.empty() && (t.back() == ' ' || t.back() == '\r')) t.pop_back();
        if (std::find(names.begin(), names.end(), t) != names.end()) found.push_back(t);
    }
    return found;
}

// Clicks a sub-folder of the font folder in the folder tree and waits until its fonts are listed.
void OpenFolder(Process& typa, HWND main, const std::string& name)
{
    HWND folders = ChildById(main, twAvailableGroup);
    auto node = TreeFind(folders, {TreeItems(folders).at(0).text, name});
    REQUIRE(node);
    TreeSelect(folders, node->item);
    Command(main, twAvailableGroup); // what a click on the tree sends
    Settle(main);
    REQUIRE(WaitUntil([&] {
        if (!IsEnabled(main)) return false;
        for (HWND w : TopLevelWindows(typa.Pid()))
            if (w != main && IsVisible(w)) return false;
        return true;
    }, 120000));
}

bool CaseBlindLess(const std::string& a, const std::string& b)
{
    return CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, a.c_str(), -1, b.c_str(), -1) == CSTR_LESS_THAN;
}

} // namespace

TEST_CASE("All installed fonts: no-group fonts first, each group on its own page, names ignoring case, a header on every page")
{
    // "cursive test" is listed but no family of the system bears it: it prints by name with the
    // footnote. Its lower-case initial sorts it among the upper-case names only when case is ignored.
    SmallFontSet fonts(std::vector<std::pair<std::string, std::string>>{
        {"cursive test (TrueType)", "Z:\\usr\\share\\fonts\\truetype\\dejavu\\DejaVuSerif.ttf"}});
    ResetSettings(EmptyFontFolder());
    for (const char* g : {"Script", "Déco"}) SetString(HKEY_CURRENT_USER, (std::string(kGroups) + "\\" + g).c_str(), "", "");
    const std::map<std::string, std::string> groupOf = {
        {"Liberation Serif", "Déco"}, {"Liberation Serif Bold", "Déco"}, {"cursive test", "Déco"},
        {"DejaVu Sans Mono", "Script"}, {"DejaVu Sans Mono Bold", "Script"}, {"DejaVu Sans Mono Oblique", "Script"}};
    for (const auto& [font, group] : groupOf) SetString(HKEY_CURRENT_USER, kFontGroups, font.c_str(), group);
    SetDword(HKEY_CURRENT_USER, kTypaKey, "PrintOptions", 1); // the name alone: one line per block

    // What the sheets must show, group after group.
    std::map<std::string, std::vector<std::string>> byGroup;
    for (const std::string& name : fonts.Names()) {
        auto it = groupOf.find(name);
        byGroup[it == groupOf.end() ? "" : it->second].push_back(name);
    }
    std::vector<std::string> expected;
    for (const char* g : {"", "Déco", "Script"}) {
        auto& names = byGroup[g];
        std::sort(names.begin(), names.end(), CaseBlindLess);
        expected.insert(expected.end(), names.begin(), names.end());
    }
    std::vector<std::string> utf8Names;
    for (const std::string& n : fonts.Names()) utf8Names.push_back(pdf::Utf8(n));
    utf8Names.push_back("*cursive test");

    Process typa;
    HWND main = StartAndWait(typa);
    REQUIRE(main);
    HWND dlg = OpenPrintDialog(typa, main);
    REQUIRE(dlg);
    // "Polices Windows" with rows but none selected: the group is preselected.
    CHECK_FALSE(Enabled(dlg, TdlgPrint::kIdSelected));
    CHECK(Checked(dlg, TdlgPrint::kIdSelectedGroup));
    auto file = PrintWithMode(dlg, TdlgPrint::kIdAllInstalled);
    REQUIRE(file);
    Settle(main);
    CHECK(IsEnabled(main));

    const std::string text = pdf::Text(*file);
    std::vector<std::string> pages = Split(text, '\f');
    while (!pages.empty() && pages.back().find_first_not_of(" \n") == std::string::npos) pages.pop_back();
    CHECK(pdf::Pages(*file) == static_cast<int>(pages.size()));
    REQUIRE(pages.size() >= 3);

    std::vector<std::string> printed;
    for (std::size_t p = 0; p < pages.size(); ++p) {
        CAPTURE(p);
        const std::string& page = pages[p];
        const auto typarium = page.find("Typarium");
        const auto date = page.find(Today());
        const auto number = page.find("Page " + std::to_string(p + 1));
        REQUIRE(typarium != std::string::npos);
        CHECK(date != std::string::npos);
        CHECK(number != std::string::npos);
        CHECK(page.find(pdf::Utf8("*) - L'installation de cette police a échoué")) != std::string::npos);
        // The subtitle names the page's group; the names below all belong to it.
        std::string group;
        for (const char* g : {"Polices Windows", "Déco", "Script"})
            if (page.find(pdf::Utf8(std::string("Toutes les polices installées du groupe '") + g + "'")) != std::string::npos)
                group = g;
        REQUIRE_FALSE(group.empty());
        const std::string key = group == "Polices Windows" ? "" : group;
        for (const std::string& line : NameLines(page, utf8Names)) {
            std::string name = line[0] == '*' ? line.substr(1) : line;
            CAPTURE(name);
            auto it = groupOf.find(name);
            CHECK((it == groupOf.end() ? std::string() : pdf::Utf8(it->second)) == pdf::Utf8(key));
            CHECK((line[0] == '*') == (name == "cursive test"));
            printed.push_back(name);
        }
    }
    CHECK(printed == expected);
    CHECK(QuitByButton(typa, main) == std::optional<DWORD>(0));
}

TEST_CASE("All available fonts of a folder: each block in its own face, never the footnote")
{
    ResetSettings(DemoFontFolder());
    SetDword(HKEY_CURRENT_USER, kTypaKey, "PrintOptions", 1 | 2 | 4); // name, alphabet, file name
    Process typa;
    HWND main = StartAndWait(typa);
    REQUIRE(main);
    HWND list = ChildById(main, lbAvailableFonts);
    OpenFolder(typa, main, "Sans");
    const std::vector<std::string> rows = ListRows(list);
    REQUIRE(rows.size() >= 5);

    HWND dlg = OpenPrintDialog(typa, main);
    REQUIRE(dlg);
    CHECK(Enabled(dlg, TdlgPrint::kIdAllAvailable));
    CHECK_FALSE(Checked(dlg, TdlgPrint::kIdAllAvailable)); // never preselected
    auto file = PrintWithMode(dlg, TdlgPrint::kIdAllAvailable);
    REQUIRE(file);

    const std::string text = pdf::Text(*file);
    CHECK(text.find("Typarium") != std::string::npos);
    CHECK(text.find("Page 1") != std::string::npos);
    CHECK(text.find("Toutes les polices disponibles dans '") != std::string::npos);
    CHECK(text.find("\\sans\\'") != std::string::npos); // the folder, lower-cased
    CHECK(text.find(pdf::Utf8("*) - L'installation")) == std::string::npos);
    // Every row's font is embedded: the blocks were drawn in the fonts themselves. (Text drawn in
    // fonts without glyph names cannot be read back, so the names are looked for among the fonts.)
    std::string embedded;
    for (char c : pdf::Fonts(*file))
        if (c != '-') embedded += c;
    for (const std::string& row : rows) {
        std::string key;
        for (char c : row)
            if (c != ' ') key += c;
        CAPTURE(key);
        CHECK(embedded.find(key.substr(0, std::min<std::size_t>(key.size(), 12))) != std::string::npos);
    }
    CHECK(QuitByButton(typa, main) == std::optional<DWORD>(0));
}

TEST_CASE("Cancel in the progress dialog during the third font: no document, the main window usable again")
{
    ResetSettings(DemoFontFolder());
    Process typa;
    HWND main = StartAndWait(typa);
    REQUIRE(main);
    HWND list = ChildById(main, lbAvailableFonts);
    OpenFolder(typa, main, "Sans");
    REQUIRE(ListCount(list) >= 5);
    // The label can only be read while the job lets messages through, once per font: Cancel goes
    // in as soon as the second or third font shows, and is seen by the next font's step at the latest.
    const std::string second = "Impression de la police " + ListText(list, 1) + "...";
    const std::string third = "Impression de la police " + ListText(list, 2) + "...";

    HWND dlg = OpenPrintDialog(typa, main);
    REQUIRE(dlg);
    Click(ChildById(dlg, TdlgPrint::kIdAllAvailable));
    Settle(dlg);
    const auto before = pdf::Files();
    Click(ChildById(dlg, IDOK));

    HWND progress = nullptr;
    REQUIRE(WaitUntil([&] {
        for (HWND w : TopLevelWindows(typa.Pid())) {
            HWND label = w != main && IsVisible(w) ? ChildById(w, typa::TDlgProgress::kIdLabel) : nullptr;
            try {
                if (label && (Text(label) == second || Text(label) == third)) return (progress = w) != nullptr;
            } catch (const DriverError&) { // the window went while it was read
            }
        }
        return false;
    }, 120000, 1));
    Click(ChildById(progress, typa::TDlgProgress::kIdCancel));
    REQUIRE(WaitUntil([&] { return IsEnabled(main); }, 60000));
    Settle(main);
    // No message, no progress left, and nothing printed.
    for (HWND w : TopLevelWindows(typa.Pid())) CHECK_FALSE((w != main && IsVisible(w)));
    CHECK(pdf::NoneNew(before, 8000));
    CHECK(QuitByButton(typa, main) == std::optional<DWORD>(0));
}

TEST_CASE("The print dialog: boxes from PrintOptions, OK saves them and Cancel does not, a new printer brings its own lists")
{
    ResetSettings(EmptyFontFolder());
    SetDword(HKEY_CURRENT_USER, kTypaKey, "PrintOptions", 5);
    Process typa;
    HWND main = StartAndWait(typa);
    REQUIRE(main);
    HWND list = ChildById(main, lbInstalledFonts);
    REQUIRE(ListCount(list) > 0);
    const int row = IndexOf(ListRows(list), "DejaVu Sans");
    REQUIRE(row >= 0);
    Send(list, LB_SETSEL, TRUE, row);

    HWND dlg = OpenPrintDialog(typa, main);
    REQUIRE(dlg);
    // 5: the name and the file name, in the font itself.
    CHECK(Checked(dlg, TdlgPrint::kIdFontname));
    CHECK(Checked(dlg, TdlgPrint::kIdFilename));
    CHECK_FALSE(Checked(dlg, TdlgPrint::kIdChars));
    CHECK_FALSE(Checked(dlg, TdlgPrint::kIdSample));
    CHECK(Checked(dlg, TdlgPrint::kIdRespectiveFont));
    CHECK_FALSE(Checked(dlg, TdlgPrint::kIdSystemFont));
    // A selected row: the chosen fonts are preselected; no folder read: the available mode is off.
    CHECK(Checked(dlg, TdlgPrint::kIdSelected));
    CHECK_FALSE(Enabled(dlg, TdlgPrint::kIdAllAvailable));

    // OK follows the four boxes.
    Click(ChildById(dlg, TdlgPrint::kIdFontname));
    Click(ChildById(dlg, TdlgPrint::kIdFilename));
    Settle(dlg);
    CHECK_FALSE(Enabled(dlg, IDOK));
    Click(ChildById(dlg, TdlgPrint::kIdChars));
    Settle(dlg);
    CHECK(Enabled(dlg, IDOK));

    // The printers, their locations and their own paper sizes and sources.
    HWND printers = ChildById(dlg, TdlgPrint::kIdPrinters);
    const auto names = ComboItems(printers);
    const int pdfPrinter = IndexOf(names, "TypaPDF"), letterPrinter = IndexOf(names, "TypaLettre");
    REQUIRE(pdfPrinter >= 0);
    REQUIRE(letterPrinter >= 0);
    CHECK(ComboText(printers) == "TypaPDF"); // the system's default printer
    CHECK(Text(ChildById(dlg, TdlgPrint::kIdLocation)) == "CUPS:TypaPDF");
    HWND papers = ChildById(dlg, TdlgPrint::kIdPaperSizes);
    HWND bins = ChildById(dlg, TdlgPrint::kIdBinSources);
    CHECK(ComboItems(papers).size() > 20);
    CHECK(ComboText(papers) == "A4");

    Choose(dlg, TdlgPrint::kIdPrinters, letterPrinter);
    CHECK(Text(ChildById(dlg, TdlgPrint::kIdLocation)) == "CUPS:TypaLettre");
    CHECK(ComboItems(papers) == std::vector<std::string>{"US Letter", "US Legal", "Executive", "A5"});
    CHECK(ComboText(papers) == "US Letter");
    const auto sources = ComboItems(bins);
    CHECK(IndexOf(sources, "Bac 1") >= 0);
    CHECK(IndexOf(sources, "Introduction manuelle") >= 0);
    Choose(dlg, TdlgPrint::kIdPaperSizes, 1); // US Legal, written into the printer's record at once

    // Back to the first printer and again to the second: each starts from its driver's defaults.
    Choose(dlg, TdlgPrint::kIdPrinters, pdfPrinter);
    CHECK(ComboText(papers) == "A4");
    CHECK(ComboItems(bins).size() == 1);
    Choose(dlg, TdlgPrint::kIdPrinters, letterPrinter);
    CHECK(ComboText(papers) == "US Letter");

    // The landscape picture chooses landscape.
    HWND landscapeImage = ChildById(dlg, TdlgPrint::kIdLandscapeImage);
    Post(dlg, WM_COMMAND, MAKEWPARAM(TdlgPrint::kIdLandscapeImage, STN_CLICKED), reinterpret_cast<LPARAM>(landscapeImage));
    Settle(dlg);
    CHECK(Checked(dlg, TdlgPrint::kIdLandscape));
    CHECK_FALSE(Checked(dlg, TdlgPrint::kIdPortrait));

    // Cancel: nothing saved, nothing printed.
    const auto before = pdf::Files();
    Click(ChildById(dlg, IDCANCEL));
    REQUIRE(WaitForWindowGone(dlg));
    CHECK(GetDword(HKEY_CURRENT_USER, kTypaKey, "PrintOptions") == std::optional<DWORD>(5));

    // Next opening: the printer chosen last time, back at its driver's defaults; OK saves the new
    // boxes and prints the one selected font with the paper and orientation chosen now.
    dlg = OpenPrintDialog(typa, main);
    REQUIRE(dlg);
    CHECK(ComboText(ChildById(dlg, TdlgPrint::kIdPrinters)) == "TypaLettre");
    CHECK(ComboText(ChildById(dlg, TdlgPrint::kIdPaperSizes)) == "US Letter");
    CHECK(Checked(dlg, TdlgPrint::kIdPortrait));
    CHECK(Checked(dlg, TdlgPrint::kIdFontname)); // 5 again
    CHECK_FALSE(Checked(dlg, TdlgPrint::kIdChars));
    Choose(dlg, TdlgPrint::kIdPaperSizes, 1); // US Legal
    Click(ChildById(dlg, TdlgPrint::kIdLandscape));
    Click(ChildById(dlg, TdlgPrint::kIdSample));
    Click(ChildById(dlg, TdlgPrint::kIdSystemFont));
    Settle(dlg);
    Click(ChildById(dlg, IDOK));
    auto file = pdf::WaitForNew(before);
    REQUIRE(file);
    CHECK(GetDword(HKEY_CURRENT_USER, kTypaKey, "PrintOptions") == std::optional<DWORD>(1 | 4 | 8 | 16));
    CHECK(pdf::Pages(*file) == 1);
    const std::string info = pdf::Info(*file);
    INFO(info);
    // US Legal on its side: either the page is wider than high or it is turned.
    CHECK((info.find("1008 x 612 pts") != std::string::npos ||
           (info.find("612 x 1008 pts") != std::string::npos && info.find("Page rot:        0") == std::string::npos)));
    const std::string text = pdf::Text(*file);
    CHECK(text.find(pdf::Utf8("Polices sélectionnées dans le groupe 'Polices Windows'")) != std::string::npos);
    CHECK(text.find("DejaVu Sans") != std::string::npos);
    CHECK(text.find("Dejavusans.ttf") != std::string::npos);
    CHECK(QuitByButton(typa, main) == std::optional<DWORD>(0));
}

TEST_CASE("Without any printer the command says so and opens no dialog")
{
    ResetSettings(EmptyFontFolder());
    // Wine asks CUPS for the printers with the Linux environment of the program's process, which
    // a Windows parent cannot change: the program is started from a shell with a CUPS server that
    // does not exist, so Wine lists no printer at all for it. The printers come back for the next
    // program that reaches the real server.
    pdf::StartUnix("CUPS_SERVER=/nonexistent/typa-no-cups.sock exec wine '" + pdf::UnixPath(TypaExePath()) + "'");
    HWND main = nullptr;
    REQUIRE(WaitUntil([&] {
        main = FindWindowA("TfrmTYPA", "Typarium");
        return main && IsVisible(main) && IsEnabled(main);
    }, 240000, 200));
    const DWORD pid = WindowPid(main);
    REQUIRE(Settle(main, 240000));

    Command(main, mnuFontPrint);
    auto box = WaitForDialog(pid, "Erreur", 60000);
    REQUIRE(box);
    CHECK(box->Text() ==
          "L'impression est impossible car aucune imprimante n'est installée. Veuillez installer une imprimante via le "
          "Panneau de configuration puis faites un nouvel essai.");
    CHECK_FALSE(FindTopLevel(pid, "#32770", kPrintDialog));
    Answer(*box, "OK");
    Settle(main);
    CHECK_FALSE(FindTopLevel(pid, "#32770", kPrintDialog));
    Click(ChildById(main, btExitProgram));
    CHECK(WaitForWindowGone(main, 60000));
}

TEST_CASE("Font changes announced while 50 installed fonts print: every block is on paper")
{
    // Fifty small fonts in the Windows fonts folder, registered and in one group.
    std::vector<std::pair<std::string, std::string>> values;
    std::vector<std::string> names;
    const std::string fontsFolder = [] {
        char w[MAX_PATH] = {};
        GetWindowsDirectoryA(w, MAX_PATH);
        return std::string(w) + "\\Fonts";
    }();
    for (const FontCopy& c : WriteFontCopies(fontsFolder, 50, "TYPACINQ", "Typa Cinq", 2)) {
        values.emplace_back(c.family + " (TrueType)", c.file);
        names.push_back(c.family);
    }
    SmallFontSet fonts(values);
    ResetSettings(EmptyFontFolder());
    SetString(HKEY_CURRENT_USER, (std::string(kGroups) + "\\Cinquante").c_str(), "", "");
    for (const std::string& n : names) SetString(HKEY_CURRENT_USER, kFontGroups, n.c_str(), "Cinquante");
    SetDword(HKEY_CURRENT_USER, kTypaKey, "PrintOptions", 1 | 16); // the name, in the system font: readable

    Process typa;
    HWND main = StartAndWait(typa);
    REQUIRE(main);
    SelectGroup(main, "Cinquante");
    REQUIRE(ListCount(ChildById(main, lbInstalledFonts)) == 50);
    HWND dlg = OpenPrintDialog(typa, main);
    REQUIRE(dlg);
    Click(ChildById(dlg, TdlgPrint::kIdSelectedGroup));
    Settle(dlg);
    const auto before = pdf::Files();
    Click(ChildById(dlg, IDOK));
    // Another program announces new fonts to every window all along the job.
    int announced = 0;
    WaitUntil([&] {
        DWORD_PTR result = 0;
        SendMessageTimeoutA(HWND_BROADCAST, WM_FONTCHANGE, 0, 0, SMTO_ABORTIFHUNG, 2000, &result);
        ++announced;
        return !pdf::Files().empty() && pdf::Files() != before;
    }, 240000, 20);
    auto file = pdf::WaitForNew(before);
    REQUIRE(file);
    CHECK(announced > 1);
    const std::string text = pdf::Text(*file);
    for (const std::string& n : names) {
        CAPTURE(n);
        CHECK(text.find(n) != std::string::npos);
    }
    REQUIRE(RunOver(typa, main));
    // The refresh that waited for the job: the group still shows its fifty fonts.
    CHECK(ListCount(ChildById(main, lbInstalledFonts)) == 50);
    CHECK(QuitByButton(typa, main) == std::optional<DWORD>(0));
    for (const std::string& n : names) {
        const std::string path = fontsFolder + "\\TYPACINQ" + n.substr(n.size() - 2) + ".TTF";
        DeleteFileA(path.c_str());
    }
}

TEST_CASE("A folder font marked installed for its family is printed in its own face, not the installed one")
{
    // The demo folder's top level holds Carlito and Carlito Bold. With Carlito installed, Carlito
    // Bold counts as installed too (its family is), but its own file is not the installed one.
    const std::string folder = BesideExe("print-own-face");
    CreateDirectoryA(folder.c_str(), nullptr);
    for (const char* f : {"Carlito-Regular.TTF", "Carlito-Bold.TTF"})
        CopyFileA((DemoFontFolder() + "\\" + f).c_str(), (folder + "\\" + f).c_str(), FALSE);
    ResetSettings(folder);
    SetDword(HKEY_CURRENT_USER, kTypaKey, "PrintOptions", 1 | 2);
    Process typa;
    HWND main = StartAndWait(typa);
    REQUIRE(main);
    HWND list = ChildById(main, lbAvailableFonts);
    const std::vector<std::string> rows = ListRows(list);
    REQUIRE(rows.size() == 2);
    const int bold = rows[0].find("Bold") != std::string::npos ? 0 : 1;
    Send(list, LB_SETSEL, FALSE, -1);
    Send(list, LB_SETSEL, TRUE, 1 - bold);
    Send(main, WM_COMMAND, MAKEWPARAM(lbAvailableFonts, LBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
    Command(main, kInstallToGroupBase); // "Polices Windows"
    REQUIRE(RunOver(typa, main));
    Send(list, LB_SETSEL, FALSE, -1);
    Send(list, LB_SETSEL, TRUE, bold);
    Send(main, WM_COMMAND, MAKEWPARAM(lbAvailableFonts, LBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
    REQUIRE_FALSE(IsEnabled(ChildById(main, btFontInstall))); // marked installed

    HWND dlg = OpenPrintDialog(typa, main);
    REQUIRE(dlg);
    auto file = PrintWithMode(dlg, TdlgPrint::kIdAllAvailable);
    REQUIRE(file);
    const std::string embedded = pdf::Fonts(*file);
    INFO(embedded);
    CHECK(embedded.find("Carlito-Bold") != std::string::npos);
    CHECK(QuitByButton(typa, main) == std::optional<DWORD>(0));

    // Carlito out of the system again.
    char w[MAX_PATH] = {};
    GetWindowsDirectoryA(w, MAX_PATH);
    DeleteFileA((std::string(w) + "\\Fonts\\Carlito-regular.ttf").c_str());
    HKEY k;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kSystemFonts, 0, KEY_ALL_ACCESS, &k) == ERROR_SUCCESS) {
        RegDeleteValueA(k, (rows[1 - bold] + " (TrueType)").c_str());
        RegCloseKey(k);
    }
}

TEST_CASE("OpenType files and the faces of a collection print in their own faces")
{
    const std::string folder = BesideExe("print-formats");
    CreateDirectoryA(folder.c_str(), nullptr);
    for (const char* f : {"FreeSerif.otf", "Cantarell-Regular.otf", "Duo.ttc"})
        CopyFileA((DemoFontFolder() + "\\OpenType\\" + f).c_str(), (folder + "\\" + f).c_str(), FALSE);
    ResetSettings(folder);
    SetDword(HKEY_CURRENT_USER, kTypaKey, "PrintOptions", 1 | 16); // the name, and again in the system font
    Process typa;
    HWND main = StartAndWait(typa);
    REQUIRE(main);
    HWND list = ChildById(main, lbAvailableFonts);
    const std::vector<std::string> rows = ListRows(list);
    REQUIRE(rows == std::vector<std::string>{"Caladea Regular", "Cantarell Regular", "Carlito", "FreeSerif"});
    ClickAt(list, Centre(*ListItemRect(list, 0))); // the folder's side is the one printed
    REQUIRE(Settle(main));

    HWND dlg = OpenPrintDialog(typa, main);
    REQUIRE(dlg);
    auto file = PrintWithMode(dlg, TdlgPrint::kIdAllAvailable);
    REQUIRE(file);
    const std::string text = pdf::Text(*file);
    for (const std::string& row : rows) CHECK_MESSAGE(text.find(row) != std::string::npos, row);
    // Each face of the collection goes to the printer as itself. Under Wine the PostScript
    // outlines go as filled outlines (its printer driver downloads TrueType outlines only), so
    // nothing else stands in for them.
    const std::string embedded = pdf::Fonts(*file);
    INFO(embedded);
    CHECK(embedded.find("Caladea") != std::string::npos);
    CHECK(embedded.find("Carlito") != std::string::npos);
    CHECK(embedded.find("FreeSerif") == std::string::npos);
    CHECK(embedded.find("Cantarell") == std::string::npos);
    CHECK(embedded.find("DejaVu") == std::string::npos);
    CHECK(QuitByButton(typa, main) == std::optional<DWORD>(0));
}
