#pragma once
// Text between UTF-16 and the program's 8-bit strings, in the system's ANSI code page, as
// Windows itself converts it.
#include <windows.h>
#include <string>

namespace typa::cp {

// `length` UTF-16 units in the ANSI code page, without best-fit substitutes: a character the
// code page cannot hold becomes "?" and clears `whole` (left as it is otherwise).
std::string FromUtf16(const wchar_t* text, std::size_t length, bool& whole);

// An 8-bit text of the program back in UTF-16.
std::wstring ToUtf16(const std::string& text);

// Whether `text` holds a character that stands for one the code page could not hold: the
// system's "?" is never part of a real file name.
inline bool HasLostCharacters(const std::string& text) { return text.find('?') != std::string::npos; }

} // namespace typa::cp
