#pragma once
// The numbered French messages: every text the program shows apart from window captions and
// hints, and the formatting of their placeholders.
#include <windows.h>
// windows.h maps FormatMessage to FormatMessageA; ours is the message-table one. Code that wants
// the Win32 call writes FormatMessageA.
#undef FormatMessage

#include <initializer_list>
#include <string>

namespace typa {

// One placeholder value: a string, an integer or a floating-point number. Built implicitly, so
// callers write FormatMessage(1006, {12.0, "KB"}).
class MsgArg {
public:
    enum class Kind { String, Integer, Number };

    MsgArg(const char* s) : m_kind(Kind::String), m_text(s ? s : "") {}
    MsgArg(std::string s) : m_kind(Kind::String), m_text(std::move(s)) {}
    MsgArg(int v) : m_kind(Kind::Integer), m_int(v) {}
    MsgArg(unsigned v) : m_kind(Kind::Integer), m_int(v) {}
    MsgArg(long v) : m_kind(Kind::Integer), m_int(v) {}
    MsgArg(unsigned long v) : m_kind(Kind::Integer), m_int(static_cast<long long>(v)) {}
    MsgArg(long long v) : m_kind(Kind::Integer), m_int(v) {}
    MsgArg(unsigned long long v) : m_kind(Kind::Integer), m_int(static_cast<long long>(v)) {}
    MsgArg(double v) : m_kind(Kind::Number), m_number(v) {}

    Kind GetKind() const noexcept { return m_kind; }
    // The value seen as each kind; a string reads as 0, a number as its decimal text.
    std::string AsString() const;
    long long AsInteger() const noexcept;
    double AsNumber() const noexcept;

private:
    Kind m_kind;
    std::string m_text;
    long long m_int = 0;
    double m_number = 0.0;
};

// The table's text for a number, in the Windows code page; empty when the number has none.
std::string LoadMessage(int id);

// Message `id` with its placeholders filled from `args` in order. Empty when the number has no
// text.
std::string FormatMessage(int id, std::initializer_list<MsgArg> args = {});

// The same for a pattern the caller built. Understands %s, %d, %u, %x, %f, %n (the locale's
// separators, %.1n one decimal) with optional "-", width and ".precision", and %% for a percent
// sign. A missing argument formats as empty text or 0; extra arguments are ignored; anything
// it does not understand is copied as it stands.
std::string FormatPattern(const std::string& pattern, std::initializer_list<MsgArg> args = {});

// `value` with `decimals` decimals, the user's decimal separator and thousands grouped by three
// with the user's thousands separator: 1234 → "1 234,0" under French settings (the space is
// byte A0, the no-break space).
std::string FormatNumber(double value, int decimals = 1);

} // namespace typa
