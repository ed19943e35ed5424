#include "ui/CheckBoxImages.h"

#include "ui/Dpi.h"

#include <uxtheme.h>
#include <vssym32.h>

namespace {

constexpr int kImageCount = 3; // none, clear, ticked

// Draws the three images side by side, each in a square of nSide pixels, on the window colour.
HBITMAP DrawImages(int nSide, HTHEME hTheme) {
    const HDC hScreen = ::GetDC(nullptr);
    const HDC hDC = ::CreateCompatibleDC(hScreen);
    const HBITMAP hBitmap = ::CreateCompatibleBitmap(hScreen, nSide * kImageCount, nSide);
    const HGDIOBJ hOld = ::SelectObject(hDC, hBitmap);
    RECT all = {0, 0, nSide * kImageCount, nSide};
    ::FillRect(hDC, &all, ::GetSysColorBrush(COLOR_WINDOW));
    for (int nImage = 1; nImage < kImageCount; ++nImage) {
        RECT box = {nSide * nImage, 0, nSide * (nImage + 1), nSide};
        const bool bTicked = nImage == 2;
        if (hTheme)
            ::DrawThemeBackground(hTheme, hDC, BP_CHECKBOX,
                                  bTicked ? CBS_CHECKEDNORMAL : CBS_UNCHECKEDNORMAL, &box, nullptr);
        else
            ::DrawFrameControl(hDC, &box, DFC_BUTTON,
                               DFCS_BUTTONCHECK | DFCS_FLAT | (bTicked ? DFCS_CHECKED : 0));
    }
    ::SelectObject(hDC, hOld);
    ::DeleteDC(hDC);
    ::ReleaseDC(nullptr, hScreen);
    return hBitmap;
}

} // namespace

HIMAGELIST CreateCheckBoxStateImages(HWND hTree, UINT nDpi) {
    // The tree view's own check boxes are the button class's, when it draws with a visual style.
    const HTHEME hTheme = ::GetWindowTheme(hTree) ? OpenThemeForDpi(L"Button", nDpi) : nullptr;
    SIZE size = {SystemMetricForDpi(SM_CXMENUCHECK, nDpi),
                 SystemMetricForDpi(SM_CYMENUCHECK, nDpi)};
    if (hTheme)
        ::GetThemePartSize(hTheme, nullptr, BP_CHECKBOX, CBS_UNCHECKEDNORMAL, nullptr, TS_DRAW,
                           &size);
    const int nSide = size.cx > size.cy ? size.cx : size.cy;
    const HBITMAP hBitmap = nSide > 0 ? DrawImages(nSide, hTheme) : nullptr;
    if (hTheme)
        ::CloseThemeData(hTheme);
    HIMAGELIST hImages =
        hBitmap ? ::ImageList_Create(nSide, nSide, ILC_COLOR32, kImageCount, 0) : nullptr;
    if (hImages && ::ImageList_Add(hImages, hBitmap, nullptr) < 0) {
        ::ImageList_Destroy(hImages);
        hImages = nullptr;
    }
    if (hBitmap)
        ::DeleteObject(hBitmap);
    return hImages;
}
