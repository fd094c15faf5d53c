#include "store/ClipboardSnapshot.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <string>
#include <utility>

namespace tembric::store {
namespace {

void PutU32(std::uint8_t* p, std::uint32_t v) {
  p[0] = static_cast<std::uint8_t>(v);
  p[1] = static_cast<std::uint8_t>(v >> 8);
  p[2] = static_cast<std::uint8_t>(v >> 16);
  p[3] = static_cast<std::uint8_t>(v >> 24);
}

std::uint32_t GetU32(const std::uint8_t* p) {
  return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
         static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

// The name field up to its first zero byte (all 255 bytes when there is none).
std::string StoredName(const ClipEntryHeader& header) {
  const std::uint8_t* end = std::find(header.name, header.name + kClipEntryNameField, std::uint8_t{0});
  return std::string(header.name, end);
}

}  // namespace

void EncodeClipEntryHeader(const ClipEntryHeader& header, std::uint8_t (&out)[kClipEntryHeaderSize]) {
  PutU32(out, static_cast<std::uint32_t>(header.position));
  PutU32(out + 4, header.dataSize);
  PutU32(out + 8, header.format);
  out[12] = header.nameLength;
  std::memcpy(out + 13, header.name, kClipEntryNameField);
}

ClipEntryHeader DecodeClipEntryHeader(std::span<const std::uint8_t, kClipEntryHeaderSize> bytes) {
  ClipEntryHeader header;
  header.position = static_cast<std::int32_t>(GetU32(bytes.data()));
  header.dataSize = GetU32(bytes.data() + 4);
  header.format = GetU32(bytes.data() + 8);
  header.nameLength = bytes[12];
  std::memcpy(header.name, bytes.data() + 13, kClipEntryNameField);
  return header;
}

std::size_t CaptureClipboard(platform::Clipboard& clipboard, SnapshotSink& sink) {
  std::size_t written = 0;
  for (const platform::ClipFormat format : clipboard.EnumFormats()) {
    // Not even asked for: its owner is not made to render what is left out.
    if (!platform::clip::IsMemoryFormat(format)) continue;
    const platform::ClipData data = clipboard.GetData(format);
    if (data.kind == platform::ClipData::Kind::Object) continue;  // not a memory block

    ClipEntryHeader header;
    header.position = static_cast<std::int32_t>(static_cast<std::uint32_t>(sink.Position()));
    header.dataSize = static_cast<std::uint32_t>(data.bytes.size());
    header.format = format & 0xFFFF;
    if (const auto name = clipboard.FormatName(format); name && !name->empty()) {
      const std::size_t length = std::min(name->size(), platform::clip::kMaxFormatName);
      std::memcpy(header.name, name->data(), length);
      header.nameLength = static_cast<std::uint8_t>(length + 1);
    }
    std::uint8_t encoded[kClipEntryHeaderSize];
    EncodeClipEntryHeader(header, encoded);
    sink.Write(encoded);
    if (!data.bytes.empty()) sink.Write(data.bytes);
    ++written;
  }
  return written;
}

void RestoreClipboard(platform::Clipboard& clipboard, std::span<const std::uint8_t> snapshot,
                      platform::WindowHandle owner) {
  platform::ClipboardOpen open(clipboard, owner);
  if (!open) throw ClipboardOpenError();
  RestoreOpenClipboard(clipboard, snapshot);  // closed by `open` on every path
}

void RestoreOpenClipboard(platform::Clipboard& clipboard, std::span<const std::uint8_t> snapshot) {
  clipboard.Empty();

  // The numbers this restore was given, by name as stored; a name is
  // registered once and counts against the limit once.
  std::map<std::string, platform::ClipFormat> registered;
  std::size_t at = 0;
  while (snapshot.size() - at >= 2) {
    if (snapshot.size() - at < kClipEntryHeaderSize) throw SnapshotReadError();
    const ClipEntryHeader header = DecodeClipEntryHeader(snapshot.subspan(at).first<kClipEntryHeaderSize>());
    at += kClipEntryHeaderSize;
    // The size is checked against what is left before anything is copied.
    if (header.dataSize > snapshot.size() - at) return;  // data cut short: entry dropped, restore ends
    const std::span<const std::uint8_t> data = snapshot.subspan(at, header.dataSize);
    at += header.dataSize;

    platform::ClipFormat format = header.format & 0xFFFF;
    if (header.nameLength != 0) {
      std::string name = StoredName(header);
      if (const auto known = registered.find(name); known != registered.end()) {
        format = known->second;
      } else {
        if (registered.size() >= kMaxRestoredFormatNames) continue;
        format = clipboard.RegisterFormat(name);
        registered.emplace(std::move(name), format);
      }
    }
    if (!platform::clip::IsMemoryFormat(format)) continue;
    clipboard.SetData(format, data);  // a refused entry is skipped
  }
}

}  // namespace tembric::store
