#pragma once
// The making of dialogs built in code: an in-memory template with no controls, the frame sized
// around a client area, and the controls added at WM_INITDIALOG.
#include <windows.h>

#include <vector>

namespace typa {

// An in-memory dialog template with no controls, for dialogs that build their controls in
// WM_INITDIALOG: class "#32770", the dialog font MS Shell Dlg 8, the caption set later.
std::vector<WORD> EmptyDialogTemplate(DWORD style, DWORD exStyle, const char* face = "MS Shell Dlg",
                                      WORD points = 8);

// Gives a code-built dialog the frame around a client area of this size, centred on the screen;
// `insertAfter` places it in the z-order too (nullptr: left where it is).
void SizeDialogToClient(HWND dlg, int clientWidth, int clientHeight, HWND insertAfter = nullptr);
// Gives a code-built dialog its client size, keeps it on top, centres it on the screen and then
// over the main window (when there is one).
void PlaceTopmostDialog(HWND dlg, int clientWidth, int clientHeight);
// A visible child control of such a dialog, in the given font (null keeps the control's own).
HWND AddDialogControl(HWND dlg, const char* cls, const char* text, DWORD style, int id, int x, int y,
                      int w, int h, HFONT font, DWORD exStyle = 0);

} // namespace typa
