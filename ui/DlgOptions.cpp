// The options dialog, laid out in code at creation.
#include "ui/DlgOptions.h"
#include "res/Resource.h"

#include "app/Application.h"
#include "app/ErrorBox.h"
#include "app/ExceptionGuard.h"
#include "app/Messages.h"
#include "app/Scale.h"

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
    const std::vector<WORD> tmpl = EmptyDialogTemplate(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME,
                                                       WS_EX_DLGMODALFRAME);
    HINSTANCE instance = App().instance ? App().instance : GetModuleHandleA(nullptr);
    INT_PTR r = DialogBoxIndirectParamA(instance, reinterpret_cast<LPCDLGTEMPLATEA>(tmpl.data()), owner,
                                        DialogProc, reinterpret_cast<LPARAM>(this));
    m_dlg = nullptr;
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

INT_PTR CALLBACK TdlgOptions::DialogProc(HWND dlg, UINT msg, WPARAM wp, LPARAM lp) noexcept
{
    return Guarded<INT_PTR>(FALSE, [&]() -> INT_PTR {
        if (msg == WM_INITDIALOG) {
            SetWindowLongPtrA(dlg, DWLP_USER, lp);
            reinterpret_cast<TdlgOptions*>(lp)->FormCreate(dlg);
            return FALSE; // the focus is set
        }
        auto* self = reinterpret_cast<TdlgOptions*>(GetWindowLongPtrA(dlg, DWLP_USER));
        if (!self) return FALSE;
        switch (msg) {
        case WM_COMMAND:
            return HIWORD(wp) == BN_CLICKED && self->OnCommand(LOWORD(wp));
        case WM_HELP:
            self->ShowHelp();
            return TRUE;
        case WM_DESTROY:
            SetWindowLongPtrA(dlg, DWLP_USER, 0);
            return FALSE;
        }
        return FALSE;
    });
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

void TdlgOptions::FormCreate(HWND dlg)
{
    m_dlg = dlg;
    SetWindowTextA(dlg, "Options");
    HFONT font = reinterpret_cast<HFONT>(SendMessageA(dlg, WM_GETFONT, 0, 0));
    HINSTANCE instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(dlg, GWLP_HINSTANCE));
    auto S = [](int n) { return Scaled(n); };
    auto add = [&](const char* cls, const char* text, DWORD style, int id, int x, int y, int w, int h) {
        return AddDialogControl(dlg, cls, text, style, id, S(x), S(y), S(w), S(h), font);
    };
    auto box = [&](const char* text, int id, int x, int y, int w) {
        return add("BUTTON", text, WS_TABSTOP | BS_AUTOCHECKBOX, id, x, y, w, kBoxHeight);
    };
    auto button = [&](const char* text, int id, int x, int y, int w, DWORD extra = 0) {
        return add("BUTTON", text, WS_TABSTOP | BS_PUSHBUTTON | extra, id, x, y, w, kButtonHeight);
    };

    // Sample text: the field and the button that puts the standard text back.
    add("BUTTON", " Texte exemple (max. 100 caractères) ", BS_GROUPBOX | WS_GROUP, GroupBox1, kMargin, 6,
        kClientWidth - 2 * kMargin, 74);
    HWND memo = CreateWindowExA(WS_EX_CLIENTEDGE, "EDIT", "",
                                WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_GROUP | WS_VSCROLL | ES_MULTILINE |
                                    ES_AUTOVSCROLL,
                                S(16), S(24), S(330), S(46), dlg,
                                reinterpret_cast<HMENU>(static_cast<INT_PTR>(memSample)), instance, nullptr);
    if (memo) {
        SendMessageA(memo, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
        SendMessageA(memo, EM_LIMITTEXT, kSampleLimit, 0);
        SetWindowSubclass(memo, SampleFieldProc, 1, 0);
    }
    button("Texte standa&rd", pbStandard, 354, 24, 104);

    // The status bar and its fields.
    const int groupTop = 86, groupHeight = 166;
    const int left2 = kMargin, left3 = kMargin + kGroupWidth + kMargin;
    add("BUTTON", " Ligne d'état ", BS_GROUPBOX | WS_GROUP, GroupBox2, left2, groupTop, kGroupWidth, groupHeight);
    box("&Afficher la ligne d'état", cbStatusBar, left2 + 8, groupTop + 18, kGroupWidth - 16);
    const char* statusCaptions[] = {"&Nombre de polices", "Nbre de &polices sélectionnées",
                                    "Taille du &fichier de police", "Espace &disque disponible"};
    for (int i = 0; i < 4; ++i)
        box(statusCaptions[i], kStatusFields[i], left2 + 24, groupTop + 18 + (i + 1) * kRow, kGroupWidth - 32);
    const int groupButtons = groupTop + groupHeight - kButtonHeight - 12;
    button("&Toutes", pbAll, left2 + 8, groupButtons, 95);
    button("A&ucune", pbNone, left2 + 8 + 95 + 8, groupButtons, 95);

    // The lines of each font row.
    add("BUTTON", " Affichage échantillons de polices ", BS_GROUPBOX | WS_GROUP, GroupBox3, left3, groupTop,
        kGroupWidth, groupHeight);
    const char* fontCaptions[] = {"No&m police dans police choisie", "Nom police dans police s&ystème",
                                  "N&om du fichier", "&Jeu de caractères", "Te&xte exemple"};
    for (int i = 0; i < 5; ++i)
        box(fontCaptions[i], kFontBoxes[i], left3 + 8, groupTop + 18 + i * kRow, kGroupWidth - 16);
    button("Toute&s", pbAllFont, left3 + 8, groupButtons, 95);
    button("Un&e", pbNoneFont, left3 + 8 + 95 + 8, groupButtons, 95);

    const int bottom = groupTop + groupHeight + 10;
    const int right = kClientWidth - kMargin;
    button("OK", pbOK, right - 3 * kButtonWidth - 2 * 8, bottom, kButtonWidth, BS_DEFPUSHBUTTON | WS_GROUP);
    button("Annuler", pbCancel, right - 2 * kButtonWidth - 8, bottom, kButtonWidth);
    button("Aide", pbHelp, right - kButtonWidth, bottom, kButtonWidth);

    SizeDialogToClient(dlg, S(kClientWidth), S(kClientHeight));
    CentreOnMainWindow(dlg);

    // The current settings. Setting the text clears the field's modification flag, so OK can
    // tell whether the user changed it.
    SetDlgItemTextA(dlg, memSample, m_target.SampleText.c_str());
    SendDlgItemMessageA(dlg, memSample, EM_SETMODIFY, FALSE, 0);
    for (int i = 0; i < 4; ++i) Check(kStatusFields[i], (m_target.StatusOptions >> i) & 1);
    for (int i = 0; i < 5; ++i) Check(kFontBoxes[i], (m_target.FontOptions >> i) & 1);
    const bool statusBar = m_target.StatusBarChecked && m_target.StatusBarChecked();
    Check(cbStatusBar, statusBar);
    EnableStatusFields(statusBar);

    SendMessageA(dlg, DM_SETDEFID, pbOK, 0);
    if (memo) SetFocus(memo);
}

bool TdlgOptions::Checked(int id) const { return IsDlgButtonChecked(m_dlg, id) == BST_CHECKED; }

void TdlgOptions::Check(int id, bool on) const { CheckDlgButton(m_dlg, id, on ? BST_CHECKED : BST_UNCHECKED); }

void TdlgOptions::EnableStatusFields(bool on) const
{
    for (int id : kStatusFields) EnableWindow(GetDlgItem(m_dlg, id), on);
    EnableWindow(GetDlgItem(m_dlg, pbNone), on);
}

bool TdlgOptions::OnCommand(int id)
{
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
        if (id == pbNone) SendMessageA(m_dlg, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(m_dlg, pbAll)), TRUE);
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
    case pbOK: pbOKClick(); return true;
    case pbCancel: EndDialog(m_dlg, IDCANCEL); return true;
    case pbHelp: ShowHelp(); return true;
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
    SendMessageA(m_dlg, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(m_dlg, cbStatusBar)), TRUE);
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
    HWND memo = GetDlgItem(m_dlg, memSample);
    SetWindowTextA(memo, "");
    const std::string standard = LoadMessage(1215);
    SendMessageA(memo, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(standard.c_str()));
    // Counts as a change even when the field held the standard text already.
    SendMessageA(memo, EM_SETMODIFY, TRUE, 0);
}

void TdlgOptions::pbOKClick()
{
    HWND memo = GetDlgItem(m_dlg, memSample);
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
    EndDialog(m_dlg, IDOK);
}

void TdlgOptions::ShowHelp() const
{
    if (!App().helpFile.empty()) WinHelpA(m_dlg, App().helpFile.c_str(), HELP_CONTEXT, kHelpContext);
}

} // namespace typa
