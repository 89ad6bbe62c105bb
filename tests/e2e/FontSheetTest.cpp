// A font's own sheet as a user opens it: a double click, Enter or Alt+Enter on a row; what it
// says, from the file itself; the characters drawn in the font, those it lacks left empty; one
// window for every font; a folder font's file held only while its sheet shows it.
#include "support/FontScene.h"
#include "support/TrueTypeWriter.h"
#include "res/Resource.h"
#include "ui/FontSheet.h"
#include <doctest/doctest.h>

#include <fstream>
#include <iterator>

using namespace typa::e2e;
namespace test = typa::test;
using typa::TFontSheet;

namespace {

test::Bytes Lato()
{
    std::ifstream in(DemoFontFolder() + "\\Sans\\Lato-Regular.TTF", std::ios::binary);
    return test::Bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void Write(const std::string& path, const test::Bytes& bytes)
{
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

// A folder of fonts the test writes, with the program started on it.
struct SheetScene {
    std::string folder = BesideExe("font-sheet");
    Process typa;
    HWND main = nullptr;
    HWND available = nullptr;

    SheetScene()
    {
        CreateDirectoryA(folder.c_str(), nullptr);
        const test::Bytes lato = Lato();
        REQUIRE_FALSE(lato.empty());
        // What the file says of itself, in French and in English: the French is shown.
        Write(folder + "\\TYPAFICHE.TTF",
              test::Renamed(lato, u"Typa Fiche", u"Regular", u"Typa Fiche",
                            {test::MsName(13, u"Licence d'essai, en fran\u00E7ais", 0x040C),
                             test::MsName(13, u"Test licence, in English"),
                             test::MsName(14, u"https://exemple.fr/licence"), test::MsName(5, u"Version 1.0")}));
        // The same glyphs, but a cmap of the printable ASCII characters only: no "é".
        test::Bytes ascii = test::WithTable(lato, "cmap", test::CmapTable({{3, 1, test::CmapFormat4({{0x20, 0x7E, 0, {}}}), {}}}));
        Write(folder + "\\TYPAASCII.TTF", test::Renamed(ascii, u"Typa Ascii", u"Regular", u"Typa Ascii"));
        // Enough for the list, but its cmap lies outside the file.
        Write(folder + "\\TYPAABIME.TTF", test::TrueTypeWriter()
                                              .Add("OS/2", test::Os2Table(400, 0))
                                              .Add("name", test::NameTable({test::MsName(1, u"Typa Abime"), test::MsName(2, u"Regular"),
                                                                            test::MsName(4, u"Typa Abime")}))
                                              .Add("cmap", test::Bytes(64, 0), 0x7FFF0000)
                                              .Build());
        ResetSettings(folder);
        main = StartAndWait(typa);
        REQUIRE(main);
        available = ChildById(main, lbAvailableFonts);
        REQUIRE(ListRows(available) == std::vector<std::string>{"Typa Abime", "Typa Ascii", "Typa Fiche"});
    }

    // Double-clicks a row and waits for the sheet.
    HWND OpenByDoubleClick(HWND list, int row)
    {
        auto r = ListItemRect(list, row);
        REQUIRE(r);
        ClickAt(list, Centre(*r));
        ClickAt(list, Centre(*r), kNoMod, true);
        return Sheet();
    }
    // The sheet once it shows its font.
    HWND Sheet()
    {
        HWND sheet = nullptr;
        WaitUntil([&] {
            sheet = FindTopLevel(typa.Pid(), "TypaFontSheet", nullptr);
            return sheet && IsVisible(sheet) && !TitleOf(sheet).empty();
        }, 60000);
        Settle(main);
        return sheet;
    }
};

// What another program does after adding a font: tell every window. The lists are filled again
// and give back every file they held for their rows, before they paint.
void BroadcastFontChange(HWND main)
{
    DWORD_PTR result = 0;
    SendMessageTimeoutA(HWND_BROADCAST, WM_FONTCHANGE, 0, 0, SMTO_ABORTIFHUNG, 5000, &result);
    Settle(main);
}

std::string Header(HWND sheet) { return Text(ChildById(sheet, TFontSheet::kIdHeader)); }
std::string Info(HWND sheet) { return Text(ChildById(sheet, TFontSheet::kIdInfo)); }

// The ink in the cell of `code`, inside its grid lines.
int InkOfCell(HWND sheet, int code)
{
    HWND map = ChildById(sheet, TFontSheet::kIdCharacters);
    const RECT client = ClientRect(map);
    const int w = client.right / 16, h = client.bottom / 14, index = code - 0x20;
    const RECT cell{index % 16 * w + 3, index / 16 * h + 3, (index % 16 + 1) * w - 3, (index / 16 + 1) * h - 3};
    return InkIn(map, cell);
}

} // namespace

TEST_CASE("A double click opens a folder font's sheet: what its file says, nine sizes, its file held only meanwhile")
{
    SheetScene s;
    HWND sheet = s.OpenByDoubleClick(s.available, 2);
    REQUIRE(sheet);
    CHECK(TitleOf(sheet) == "Typa Fiche - Typarium");
    const std::string header = Header(sheet);
    CHECK(header.rfind("Typa Fiche\r\nFamille : Typa Fiche\r\nStyle : Regular\r\nFichier : Typafiche.ttf\r\n", 0) == 0);
    CHECK(header.find("Installée : non") != std::string::npos);
    const std::string info = Info(sheet);
    CHECK(info.find("Version : Version 1.0\r\n") != std::string::npos);
    CHECK(info.find("Licence : Licence d'essai, en français\r\n") != std::string::npos);
    CHECK(info.find("Adresse de la licence : https://exemple.fr/licence\r\n") != std::string::npos);
    CHECK(info.find("Contours : TrueType") != std::string::npos);
    CHECK(Text(ChildById(sheet, TFontSheet::kIdCounts)).rfind("Caractères : ", 0) == 0);

    // The sample at each size, larger rows for larger sizes.
    HWND waterfall = ChildById(sheet, TFontSheet::kIdWaterfall);
    CHECK(ListRows(waterfall) ==
          std::vector<std::string>{"8 pt", "10 pt", "12 pt", "14 pt", "18 pt", "24 pt", "36 pt", "48 pt", "72 pt"});
    for (int i = 1; i < 9; ++i) CHECK(ListItemHeight(waterfall, i) > ListItemHeight(waterfall, i - 1));

    // Shown in itself: its file is loaded while the sheet is open, whatever the list gives back,
    // and given back when the sheet closes.
    BroadcastFontChange(s.main);
    CHECK(CountFontFamilies(s.main, "Typa Fiche", false) == 1);
    Key(waterfall, VK_ESCAPE);
    CHECK(WaitForWindowGone(sheet, 60000));
    // The list keeps the file of a row it draws (the change keeps it where it was scrolled):
    // scrolled back to the top, it no longer draws this one.
    Send(s.available, LB_SETTOPINDEX, 0, 0);
    BroadcastFontChange(s.main);
    CHECK(CountFontFamilies(s.main, "Typa Fiche", false) == 0);
    CHECK(QuitByButton(s.typa, s.main) == std::optional<DWORD>(0));
}

TEST_CASE("The character map: what the font lacks stays empty, what it has is drawn; one sheet for every font")
{
    SheetScene s;
    HWND sheet = s.OpenByDoubleClick(s.available, 1);
    REQUIRE(sheet);
    CHECK(TitleOf(sheet) == "Typa Ascii - Typarium");
    CHECK(InkOfCell(sheet, 0xE9) == 0); // "é": not in the font's cmap
    CHECK(InkOfCell(sheet, 'A') > 0);

    // Enter on another row shows it in the same window.
    Send(s.available, LB_SETSEL, FALSE, -1);
    Send(s.available, LB_SETSEL, TRUE, 2);
    Send(s.available, LB_SETCARETINDEX, 2, FALSE);
    Key(s.available, VK_RETURN);
    Settle(s.main);
    CHECK(WaitUntil([&] { return TitleOf(sheet) == "Typa Fiche - Typarium"; }, 60000));
    CHECK(FindTopLevel(s.typa.Pid(), "TypaFontSheet", nullptr) == sheet);
    CHECK(InkOfCell(sheet, 0xE9) > 0); // Lato's "é"

    // Ctrl+C puts the sheet's text on the clipboard.
    HWND info = ChildById(sheet, TFontSheet::kIdInfo);
    Key(info, 'C', kCtrl);
    Settle(s.main);
    std::string copied;
    if (OpenClipboard(nullptr)) {
        if (HANDLE data = GetClipboardData(CF_TEXT))
            if (const char* text = static_cast<const char*>(GlobalLock(data))) {
                copied = text;
                GlobalUnlock(data);
            }
        CloseClipboard();
    }
    CHECK(copied.rfind("Typa Fiche\r\nFamille : Typa Fiche", 0) == 0);
    CHECK(copied.find("Licence : Licence d'essai, en français") != std::string::npos);

    // An installed font's sheet, by Alt+Enter on the installed list.
    HWND installed = ChildById(s.main, lbInstalledFonts);
    const int dejavu = RowOf(installed, "DejaVu Sans");
    REQUIRE(dejavu >= 0);
    Send(installed, LB_SETSEL, TRUE, dejavu);
    Send(installed, LB_SETCARETINDEX, dejavu, FALSE);
    Key(installed, VK_RETURN, kAlt);
    Settle(s.main);
    CHECK(WaitUntil([&] { return TitleOf(sheet) == "DejaVu Sans - Typarium"; }, 60000));
    CHECK(Header(sheet).find("Installée : oui, parmi les 'Polices Windows'") != std::string::npos);
    Close(sheet);
    CHECK(WaitForWindowGone(sheet, 60000));
    CHECK(QuitByButton(s.typa, s.main) == std::optional<DWORD>(0));
}

TEST_CASE("A file fit for the list but not for the sheet, and one that has gone")
{
    SheetScene s;
    HWND sheet = s.OpenByDoubleClick(s.available, 0);
    REQUIRE(sheet);
    CHECK(Text(ChildById(sheet, TFontSheet::kIdCounts)).rfind("Caractères : illisible", 0) == 0);
    CHECK(Info(sheet).find("Licence : non indiquée") != std::string::npos);
    Close(sheet);
    CHECK(WaitForWindowGone(sheet, 60000));

    // The file goes behind the program's back: its name in the message, and no sheet.
    REQUIRE(DeleteFileA((s.folder + "\\TYPAFICHE.TTF").c_str()));
    auto r = ListItemRect(s.available, 2);
    REQUIRE(r);
    ClickAt(s.available, Centre(*r));
    ClickAt(s.available, Centre(*r), kNoMod, true);
    auto box = WaitForDialog(s.typa.Pid(), "Erreur", 60000);
    REQUIRE(box);
    CHECK(box->Text().find("typafiche.ttf") != std::string::npos);
    CHECK(box->Text().find("n'existe plus") != std::string::npos);
    Answer(*box, "OK");
    REQUIRE(WaitForWindowGone(box->wnd, 60000));
    Settle(s.main);
    CHECK_FALSE(FindTopLevel(s.typa.Pid(), "TypaFontSheet", nullptr));
    CHECK(QuitByButton(s.typa, s.main) == std::optional<DWORD>(0));
}
