// The message box, the error and question calls, the unexpected-error report and dialog placing.
#include "app/ErrorBox.h"

#include "app/Application.h"
#include "app/Errors.h"
#include "app/Messages.h"
#include "platform/Handles.h"
#include "ui/Dialog.h"
#include "ui/DialogTemplate.h"
#include "ui/DlgProgress.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <new>
#include <optional>
#include <typeinfo>
#include <vector>

namespace typa {
namespace {

constexpr int kIdAll = 100;
constexpr int kIdText = 101;
constexpr int kIdIcon = 102;
// Dialog results are offset so that 0 (a failed DialogBox with a bad owner) and -1 (no dialog at
// all) can never read as an answer.
constexpr INT_PTR kResultBase = 1000;

struct ButtonDef {
    unsigned flag;
    int id;
    const char* caption;
    MsgResult result;
};

// The fixed order of the buttons in every box.
constexpr ButtonDef kButtons[] = {
    {MsgButton::Yes, IDYES, "&Oui", MsgResult::Yes},
    {MsgButton::No, IDNO, "&Non", MsgResult::No},
    {MsgButton::OK, IDOK, "OK", MsgResult::OK},
    {MsgButton::Cancel, IDCANCEL, "Annuler", MsgResult::Cancel},
    {MsgButton::All, kIdAll, "&Tout", MsgResult::All},
};

constexpr unsigned kAnyButton =
    MsgButton::Yes | MsgButton::No | MsgButton::OK | MsgButton::Cancel | MsgButton::All;

unsigned EffectiveButtons(unsigned buttons) noexcept
{
    buttons &= kAnyButton;
    return buttons ? buttons : MsgButton::OK;
}

// Escape and the close box answer Cancel, else No, else OK; a box with none of them has no
// way out but its own buttons.
bool EscapeResult(unsigned buttons, MsgResult& result) noexcept
{
    if (buttons & MsgButton::Cancel) result = MsgResult::Cancel;
    else if (buttons & MsgButton::No) result = MsgResult::No;
    else if (buttons & MsgButton::OK) result = MsgResult::OK;
    else return false;
    return true;
}

MsgResult FirstButton(unsigned buttons) noexcept
{
    for (const ButtonDef& b : kButtons)
        if (buttons & b.flag) return b.result;
    return MsgResult::OK;
}

const char* KindTitle(MsgKind kind) noexcept
{
    return kind == MsgKind::Confirmation ? "Confirmation" : kind == MsgKind::Information ? "Information" : "Erreur";
}

ScriptedBoxes* g_script = nullptr;

// The arrow while a box is up, whatever the program showed (say the hourglass of a long
// operation); the previous cursor comes back on every way out.
class ArrowWhileUp {
public:
    ArrowWhileUp() noexcept : m_previous(SetCursor(LoadCursor(nullptr, IDC_ARROW))) {}
    ~ArrowWhileUp() { SetCursor(m_previous); }
    ArrowWhileUp(const ArrowWhileUp&) = delete;
    ArrowWhileUp& operator=(const ArrowWhileUp&) = delete;

private:
    HCURSOR m_previous;
};

// Pixel sizes of the box, derived from the dialog font through dialog units so that they follow
// the screen's resolution.
struct BoxMetrics {
    int margin, gap, buttonWidth, buttonHeight, buttonPadding, iconGap;
};

BoxMetrics MeasureBox(HWND dlg)
{
    RECT r{7, 4, 50, 14};
    MapDialogRect(dlg, &r);
    RECT pad{8, 10, 0, 0};
    MapDialogRect(dlg, &pad);
    return {static_cast<int>(r.left), static_cast<int>(r.top), static_cast<int>(r.right),
            static_cast<int>(r.bottom), static_cast<int>(pad.left), static_cast<int>(pad.top)};
}

int TextWidth(HDC dc, const char* text)
{
    RECT r{0, 0, 0, 0};
    DrawTextA(dc, text, -1, &r, DT_CALCRECT | DT_SINGLELINE);
    return static_cast<int>(r.right - r.left);
}

// One real box, for the time of its modal run. Its size follows its text and its buttons.
class TMessageBox : public TDialog {
public:
    TMessageBox(const std::string& text, MsgKind kind, unsigned buttons)
        : m_text(text), m_kind(kind), m_buttons(buttons)
    {
    }

    // The answer; none when no box could be made (no desktop).
    std::optional<MsgResult> Execute(HWND owner)
    {
        const INT_PTR r =
            RunModal(owner, {WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME, WS_EX_DLGMODALFRAME});
        if (r < kResultBase || r > kResultBase + static_cast<INT_PTR>(MsgResult::All)) return std::nullopt;
        return static_cast<MsgResult>(r - kResultBase);
    }

private:
    bool OnInit() override
    {
        LayOut();
        return false; // the focus is set
    }
    void OnOK() override { Answer(IDOK); }
    void OnCancel() override { Answer(IDCANCEL); }
    bool OnCommand(int id, int code) override
    {
        if (code == BN_CLICKED) Answer(id);
        return code == BN_CLICKED;
    }
    // Reporting would open another box, which could fail the same way. A box that could not be
    // laid out still answers through its buttons or Escape.
    void OnException() noexcept override {}

    void Answer(int id)
    {
        for (const ButtonDef& b : kButtons) {
            if (b.id == id && (m_buttons & b.flag)) {
                End(kResultBase + static_cast<INT_PTR>(b.result));
                return;
            }
        }
        MsgResult escape;
        if (id == IDCANCEL && EscapeResult(m_buttons, escape)) End(kResultBase + static_cast<INT_PTR>(escape));
    }

    void LayOut();

    const std::string& m_text;
    MsgKind m_kind;
    unsigned m_buttons;
};

void TMessageBox::LayOut()
{
    HWND dlg = Handle();
    SetWindowTextA(dlg, KindTitle(m_kind));
    HFONT font = Font();
    const BoxMetrics m = MeasureBox(dlg);

    RECT work{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    const int workWidth = work.right - work.left, workHeight = work.bottom - work.top;

    const int iconSize = GetSystemMetrics(SM_CXICON);
    const DWORD textFlags = DT_WORDBREAK | DT_EXPANDTABS | DT_NOPREFIX | DT_EDITCONTROL;

    WindowDc dc(dlg);
    ScopedSelect selectFont(dc.Get(),
                            font ? static_cast<HGDIOBJ>(font) : GetStockObject(DEFAULT_GUI_FONT));

    // Wrap at about sixty average characters, never wider than most of the screen.
    TEXTMETRICA tm{};
    GetTextMetricsA(dc.Get(), &tm);
    const int maxTextWidth =
        std::max(100, std::min(static_cast<int>(tm.tmAveCharWidth) * 60, workWidth * 5 / 8));
    RECT textRect{0, 0, maxTextWidth, 0};
    DrawTextA(dc.Get(), m_text.c_str(), -1, &textRect, DT_CALCRECT | textFlags);
    const int textWidth = std::min(static_cast<int>(textRect.right - textRect.left), maxTextWidth);
    // A text taller than the screen is cut rather than pushing the buttons off it.
    const int lineHeight = static_cast<int>(tm.tmHeight);
    const int textHeight = std::clamp(static_cast<int>(textRect.bottom - textRect.top), lineHeight,
                                      std::max(lineHeight, workHeight * 3 / 4));

    // Buttons: at least the standard width, wider for a longer caption. The first is the default.
    int buttonWidth = m.buttonWidth;
    std::vector<DialogButton> row;
    for (const ButtonDef& b : kButtons) {
        if (!(m_buttons & b.flag)) continue;
        const DWORD style = WS_TABSTOP | (row.empty() ? BS_DEFPUSHBUTTON | WS_GROUP : BS_PUSHBUTTON);
        row.push_back({b.id, b.caption, style});
        buttonWidth = std::max(buttonWidth, TextWidth(dc.Get(), b.caption) + 2 * m.buttonPadding);
    }
    const int buttonsWidth = ButtonRowWidth(row.size(), buttonWidth, m.gap);

    const int textLeft = m.margin + iconSize + m.iconGap;
    const int contentHeight = std::max(iconSize, textHeight);
    const int clientWidth = std::max(textLeft + textWidth + m.margin, buttonsWidth + 2 * m.margin);
    const int buttonTop = m.margin + contentHeight + m.margin;
    const int clientHeight = buttonTop + m.buttonHeight + m.margin;

    AddControlInPixels({kIdIcon, "STATIC", nullptr, SS_ICON, m.margin, m.margin, iconSize, iconSize});
    HICON icon = LoadIcon(nullptr, m_kind == MsgKind::Confirmation  ? IDI_QUESTION
                                   : m_kind == MsgKind::Information ? IDI_INFORMATION
                                                                    : IDI_HAND);
    SendDlgItemMessageA(dlg, kIdIcon, STM_SETICON, reinterpret_cast<WPARAM>(icon), 0);
    const int textTop = m.margin + (contentHeight - textHeight) / 2;
    AddControlInPixels({kIdText, "STATIC", m_text.c_str(), SS_LEFT | SS_NOPREFIX | SS_EDITCONTROL, textLeft,
                        textTop, textWidth, textHeight});
    AddButtonRow(row, (clientWidth - buttonsWidth) / 2, buttonTop, buttonWidth, m.buttonHeight, m.gap);

    SizeDialogToClient(dlg, clientWidth, clientHeight);

    MsgResult unused;
    if (!EscapeResult(m_buttons, unused))
        EnableMenuItem(GetSystemMenu(dlg, FALSE), SC_CLOSE, MF_BYCOMMAND | MF_GRAYED);

    if (!row.empty()) FocusDefault(row.front().id);
    SetForegroundWindow(dlg);
}

} // namespace

ScriptedBoxes::ScriptedBoxes() : m_previous(g_script) { g_script = this; }

ScriptedBoxes::ScriptedBoxes(std::initializer_list<MsgResult> answers) : ScriptedBoxes()
{
    m_answers.assign(answers.begin(), answers.end());
}

ScriptedBoxes::~ScriptedBoxes() { g_script = m_previous; }

ScriptedBoxes* ScriptedBoxes::Current() noexcept { return g_script; }

MsgResult ScriptedBoxes::Take(RecordedBox box)
{
    const unsigned buttons = EffectiveButtons(box.buttons);
    m_boxes.push_back(std::move(box));
    if (!m_answers.empty()) {
        MsgResult r = m_answers.front();
        m_answers.pop_front();
        return r;
    }
    MsgResult escape;
    return EscapeResult(buttons, escape) ? escape : FirstButton(buttons);
}

MsgResult ShowMessageBox(const std::string& text, MsgKind kind, unsigned buttons)
{
    ProgressShowKept(); // a progress behind the box names the item the box is about
    ArrowWhileUp arrow;
    if (ScriptedBoxes* script = ScriptedBoxes::Current())
        return script->Take({text, kind, buttons, KindTitle(kind), GetCursor(), false});

    buttons = EffectiveButtons(buttons);
    if (App().sessionEnding) {
        // Nobody is there to answer any more: the safe way out, as Escape.
        MsgResult escape;
        return EscapeResult(buttons, escape) ? escape : FirstButton(buttons);
    }
    HWND owner = GetActiveWindow();
    if (!owner && App().mainWindow && IsWindowVisible(App().mainWindow)) owner = App().mainWindow;

    if (std::optional<MsgResult> answer = TMessageBox(text, kind, buttons).Execute(owner)) return *answer;
    // No box could be made (no desktop): answer as Escape would, the safe way out.
    MsgResult escape;
    return EscapeResult(buttons, escape) ? escape : FirstButton(buttons);
}

void ShowError(int code, const std::string& text)
{
    std::string message = FormatMessage(3000 + code, {text});
    if (message.empty()) throw EUndefinedMessage(FormatMessage(3900, {code}));
    ShowMessageBox(message, MsgKind::Error, MsgButton::OK);
}

MsgResult AskQuestion(int code, const std::string& text, const std::string& text2, unsigned buttons)
{
    std::string message = FormatMessage(3100 + code, {text, text2});
    if (message.empty()) throw EUndefinedMessage(FormatMessage(3910, {code}));
    return ShowMessageBox(message, MsgKind::Confirmation, buttons);
}

std::string ExceptionClassName(const std::exception& e)
{
    if (auto* own = dynamic_cast<const ETypaError*>(&e)) return own->ClassName();
    if (dynamic_cast<const std::bad_alloc*>(&e)) return "EOutOfMemory";
    return "Exception";
}

std::string UnexpectedErrorText(const std::string& className, const void* address,
                                const std::string& message)
{
    // Relative to the image base, so that the figure is the same from run to run and can be
    // found in the linker map (add the base back).
    const auto base = reinterpret_cast<std::uintptr_t>(GetModuleHandleA(nullptr));
    const auto offset = static_cast<unsigned long>(reinterpret_cast<std::uintptr_t>(address) - base);
    char where[16];
    std::snprintf(where, sizeof where, "%08lX", offset);
    return FormatMessage(2001, {className, where, message});
}

// The address shown is the return address into the procedure that reports: the throw site
// itself would need a hook into the runtime's throw, and the catching procedure already tells
// which handler met the error. Not inlined, so that the return address is the caller's.
__attribute__((noinline)) void ShowUnexpectedError(const std::exception& e,
                                                   const void* address) noexcept
{
    if (!address) address = __builtin_return_address(0);
    try {
        ShowMessageBox(UnexpectedErrorText(ExceptionClassName(e), address, e.what()), MsgKind::Error,
                       MsgButton::OK);
    } catch (...) {
        // Out of memory while reporting: nothing more can be said.
    }
}

__attribute__((noinline)) void ShowCurrentException(const void* address) noexcept
{
    if (!address) address = __builtin_return_address(0);
    std::exception_ptr current = std::current_exception();
    if (!current) return;
    try {
        std::rethrow_exception(current);
    } catch (const std::exception& e) {
        ShowUnexpectedError(e, address);
    } catch (...) {
        try {
            ShowMessageBox(UnexpectedErrorText("Exception", address, ""), MsgKind::Error,
                           MsgButton::OK);
        } catch (...) {
        }
    }
}

void CentreOnWindow(HWND dialog, HWND over)
{
    if (!dialog || !over || !IsWindow(dialog) || !IsWindow(over) || IsIconic(over)) return;
    RECT o{}, d{};
    if (!GetWindowRect(over, &o) || !GetWindowRect(dialog, &d)) return;
    const int left = o.left + ((o.right - o.left) - (d.right - d.left)) / 2;
    const int top = o.top + ((o.bottom - o.top) - (d.bottom - d.top)) / 2;
    SetWindowPos(dialog, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CentreOnMainWindow(HWND dialog) { CentreOnWindow(dialog, App().mainWindow); }

} // namespace typa
