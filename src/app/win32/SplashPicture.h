#pragma once
// The splash's picture, drawn by the program itself.
#include <windows.h>

#include "platform/win32/Handles.h"

namespace tembric::app::win32 {

// A `width` × `height` bitmap compatible with `reference`: a diagonal blue
// gradient with the name "Tembric" in a large font. Empty when the system
// refuses the bitmap (the splash then shows its background).
platform::win32::BitmapHandle PaintSplashPicture(HDC reference, int width, int height);

}  // namespace tembric::app::win32
