#pragma once
// The system's fonts: family enumeration and font resources loaded from files.
#include <windows.h>
#include <functional>
#include <string>

namespace typa::gdi {

// Called once per font the system reports; return false to stop. An exception thrown by the
// callback stops the enumeration and is thrown again from EnumFamilies, outside the system's
// frames.
using FamilyCallback = std::function<bool(const ENUMLOGFONTA& font, const NEWTEXTMETRICA& metrics, DWORD type)>;

// One font of every family (family == nullptr) or every font of one family.
void EnumFamilies(HDC dc, const char* family, const FamilyCallback& callback);

// The face the system gives for the face name `faceName` (its first 31 characters): its family
// and its full name, as the system names them. False when no outline face answers.
bool FaceNames(HDC dc, const std::string& faceName, std::string& family, std::string& fullName);

// Loads a font file as a resource of the running system; every add needs its own remove.
bool AddFontResourceFile(const std::string& path);
bool RemoveFontResourceFile(const std::string& path);

} // namespace typa::gdi
