#pragma once
// The program's own pictures, drawn as 16 x 16 pixel maps in Pictures.cpp:
// the record images of the tree, the toolbar pictures and the two tray icons.
#include <windows.h>
// Needs the declarations of <windows.h> first.
#include <commctrl.h>

namespace tembric::app::win32 {

// RecordImages: 12 images, in the order of the tree's image indexes.
HIMAGELIST CreateRecordImages();
// The same images shifted by one, with an empty image at index 0: a tree
// control's state image 0 means "none", so state n shows record image n - 1.
HIMAGELIST CreateRecordStateImages();

enum class ToolPicture { New, AddChild, ShowTable, Edit, Delete, ShutDown, Count };
HIMAGELIST CreateToolbarImages();

// Tray icons: 0 normal, 1 while a keystroke is collected. The caller destroys them.
HICON CreateTrayIcon(int index);

}  // namespace tembric::app::win32
