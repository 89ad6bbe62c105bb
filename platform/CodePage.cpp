#include "platform/CodePage.h"

#include <algorithm>

namespace typa::cp {

std::string FromUtf16(const wchar_t* text, std::size_t length, bool& whole)
{
    if (length == 0) return {};
    const int units = static_cast<int>(std::min<std::size_t>(length, 0x7FFFFFFF / 4));
    // UTF-8 as the ANSI code page holds every character, and refuses the flags below.
    const UINT codePage = GetACP();
    const bool utf8 = codePage == CP_UTF8;
    const DWORD flags = utf8 ? 0 : WC_NO_BEST_FIT_CHARS;
    BOOL usedDefault = FALSE;
    BOOL* lost = utf8 ? nullptr : &usedDefault;
    const char* replacement = utf8 ? nullptr : "?";
    const int size = WideCharToMultiByte(codePage, flags, text, units, nullptr, 0, replacement, lost);
    if (size <= 0) {
        whole = false;
        return std::string(static_cast<std::size_t>(units), '?');
    }
    std::string out(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(codePage, flags, text, units, out.data(), size, replacement, lost);
    if (usedDefault) whole = false;
    return out;
}

std::wstring ToUtf16(const std::string& text)
{
    if (text.empty()) return {};
    const int n = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    if (n <= 0) return {};
    std::wstring wide(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), wide.data(), n);
    return wide;
}

} // namespace typa::cp
