// The print dialog, laid out in code at creation from its 96-pixels-per-inch design.
#include "print/DlgPrint.h"

#include "app/Application.h"
#include "app/ErrorBox.h"
#include "app/Scale.h"
#include "app/Settings.h"
#include "ui/DialogTemplate.h"

#include <algorithm>

namespace typa {
namespace {

constexpr int kIdGroupPrinter = 150, kIdGroupOrientation = 151, kIdGroupFonts = 152, kIdGroupPrint = 153,
              kIdGroupAdditional = 154, kIdLabelName = 160, kIdLabelWhere = 161, kIdLabelSize = 162,
              kIdLabelSource = 163;

// GroupBox1 " Imprimante " lies at 7, 7; gbOrientation at 10, 152 inside it; gbPrintFonts at 8, 246;
// GroupBox2 at 192, 246; rgAdditionalFont at 306, 246. Creation order is the tab order, and each
// WS_GROUP starts a new set of radio buttons.
constexpr int kComboList = 160; // room for the open list of a drop-down box
constexpr DialogControl kControls[] = {
    {kIdGroupPrinter, "BUTTON", " Imprimante ", BS_GROUPBOX | WS_GROUP, 7, 7, 443, 226},
    {kIdLabelName, "STATIC", "&Nom :", SS_LEFT, 7 + 11, 7 + 26, 85, 13},
    {TdlgPrint::kIdPrinters, "COMBOBOX", "", CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP | WS_GROUP, 7 + 104, 7 + 24, 327, 21 + kComboList},
    {kIdLabelWhere, "STATIC", "Où :", SS_LEFT | SS_NOPREFIX, 7 + 11, 7 + 59, 85, 13},
    {TdlgPrint::kIdLocation, "STATIC", "", SS_LEFT | SS_NOPREFIX | SS_ENDELLIPSIS, 7 + 102, 7 + 59, 327, 13},
    {kIdLabelSize, "STATIC", "&Taille :", SS_LEFT, 7 + 11, 7 + 92, 85, 13},
    {TdlgPrint::kIdPaperSizes, "COMBOBOX", "", CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, 7 + 104, 7 + 88, 209, 21 + kComboList},
    {kIdLabelSource, "STATIC", "A&limentation :", SS_LEFT, 7 + 11, 7 + 125, 85, 13},
    {TdlgPrint::kIdBinSources, "COMBOBOX", "", CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, 7 + 104, 7 + 121, 209, 21 + kComboList},
    {kIdGroupOrientation, "BUTTON", " Orientation ", BS_GROUPBOX, 17, 159, 423, 65},
    {TdlgPrint::kIdPortraitImage, "STATIC", "", SS_OWNERDRAW | SS_NOTIFY, 17 + 22, 159 + 20, 32, 32},
    {TdlgPrint::kIdPortrait, "BUTTON", "Portr&ait", BS_AUTORADIOBUTTON | WS_TABSTOP | WS_GROUP, 17 + 63, 159 + 28, 120, 17},
    {TdlgPrint::kIdLandscapeImage, "STATIC", "", SS_OWNERDRAW | SS_NOTIFY, 17 + 217, 159 + 20, 32, 32},
    {TdlgPrint::kIdLandscape, "BUTTON", "Pa&ysage", BS_AUTORADIOBUTTON, 17 + 271, 159 + 28, 120, 17},
    {kIdGroupFonts, "BUTTON", " Imprimer les polices ", BS_GROUPBOX | WS_GROUP, 8, 246, 177, 99},
    {TdlgPrint::kIdSelected, "BUTTON", "P&olices installées choisies", BS_AUTORADIOBUTTON | WS_TABSTOP | WS_GROUP, 8 + 8, 246 + 16, 165, 17},
    {TdlgPrint::kIdSelectedGroup, "BUTTON", "&Groupe choisi", BS_AUTORADIOBUTTON, 8 + 8, 246 + 36, 165, 17},
    {TdlgPrint::kIdAllInstalled, "BUTTON", "Toutes les polices &installées", BS_AUTORADIOBUTTON, 8 + 8, 246 + 56, 165, 17},
    {TdlgPrint::kIdAllAvailable, "BUTTON", "Toutes les polices &disponibles", BS_AUTORADIOBUTTON, 8 + 8, 246 + 76, 165, 17},
    {kIdGroupPrint, "BUTTON", " Imprimer ", BS_GROUPBOX | WS_GROUP, 192, 246, 105, 99},
    {TdlgPrint::kIdFontname, "BUTTON", "&Nom police", BS_AUTOCHECKBOX | WS_TABSTOP | WS_GROUP, 192 + 11, 246 + 16, 90, 17},
    {TdlgPrint::kIdFilename, "BUTTON", "Nom &fichier", BS_AUTOCHECKBOX | WS_TABSTOP, 192 + 11, 246 + 36, 90, 17},
    {TdlgPrint::kIdChars, "BUTTON", "&Jeu caract.", BS_AUTOCHECKBOX | WS_TABSTOP, 192 + 11, 246 + 56, 90, 17},
    {TdlgPrint::kIdSample, "BUTTON", "Te&xte ex.", BS_AUTOCHECKBOX | WS_TABSTOP, 192 + 11, 246 + 76, 90, 17},
    {kIdGroupAdditional, "BUTTON", " Police des données suppl. ", BS_GROUPBOX | WS_GROUP, 306, 246, 143, 57},
    {TdlgPrint::kIdRespectiveFont, "BUTTON", "Police &respective", BS_AUTORADIOBUTTON | WS_TABSTOP | WS_GROUP, 306 + 8, 246 + 16, 128, 17},
    {TdlgPrint::kIdSystemFont, "BUTTON", "Police &système", BS_AUTORADIOBUTTON, 306 + 8, 246 + 34, 128, 17},
    {IDOK, "BUTTON", "OK", BS_DEFPUSHBUTTON | WS_TABSTOP | WS_GROUP, 210, 365, 75, 21},
    {IDCANCEL, "BUTTON", "Annuler", BS_PUSHBUTTON | WS_TABSTOP, 292, 365, 75, 21},
    {IDHELP, "BUTTON", "Aide", BS_PUSHBUTTON | WS_TABSTOP, 375, 365, 75, 21},
};

constexpr int kClientWidth = 460, kClientHeight = 393;

// The hourglass while another printer loads, the arrow afterwards.
class HourglassWhileChanging {
public:
    HourglassWhileChanging() { SetCursor(LoadCursor(nullptr, IDC_WAIT)); }
    ~HourglassWhileChanging() { SetCursor(LoadCursor(nullptr, IDC_ARROW)); }
    HourglassWhileChanging(const HourglassWhileChanging&) = delete;
    HourglassWhileChanging& operator=(const HourglassWhileChanging&) = delete;
};

} // namespace

TdlgPrint::TdlgPrint(TPrinter& printer, const PrintDialogContext& context)
    : TDialog(kHelpContext), m_printer(printer), m_context(context), PrintSet1(printer)
{
}

bool TdlgPrint::Execute(HWND owner)
{
    if (App().sessionEnding) return false;
    return RunModal(owner, {WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME, WS_EX_DLGMODALFRAME}) == IDOK;
}

void TdlgPrint::CreateControls()
{
    for (const DialogControl& c : kControls) {
        HWND wnd = AddControl(c);
        // Group boxes lie below the controls they frame.
        if (wnd && (c.style & 0xF) == BS_GROUPBOX && lstrcmpiA(c.cls, "BUTTON") == 0)
            SetWindowPos(wnd, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
}

bool TdlgPrint::OnInit()
{
    SetWindowTextA(Handle(), "Imprimer les polices");
    CreateControls();
    SizeDialogToClient(Handle(), Scaled(kClientWidth), Scaled(kClientHeight));
    CentreOnMainWindow(Handle());

    ApplyPrintOptions(settings::ReadPrintOptions(), m_choices);
    Check(kIdFontname, m_choices.cbFontname);
    Check(kIdFilename, m_choices.cbFilename);
    Check(kIdChars, m_choices.cbChars);
    Check(kIdSample, m_choices.cbSample);
    Check(m_choices.rgAdditionalFont == 1 ? kIdSystemFont : kIdRespectiveFont, true);

    FillPrinters();
    PreselectMode();
    FillPaperSizes();
    FillBinSources();
    ShowOrientation();
    UpdateOkButton();
    SetCursor(LoadCursor(nullptr, IDC_ARROW)); // the job showed the hourglass until now
    SetFocus(Item(kIdPrinters));
    return true;
}

void TdlgPrint::FillPrinters()
{
    HWND combo = Item(kIdPrinters);
    m_locations.clear();
    for (const std::string& entry : m_printer.Printers()) {
        SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(PrinterDisplayName(entry).c_str()));
        m_locations.push_back(PrinterLocation(entry));
    }
    int index = m_printer.PrinterIndex();
    if (index < 0 || index >= static_cast<int>(m_locations.size())) index = 0;
    SendMessageA(combo, CB_SETCURSEL, index, 0);
    ShowLocation();
}

void TdlgPrint::ShowLocation()
{
    const int sel = static_cast<int>(SendMessageA(Item(kIdPrinters), CB_GETCURSEL, 0, 0));
    const std::string text = sel >= 0 && sel < static_cast<int>(m_locations.size()) ? m_locations[sel] : std::string();
    SetWindowTextA(Item(kIdLocation), text.c_str());
    // As wide as the printer box.
    RECT combo, label;
    GetWindowRect(Item(kIdPrinters), &combo);
    GetWindowRect(Item(kIdLocation), &label);
    SetWindowPos(Item(kIdLocation), nullptr, 0, 0, combo.right - combo.left, label.bottom - label.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TdlgPrint::PreselectMode()
{
    auto enable = [&](int id, bool on) { EnableWindow(Item(id), on); };
    for (int id : {kIdSelected, kIdSelectedGroup, kIdAllInstalled, kIdAllAvailable}) Check(id, false);
    Check(kIdSelected, true);
    if (m_context.installedSelected == 0) {
        enable(kIdSelected, false);
        Check(kIdSelected, false);
        Check(kIdSelectedGroup, true);
    }
    if (m_context.installedRows == 0) {
        enable(kIdSelectedGroup, false);
        Check(kIdSelectedGroup, false);
        Check(kIdAllInstalled, true);
    }
    if (m_context.rootNodeSelected) {
        enable(kIdSelectedGroup, false);
        Check(kIdSelectedGroup, false);
        if (!Checked(kIdSelected)) Check(kIdAllInstalled, true);
    }
    if (m_context.availableCount == 0) enable(kIdAllAvailable, false);
}

// An empty list leaves its box empty and disabled.
void TdlgPrint::FillList(int id, const std::vector<std::string>& names, int selected)
{
    HWND combo = Item(id);
    SendMessageA(combo, CB_RESETCONTENT, 0, 0);
    for (const std::string& name : names) SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
    EnableWindow(combo, !names.empty());
    if (!names.empty()) SendMessageA(combo, CB_SETCURSEL, selected, 0);
}

void TdlgPrint::FillPaperSizes()
{
    // The first use of PrintSet1 loads the current printer with its driver's defaults.
    const std::vector<std::string> names = PrintSet1.GetPaperNames();
    FillList(kIdPaperSizes, names, PrintSet1.GetPaperIndex());
}

void TdlgPrint::FillBinSources()
{
    const std::vector<std::string> names = PrintSet1.GetBinNames();
    FillList(kIdBinSources, names, PrintSet1.GetBinIndex());
}

void TdlgPrint::ShowOrientation()
{
    const bool landscape = m_printer.Orientation() == TPrinterOrientation::poLandscape;
    Check(kIdPortrait, !landscape);
    Check(kIdLandscape, landscape);
    OrientationClick(); // as a click on the button would: the same orientation written back
}

bool TdlgPrint::OnCommand(int id, int code)
{
    switch (id) {
    case kIdPrinters:
        if (code == CBN_SELCHANGE) cbPrintersChange();
        return true;
    case kIdPaperSizes:
        if (code == CBN_SELCHANGE) {
            const LRESULT sel = SendMessageA(Item(kIdPaperSizes), CB_GETCURSEL, 0, 0);
            if (sel >= 0 && sel <= 255) PrintSet1.SetPaperIndex(static_cast<std::uint8_t>(sel));
        }
        return true;
    case kIdBinSources:
        if (code == CBN_SELCHANGE) {
            const LRESULT sel = SendMessageA(Item(kIdBinSources), CB_GETCURSEL, 0, 0);
            if (sel >= 0 && sel <= 255) PrintSet1.SetBinIndex(static_cast<std::uint8_t>(sel));
        }
        return true;
    case kIdPortraitImage:
    case kIdLandscapeImage:
        if (code == STN_CLICKED) {
            const bool landscape = id == kIdLandscapeImage;
            Check(kIdPortrait, !landscape);
            Check(kIdLandscape, landscape);
            OrientationClick();
        }
        return true;
    case kIdPortrait:
    case kIdLandscape:
        if (code == BN_CLICKED) OrientationClick();
        return true;
    case kIdSelected:
    case kIdSelectedGroup:
    case kIdAllInstalled:
    case kIdAllAvailable:
    case kIdFontname:
    case kIdFilename:
    case kIdChars:
    case kIdSample:
        if (code == BN_CLICKED) UpdateOkButton();
        return true;
    }
    return false;
}

void TdlgPrint::cbPrintersChange()
{
    ShowLocation();
    HourglassWhileChanging hourglass;
    const int sel = static_cast<int>(SendMessageA(Item(kIdPrinters), CB_GETCURSEL, 0, 0));
    if (sel < 0) return;
    m_printer.SetPrinterIndex(sel); // the new printer starts from its driver's defaults
    FillPaperSizes();
    FillBinSources();
    ShowOrientation();
}

void TdlgPrint::OrientationClick() { PrintSet1.SetOrientation(Checked(kIdLandscape) ? 2 : 1); }

void TdlgPrint::UpdateOkButton()
{
    const bool any = Checked(kIdFontname) || Checked(kIdFilename) || Checked(kIdChars) || Checked(kIdSample);
    EnableWindow(Item(IDOK), any);
}

void TdlgPrint::OnOK()
{
    if (!IsWindowEnabled(Item(IDOK))) return;
    m_choices.cbFontname = Checked(kIdFontname);
    m_choices.cbFilename = Checked(kIdFilename);
    m_choices.cbChars = Checked(kIdChars);
    m_choices.cbSample = Checked(kIdSample);
    m_choices.rgAdditionalFont = Checked(kIdSystemFont) ? 1 : 0;
    m_choices.mode = Checked(kIdSelected)        ? PrintMode::rbSelected
                     : Checked(kIdSelectedGroup) ? PrintMode::rbSelectedGroup
                     : Checked(kIdAllAvailable)  ? PrintMode::rbAllAvailable
                                                 : PrintMode::rbAllInstalled;
    m_printerIndex = static_cast<int>(SendMessageA(Item(kIdPrinters), CB_GETCURSEL, 0, 0));
    settings::WritePrintOptions(PrintOptionsOf(m_choices));
    PrintSet1.UnlockDevMode();
    End(IDOK);
}

bool TdlgPrint::OnDrawItem(const DRAWITEMSTRUCT& dis)
{
    DrawPageIcon(dis);
    return true;
}

// A sheet of paper upright or on its side, with lines of text, in the dialog's face colours.
void TdlgPrint::DrawPageIcon(const DRAWITEMSTRUCT& dis) const
{
    const bool landscape = dis.CtlID == static_cast<UINT>(kIdLandscapeImage);
    HDC dc = dis.hDC;
    const RECT& r = dis.rcItem;
    FillRect(dc, &r, GetSysColorBrush(COLOR_BTNFACE));
    const int w = r.right - r.left, h = r.bottom - r.top;
    // The sheet: 3 : 4, centred, with a folded top-right corner.
    const int longSide = h * 30 / 32, shortSide = longSide * 3 / 4;
    const int sw = landscape ? longSide : shortSide, sh = landscape ? shortSide : longSide;
    const int left = r.left + (w - sw) / 2, top = r.top + (h - sh) / 2;
    const int fold = std::max(3, sw / 4);
    const POINT sheet[] = {{left, top},
                           {left + sw - fold, top},
                           {left + sw - 1, top + fold},
                           {left + sw - 1, top + sh - 1},
                           {left, top + sh - 1}};
    UniqueBrush paper(CreateSolidBrush(RGB(255, 255, 255)));
    UniquePen ink(CreatePen(PS_SOLID, 1, GetSysColor(COLOR_BTNTEXT)));
    {
        ScopedSelect brush(dc, paper.Get());
        ScopedSelect pen(dc, ink.Get());
        Polygon(dc, sheet, 5);
        MoveToEx(dc, left + sw - fold, top, nullptr);
        LineTo(dc, left + sw - fold, top + fold);
        LineTo(dc, left + sw - 1, top + fold);
        // Lines of text: a title, then the body.
        UniquePen text(CreatePen(PS_SOLID, 1, RGB(0x1f, 0x4e, 0x8c)));
        ScopedSelect textPen(dc, text.Get());
        const int margin = std::max(2, sw / 6);
        int y = top + fold + 2;
        for (int line = 0; y < top + sh - margin; ++line, y += std::max(2, sh / 10)) {
            const int end = line == 0 ? left + sw / 2 : left + sw - margin;
            MoveToEx(dc, left + margin, y, nullptr);
            LineTo(dc, end, y);
        }
    }
    if (dis.itemState & ODS_FOCUS) DrawFocusRect(dc, &r);
}

} // namespace typa
