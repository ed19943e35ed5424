// Screen resolution in dots per inch, for windows that follow the DPI of the monitor they are on.
// The program declares itself per-monitor aware; the calls that tell a window's own DPI exist from
// Windows 10 on, so they are looked up when first needed, and on older systems every window has
// the system's DPI, which never changes while the program runs.
#pragma once

#include <windows.h>

#include <uxtheme.h>

// The messages of a DPI change, which the headers declare only for Windows versions above the
// program's minimum.
#ifndef WM_DPICHANGED
#define WM_DPICHANGED 0x02E0
#endif
#ifndef WM_GETDPISCALEDSIZE
#define WM_GETDPISCALEDSIZE 0x02E4
#endif

// What layouts and font sizes are drawn for: 100 % scaling.
constexpr UINT kDesignDpi = 96;

// The DPI the system's stock objects and metrics are made for.
UINT SystemDpi();
// The DPI a window is drawn at.
UINT WindowDpi(HWND hWnd);
// A length drawn for kDesignDpi, at nDpi.
int ScaleForDpi(int nLength, UINT nDpi);

// The outer size of a window of this style whose client area has the given size at nDpi: false
// where the system cannot tell it for another DPI than the system's.
bool WindowSizeForClient(HWND hWnd, SIZE client, UINT nDpi, SIZE& window);
// The theme of a control class as drawn at nDpi, tied to no window (a theme opened for a window
// becomes that window's own); null without visual styles, or where the system cannot open a
// theme for another DPI than the system's. Close it with CloseThemeData.
HTHEME OpenThemeForDpi(LPCWSTR pszClassList, UINT nDpi);
// A system metric at nDpi.
int SystemMetricForDpi(int nIndex, UINT nDpi);
