#pragma once
// A clipboard held in memory that behaves like the Windows one:
// - predefined formats by their numbers; registered formats numbered from a
//   per-session base upwards, names matched without regard to letter case,
//   so one name can have different numbers in two instances ("sessions");
// - formats the system synthesises: CF_LOCALE, CF_TEXT, CF_OEMTEXT and
//   CF_UNICODETEXT beside whichever text form was placed, CF_DIB beside
//   CF_BITMAP and CF_BITMAP beside CF_DIB; they follow the placed formats in
//   the enumeration and are rendered when asked for;
// - memory blocks with a size of their own, which may exceed the data; a
//   zero-byte block is a discarded one that cannot be locked;
// - one opener at a time: opening while another owner has it open fails,
//   the holder may open again, and one Close ends it; reading and writing
//   need it open. HoldBusy(n) makes the next n opens fail as if another
//   process held it;
// - delayed rendering: a format offered without data is rendered when a
//   reader first asks for it (or for a format synthesised from it), through
//   `onRender`, which stands for the owner window's render request and runs
//   while the reader holds the clipboard open.

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "platform/Clipboard.h"

namespace tembric::fakes {

class FakeClipboard : public platform::Clipboard {
 public:
  using ClipFormat = platform::ClipFormat;
  using Bytes = std::vector<std::uint8_t>;

  // `firstRegistered` is the number the session gives the first name registered.
  explicit FakeClipboard(ClipFormat firstRegistered = platform::clip::kFirstRegistered)
      : registeredBase_(firstRegistered), nextRegistered_(firstRegistered) {}

  // ---- Test controls, usable with the clipboard closed (another process) ----

  // Content placed as another application would, without opening.
  void Clear() { entries_.clear(); }
  // A memory block holding `bytes`, `blockSize` large (at least bytes.size()).
  void Put(ClipFormat format, Bytes bytes, std::optional<std::size_t> blockSize = std::nullopt) {
    if (blockSize && *blockSize > bytes.size()) bytes.resize(*blockSize, 0xCD);
    Store({format, Kind::Memory, std::move(bytes)});
  }
  // A format on offer whose owner renders nothing (GetData gives no handle).
  void PutUnrendered(ClipFormat format) { Store({format, Kind::None, {}}); }
  // A bitmap handle; `dib` is what the synthesised CF_DIB holds.
  void PutBitmap(Bytes dib) { Store({platform::clip::kBitmap, Kind::Object, std::move(dib)}); }
  // Any other GDI object handle (palette, enhanced metafile).
  void PutObject(ClipFormat format) { Store({format, Kind::Object, {}}); }
  // Text as an editor places it: CF_UNICODETEXT only, with its terminating zero.
  void PutUnicodeText(const std::u16string& text) { Put(platform::clip::kUnicodeText, Utf16Bytes(text)); }

  // The owner window's answer to a render request.
  std::function<void(ClipFormat format)> onRender;

  // Another program's paste: opens as `reader`, reads `format`, closes.
  // Nothing when the clipboard is held or the format gives no memory block.
  std::optional<Bytes> ReadAs(platform::WindowHandle reader, ClipFormat format) {
    if (!Open(reader)) return std::nullopt;
    platform::ClipData data = GetData(format);
    Close();
    if (data.kind != platform::ClipData::Kind::Memory) return std::nullopt;
    return data.bytes;
  }
  int Renders() const { return renders_; }

  void HoldBusy(int attempts) { busyAttempts_ = attempts; }
  void RefuseSetData(ClipFormat format) { refused_.push_back(format); }
  void SetInputLocale(std::uint32_t locale) { locale_ = locale; }

  bool IsOpen() const { return owner_.has_value(); }
  int OpenCalls() const { return openCalls_; }
  int CloseCalls() const { return closeCalls_; }
  // Every format accepted by SetData, in order.
  const std::vector<ClipFormat>& Placed() const { return placed_; }
  // The formats placed (not synthesised), in order.
  std::vector<ClipFormat> StoredFormats() const {
    std::vector<ClipFormat> out;
    for (const Entry& e : entries_) out.push_back(e.format);
    return out;
  }
  // The DIB of a bitmap placed with SetBitmap or PutBitmap, read without opening.
  std::optional<Bytes> PeekBitmap() const {
    const Entry* e = Find(platform::clip::kBitmap);
    if (!e || e->kind == Kind::Delayed) return std::nullopt;
    return e->bytes;
  }
  // The block of a placed format, read without opening.
  std::optional<Bytes> Peek(ClipFormat format) const {
    const Entry* e = Find(format);
    if (!e || e->kind != Kind::Memory) return std::nullopt;
    return e->bytes;
  }

  static Bytes Utf16Bytes(const std::u16string& text) {
    Bytes out;
    for (char16_t c : text) {
      out.push_back(static_cast<std::uint8_t>(c));
      out.push_back(static_cast<std::uint8_t>(c >> 8));
    }
    out.push_back(0);
    out.push_back(0);
    return out;
  }

  // ---- platform::Clipboard ----

  bool Open(platform::WindowHandle owner) override {
    ++openCalls_;
    if (busyAttempts_ > 0) {
      --busyAttempts_;
      return false;
    }
    if (owner_ && *owner_ != owner) return false;
    owner_ = owner;
    return true;
  }
  bool Close() override {
    if (!owner_) return false;
    ++closeCalls_;
    owner_.reset();
    return true;
  }
  bool Empty() override {
    if (!owner_) return false;
    entries_.clear();
    return true;
  }

  std::vector<ClipFormat> EnumFormats() override { return owner_ ? Offered() : std::vector<ClipFormat>{}; }

  platform::ClipData GetData(ClipFormat format) override {
    platform::ClipData out;
    if (!owner_) return out;
    RenderIfDelayed(format);
    if (const Entry* e = Find(format)) {
      // A zero-byte block is allocated as a discarded one, which cannot be
      // locked; a handle under a format that is not a memory format is never locked.
      out.kind = e->kind == Kind::Memory && !e->bytes.empty() && platform::clip::IsMemoryFormat(format)
                     ? platform::ClipData::Kind::Memory
                 : e->kind == Kind::None || e->kind == Kind::Delayed ? platform::ClipData::Kind::None
                                                                     : platform::ClipData::Kind::Object;
      if (out.kind == platform::ClipData::Kind::Memory) out.bytes = e->bytes;
      return out;
    }
    if (IsText(format))
      if (const Entry* text = FirstText(); text && text->kind == Kind::Delayed) {
        RenderIfDelayed(text->format);
        if (const Entry* rendered = Find(text->format); !rendered || rendered->kind != Kind::Memory) return out;
      }
    if (Find(platform::clip::kDib) == nullptr && format == platform::clip::kDib)
      RenderIfDelayed(platform::clip::kBitmap);
    if (std::optional<Entry> s = Synthesise(format)) {
      out.kind = s->kind == Kind::Memory ? platform::ClipData::Kind::Memory : platform::ClipData::Kind::Object;
      out.bytes = std::move(s->bytes);
    }
    return out;
  }

  bool SetData(ClipFormat format, std::span<const std::uint8_t> bytes) override {
    if (!owner_ || !platform::clip::IsMemoryFormat(format)) return false;
    if (std::find(refused_.begin(), refused_.end(), format) != refused_.end()) return false;
    Store({format, Kind::Memory, Bytes(bytes.begin(), bytes.end())});
    placed_.push_back(format);
    return true;
  }

  // Keeps the DIB as the bitmap's content (what a synthesised CF_DIB gives
  // back) and a palette object when the header declares a colour table.
  bool SetBitmap(std::span<const std::uint8_t> dib) override {
    if (!owner_ || dib.size() < 40) return false;
    if (std::find(refused_.begin(), refused_.end(), platform::clip::kBitmap) != refused_.end()) return false;
    Store({platform::clip::kBitmap, Kind::Object, Bytes(dib.begin(), dib.end())});
    placed_.push_back(platform::clip::kBitmap);
    const unsigned bits = dib[14] | dib[15] << 8;
    const std::uint32_t used = dib[32] | dib[33] << 8 | dib[34] << 16 | static_cast<std::uint32_t>(dib[35]) << 24;
    if (bits <= 8 || used != 0) {
      Store({platform::clip::kPalette, Kind::Object, {}});
      placed_.push_back(platform::clip::kPalette);
    }
    return true;
  }

  bool OfferDelayed(ClipFormat format) override {
    if (!owner_ || format == 0) return false;
    if (std::find(refused_.begin(), refused_.end(), format) != refused_.end()) return false;
    Store({format, Kind::Delayed, {}});
    return true;
  }

  platform::WindowHandle OpenerWindow() override { return owner_.value_or(platform::kNoWindow); }

  std::optional<std::string> FormatName(ClipFormat format) override {
    if (format < registeredBase_ || format - registeredBase_ >= names_.size()) return std::nullopt;
    const std::string& name = names_[format - registeredBase_];
    return name.substr(0, platform::clip::kMaxFormatName);
  }

  ClipFormat RegisterFormat(const std::string& name) override {
    if (name.empty() || name.size() > 255) return 0;
    for (std::size_t i = 0; i < names_.size(); ++i)
      if (SameText(names_[i], name)) return registeredBase_ + static_cast<ClipFormat>(i);
    if (nextRegistered_ > platform::clip::kLastRegistered) return 0;
    names_.push_back(name);
    return nextRegistered_++;
  }

  bool IsFormatAvailable(ClipFormat format) override {
    const std::vector<ClipFormat> offered = Offered();
    return std::find(offered.begin(), offered.end(), format) != offered.end();
  }

 private:
  enum class Kind { None, Object, Memory, Delayed };
  struct Entry {
    ClipFormat format;
    Kind kind;
    Bytes bytes;  // for a bitmap: the DIB its synthesised CF_DIB holds
  };

  static bool SameText(const std::string& a, const std::string& b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
      return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
    });
  }
  static bool IsText(ClipFormat f) {
    return f == platform::clip::kText || f == platform::clip::kOemText || f == platform::clip::kUnicodeText;
  }

  void Store(Entry entry) {
    for (Entry& e : entries_)
      if (e.format == entry.format) {
        e = std::move(entry);  // a format placed again replaces its block, keeping its place
        return;
      }
    entries_.push_back(std::move(entry));
  }
  const Entry* Find(ClipFormat format) const {
    for (const Entry& e : entries_)
      if (e.format == format) return &e;
    return nullptr;
  }
  const Entry* FirstText() const {
    for (const Entry& e : entries_)
      if (IsText(e.format) && (e.kind == Kind::Memory || e.kind == Kind::Delayed)) return &e;
    return nullptr;
  }

  void RenderIfDelayed(ClipFormat format) {
    const Entry* e = Find(format);
    if (!e || e->kind != Kind::Delayed) return;
    ++renders_;
    if (onRender) onRender(format);
    if (const Entry* after = Find(format); after && after->kind == Kind::Delayed)
      Store({format, Kind::None, {}});  // rendered nothing
  }

  std::vector<ClipFormat> Offered() const {
    std::vector<ClipFormat> out = StoredFormats();
    auto add = [&](ClipFormat f) {
      if (!Find(f)) out.push_back(f);
    };
    if (FirstText()) {
      add(platform::clip::kLocale);
      add(platform::clip::kText);
      add(platform::clip::kUnicodeText);
      add(platform::clip::kOemText);
    }
    if (Find(platform::clip::kBitmap)) add(platform::clip::kDib);
    if (Find(platform::clip::kDib)) add(platform::clip::kBitmap);
    return out;
  }

  // The text up to its terminating zero, as 16-bit units.
  static std::u16string TextOf(const Entry& e) {
    std::u16string text;
    if (e.format == platform::clip::kUnicodeText) {
      for (std::size_t i = 0; i + 1 < e.bytes.size(); i += 2) {
        const char16_t c = static_cast<char16_t>(e.bytes[i] | e.bytes[i + 1] << 8);
        if (c == 0) break;
        text.push_back(c);
      }
    } else {
      for (std::uint8_t b : e.bytes) {
        if (b == 0) break;
        text.push_back(b);
      }
    }
    return text;
  }

  std::optional<Entry> Synthesise(ClipFormat format) const {
    const std::vector<ClipFormat> offered = Offered();
    if (std::find(offered.begin(), offered.end(), format) == offered.end()) return std::nullopt;
    if (format == platform::clip::kLocale) {
      Bytes b{static_cast<std::uint8_t>(locale_), static_cast<std::uint8_t>(locale_ >> 8),
              static_cast<std::uint8_t>(locale_ >> 16), static_cast<std::uint8_t>(locale_ >> 24)};
      return Entry{format, Kind::Memory, std::move(b)};
    }
    if (IsText(format)) {
      const std::u16string text = TextOf(*FirstText());
      if (format == platform::clip::kUnicodeText) return Entry{format, Kind::Memory, Utf16Bytes(text)};
      Bytes b;
      for (char16_t c : text) b.push_back(c < 0x80 ? static_cast<std::uint8_t>(c) : std::uint8_t{'?'});
      b.push_back(0);
      return Entry{format, Kind::Memory, std::move(b)};
    }
    if (format == platform::clip::kDib) return Entry{format, Kind::Memory, Find(platform::clip::kBitmap)->bytes};
    return Entry{format, Kind::Object, {}};  // CF_BITMAP beside CF_DIB
  }

  std::vector<Entry> entries_;
  std::vector<std::string> names_;
  ClipFormat registeredBase_;
  ClipFormat nextRegistered_;
  std::optional<platform::WindowHandle> owner_;
  int busyAttempts_ = 0;
  int renders_ = 0;
  int openCalls_ = 0;
  int closeCalls_ = 0;
  std::vector<ClipFormat> refused_;
  std::vector<ClipFormat> placed_;
  std::uint32_t locale_ = 0x0409;
};

}  // namespace tembric::fakes
