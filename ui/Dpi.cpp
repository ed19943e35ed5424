#include "ui/Dpi.h"

namespace {

// Functions of Windows 10 (user32 from 1607, uxtheme from 1703), looked up by name so that the
// program still starts where they are missing.
template <class Function> Function SystemFunction(const char* pszModule, const char* pszName) {
    const HMODULE hModule = ::GetModuleHandleA(pszModule);
    return hModule ? reinterpret_cast<Function>(
                         reinterpret_cast<void*>(::GetProcAddress(hModule, pszName)))
                   : nullptr;
}

using GetDpiForWindowFunction = UINT(WINAPI*)(HWND);
using AdjustWindowRectExForDpiFunction = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);
using GetSystemMetricsForDpiFunction = int(WINAPI*)(int, UINT);
using OpenThemeDataForDpiFunction = HTHEME(WINAPI*)(HWND, LPCWSTR, UINT);

} // namespace

UINT SystemDpi() {
    const HDC hScreen = ::GetDC(nullptr);
    const int nDpi = hScreen ? ::GetDeviceCaps(hScreen, LOGPIXELSY) : 0;
    if (hScreen)
        ::ReleaseDC(nullptr, hScreen);
    return nDpi > 0 ? static_cast<UINT>(nDpi) : kDesignDpi;
}

UINT WindowDpi(HWND hWnd) {
    static const auto pfnGetDpiForWindow =
        SystemFunction<GetDpiForWindowFunction>("user32.dll", "GetDpiForWindow");
    const UINT nDpi = pfnGetDpiForWindow ? pfnGetDpiForWindow(hWnd) : 0;
    return nDpi != 0 ? nDpi : SystemDpi();
}

int ScaleForDpi(int nLength, UINT nDpi) {
    return ::MulDiv(nLength, static_cast<int>(nDpi), static_cast<int>(kDesignDpi));
}

bool WindowSizeForClient(HWND hWnd, SIZE client, UINT nDpi, SIZE& window) {
    static const auto pfnAdjust =
        SystemFunction<AdjustWindowRectExForDpiFunction>("user32.dll", "AdjustWindowRectExForDpi");
    RECT rect = {0, 0, client.cx, client.cy};
    const DWORD dwStyle = static_cast<DWORD>(::GetWindowLongA(hWnd, GWL_STYLE));
    const DWORD dwExStyle = static_cast<DWORD>(::GetWindowLongA(hWnd, GWL_EXSTYLE));
    const BOOL bMenu = ::GetMenu(hWnd) != nullptr;
    if (pfnAdjust ? !pfnAdjust(&rect, dwStyle, bMenu, dwExStyle, nDpi)
                  : nDpi != SystemDpi() || !::AdjustWindowRectEx(&rect, dwStyle, bMenu, dwExStyle))
        return false;
    window = {rect.right - rect.left, rect.bottom - rect.top};
    return true;
}

HTHEME OpenThemeForDpi(LPCWSTR pszClassList, UINT nDpi) {
    static const auto pfnOpen =
        SystemFunction<OpenThemeDataForDpiFunction>("uxtheme.dll", "OpenThemeDataForDpi");
    if (pfnOpen)
        return pfnOpen(nullptr, pszClassList, nDpi);
    return nDpi == SystemDpi() ? ::OpenThemeData(nullptr, pszClassList) : nullptr;
}

int SystemMetricForDpi(int nIndex, UINT nDpi) {
    static const auto pfnMetric =
        SystemFunction<GetSystemMetricsForDpiFunction>("user32.dll", "GetSystemMetricsForDpi");
    if (pfnMetric)
        return pfnMetric(nIndex, nDpi);
    return ::MulDiv(::GetSystemMetrics(nIndex), static_cast<int>(nDpi),
                    static_cast<int>(SystemDpi()));
}
