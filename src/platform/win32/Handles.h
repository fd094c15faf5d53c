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

}  // namespace tembric::platform::win32
