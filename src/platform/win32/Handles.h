#pragma once
// Move-only owners of Win32 handles, one type per kind of handle.
#include <windows.h>
// Needs the declarations of <windows.h> first.
#include <commctrl.h>

#include <utility>

namespace tembric::platform::win32 {

// Owns a handle closed with CloseHandle. `Invalid` is the value the creating
// API returns on failure (INVALID_HANDLE_VALUE for files, null for most others).
template <HANDLE (*Invalid)()>
class KernelHandle {
 public:
  KernelHandle() = default;
  explicit KernelHandle(HANDLE h) : h_(h) {}
  ~KernelHandle() { Reset(); }
  KernelHandle(KernelHandle&& other) noexcept : h_(other.Detach()) {}
  KernelHandle& operator=(KernelHandle&& other) noexcept {
    if (this != &other) {
      Reset();
      h_ = other.Detach();
    }
    return *this;
  }
  KernelHandle(const KernelHandle&) = delete;
  KernelHandle& operator=(const KernelHandle&) = delete;

  HANDLE get() const { return h_; }
  explicit operator bool() const { return h_ != Invalid(); }
  // Gives up ownership without closing.
  HANDLE Detach() { return std::exchange(h_, Invalid()); }
  void Reset() {
    if (h_ != Invalid()) CloseHandle(h_);
    h_ = Invalid();
  }

 private:
  HANDLE h_ = Invalid();
};

inline HANDLE InvalidFileHandle() { return INVALID_HANDLE_VALUE; }
inline HANDLE NullHandle() { return nullptr; }

using FileHandle = KernelHandle<InvalidFileHandle>;
using ObjectHandle = KernelHandle<NullHandle>;  // mutexes, events, processes, sections

// Owns a handle given back with `Release` (a function of our own: the
// system's functions are imported and cannot be template arguments).
template <typename T, void (*Release)(T)>
class OwnedHandle {
 public:
  OwnedHandle() = default;
  explicit OwnedHandle(T h) : h_(h) {}
  ~OwnedHandle() { Reset(); }
  OwnedHandle(OwnedHandle&& other) noexcept : h_(other.Detach()) {}
  OwnedHandle& operator=(OwnedHandle&& other) noexcept {
    if (this != &other) {
      Reset();
      h_ = other.Detach();
    }
    return *this;
  }
  OwnedHandle(const OwnedHandle&) = delete;
  OwnedHandle& operator=(const OwnedHandle&) = delete;

  T get() const { return h_; }
  explicit operator bool() const { return h_ != nullptr; }
  T Detach() { return std::exchange(h_, nullptr); }
  void Reset() {
    if (h_) Release(h_);
    h_ = nullptr;
  }

 private:
  T h_ = nullptr;
};

template <typename T>
void DeleteGdiObject(T h) {
  DeleteObject(h);
}
inline void DestroyMenuHandle(HMENU h) { DestroyMenu(h); }
inline void DestroyAcceleratorsHandle(HACCEL h) { DestroyAcceleratorTable(h); }
inline void DestroyImageListHandle(HIMAGELIST h) { ImageList_Destroy(h); }
inline void DestroyIconHandle(HICON h) { DestroyIcon(h); }
inline void UnmapViewHandle(void* view) { UnmapViewOfFile(view); }

// A GDI object (bitmap, font, brush, pen, palette) deleted with DeleteObject.
template <typename T>
using GdiObject = OwnedHandle<T, &DeleteGdiObject<T>>;
// A menu that no window owns (a window destroys the menu bar set on it).
using OwnedMenu = OwnedHandle<HMENU, &DestroyMenuHandle>;
using OwnedAccelerators = OwnedHandle<HACCEL, &DestroyAcceleratorsHandle>;
using OwnedImageList = OwnedHandle<HIMAGELIST, &DestroyImageListHandle>;
using OwnedIcon = OwnedHandle<HICON, &DestroyIconHandle>;
// A view of a file mapping, unmapped with UnmapViewOfFile.
using MappedView = OwnedHandle<void*, &UnmapViewHandle>;

using BitmapHandle = GdiObject<HBITMAP>;
using FontHandle = GdiObject<HFONT>;
using BrushHandle = GdiObject<HBRUSH>;
using PenHandle = GdiObject<HPEN>;

// A memory device context made with CreateCompatibleDC, deleted with DeleteDC.
class MemoryDc {
 public:
  explicit MemoryDc(HDC compatibleWith) : dc_(CreateCompatibleDC(compatibleWith)) {}
  ~MemoryDc() {
    if (dc_) DeleteDC(dc_);
  }
  MemoryDc(const MemoryDc&) = delete;
  MemoryDc& operator=(const MemoryDc&) = delete;
  HDC get() const { return dc_; }
  explicit operator bool() const { return dc_ != nullptr; }

 private:
  HDC dc_;
};

// Selects a GDI object into a device context for one scope.
class SelectedObject {
 public:
  SelectedObject(HDC dc, HGDIOBJ object) : dc_(dc), previous_(SelectObject(dc, object)) {}
  ~SelectedObject() { SelectObject(dc_, previous_); }
  SelectedObject(const SelectedObject&) = delete;
  SelectedObject& operator=(const SelectedObject&) = delete;

 private:
  HDC dc_;
  HGDIOBJ previous_;
};

}  // namespace tembric::platform::win32
