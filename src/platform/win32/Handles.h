#pragma once
// Move-only owners of Win32 handles, one type per kind of handle.
#include <windows.h>

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

// Owns a GDI object (bitmap, font, brush, pen) deleted with DeleteObject.
template <typename T>
class GdiObject {
 public:
  GdiObject() = default;
  explicit GdiObject(T h) : h_(h) {}
  ~GdiObject() { Reset(); }
  GdiObject(GdiObject&& other) noexcept : h_(other.Detach()) {}
  GdiObject& operator=(GdiObject&& other) noexcept {
    if (this != &other) {
      Reset();
      h_ = other.Detach();
    }
    return *this;
  }
  GdiObject(const GdiObject&) = delete;
  GdiObject& operator=(const GdiObject&) = delete;

  T get() const { return h_; }
  explicit operator bool() const { return h_ != nullptr; }
  T Detach() { return std::exchange(h_, nullptr); }
  void Reset() {
    if (h_) DeleteObject(h_);
    h_ = nullptr;
  }

 private:
  T h_ = nullptr;
};

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
