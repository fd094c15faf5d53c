#include "paste/ClipboardOffer.h"

namespace tembric::paste {
namespace {

// Whether the packed DIB's header declares a colour table, with which
// SetBitmap places a palette beside the bitmap.
bool HasColourTable(std::span<const std::uint8_t> dib) {
  if (dib.size() < 36) return false;
  const unsigned bits = dib[14] | dib[15] << 8;
  const std::uint32_t used = dib[32] | dib[33] << 8 | dib[34] << 16 | static_cast<std::uint32_t>(dib[35]) << 24;
  return bits <= 8 || used != 0;
}

}  // namespace

void ClipboardOffer::Begin(std::uint32_t targetThread) {
  Clear();
  targetThread_ = targetThread;
}

void ClipboardOffer::Add(platform::ClipFormat format, std::span<const std::uint8_t> bytes) {
  data_[format].assign(bytes.begin(), bytes.end());
}

void ClipboardOffer::AddBitmap(std::span<const std::uint8_t> dib) { bitmap_.emplace(dib.begin(), dib.end()); }

void ClipboardOffer::Clear() {
  data_.clear();
  bitmap_.reset();
  readByTarget_ = false;
  readByOther_ = false;
}

bool ClipboardOffer::Render(platform::Clipboard& clipboard, platform::ClipFormat format, std::uint32_t openerThread) {
  bool placed = false;
  if ((format == platform::clip::kBitmap || format == platform::clip::kPalette) && bitmap_) {
    placed = clipboard.SetBitmap(*bitmap_);  // the bitmap and its palette, whichever was asked for
  } else if (const auto it = data_.find(format); it != data_.end()) {
    placed = clipboard.SetData(format, it->second);
  } else {
    return false;
  }
  if (openerThread == 0 || openerThread == targetThread_)
    readByTarget_ = true;
  else
    readByOther_ = true;
  return placed;
}

void ClipboardOffer::RenderAll(platform::Clipboard& clipboard) {
  for (const auto& [format, bytes] : data_) clipboard.SetData(format, bytes);
  if (bitmap_) clipboard.SetBitmap(*bitmap_);
}

bool OfferingClipboard::Empty() {
  offer_.Clear();
  if (!clipboard_.Empty()) return false;
  static constexpr std::uint8_t kAny[4] = {};
  for (const char* name : {kExcludeFromMonitors, kViewerIgnore})
    if (const platform::ClipFormat format = clipboard_.RegisterFormat(name)) clipboard_.SetData(format, kAny);
  return true;
}

bool OfferingClipboard::SetData(platform::ClipFormat format, std::span<const std::uint8_t> bytes) {
  if (format == platform::clip::kLocale || !platform::clip::IsMemoryFormat(format))
    return clipboard_.SetData(format, bytes);
  if (!clipboard_.OfferDelayed(format)) return false;
  offer_.Add(format, bytes);
  return true;
}

bool OfferingClipboard::SetBitmap(std::span<const std::uint8_t> dib) {
  if (!clipboard_.OfferDelayed(platform::clip::kBitmap)) return false;
  if (HasColourTable(dib)) clipboard_.OfferDelayed(platform::clip::kPalette);
  offer_.AddBitmap(dib);
  return true;
}

}  // namespace tembric::paste
