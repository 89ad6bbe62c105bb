#pragma once
// One running copy per program file: a named semaphore tells a second start that the first runs.
#include "platform/Handles.h"
#include <string>

namespace typa {

// "TYPA.EXE" gives "TYPA.EXEStartSemaphore": a copy under another file name is another program.
std::string StartSemaphoreName(const std::string& programFile);

// Creates the token; empty when another instance already holds it (or it cannot be created at all,
// in which case `alreadyRunning` stays false and the caller starts as the first instance).
UniqueKernelHandle CreateStartSemaphore(const std::string& name, bool& alreadyRunning);

// Brings the running instance forward, or asks it to leave the notification area.
void ActivatePreviousInstance();

} // namespace typa
