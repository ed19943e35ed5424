#include "ui/DialogFont.h"

BOOL CALLBACK EnumChildProc(HWND hWnd, LPARAM lParam) {
    ::SendMessageA(hWnd, WM_SETFONT, static_cast<WPARAM>(lParam), FALSE);
    return TRUE;
}
