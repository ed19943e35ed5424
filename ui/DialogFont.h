// Both dialogs give every child control the stock GUI font; the template font only sizes them.
#pragma once

#include <windows.h>

// Window-enumeration callback: lParam is the font handle. Sends WM_SETFONT without redraw and
// goes on with the next window.
BOOL CALLBACK EnumChildProc(HWND hWnd, LPARAM lParam);
