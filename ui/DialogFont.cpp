#include "ui/DialogFont.h"

#include "ui/Dpi.h"

namespace {

constexpr int kTitleFontHeight = 16; // pixels at 96 DPI

} // namespace

BOOL CALLBACK EnumChildProc(HWND hWnd, LPARAM lParam) {
    ::SendMessageA(hWnd, WM_SETFONT, static_cast<WPARAM>(lParam), FALSE);
    return TRUE;
}

HFONT GuiFontForDpi(UINT nDpi) {
    const HFONT hStock = static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT));
    const UINT nSystemDpi = SystemDpi();
    LOGFONTA font = {};
    if (nDpi == nSystemDpi || !::GetObjectA(hStock, sizeof font, &font))
        return hStock;
    font.lfHeight = ::MulDiv(font.lfHeight, static_cast<int>(nDpi), static_cast<int>(nSystemDpi));
    font.lfWidth = ::MulDiv(font.lfWidth, static_cast<int>(nDpi), static_cast<int>(nSystemDpi));
    const HFONT hFont = ::CreateFontIndirectA(&font);
    return hFont ? hFont : hStock;
}

HFONT CreateTitleFont(UINT nDpi) {
    return ::CreateFontA(ScaleForDpi(kTitleFontHeight, nDpi), 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE,
                         ANSI_CHARSET, 0, 0, 0, 0, nullptr);
}
