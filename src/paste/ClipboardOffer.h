#pragma once
// Content a paste offers on the clipboard without data. The target program's
// read makes the system ask the owner window to render it, and that request is
// the sign that the paste has landed: only then may the user's own text go
// back on the clipboard. A fixed wait cannot know when a loaded target gets
// round to reading.

#include <cstdint>
#include <map>
#include <optional>
#include <span>
#include <vector>

#include "platform/Clipboard.h"

namespace tembric::paste {

// The system's requests to the clipboard owner window, handed on by it.
class ClipboardRequests {
 public:
  virtual ~ClipboardRequests() = default;
  // A program asked for an offered format; it holds the clipboard open.
  virtual void RenderFormat(platform::ClipFormat format) = 0;
  // The owner window is going away while it still owns offered formats.
  virtual void RenderAllFormats() = 0;
  // The clipboard was emptied: whatever was offered is gone.
  virtual void ClipboardDestroyed() = 0;
};

// The data behind the offered formats, kept by the owner until the offer ends.
class ClipboardOffer {
 public:
  // Starts an offer for a paste into the window of thread `targetThread`
  // (0: unknown); anything offered before is dropped.
  void Begin(std::uint32_t targetThread);
  void Add(platform::ClipFormat format, std::span<const std::uint8_t> bytes);
  void AddBitmap(std::span<const std::uint8_t> dib);
  void Clear();

  bool Offering() const { return !data_.empty() || bitmap_.has_value(); }
  // A render was asked for by the target's thread, or by an opener without a
  // window (which cannot be told apart from the target). Reads by other
  // programs (clipboard managers, the X selection bridge under Wine) are
  // answered but do not count.
  bool ReadByTarget() const { return readByTarget_; }
  // Another program rendered a format first; the target's own read of it
  // will not be seen.
  bool ReadByOther() const { return readByOther_; }

  // Places `format` on the clipboard that the reader holds open. False when
  // it is not one of ours (then nothing is placed).
  bool Render(platform::Clipboard& clipboard, platform::ClipFormat format, std::uint32_t openerThread);
  // Places everything not yet rendered; the caller has the clipboard open.
  void RenderAll(platform::Clipboard& clipboard);

 private:
  std::map<platform::ClipFormat, std::vector<std::uint8_t>> data_;
  std::optional<std::vector<std::uint8_t>> bitmap_;
  std::uint32_t targetThread_ = 0;
  bool readByTarget_ = false;
  bool readByOther_ = false;
};

// Formats that ask clipboard history, cloud sync and clipboard managers to
// leave the content alone: it is on the clipboard only for one paste.
inline constexpr const char* kExcludeFromMonitors = "ExcludeClipboardContentFromMonitorProcessing";
inline constexpr const char* kViewerIgnore = "Clipboard Viewer Ignore";

// A clipboard whose placements become offers: SetData and SetBitmap record
// the data in `offer` and offer the format without data; CF_LOCALE is placed
// at once (readers look it up only to convert text). Empty also places the
// two monitor exclusions. Everything else is the wrapped clipboard's.
class OfferingClipboard final : public platform::Clipboard {
 public:
  OfferingClipboard(platform::Clipboard& clipboard, ClipboardOffer& offer) : clipboard_(clipboard), offer_(offer) {}

  bool Open(platform::WindowHandle owner) override { return clipboard_.Open(owner); }
  bool Close() override { return clipboard_.Close(); }
  bool Empty() override;
  std::vector<platform::ClipFormat> EnumFormats() override { return clipboard_.EnumFormats(); }
  platform::ClipData GetData(platform::ClipFormat format) override { return clipboard_.GetData(format); }
  bool SetData(platform::ClipFormat format, std::span<const std::uint8_t> bytes) override;
  bool SetBitmap(std::span<const std::uint8_t> dib) override;
  std::optional<std::string> FormatName(platform::ClipFormat format) override { return clipboard_.FormatName(format); }
  platform::ClipFormat RegisterFormat(const std::string& name) override { return clipboard_.RegisterFormat(name); }
  bool IsFormatAvailable(platform::ClipFormat format) override { return clipboard_.IsFormatAvailable(format); }
  bool OfferDelayed(platform::ClipFormat format) override { return clipboard_.OfferDelayed(format); }
  platform::WindowHandle OpenerWindow() override { return clipboard_.OpenerWindow(); }

 private:
  platform::Clipboard& clipboard_;
  ClipboardOffer& offer_;
};

}  // namespace tembric::paste
