#pragma once
// Font names compare without regard to case, in the user's locale, as the system's own
// CompareStringA does it; "école" equals "ÉCOLE".
#include <string>

namespace typa {

// <0, 0 or >0.
int CompareNames(const std::string& a, const std::string& b);

// A key that is equal for two names exactly when CompareNames finds them equal (the locale's
// own sort key, case ignored): lets lookups use a hash instead of a scan.
std::string NameKey(const std::string& name);

// Upper and lower case in the user's code page (CharUpperBuffA / CharLowerBuffA).
std::string UpperCase(std::string s);
std::string LowerCase(std::string s);

} // namespace typa
