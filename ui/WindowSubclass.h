#pragma once
// A procedure put in front of a control's own for the control's whole life, the classic way: the
// window procedure is replaced and the previous one called for whatever the new one lets through.
// The common controls' SetWindowSubclass does the same but finds its chain through a window
// property on every message, and under Wine each property lookup is a round trip to the window
// server; a font list gets several messages for each of its thousands of rows.
//
// The chain lives in the control's GWLP_USERDATA and goes with the control (WM_NCDESTROY). The
// procedure sees the messages as a Unicode window procedure does, and must not throw.
#include <windows.h>

namespace typa {

using SubclassProc = LRESULT (*)(HWND wnd, UINT msg, WPARAM wp, LPARAM lp, void* data);

// False when the control's GWLP_USERDATA is taken already (or the window is gone): nothing changed.
bool AttachSubclass(HWND wnd, SubclassProc proc, void* data);

// The control's own procedure, for a message the subclass procedure passes on.
LRESULT CallPrevious(HWND wnd, UINT msg, WPARAM wp, LPARAM lp);

} // namespace typa
