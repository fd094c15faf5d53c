#pragma once
// The system clipboard: numbered formats, each holding a memory block (or, for
// a few predefined formats, a GDI object handle). Formats from 0xC000 up are
// registered by name at run time, so their numbers differ between sessions.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "platform/WindowSystem.h"

namespace tembric::platform {

using ClipFormat = std::uint32_t;

// Predefined format numbers, as the system numbers them.
namespace clip {
inline constexpr ClipFormat kText = 1;
inline constexpr ClipFormat kBitmap = 2;
inline constexpr ClipFormat kMetafilePict = 3;
inline constexpr ClipFormat kOemText = 7;
inline constexpr ClipFormat kDib = 8;
inline constexpr ClipFormat kPalette = 9;
inline constexpr ClipFormat kUnicodeText = 13;
inline constexpr ClipFormat kEnhMetafile = 14;
inline constexpr ClipFormat kHDrop = 15;
inline constexpr ClipFormat kLocale = 16;
inline constexpr ClipFormat kDibV5 = 17;
inline constexpr ClipFormat kDspBitmap = 0x82;
inline constexpr ClipFormat kDspEnhMetafile = 0x8E;
inline constexpr ClipFormat kFirstRegistered = 0xC000;
inline constexpr ClipFormat kLastRegistered = 0xFFFF;
// The longest format name FormatName returns (the name buffer holds 61
// characters with the terminating zero).
inline constexpr std::size_t kMaxFormatName = 60;

// Application ranges (CF_PRIVATEFIRST..CF_PRIVATELAST and
// CF_GDIOBJFIRST..CF_GDIOBJLAST). A private format's handle is whatever its
// owner made it, and the system never frees it; an application GDI-object
// format's handle is a GDI object.
inline constexpr ClipFormat kPrivateFirst = 0x0200;
inline constexpr ClipFormat kPrivateLast = 0x02FF;
inline constexpr ClipFormat kGdiObjectFirst = 0x0300;
inline constexpr ClipFormat kGdiObjectLast = 0x03FF;

// Formats whose data is a GDI object, not a memory block: their content
// cannot be read or placed as bytes. CF_METAFILEPICT is a memory block (the
// metafile handle inside it is just a number) and is not one of them.
constexpr bool IsGdiObjectFormat(ClipFormat f) {
  return f == kBitmap || f == kPalette || f == kEnhMetafile || f == kDspBitmap || f == kDspEnhMetafile ||
         (f >= kGdiObjectFirst && f <= kGdiObjectLast);
}

// Formats whose handle is a global memory block, to be read or placed as
// bytes: every number from 1 to 0xFFFF but the GDI object formats and the
// private range. (A block placed under a private number would never be freed.)
constexpr bool IsMemoryFormat(ClipFormat f) {
  return f != 0 && f <= kLastRegistered && !IsGdiObjectFormat(f) && !(f >= kPrivateFirst && f <= kPrivateLast);
}
}  // namespace clip

// What GetData found for a format.
struct ClipData {
  enum class Kind {
    None,    // the format is not there, or its owner rendered nothing (null handle)
    Object,  // a handle that is not a lockable memory block (bitmap, palette, metafile,
             // any format that is not clip::IsMemoryFormat)
    Memory,  // a memory block; `bytes` is the whole block, as large as the system reports it
  };
  Kind kind = Kind::None;
  std::vector<std::uint8_t> bytes;
};

class Clipboard {
 public:
  virtual ~Clipboard() = default;

  // Opens the clipboard for `owner` (kNoWindow is allowed). Fails while
  // another owner has it open; opening again by the one holding it succeeds.
  // One Close ends the open whatever the number of Opens before it.
  virtual bool Open(WindowHandle owner) = 0;
  virtual bool Close() = 0;

  // Clears the content and makes the opener the owner. Needs the clipboard open.
  virtual bool Empty() = 0;

  // Every format on offer, in the order the system enumerates them,
  // synthesised ones included. Needs the clipboard open (else empty).
  virtual std::vector<ClipFormat> EnumFormats() = 0;

  // The data of `format`, rendering delayed formats. A format that is not
  // clip::IsMemoryFormat never gives Memory: its handle is not locked. Needs
  // the clipboard open.
  virtual ClipData GetData(ClipFormat format) = 0;

  // Places a copy of `bytes` in a new memory block under `format` (an empty
  // span makes an empty block). The block belongs to the system only once it
  // accepted it; on refusal it is freed here. Formats that are not
  // clip::IsMemoryFormat are refused. Needs the clipboard open.
  virtual bool SetData(ClipFormat format, std::span<const std::uint8_t> bytes) = 0;

  // Places a packed device-independent bitmap (40-byte header, colour table,
  // pixel rows) as a bitmap object, CF_BITMAP, made for the screen, and, when
  // the header declares a colour table, the table as a palette object,
  // CF_PALETTE. The objects belong to the system once it accepted them; on
  // refusal they are deleted here. False when the DIB is malformed or the
  // bitmap was refused (a refused palette is ignored). Needs the clipboard open.
  virtual bool SetBitmap(std::span<const std::uint8_t> dib) = 0;

  // The name of a registered format, at most kMaxFormatName characters (a
  // longer name is cut). Nothing for predefined and private formats.
  virtual std::optional<std::string> FormatName(ClipFormat format) = 0;

  // The number the running session gives `name` (letter case ignored),
  // registering it if new; 0 when the system refuses (an empty name).
  virtual ClipFormat RegisterFormat(const std::string& name) = 0;

  virtual bool IsFormatAvailable(ClipFormat format) = 0;

  // Offers `format` without data (delayed rendering): the first program that
  // asks for it makes the system send the clipboard owner (the opener that
  // emptied it) a request to render it, and waits while the owner places the
  // data with SetData or SetBitmap, without opening. Needs the clipboard open.
  virtual bool OfferDelayed(ClipFormat format) = 0;

  // The window that holds the clipboard open now; kNoWindow when it is closed
  // or was opened without a window.
  virtual WindowHandle OpenerWindow() = 0;
};

// Holds the clipboard open for one scope and closes it on every path.
class ClipboardOpen {
 public:
  ClipboardOpen(Clipboard& clipboard, WindowHandle owner) : clipboard_(&clipboard), open_(clipboard.Open(owner)) {}
  ~ClipboardOpen() {
    if (open_) clipboard_->Close();
  }
  ClipboardOpen(const ClipboardOpen&) = delete;
  ClipboardOpen& operator=(const ClipboardOpen&) = delete;

  bool IsOpen() const { return open_; }
  explicit operator bool() const { return open_; }

 private:
  Clipboard* clipboard_;
  bool open_;
};

}  // namespace tembric::platform

#ifdef _WIN32
namespace tembric::platform {
// The clipboard of the running Windows session.
Clipboard& RealClipboard();
}  // namespace tembric::platform
#endif
