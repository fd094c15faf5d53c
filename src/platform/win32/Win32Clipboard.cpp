// The clipboard of the running Windows session, through user32 and global
// memory blocks.
#include <windows.h>

#include <cstring>

#include "platform/Clipboard.h"

namespace tembric::platform::win32 {
namespace {

// Locks a global memory block for one scope.
class GlobalLockScope {
 public:
  explicit GlobalLockScope(HGLOBAL block) : block_(block), data_(GlobalLock(block)) {}
  ~GlobalLockScope() {
    if (data_) GlobalUnlock(block_);
  }
  GlobalLockScope(const GlobalLockScope&) = delete;
  GlobalLockScope& operator=(const GlobalLockScope&) = delete;
  void* data() const { return data_; }

 private:
  HGLOBAL block_;
  void* data_;
};

class Win32Clipboard final : public Clipboard {
 public:
  bool Open(WindowHandle owner) override { return OpenClipboard(reinterpret_cast<HWND>(owner)) != FALSE; }
  bool Close() override { return CloseClipboard() != FALSE; }
  bool Empty() override { return EmptyClipboard() != FALSE; }

  std::vector<ClipFormat> EnumFormats() override {
    std::vector<ClipFormat> formats;
    const int count = CountClipboardFormats();
    UINT format = 0;
    for (int i = 0; i < count; ++i) {
      format = EnumClipboardFormats(format);
      if (format == 0) break;
      formats.push_back(format);
    }
    return formats;
  }

  ClipData GetData(ClipFormat format) override {
    ClipData result;
    HANDLE handle = GetClipboardData(format);
    if (!handle) return result;
    result.kind = ClipData::Kind::Object;
    // A GDI handle is not a global memory block; do not hand it to GlobalLock.
    if (clip::IsGdiObjectFormat(format)) return result;
    HGLOBAL block = static_cast<HGLOBAL>(handle);
    GlobalLockScope lock(block);
    if (!lock.data()) return result;
    const SIZE_T size = GlobalSize(block);
    result.kind = ClipData::Kind::Memory;
    result.bytes.resize(size);
    if (size) std::memcpy(result.bytes.data(), lock.data(), size);
    return result;
  }

  bool SetData(ClipFormat format, std::span<const std::uint8_t> bytes) override {
    if (format == 0 || format > 0xFFFF || clip::IsGdiObjectFormat(format)) return false;
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_DDESHARE, bytes.size());
    if (!block) return false;
    if (!bytes.empty()) {
      GlobalLockScope lock(block);
      if (!lock.data()) {
        GlobalFree(block);
        return false;
      }
      std::memcpy(lock.data(), bytes.data(), bytes.size());
    }
    if (!SetClipboardData(format, block)) {
      GlobalFree(block);  // still ours: the system did not take it
      return false;
    }
    return true;
  }

  std::optional<std::string> FormatName(ClipFormat format) override {
    char name[clip::kMaxFormatName + 1] = {};
    const int length = GetClipboardFormatNameA(format, name, static_cast<int>(sizeof name));
    if (length <= 0) return std::nullopt;
    return std::string(name, static_cast<std::size_t>(length));
  }

  ClipFormat RegisterFormat(const std::string& name) override {
    if (name.empty()) return 0;
    return RegisterClipboardFormatA(name.c_str());
  }

  bool IsFormatAvailable(ClipFormat format) override { return IsClipboardFormatAvailable(format) != FALSE; }
};

}  // namespace

Clipboard& RealClipboard() {
  static Win32Clipboard clipboard;
  return clipboard;
}

}  // namespace tembric::platform::win32
