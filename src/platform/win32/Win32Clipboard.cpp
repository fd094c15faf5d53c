// The clipboard of the running Windows session, through user32 and global
// memory blocks.
#include <windows.h>

#include <cstring>
#include <optional>
#include <vector>

#include "platform/Clipboard.h"
#include "platform/win32/Handles.h"

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

// Releases a device context taken with GetDC.
class ScreenDc {
 public:
  ScreenDc() : dc_(GetDC(nullptr)) {}
  ~ScreenDc() {
    if (dc_) ReleaseDC(nullptr, dc_);
  }
  ScreenDc(const ScreenDc&) = delete;
  ScreenDc& operator=(const ScreenDc&) = delete;
  HDC get() const { return dc_; }

 private:
  HDC dc_;
};

std::uint32_t Le32(const std::uint8_t* p) {
  return p[0] | p[1] << 8 | p[2] << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

// Where the parts of a BITMAPINFOHEADER-style packed DIB are.
struct DibLayout {
  std::size_t colours = 0;      // colour table entries
  std::size_t tableOffset = 0;  // after the header and any bit-field masks
  std::size_t bitsOffset = 0;   // the pixel rows
};

// The layout, or nothing when the header, the table or the pixel rows do not
// fit in `dib`.
std::optional<DibLayout> CheckedLayout(std::span<const std::uint8_t> dib) {
  if (dib.size() < sizeof(BITMAPINFOHEADER)) return std::nullopt;
  BITMAPINFOHEADER h;
  std::memcpy(&h, dib.data(), sizeof h);
  if (h.biSize < sizeof h || h.biSize > dib.size() || h.biWidth <= 0 || h.biHeight == 0 || h.biPlanes != 1)
    return std::nullopt;
  if (h.biCompression != BI_RGB && h.biCompression != BI_BITFIELDS) return std::nullopt;
  const unsigned bits = h.biBitCount;
  if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32) return std::nullopt;
  const unsigned long long colours = h.biClrUsed != 0 ? h.biClrUsed : (bits <= 8 ? 1ULL << bits : 0);
  if (bits <= 8 && colours > (1ULL << bits)) return std::nullopt;
  const unsigned long long masks = h.biCompression == BI_BITFIELDS && h.biSize == sizeof h ? 12 : 0;
  const unsigned long long stride = ((static_cast<unsigned long long>(h.biWidth) * bits + 31) / 32) * 4;
  const unsigned long long rows = h.biHeight < 0 ? -static_cast<long long>(h.biHeight) : h.biHeight;
  const unsigned long long bitsOffset = h.biSize + masks + 4 * colours;
  if (bitsOffset + stride * rows > dib.size()) return std::nullopt;
  return DibLayout{static_cast<std::size_t>(colours), static_cast<std::size_t>(h.biSize + masks),
                   static_cast<std::size_t>(bitsOffset)};
}

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
    // A GDI handle, or a private format's handle, is not a global memory
    // block: GlobalLock on it is not safe.
    if (!clip::IsMemoryFormat(format)) return result;
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
    if (!clip::IsMemoryFormat(format)) return false;
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

  bool OfferDelayed(ClipFormat format) override {
    // A null handle is also what success returns for a delayed format.
    SetLastError(ERROR_SUCCESS);
    return SetClipboardData(format, nullptr) != nullptr || GetLastError() == ERROR_SUCCESS;
  }

  WindowHandle OpenerWindow() override { return reinterpret_cast<WindowHandle>(GetOpenClipboardWindow()); }

  bool SetBitmap(std::span<const std::uint8_t> dib) override {
    const std::optional<DibLayout> layout = CheckedLayout(dib);
    if (!layout) return false;
    const auto* info = reinterpret_cast<const BITMAPINFO*>(dib.data());
    const std::uint8_t* table = dib.data() + layout->tableOffset;
    const std::uint8_t* bits = dib.data() + layout->bitsOffset;
    const std::size_t colours = layout->colours;

    ScreenDc screen;
    if (!screen.get()) return false;
    BitmapHandle bitmap(CreateDIBitmap(screen.get(), &info->bmiHeader, CBM_INIT, bits, info, DIB_RGB_COLORS));
    if (!bitmap || !SetClipboardData(CF_BITMAP, bitmap.get())) return false;
    bitmap.Detach();  // the system's now

    if (colours > 0) {
      std::vector<std::uint8_t> buffer(sizeof(LOGPALETTE) + sizeof(PALETTEENTRY) * colours);
      auto* palette = reinterpret_cast<LOGPALETTE*>(buffer.data());
      palette->palVersion = 0x300;
      palette->palNumEntries = static_cast<WORD>(colours);
      for (std::size_t i = 0; i < colours; ++i) {
        const std::uint32_t quad = Le32(table + 4 * i);  // blue, green, red, reserved
        palette->palPalEntry[i] = {static_cast<BYTE>(quad >> 16), static_cast<BYTE>(quad >> 8), static_cast<BYTE>(quad),
                                   0};
      }
      GdiObject<HPALETTE> handle(CreatePalette(palette));
      if (handle && SetClipboardData(CF_PALETTE, handle.get())) handle.Detach();
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

}  // namespace tembric::platform::win32

namespace tembric::platform {

Clipboard& RealClipboard() {
  static win32::Win32Clipboard clipboard;
  return clipboard;
}

}  // namespace tembric::platform
