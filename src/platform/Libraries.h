#pragma once
// Libraries loaded at run time by name: load, find an entry by name, unload.
// Loaded is a move-only owner that unloads its library on every path.

#include <string>
#include <utility>

namespace tembric::platform {

// An entry as found; the caller casts it to the entry's true type.
using LibraryEntry = void (*)();

class Libraries {
 public:
  using Handle = void*;  // opaque; null never names a library

  virtual ~Libraries() = default;
  // Loads the library at `path` (a full path). Null when it cannot be loaded.
  virtual Handle Load(const std::string& path) = 0;
  // The entry named `name`, or null when the library has none.
  virtual LibraryEntry Find(Handle library, const std::string& name) = 0;
  // Handles the window messages pending for this thread, then unloads.
  virtual void Unload(Handle library) noexcept = 0;
};

// One loaded library, unloaded when the owner goes.
class LoadedLibrary {
 public:
  LoadedLibrary(Libraries& libraries, const std::string& path)
      : libraries_(&libraries), handle_(libraries.Load(path)) {}
  ~LoadedLibrary() { Reset(); }
  LoadedLibrary(LoadedLibrary&& other) noexcept
      : libraries_(other.libraries_), handle_(std::exchange(other.handle_, nullptr)) {}
  LoadedLibrary& operator=(LoadedLibrary&& other) noexcept {
    if (this != &other) {
      Reset();
      libraries_ = other.libraries_;
      handle_ = std::exchange(other.handle_, nullptr);
    }
    return *this;
  }
  LoadedLibrary(const LoadedLibrary&) = delete;
  LoadedLibrary& operator=(const LoadedLibrary&) = delete;

  explicit operator bool() const { return handle_ != nullptr; }
  // Null when not loaded or when the library has no such entry.
  LibraryEntry Find(const std::string& name) const { return handle_ ? libraries_->Find(handle_, name) : nullptr; }
  void Reset() noexcept {
    if (handle_) libraries_->Unload(std::exchange(handle_, nullptr));
  }

 private:
  Libraries* libraries_;
  Libraries::Handle handle_;
};

#ifdef _WIN32
// LoadLibraryExA with the library's own folder searched for its imports,
// GetProcAddress, and FreeLibrary after the pending messages.
Libraries& RealLibraries();
#endif

}  // namespace tembric::platform
