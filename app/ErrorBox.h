#pragma once
// The program's message boxes: errors and questions from the message table, the box itself
// (ours, because a standard box cannot offer "&Tout"), the unexpected-error report, and the
// placing of dialogs over the main window.
#include <windows.h>

#include <deque>
#include <exception>
#include <initializer_list>
#include <string>
#include <vector>

namespace typa {

enum class MsgKind { Error, Confirmation, Information };

enum class MsgResult { Yes, No, OK, Cancel, All };

// Buttons of a box, combined with |. They always appear in this order.
namespace MsgButton {
constexpr unsigned Yes = 1u << 0;
constexpr unsigned No = 1u << 1;
constexpr unsigned OK = 1u << 2;
constexpr unsigned Cancel = 1u << 3;
constexpr unsigned All = 1u << 4;
} // namespace MsgButton

// A modal box: the kind's title and icon, the text, the buttons asked for (none means OK).
// Centred on the screen, owned by the program's active window. While it is up the mouse shows
// the arrow; the cursor from before comes back afterwards. Escape answers Cancel, else No, else
// OK, whichever the box has.
MsgResult ShowMessageBox(const std::string& text, MsgKind kind, unsigned buttons);

// Error 3000 + code with `text` for %s, as an error box with OK. Throws EUndefinedMessage (text
// 3900 with the code) when the error has no text.
void ShowError(int code, const std::string& text);

// Question 3100 + code with the two texts for its %s, as a confirmation box with `buttons`.
// Throws EUndefinedMessage (text 3910 with the code) when the question has no text.
MsgResult AskQuestion(int code, const std::string& text, const std::string& text2, unsigned buttons);

// The unexpected-error report (message 2001): class name, address relative to the program's
// image base as 8 hex digits, and the exception's message, in an error box with OK. `address`
// is where the error was met; null takes the caller's return address, i.e. a point inside the
// procedure that caught it. Never throws.
void ShowUnexpectedError(const std::exception& e, const void* address = nullptr) noexcept;
// The same for the exception being handled; call it only inside a catch block. Non-standard
// exceptions show the class name "Exception" and no message.
void ShowCurrentException(const void* address = nullptr) noexcept;
// The class name the report uses: ETypaError's own, else a name for the standard kinds.
std::string ExceptionClassName(const std::exception& e);
// Message 2001 as the report shows it.
std::string UnexpectedErrorText(const std::string& className, const void* address,
                                const std::string& message);

// Places `dialog` over the main window (App().mainWindow): each coordinate is the main window's
// plus half the difference of the sizes, the half truncated toward zero. Leaves the dialog where
// it is when there is no main window or the main window is minimised.
void CentreOnMainWindow(HWND dialog);
// The same over any window.
void CentreOnWindow(HWND dialog, HWND over);

// What a scripted box was asked to show.
struct RecordedBox {
    std::string text;
    MsgKind kind = MsgKind::Error;
    unsigned buttons = 0;
    // "Erreur"/"Confirmation"/"Information" for message boxes; the caller's caption for the warning dialog;
    // "Insérer le support de données" for the insert-medium dialog.
    std::string caption;
    // The cursor shown while the box was up.
    HCURSOR cursor = nullptr;
    bool warningDialog = false;
};

// The seam for unit tests: while one is alive, every message box, the warning dialog and the
// insert-medium dialog take their answers from its queue and record what they were asked to show,
// instead of showing anything. An empty queue answers as Escape would (Cancel, else No, else OK,
// else the first button). Scripts nest; the innermost one answers.
class ScriptedBoxes {
public:
    ScriptedBoxes();
    explicit ScriptedBoxes(std::initializer_list<MsgResult> answers);
    ~ScriptedBoxes();
    ScriptedBoxes(const ScriptedBoxes&) = delete;
    ScriptedBoxes& operator=(const ScriptedBoxes&) = delete;

    void Answer(MsgResult result) { m_answers.push_back(result); }
    const std::vector<RecordedBox>& Boxes() const noexcept { return m_boxes; }
    std::size_t Pending() const noexcept { return m_answers.size(); }

    // The installed script, or null when boxes are real.
    static ScriptedBoxes* Current() noexcept;
    // Records a box and gives its answer.
    MsgResult Take(RecordedBox box);

private:
    std::deque<MsgResult> m_answers;
    std::vector<RecordedBox> m_boxes;
    ScriptedBoxes* m_previous;
};

} // namespace typa
