#pragma once
// The program's own pictures, drawn as 16 x 16 pixel maps in Pictures.cpp:
// the record images of the tree, the toolbar pictures and the two tray icons.
#include <windows.h>
// Needs the declarations of <windows.h> first.
#include <commctrl.h>

#include "platform/win32/Handles.h"

namespace tembric::app::win32 {

// RecordImages: 12 images, in the order of the tree's image indexes.
platform::win32::OwnedImageList CreateRecordImages();
// The same images shifted by one, with an empty image at index 0: a tree
// control's state image 0 means "none", so state n shows record image n - 1.
platform::win32::OwnedImageList CreateRecordStateImages();

enum class ToolPicture { New, AddChild, ShowTable, Edit, Delete, ShutDown, Count };
platform::win32::OwnedImageList CreateToolbarImages();

// Tray icons: 0 normal, 1 while a keystroke is collected.
platform::win32::OwnedIcon CreateTrayIcon(int index);

}  // namespace tembric::app::win32
