// The options dialog as a user works it: the rules its boxes keep, what OK and "Annuler" store,
// and what the main window shows afterwards.
#include "support/TypaSession.h"
#include "res/Resource.h"
#include "ui/DlgOptions.h"
#include <doctest/doctest.h>

#include <algorithm>

using namespace typa::e2e;
using typa::TdlgOptions;

namespace {

const char* const kStandardSample =
    "Servez à ce monsieur, le petit juge blond assis au fond, une bière hollandaise et des kiwis.";

HWND OpenOptions(Process& typa, HWND main)
{
    Command(main, mnuViewOptions);
    auto dlg = WaitForDialog(typa.Pid(), "Options", 60000);
    return dlg ? dlg->wnd : nullptr;
}

bool Checked(HWND dlg, int id) { return Send(ChildById(dlg, id), BM_GETCHECK) == BST_CHECKED; }

void ClickAndSettle(HWND dlg, int id)
{
    Click(ChildById(dlg, id));
    Settle(dlg);
}

// Closes the dialog with a button and waits until the main window has done what follows (OK
// rebuilds both lists).
void CloseWith(Process& typa, HWND dlg, HWND main, int id)
{
    Click(ChildById(dlg, id));
    CHECK(WaitForWindowGone(dlg, 60000));
    CHECK(WaitUntilQuiet(typa, main));
}

const int kStatusFields[] = {TdlgOptions::cbNoFonts, TdlgOptions::cbNoMarkedFonts, TdlgOptions::cbSize,
                             TdlgOptions::cbFree};
const int kFontBoxes[] = {TdlgOptions::cbFontname, TdlgOptions::cbFontnameSystem, TdlgOptions::cbFilename,
                          TdlgOptions::cbChars, TdlgOptions::cbSample};

bool PutOnClipboard(const std::string& text)
{
    if (!OpenClipboard(nullptr)) return false;
    EmptyClipboard();
    HGLOBAL mem = GlobalAlloc(GMEM_MOVEABLE, text.size() + 1);
    bool ok = false;
    if (mem) {
        memcpy(GlobalLock(mem), text.c_str(), text.size() + 1);
        GlobalUnlock(mem);
        ok = SetClipboardData(CF_TEXT, mem) != nullptr;
        if (!ok) GlobalFree(mem);
    }
    CloseClipboard();
    return ok;
}

} // namespace

TEST_CASE("Status bar group: its rules, Annuler keeps everything, A&ucune then OK hides the bar")
{
    ResetSettings(EmptyFontFolder());
    Process typa;
    HWND main = StartAndWait(typa);
    REQUIRE(main);
    HWND statusBar = ChildById(main, idStatusBar);
    REQUIRE(IsVisible(statusBar));

    HWND dlg = OpenOptions(typa, main);
    REQUIRE(dlg);
    // The settings as they are: the defaults of a fresh user.
    CHECK(Text(ChildById(dlg, TdlgOptions::memSample)) == kStandardSample);
    CHECK(Checked(dlg, TdlgOptions::cbStatusBar));
    for (int id : kStatusFields) CHECK((Checked(dlg, id) && IsEnabled(ChildById(dlg, id))));
    for (int id : kFontBoxes) CHECK(Checked(dlg, id));

    // "A&ucune" leaves nothing checked and the fields out of reach; "&Toutes" brings all back.
    ClickAndSettle(dlg, TdlgOptions::pbNone);
    CHECK_FALSE(Checked(dlg, TdlgOptions::cbStatusBar));
    for (int id : kStatusFields) CHECK_FALSE((Checked(dlg, id) || IsEnabled(ChildById(dlg, id))));
    CHECK_FALSE(IsEnabled(ChildById(dlg, TdlgOptions::pbNone)));
    CHECK(IsEnabled(ChildById(dlg, TdlgOptions::pbAll)));
    ClickAndSettle(dlg, TdlgOptions::pbAll);
    CHECK(Checked(dlg, TdlgOptions::cbStatusBar));
    for (int id : kStatusFields) CHECK((Checked(dlg, id) && IsEnabled(ChildById(dlg, id))));
    CHECK(IsEnabled(ChildById(dlg, TdlgOptions::pbNone)));

    // Unchecking the four fields one by one takes the status bar away with the last one.
    for (int id : kStatusFields) {
        CHECK(Checked(dlg, TdlgOptions::cbStatusBar));
        ClickAndSettle(dlg, id);
    }
    CHECK_FALSE(Checked(dlg, TdlgOptions::cbStatusBar));
    CHECK_FALSE(IsEnabled(ChildById(dlg, TdlgOptions::cbFree)));
    // The status bar box alone gives the fields back, still unchecked.
    ClickAndSettle(dlg, TdlgOptions::cbStatusBar);
    CHECK(IsEnabled(ChildById(dlg, TdlgOptions::cbFree)));
    CHECK_FALSE(Checked(dlg, TdlgOptions::cbFree));

    // "Annuler" stores nothing.
    CloseWith(typa, dlg, main, TdlgOptions::pbCancel);
    CHECK_FALSE(ValueExists(HKEY_CURRENT_USER, kTypaKey, "StatusOptions"));
    CHECK_FALSE(ValueExists(HKEY_CURRENT_USER, kTypaKey, "FontOptions"));
    CHECK(IsVisible(statusBar));

    // "A&ucune", OK: StatusOptions 0, the bar hidden.
    dlg = OpenOptions(typa, main);
    REQUIRE(dlg);
    ClickAndSettle(dlg, TdlgOptions::pbNone);
    CloseWith(typa, dlg, main, TdlgOptions::pbOK);
    CHECK(GetDword(HKEY_CURRENT_USER, kTypaKey, "StatusOptions") == std::optional<DWORD>(0));
    CHECK(GetDword(HKEY_CURRENT_USER, kTypaKey, "FontOptions") == std::optional<DWORD>(31));
    CHECK_FALSE(IsVisible(statusBar));

    // The bar alone, without fields: shown, and empty.
    dlg = OpenOptions(typa, main);
    REQUIRE(dlg);
    CHECK_FALSE(Checked(dlg, TdlgOptions::cbStatusBar));
    CHECK_FALSE(IsEnabled(ChildById(dlg, TdlgOptions::cbNoFonts)));
    ClickAndSettle(dlg, TdlgOptions::cbStatusBar);
    CloseWith(typa, dlg, main, TdlgOptions::pbOK);
    CHECK(GetDword(HKEY_CURRENT_USER, kTypaKey, "StatusOptions") == std::optional<DWORD>(0));
    CHECK(IsVisible(statusBar));
    CHECK(StatusText(statusBar).empty());

    CHECK(QuitByButton(typa, main) == std::optional<DWORD>(0));
    CHECK(GetDword(HKEY_CURRENT_USER, kTypaKey, "AppTools") == std::optional<DWORD>(31));
}

TEST_CASE("Font rows group: one box always stays checked; Un&e then OK shows only the name")
{
    ResetSettings(EmptyFontFolder());
    Process typa;
    HWND main = StartAndWait(typa);
    REQUIRE(main);
    HWND installed = ChildById(main, lbInstalledFonts);
    const int rows = ListCount(installed);
    REQUIRE(rows > 3);
    const std::string first = ListText(installed, 0);
    const int fullHeight = ListItemHeight(installed, 0);

    HWND dlg = OpenOptions(typa, main);
    REQUIRE(dlg);
    // Unchecked one by one: the last one clicked stays.
    for (int id : kFontBoxes) ClickAndSettle(dlg, id);
    for (int id : kFontBoxes) CHECK(Checked(dlg, id) == (id == TdlgOptions::cbSample));
    ClickAndSettle(dlg, TdlgOptions::pbAllFont);
    for (int id : kFontBoxes) CHECK(Checked(dlg, id));
    ClickAndSettle(dlg, TdlgOptions::pbNoneFont);
    for (int id : kFontBoxes) CHECK(Checked(dlg, id) == (id == TdlgOptions::cbFontname));
    // The first box too holds when it is the last.
    ClickAndSettle(dlg, TdlgOptions::cbFontname);
    CHECK(Checked(dlg, TdlgOptions::cbFontname));

    CloseWith(typa, dlg, main, TdlgOptions::pbOK);
    CHECK(GetDword(HKEY_CURRENT_USER, kTypaKey, "FontOptions") == std::optional<DWORD>(1));
    CHECK(GetDword(HKEY_CURRENT_USER, kTypaKey, "StatusOptions") == std::optional<DWORD>(15));
    // Both lists were rebuilt with the new rows: the name in its own face and nothing else.
    REQUIRE(ListCount(installed) == rows);
    CHECK(ListText(installed, 0) == first);
    // Only the name in its own face: that face's height and 7 pixels of margins and lines.
    CHECK(ListItemHeight(installed, 0) < fullHeight);
    for (int row : {0, 1, rows / 2, rows - 1}) {
        INFO("row " << row << ": " << ListText(installed, row));
        CHECK(ListItemHeight(installed, row) == RowFontHeight(ListText(installed, row).substr(0, 31)) + 7);
    }

    CHECK(QuitByButton(typa, main) == std::optional<DWORD>(0));
}

TEST_CASE("Sample text: stored only when changed, 100 characters, Enter is OK, a paste keeps its second break")
{
    ResetSettings(EmptyFontFolder());
    Process typa;
    HWND main = StartAndWait(typa);
    REQUIRE(main);

    // OK without touching the field: the options are written, the text is not.
    HWND dlg = OpenOptions(typa, main);
    REQUIRE(dlg);
    CloseWith(typa, dlg, main, TdlgOptions::pbOK);
    CHECK_FALSE(ValueExists(HKEY_CURRENT_USER, kTypaKey, "SampleText"));
    CHECK(GetDword(HKEY_CURRENT_USER, kTypaKey, "StatusOptions") == std::optional<DWORD>(15));
    CHECK(GetDword(HKEY_CURRENT_USER, kTypaKey, "FontOptions") == std::optional<DWORD>(31));

    // Typing: Ctrl+Enter's line feed goes nowhere, the field stops at 100 characters, Enter is OK.
    dlg = OpenOptions(typa, main);
    REQUIRE(dlg);
    HWND memo = ChildById(dlg, TdlgOptions::memSample);
    Send(memo, EM_SETSEL, 0, -1);
    Type(memo, "Où est l'été");
    Char(memo, '\n');
    const std::string tail(120, 'x');
    Type(memo, tail);
    Settle(dlg);
    const std::string expected = ("Où est l'été" + tail).substr(0, 100);
    CHECK(Text(memo) == expected);
    Key(memo, VK_RETURN);
    CHECK(WaitForWindowGone(dlg, 60000));
    CHECK(WaitUntilQuiet(typa, main));
    CHECK(GetString(HKEY_CURRENT_USER, kTypaKey, "SampleText") == std::optional<std::string>(expected));

    // "Texte standa&rd" puts the standard text back, and OK stores it.
    dlg = OpenOptions(typa, main);
    REQUIRE(dlg);
    CHECK(Text(ChildById(dlg, TdlgOptions::memSample)) == expected);
    ClickAndSettle(dlg, TdlgOptions::pbStandard);
    CHECK(Text(ChildById(dlg, TdlgOptions::memSample)) == kStandardSample);
    CloseWith(typa, dlg, main, TdlgOptions::pbOK);
    CHECK(GetString(HKEY_CURRENT_USER, kTypaKey, "SampleText") == std::optional<std::string>(kStandardSample));

    // A pasted text of two lines: only the first line feed and the first carriage return go.
    REQUIRE(PutOnClipboard("Première ligne\r\nSeconde ligne\r\n"));
    dlg = OpenOptions(typa, main);
    REQUIRE(dlg);
    memo = ChildById(dlg, TdlgOptions::memSample);
    Send(memo, EM_SETSEL, 0, -1);
    Post(memo, WM_PASTE);
    Settle(dlg);
    CHECK(Text(memo) == "Première ligne\r\nSeconde ligne\r\n");
    CloseWith(typa, dlg, main, TdlgOptions::pbOK);
    CHECK(GetString(HKEY_CURRENT_USER, kTypaKey, "SampleText") ==
          std::optional<std::string>("Première ligneSeconde ligne\r\n"));

    // A log-off while the dialog is up ends the program cleanly; the dialog's changes are lost.
    dlg = OpenOptions(typa, main);
    REQUIRE(dlg);
    ClickAndSettle(dlg, TdlgOptions::pbNoneFont);
    Post(main, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF);
    CHECK(typa.WaitForExit(60000) == std::optional<DWORD>(0));
    CHECK(GetDword(HKEY_CURRENT_USER, kTypaKey, "FontOptions") == std::optional<DWORD>(31));
    CHECK(GetDword(HKEY_CURRENT_USER, kTypaKey, "AppTools") == std::optional<DWORD>(31));
}
