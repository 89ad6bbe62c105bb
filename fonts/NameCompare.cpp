#include "fonts/NameCompare.h"
#include <windows.h>

namespace typa {

int CompareNames(const std::string& a, const std::string& b)
{
    int r = CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, a.data(), static_cast<int>(a.size()), b.data(),
                           static_cast<int>(b.size()));
    if (r == 0) return a.compare(b); // the locale refused the strings: fall back to bytes
    return r - CSTR_EQUAL;
}

std::string NameKey(const std::string& name)
{
    const DWORD flags = LCMAP_SORTKEY | NORM_IGNORECASE;
    int n = LCMapStringA(LOCALE_USER_DEFAULT, flags, name.data(), static_cast<int>(name.size()), nullptr, 0);
    if (n <= 0) return "\x01" + name; // no key from the locale: exact bytes, never equal to a real key
    std::string key(static_cast<std::size_t>(n), '\0');
    LCMapStringA(LOCALE_USER_DEFAULT, flags, name.data(), static_cast<int>(name.size()), key.data(), n);
    return key;
}

std::string UpperCase(std::string s)
{
    if (!s.empty()) CharUpperBuffA(s.data(), static_cast<DWORD>(s.size()));
    return s;
}

std::string LowerCase(std::string s)
{
    if (!s.empty()) CharLowerBuffA(s.data(), static_cast<DWORD>(s.size()));
    return s;
}

} // namespace typa
