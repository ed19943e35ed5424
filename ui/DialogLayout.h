// Where a dialog's controls go at any DPI: where the dialog manager puts them at 96 DPI, scaled
// in proportion, with labels grown where their text needs more room than the template gives.
//
// The dialog manager sizes a template by the template's font at the window's DPI. The main
// dialog's template font, MS Sans Serif, is a bitmap font whose largest sizes stop short of
// 192 DPI (under Wine the dialog comes out as large at 192 DPI as at 144), while the controls'
// own font is an outline font that keeps growing: left to the dialog manager, labels would be
// cut at 200 % scaling. And at a DPI change the dialog manager does not move anything.
#pragma once

#include <windows.h>

#include <vector>

class CDialogLayout {
public:
    // At start-up, before anything is moved: the dialog's controls as the dialog manager placed
    // them at nDpi, the dialog's DPI. designUnits: the template font's average letter width and
    // line height in pixels at 96 DPI, what the template's dialog units stand for (4 across, 8
    // down). They cannot be measured at another DPI: a bitmap font of that name is then chosen
    // from the sizes made for that resolution.
    void Capture(HWND hDlg, UINT nDpi, SIZE designUnits);

    // The size of the client area at nDpi.
    SIZE ClientSize(UINT nDpi) const;
    // Moves every control to its place at nDpi, then grows each label whose text does not fit
    // (as its font draws it now): sideways away from its neighbours, or down. Draws nothing.
    void Arrange(UINT nDpi) const;

private:
    struct SControl {
        HWND hWnd;
        RECT rect; // at 96 DPI, in the dialog's client area; a combo box with its list dropped
    };
    HWND m_hDlg = nullptr;
    std::vector<SControl> m_controls; // in z-order
    SIZE m_client = {};               // at 96 DPI
};
