#pragma once
// Clipboard snapshots: every format the clipboard offers, as bytes, so that a
// whole-clipboard record can put back later what the clipboard held.
//
// A snapshot is a sequence of entries with nothing before, between or after
// them. Each entry is a 268-byte header followed by DataSize data bytes:
//
//   offset size  field
//        0    4  Position    int32, where this header starts in the stream (low 32 bits); never read
//        4    4  DataSize    uint32, size of the memory block as the system reports it
//        8    4  Format      uint32, the format number (16-bit value)
//       12    1  NameLength  0 for a format without a name, else name length + 1
//       13  255  Name        the name, a zero byte, then bytes without meaning
//
// Registered formats carry their name (at most 60 characters) because their
// numbers are handed out per session; restoring registers the name again and
// uses the number the running session gives it.
//
// Only memory blocks are kept (platform::clip::IsMemoryFormat): GDI objects
// and the handles of the private and application GDI-object ranges are left
// out of a capture and never placed by a restore.

#include <cstddef>
#include <cstdint>
#include <span>
#include <stdexcept>
#include <vector>

#include "platform/Clipboard.h"

namespace tembric::store {

inline constexpr std::size_t kClipEntryHeaderSize = 268;
inline constexpr std::size_t kClipEntryNameField = 255;

// The most distinct format names one restore registers. A registered name
// stays in the session's atom table until the user logs off, and the table
// holds about 16,000, so a crafted snapshot must not fill it; real clipboards
// offer a few dozen formats. An entry whose name would be one more is skipped.
inline constexpr std::size_t kMaxRestoredFormatNames = 100;

// A snapshot whose last header is cut short. what() is "Stream read error".
class SnapshotReadError : public std::runtime_error {
 public:
  SnapshotReadError() : std::runtime_error("Stream read error") {}
};

// The clipboard could not be opened for a restore. what() is "Cannot open clipboard".
class ClipboardOpenError : public std::runtime_error {
 public:
  ClipboardOpenError() : std::runtime_error("Cannot open clipboard") {}
};

// Where a capture writes: a stream with a position. Write throws on failure.
class SnapshotSink {
 public:
  virtual ~SnapshotSink() = default;
  virtual std::uint64_t Position() const = 0;
  virtual void Write(std::span<const std::uint8_t> bytes) = 0;
};

// Appends to a byte vector; positions count from `base` (the offset at which
// the vector's first byte will end up, such as the end of the blob file).
class VectorSink final : public SnapshotSink {
 public:
  explicit VectorSink(std::vector<std::uint8_t>& out, std::uint64_t base = 0) : out_(out), base_(base) {}
  std::uint64_t Position() const override { return base_ + out_.size(); }
  void Write(std::span<const std::uint8_t> bytes) override { out_.insert(out_.end(), bytes.begin(), bytes.end()); }

 private:
  std::vector<std::uint8_t>& out_;
  std::uint64_t base_;
};

// One decoded header.
struct ClipEntryHeader {
  std::int32_t position = 0;
  std::uint32_t dataSize = 0;
  std::uint32_t format = 0;
  std::uint8_t nameLength = 0;
  std::uint8_t name[kClipEntryNameField] = {};
};

void EncodeClipEntryHeader(const ClipEntryHeader& header, std::uint8_t (&out)[kClipEntryHeaderSize]);
ClipEntryHeader DecodeClipEntryHeader(std::span<const std::uint8_t, kClipEntryHeaderSize> bytes);

// Appends one entry per format the open clipboard offers, in its order.
// Formats without data get a header with DataSize 0; formats whose handle is
// not a memory block are left out without being asked for. The caller opens
// the clipboard before and closes it after.
// Exceptions of the sink propagate; the entries written before stay.
// Returns the number of entries written.
std::size_t CaptureClipboard(platform::Clipboard& clipboard, SnapshotSink& sink);

// Opens the clipboard for `owner`, empties it, places the snapshot's formats
// in their stored order and closes it again. An entry the system refuses is
// skipped, and so is one whose number is not a memory format or whose name
// would be registered beyond kMaxRestoredFormatNames. Data cut short ends the
// restore quietly; a header cut short throws
// SnapshotReadError with the formats before it left in place. A single byte
// after the last entry is ignored. Throws ClipboardOpenError when the
// clipboard cannot be opened. The bytes are untrusted: nothing is read or
// allocated beyond them.
void RestoreClipboard(platform::Clipboard& clipboard, std::span<const std::uint8_t> snapshot,
                      platform::WindowHandle owner = platform::kNoWindow);

// The same on a clipboard the caller has opened and closes afterwards.
void RestoreOpenClipboard(platform::Clipboard& clipboard, std::span<const std::uint8_t> snapshot);

}  // namespace tembric::store
