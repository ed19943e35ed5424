// The state images of a tree view's check boxes, drawn for a given DPI. The tree view draws its
// own once, for the DPI its window has then, and never again: a window that moves to a monitor of
// another DPI needs a new set.
#pragma once

#include <windows.h>

#include <commctrl.h>

// Three images as the tree view's own: none (0), a clear box (1) and a ticked box (2), in the
// visual style of the tree's check boxes where it has one, else classic boxes. The caller owns
// the list (ImageList_Destroy).
HIMAGELIST CreateCheckBoxStateImages(HWND hTree, UINT nDpi);
