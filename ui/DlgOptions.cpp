// The options dialog, laid out in code at creation.
#include "ui/DlgOptions.h"
#include "res/Resource.h"

#include "app/Application.h"
#include "app/ErrorBox.h"
#include "app/Messages.h"
#include "app/Scale.h"
#include "ui/DialogTemplate.h"

#include <commctrl.h>

#include <array>
#include <vector>

namespace typa {
namespace {

// The boxes behind each bit, bit 0 first.
constexpr std::array<int, 4> kStatusFields{TdlgOptions::cbNoFonts, TdlgOptions::cbNoMarkedFonts,
                                           TdlgOptions::cbSize, TdlgOptions::cbFree};
constexpr std::array<int, 5> kFontBoxes{TdlgOptions::cbFontname, TdlgOptions::cbFontnameSystem,
                                        TdlgOptions::cbFilename, TdlgOptions::cbChars,
                                        TdlgOptions::cbSample};

// Design sizes at 96 pixels per inch.
constexpr int kMargin = 8;
constexpr int kClientWidth = 474;
constexpr int kClientHeight = 295;
constexpr int kGroupWidth = 225;
constexpr int kRow = 20;
constexpr int kBoxHeight = 17;
constexpr int kButtonWidth = 75;
constexpr int kButtonHeight = 25;
// The two groups side by side below the sample text, their buttons at their feet.
constexpr int kGroupTop = 86, kGroupHeight = 166;
constexpr int kLeft2 = kMargin, kLeft3 = kMargin + kGroupWidth + kMargin;
constexpr int kFirstBox = kGroupTop + 18;
constexpr int kGroupButtons = kGroupTop + kGroupHeight - kButtonHeight - 12;
constexpr int kBottom = kGroupTop + kGroupHeight + 10;
constexpr int kRight = kClientWidth - kMargin;

constexpr DWORD kBox = WS_TABSTOP | BS_AUTOCHECKBOX;
constexpr DWORD kButton = WS_TABSTOP | BS_PUSHBUTTON;

using D = TdlgOptions;
constexpr DialogControl kControls[] = {
    // Sample text: the field and the button that puts the standard text back.
    {D::GroupBox1, "BUTTON", " Texte exemple (max. 100 caractères) ", BS_GROUPBOX | WS_GROUP, kMargin, 6,
     kClientWidth - 2 * kMargin, 74},
    {D::memSample, "EDIT", "", WS_TABSTOP | WS_GROUP | WS_VSCROLL | ES_MULTILINE | ES_AUTOVSCROLL, 16, 24, 330, 46,
     WS_EX_CLIENTEDGE},
    {D::pbStandard, "BUTTON", "Texte standa&rd", kButton, 354, 24, 104, kButtonHeight},

    // The status bar and its fields.
    {D::GroupBox2, "BUTTON", " Ligne d'état ", BS_GROUPBOX | WS_GROUP, kLeft2, kGroupTop, kGroupWidth, kGroupHeight},
    {D::cbStatusBar, "BUTTON", "&Afficher la ligne d'état", kBox, kLeft2 + 8, kFirstBox, kGroupWidth - 16, kBoxHeight},
    {D::cbNoFonts, "BUTTON", "&Nombre de polices", kBox, kLeft2 + 24, kFirstBox + kRow, kGroupWidth - 32, kBoxHeight},
    {D::cbNoMarkedFonts, "BUTTON", "Nbre de &polices sélectionnées", kBox, kLeft2 + 24, kFirstBox + 2 * kRow,
     kGroupWidth - 32, kBoxHeight},
    {D::cbSize, "BUTTON", "Taille du &fichier de police", kBox, kLeft2 + 24, kFirstBox + 3 * kRow, kGroupWidth - 32,
     kBoxHeight},
    {D::cbFree, "BUTTON", "Espace &disque disponible", kBox, kLeft2 + 24, kFirstBox + 4 * kRow, kGroupWidth - 32,
     kBoxHeight},
    {D::pbAll, "BUTTON", "&Toutes", kButton, kLeft2 + 8, kGroupButtons, 95, kButtonHeight},
    {D::pbNone, "BUTTON", "A&ucune", kButton, kLeft2 + 8 + 95 + 8, kGroupButtons, 95, kButtonHeight},

    // The lines of each font row.
    {D::GroupBox3, "BUTTON", " Affichage échantillons de polices ", BS_GROUPBOX | WS_GROUP, kLeft3, kGroupTop,
     kGroupWidth, kGroupHeight},
    {D::cbFontname, "BUTTON", "No&m police dans police choisie", kBox, kLeft3 + 8, kFirstBox, kGroupWidth - 16,
     kBoxHeight},
    {D::cbFontnameSystem, "BUTTON", "Nom police dans police s&ystème", kBox, kLeft3 + 8, kFirstBox + kRow,
     kGroupWidth - 16, kBoxHeight},
    {D::cbFilename, "BUTTON", "N&om du fichier", kBox, kLeft3 + 8, kFirstBox + 2 * kRow, kGroupWidth - 16, kBoxHeight},
    {D::cbChars, "BUTTON", "&Jeu de caractères", kBox, kLeft3 + 8, kFirstBox + 3 * kRow, kGroupWidth - 16, kBoxHeight},
    {D::cbSample, "BUTTON", "Te&xte exemple", kBox, kLeft3 + 8, kFirstBox + 4 * kRow, kGroupWidth - 16, kBoxHeight},
    {D::pbAllFont, "BUTTON", "Toute&s", kButton, kLeft3 + 8, kGroupButtons, 95, kButtonHeight},
    {D::pbNoneFont, "BUTTON", "Un&e", kButton, kLeft3 + 8 + 95 + 8, kGroupButtons, 95, kButtonHeight},

    {D::pbOK, "BUTTON", "OK", kButton | BS_DEFPUSHBUTTON | WS_GROUP, kRight - 3 * kButtonWidth - 2 * 8, kBottom,
     kButtonWidth, kButtonHeight},
    {D::pbCancel, "BUTTON", "Annuler", kButton, kRight - 2 * kButtonWidth - 8, kBottom, kButtonWidth, kButtonHeight},
    {D::pbHelp, "BUTTON", "Aide", kButton, kRight - kButtonWidth, kBottom, kButtonWidth, kButtonHeight},
};

} // namespace

std::string SampleTextFromField(std::string text)
{
    if (auto lf = text.find('\n'); lf != std::string::npos) text.erase(lf, 1);
    if (auto cr = text.find('\r'); cr != std::string::npos) text.erase(cr, 1);
    return text;
}

bool TdlgOptions::Execute(HWND owner)
{
    if (App().sessionEnding) return false;
    const INT_PTR r = RunModal(owner, {WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME, WS_EX_DLGMODALFRAME});
    if (r != IDOK) return false;

    // The dialog is gone before the lists are rebuilt, which takes a while.
    if (m_sampleModified) {
        m_target.SampleText = SampleTextFromField(m_sampleField);
        settings::WriteSampleText(m_target.SampleText);
    }
    m_target.StatusOptions = m_statusOptions;
    settings::WriteStatusOptions(m_statusOptions);
    m_target.FontOptions = m_fontOptions;
    settings::WriteFontOptions(m_fontOptions);
    if (m_target.StatusBarChecked && m_target.ToggleStatusBar && m_statusBar != m_target.StatusBarChecked())
        m_target.ToggleStatusBar();
    if (m_target.mainWindow && IsWindow(m_target.mainWindow)) SendMessageA(m_target.mainWindow, WM_REFRESHLISTS, 0, 0);
    return true;
}

LRESULT CALLBACK TdlgOptions::SampleFieldProc(HWND edit, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id,
                                              DWORD_PTR) noexcept
{
    // Ctrl+Enter types a line feed: the sample is one line, so it goes nowhere. Enter itself is
    // the dialog's: it presses OK.
    if (msg == WM_CHAR && wp == '\n') return 0;
    if (msg == WM_NCDESTROY) RemoveWindowSubclass(edit, SampleFieldProc, id);
    return DefSubclassProc(edit, msg, wp, lp);
}

bool TdlgOptions::OnInit()
{
    SetWindowTextA(Handle(), "Options");
    AddControls(kControls);
    HWND memo = Item(memSample);
    if (memo) {
        SendMessageA(memo, EM_LIMITTEXT, kSampleLimit, 0);
        SetWindowSubclass(memo, SampleFieldProc, 1, 0);
    }

    SizeDialogToClient(Handle(), Scaled(kClientWidth), Scaled(kClientHeight));
    CentreOnMainWindow(Handle());

    // The current settings. Setting the text clears the field's modification flag, so OK can
    // tell whether the user changed it.
    SetDlgItemTextA(Handle(), memSample, m_target.SampleText.c_str());
    SendDlgItemMessageA(Handle(), memSample, EM_SETMODIFY, FALSE, 0);
    for (int i = 0; i < 4; ++i) Check(kStatusFields[i], (m_target.StatusOptions >> i) & 1);
    for (int i = 0; i < 5; ++i) Check(kFontBoxes[i], (m_target.FontOptions >> i) & 1);
    const bool statusBar = m_target.StatusBarChecked && m_target.StatusBarChecked();
    Check(cbStatusBar, statusBar);
    EnableStatusFields(statusBar);

    SendMessageA(Handle(), DM_SETDEFID, pbOK, 0);
    if (memo) SetFocus(memo);
    return false; // the focus is set
}

void TdlgOptions::EnableStatusFields(bool on) const
{
    for (int id : kStatusFields) EnableWindow(Item(id), on);
    EnableWindow(Item(pbNone), on);
}

bool TdlgOptions::OnCommand(int id, int code)
{
    if (code != BN_CLICKED) return false;
    switch (id) {
    case memSample: return false;
    case pbStandard: pbStandardClick(); return true;
    case cbStatusBar: EnableStatusFields(Checked(cbStatusBar)); return true;
    case cbNoFonts:
    case cbNoMarkedFonts:
    case cbSize:
    case cbFree: StatusFieldClick(); return true;
    case pbAll:
    case pbNone:
        Check(cbStatusBar, id == pbAll);
        for (int f : kStatusFields) Check(f, id == pbAll);
        EnableStatusFields(id == pbAll);
        // Focus would stay on a button just disabled, out of reach of the keyboard.
        if (id == pbNone) SendMessageA(Handle(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(Item(pbAll)), TRUE);
        return true;
    case cbFontname:
    case cbFontnameSystem:
    case cbFilename:
    case cbChars:
    case cbSample: FontBoxClick(id); return true;
    case pbAllFont:
    case pbNoneFont:
        for (int f : kFontBoxes) Check(f, id == pbAllFont || f == cbFontname);
        return true;
    }
    return false;
}

void TdlgOptions::StatusFieldClick()
{
    for (int f : kStatusFields)
        if (Checked(f)) return;
    // No field left: no status bar either.
    Check(cbStatusBar, false);
    EnableStatusFields(false);
    SendMessageA(Handle(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(Item(cbStatusBar)), TRUE);
}

void TdlgOptions::FontBoxClick(int id)
{
    // A row always shows something: the last box cannot be unchecked.
    for (int f : kFontBoxes)
        if (Checked(f)) return;
    Check(id, true);
}

void TdlgOptions::pbStandardClick()
{
    HWND memo = Item(memSample);
    SetWindowTextA(memo, "");
    const std::string standard = LoadMessage(1215);
    SendMessageA(memo, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(standard.c_str()));
    // Counts as a change even when the field held the standard text already.
    SendMessageA(memo, EM_SETMODIFY, TRUE, 0);
}

void TdlgOptions::OnOK()
{
    HWND memo = Item(memSample);
    m_sampleModified = SendMessageA(memo, EM_GETMODIFY, 0, 0) != 0;
    std::string text(static_cast<std::size_t>(GetWindowTextLengthA(memo)) + 1, '\0');
    text.resize(static_cast<std::size_t>(GetWindowTextA(memo, text.data(), static_cast<int>(text.size()))));
    m_sampleField = std::move(text);
    m_statusOptions = 0;
    for (int i = 0; i < 4; ++i)
        if (Checked(kStatusFields[i])) m_statusOptions |= static_cast<settings::OptionSet>(1u << i);
    m_fontOptions = 0;
    for (int i = 0; i < 5; ++i)
        if (Checked(kFontBoxes[i])) m_fontOptions |= static_cast<settings::OptionSet>(1u << i);
    m_statusBar = Checked(cbStatusBar);
    End(IDOK);
}

} // namespace typa
