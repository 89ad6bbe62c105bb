#include "platform/SystemLanguage.h"

#include <string>
#include <vector>

namespace typa::sys {

LANGID SystemLanguage()
{
    constexpr LANGID kUsEnglish = 0x0409;
    char dir[MAX_PATH + 1] = {};
    const UINT n = GetSystemDirectoryA(dir, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return kUsEnglish;
    std::string path(dir, n);
    if (path.back() != '\\') path += '\\';
    path += "KERNEL32.DLL";

    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeA(path.c_str(), &ignored);
    if (size == 0) return kUsEnglish;
    std::vector<char> data(size);
    if (!GetFileVersionInfoA(path.c_str(), 0, size, data.data())) return kUsEnglish;

    void* entry = nullptr;
    UINT entryLength = 0;
    char key[] = "\\VarFileInfo\\Translation";
    if (!VerQueryValueA(data.data(), key, &entry, &entryLength) || !entry ||
        entryLength < sizeof(WORD))
        return kUsEnglish;
    // Pairs of (language, code page); the first language is the system's.
    return *static_cast<const WORD*>(entry);
}

} // namespace typa::sys
