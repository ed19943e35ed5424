// Both dialogs give every child control the stock GUI font; the template font only sizes them.
// The stock font is made for the system's DPI: a dialog on a monitor of another DPI gets a copy
// of it at that DPI.
#pragma once

#include <windows.h>

// Window-enumeration callback: lParam is the font handle. Sends WM_SETFONT without redraw and
// goes on with the next window.
BOOL CALLBACK EnumChildProc(HWND hWnd, LPARAM lParam);

// The stock GUI font at the system's DPI, else a new font of the same face at nDpi. Either may be
// given to DeleteObject: deleting a stock object does nothing.
HFONT GuiFontForDpi(UINT nDpi);
// The main dialog's bold title font: 16 pixels high at 96 DPI. The caller deletes it.
HFONT CreateTitleFont(UINT nDpi);
