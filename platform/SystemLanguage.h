#pragma once
// The language of the running system, as the version resource of its KERNEL32.DLL gives it.
#include <windows.h>

namespace typa::sys {

// The first language identifier of \VarFileInfo\Translation in KERNEL32.DLL of the system
// directory; 1033 (U.S. English) when the file, its resource or the entry cannot be read. Reads
// the file on every call: callers that read many fonts ask once and keep the answer.
LANGID SystemLanguage();

} // namespace typa::sys
