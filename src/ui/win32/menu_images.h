// Menu item pictures from an image list: 32-bit bitmaps with premultiplied alpha, so the menu's own
// background shows through transparent parts (the white of a flag, the outside of an icon).
#pragma once
#include <windows.h>

#include "ui/image_list.h"
#include "ui/scale.h"

// The bitmap of entry index at the scale (the list's size scaled, from the picture's rendering for
// that scale), made once per image list and scale and kept with the list; nullptr for a position
// the list does not hold. The list owns the bitmap.
HBITMAP MenuItemBitmap(TImageList& images, int index, const DisplayScale& scale = DisplayScale());
// Shows picture imageIndex of images (none: nothing) beside the menu item at position.
void SetMenuItemBitmap(HMENU menu, UINT position, TImageList* images, int imageIndex,
                       const DisplayScale& scale = DisplayScale());
// The owner window of a menu passes WM_MEASUREITEM and WM_DRAWITEM here; true when the request
// was for one of these pictures and has been answered.
bool MeasureMenuBitmap(MEASUREITEMSTRUCT& m);
bool DrawMenuBitmap(const DRAWITEMSTRUCT& d);
