// Clipboard snapshots against the in-memory clipboard.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "fakes/FakeClipboard.h"
#include "store/ClipboardSnapshot.h"

namespace tembric::store {
namespace {

using fakes::FakeClipboard;
using platform::ClipFormat;
namespace clip = platform::clip;
using Bytes = std::vector<std::uint8_t>;

constexpr platform::WindowHandle kOwner = 0x1234;

Bytes Text(const std::string& s, bool zero = true) {
  Bytes b(s.begin(), s.end());
  if (zero) b.push_back(0);
  return b;
}

std::uint32_t U32At(const Bytes& b, std::size_t at) {
  return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<std::uint32_t>(b[at + 3]) << 24;
}

// An entry written by hand, for snapshots no capture would make.
void AppendEntry(Bytes& out, std::uint32_t format, const Bytes& data, const std::string& name = "",
                 std::optional<std::uint32_t> dataSize = std::nullopt) {
  ClipEntryHeader h;
  h.position = static_cast<std::int32_t>(out.size());
  h.dataSize = dataSize.value_or(static_cast<std::uint32_t>(data.size()));
  h.format = format;
  if (!name.empty()) {
    std::memcpy(h.name, name.data(), std::min(name.size(), kClipEntryNameField));
    h.nameLength = static_cast<std::uint8_t>(std::min<std::size_t>(name.size() + 1, 255));
  }
  std::uint8_t raw[kClipEntryHeaderSize];
  EncodeClipEntryHeader(h, raw);
  out.insert(out.end(), raw, raw + kClipEntryHeaderSize);
  out.insert(out.end(), data.begin(), data.end());
}

Bytes Capture(FakeClipboard& clipboard, std::uint64_t base = 0) {
  Bytes out;
  VectorSink sink(out, base);
  platform::ClipboardOpen open(clipboard, kOwner);
  EXPECT_TRUE(open.IsOpen());
  CaptureClipboard(clipboard, sink);
  return out;
}

// Records what the snapshot code asks of the clipboard.
class RecordingClipboard : public FakeClipboard {
 public:
  std::vector<ClipFormat> read, set;
  std::vector<std::string> registered;

  platform::ClipData GetData(ClipFormat format) override {
    read.push_back(format);
    return FakeClipboard::GetData(format);
  }
  bool SetData(ClipFormat format, std::span<const std::uint8_t> bytes) override {
    set.push_back(format);
    return FakeClipboard::SetData(format, bytes);
  }
  ClipFormat RegisterFormat(const std::string& name) override {
    registered.push_back(name);
    return FakeClipboard::RegisterFormat(name);
  }
};

struct Decoded {
  std::uint32_t position, size, format;
  std::string name;
  Bytes data;
};

std::vector<Decoded> Entries(const Bytes& snapshot) {
  std::vector<Decoded> out;
  std::size_t at = 0;
  while (at + kClipEntryHeaderSize <= snapshot.size()) {
    const ClipEntryHeader h =
        DecodeClipEntryHeader(std::span<const std::uint8_t>(snapshot).subspan(at).first<kClipEntryHeaderSize>());
    at += kClipEntryHeaderSize;
    Decoded d{static_cast<std::uint32_t>(h.position), h.dataSize, h.format, "", {}};
    if (h.nameLength) d.name = reinterpret_cast<const char*>(h.name);
    d.data.assign(snapshot.begin() + at, snapshot.begin() + at + h.dataSize);
    at += h.dataSize;
    out.push_back(d);
  }
  EXPECT_EQ(at, snapshot.size());
  return out;
}

TEST(SnapshotCapture, HeaderLayoutIsByteExact) {
  FakeClipboard clipboard(0xC0A0);
  const ClipFormat html = clipboard.RegisterFormat("HTML Format");
  clipboard.Put(0x0500, Text("hi"), 8);  // block larger than the text
  clipboard.Put(html, Text("<b>x</b>", false));

  const Bytes s = Capture(clipboard, 0x1'0000'0010ull);  // positions keep their low 32 bits
  ASSERT_EQ(s.size(), 2 * kClipEntryHeaderSize + 8 + 8);
  EXPECT_EQ(U32At(s, 0), 0x10u);
  EXPECT_EQ(U32At(s, 4), 8u);  // the block's size, not the text's
  EXPECT_EQ(U32At(s, 8), 0x0500u);
  EXPECT_EQ(s[12], 0);
  EXPECT_EQ(Bytes(s.begin() + 268, s.begin() + 271), Text("hi"));

  const std::size_t second = kClipEntryHeaderSize + 8;
  EXPECT_EQ(U32At(s, second), 0x10u + second);
  EXPECT_EQ(U32At(s, second + 4), 8u);
  EXPECT_EQ(U32At(s, second + 8), 0xC0A0u);
  EXPECT_EQ(s[second + 12], 12);  // "HTML Format" + 1
  EXPECT_EQ(std::string(s.begin() + second + 13, s.begin() + second + 24), "HTML Format");
  EXPECT_EQ(s[second + 24], 0);
  EXPECT_EQ(std::string(s.begin() + second + 268, s.end()), "<b>x</b>");
}

TEST(SnapshotCapture, EditorTextKeepsSynthesisedFormsInOfferOrder) {
  FakeClipboard clipboard;
  clipboard.SetInputLocale(0x0407);
  clipboard.PutUnicodeText(u"Gr\u00fc\u00dfe");

  const std::vector<Decoded> e = Entries(Capture(clipboard));
  ASSERT_EQ(e.size(), 4u);
  EXPECT_EQ(e[0].format, clip::kUnicodeText);
  EXPECT_EQ(e[0].data, FakeClipboard::Utf16Bytes(u"Gr\u00fc\u00dfe"));
  EXPECT_EQ(e[1].format, clip::kLocale);
  EXPECT_EQ(e[1].data, (Bytes{0x07, 0x04, 0, 0}));
  EXPECT_EQ(e[2].format, clip::kText);
  EXPECT_EQ(e[2].data, Text("Gr??e"));
  EXPECT_EQ(e[3].format, clip::kOemText);
  for (const Decoded& d : e) EXPECT_EQ(d.name, "");
}

TEST(SnapshotCapture, GdiObjectsAreLeftOutAndUnrenderedFormatsKeptEmpty) {
  FakeClipboard clipboard;
  const Bytes dib = {40, 0, 0, 0, 1, 2, 3};
  clipboard.PutBitmap(dib);
  clipboard.PutObject(clip::kPalette);
  clipboard.PutUnrendered(clip::kHDrop);
  clipboard.Put(clip::kMetafilePict, {8, 0, 0, 0, 0xAA, 0xBB, 0xCC, 0xDD});  // a handle stored as a number

  const std::vector<Decoded> e = Entries(Capture(clipboard));
  ASSERT_EQ(e.size(), 3u);
  EXPECT_EQ(e[0].format, clip::kHDrop);
  EXPECT_EQ(e[0].size, 0u);
  EXPECT_EQ(e[1].format, clip::kMetafilePict);
  EXPECT_EQ(e[1].size, 8u);
  EXPECT_EQ(e[2].format, clip::kDib);  // the picture, through its synthesised form
  EXPECT_EQ(e[2].data, dib);
}

TEST(SnapshotFormats, HandlesThatAreNotMemoryBlocksAreNeitherReadNorPlaced) {
  // The edges of the private and application GDI-object ranges, and their neighbours.
  const struct {
    ClipFormat format;
    bool memory;
  } cases[] = {{0x01FF, true},
               {clip::kPrivateFirst, false},
               {clip::kPrivateLast, false},
               {clip::kGdiObjectFirst, false},
               {clip::kGdiObjectLast, false},
               {0x0400, true}};
  RecordingClipboard source;
  Bytes crafted;
  std::vector<ClipFormat> memory;
  for (const auto& c : cases) {
    source.Put(c.format, Text("data"));
    AppendEntry(crafted, c.format, Text("data"));
    if (c.memory) memory.push_back(c.format);
  }

  std::vector<ClipFormat> captured;
  for (const Decoded& d : Entries(Capture(source))) captured.push_back(d.format);
  EXPECT_EQ(captured, memory);
  EXPECT_EQ(source.read, memory);  // the others' owners are not asked to render

  RecordingClipboard target;
  RestoreClipboard(target, crafted);
  EXPECT_EQ(target.set, memory);
  EXPECT_EQ(target.StoredFormats(), memory);
}

TEST(SnapshotCapture, LongNamesAreCutToSixtyCharacters) {
  FakeClipboard clipboard;
  const std::string longName(70, 'n');
  clipboard.Put(clipboard.RegisterFormat(longName + "-tail"), {1});
  const std::vector<Decoded> e = Entries(Capture(clipboard));
  ASSERT_EQ(e.size(), 1u);
  EXPECT_EQ(e[0].name, std::string(60, 'n'));
  EXPECT_EQ(Capture(clipboard)[12], 61);
}

TEST(SnapshotCapture, EmptyClipboardGivesEmptySnapshot) {
  FakeClipboard clipboard;
  EXPECT_TRUE(Capture(clipboard).empty());
}

TEST(SnapshotCapture, SinkFailureKeepsEntriesWrittenBefore) {
  class FailingSink : public SnapshotSink {
   public:
    Bytes out;
    std::uint64_t Position() const override { return out.size(); }
    void Write(std::span<const std::uint8_t> b) override {
      if (out.size() >= 300) throw std::runtime_error("disk full");
      out.insert(out.end(), b.begin(), b.end());
    }
  } sink;
  FakeClipboard clipboard;
  clipboard.Put(0x500, Bytes(32, 1));
  clipboard.Put(0x501, Bytes(32, 2));
  ASSERT_TRUE(clipboard.Open(kOwner));
  EXPECT_THROW(CaptureClipboard(clipboard, sink), std::runtime_error);
  clipboard.Close();
  ASSERT_EQ(Entries(sink.out).size(), 1u);
}

TEST(SnapshotRoundTrip, SeveralFormatsComeBackInOrderInAnotherSession) {
  FakeClipboard source(0xC100);
  const ClipFormat rtf = source.RegisterFormat("Rich Text Format");
  const ClipFormat html = source.RegisterFormat("HTML Format");
  source.PutUnicodeText(u"abc");
  source.Put(html, Text("Version:0.9\r\n<html>abc</html>"));
  source.Put(rtf, Text("{\\rtf1 abc}"), 64);
  source.Put(0x0510, Bytes(1000, 0x5A));  // a format without a name: stored by number
  const Bytes snapshot = Capture(source);

  FakeClipboard target(0xC300);
  target.RegisterFormat("Something Else");
  const ClipFormat targetHtml = target.RegisterFormat("html format");  // same name, other case and number
  target.Put(clip::kText, Text("old content"));
  RestoreClipboard(target, snapshot, kOwner);

  EXPECT_FALSE(target.IsOpen());
  EXPECT_EQ(target.OpenCalls(), 1);
  EXPECT_EQ(target.CloseCalls(), 1);
  const ClipFormat targetRtf = target.RegisterFormat("Rich Text Format");
  EXPECT_NE(targetHtml, html);
  EXPECT_EQ(target.StoredFormats(), (std::vector<ClipFormat>{clip::kUnicodeText, targetHtml, targetRtf, 0x0510,
                                                             clip::kLocale, clip::kText, clip::kOemText}));
  EXPECT_EQ(target.Peek(targetHtml), Text("Version:0.9\r\n<html>abc</html>"));
  EXPECT_EQ(target.Peek(targetRtf)->size(), 64u);
  EXPECT_EQ(target.Peek(clip::kText), Text("abc"));
  EXPECT_EQ(target.Peek(0x0510), Bytes(1000, 0x5A));

  // A second capture of the restored clipboard gives the same data (names keep
  // the spelling the session registered first).
  const std::vector<Decoded> before = Entries(snapshot), after = Entries(Capture(target));
  ASSERT_EQ(before.size(), after.size());
  for (std::size_t i = 0; i < before.size(); ++i) {
    EXPECT_EQ(before[i].name.empty(), after[i].name.empty());
    EXPECT_EQ(before[i].data, after[i].data);
  }
}

TEST(SnapshotRestore, LongNameRestoresUnderItsFirstSixtyCharacters) {
  FakeClipboard source;
  const std::string name = std::string(60, 'x') + "-cut-off";
  source.Put(source.RegisterFormat(name), {9, 9});
  const Bytes snapshot = Capture(source);

  FakeClipboard target(0xD000);
  RestoreClipboard(target, snapshot);
  ASSERT_EQ(target.StoredFormats().size(), 1u);
  EXPECT_EQ(target.StoredFormats()[0], target.RegisterFormat(std::string(60, 'x')));
  EXPECT_NE(target.StoredFormats()[0], target.RegisterFormat(name));
}

TEST(SnapshotRestore, EmptySnapshotEmptiesTheClipboard) {
  FakeClipboard clipboard;
  clipboard.PutUnicodeText(u"before");
  RestoreClipboard(clipboard, {});
  EXPECT_TRUE(clipboard.StoredFormats().empty());
  EXPECT_FALSE(clipboard.IsOpen());

  Bytes oneByte = {0x42};  // less than two bytes: nothing to read
  RestoreClipboard(clipboard, oneByte);
  EXPECT_TRUE(clipboard.StoredFormats().empty());
}

TEST(SnapshotRestore, ZeroSizeEntryBecomesEmptyBlockAndStrayByteIsIgnored) {
  Bytes s;
  AppendEntry(s, clip::kHDrop, {});
  AppendEntry(s, clip::kText, Text("x"));
  s.push_back(0x7F);
  FakeClipboard clipboard;
  RestoreClipboard(clipboard, s);
  EXPECT_EQ(clipboard.StoredFormats(), (std::vector<ClipFormat>{clip::kHDrop, clip::kText}));
  EXPECT_EQ(clipboard.Peek(clip::kHDrop), Bytes{});

  // An empty block cannot be locked, so a second capture leaves it out.
  const std::vector<Decoded> again = Entries(Capture(clipboard));
  ASSERT_FALSE(again.empty());
  EXPECT_EQ(again[0].format, clip::kText);
}

TEST(SnapshotRestore, HeaderCutShortThrowsAfterPlacingTheEntriesBefore) {
  Bytes whole;
  AppendEntry(whole, clip::kText, Text("first"));
  AppendEntry(whole, 0x500, Text("second"));
  for (std::size_t cut : {2u, 100u, 267u}) {
    Bytes s(whole.begin(), whole.begin() + kClipEntryHeaderSize + 6 + cut);
    FakeClipboard clipboard;
    EXPECT_THROW(RestoreClipboard(clipboard, s), SnapshotReadError) << cut;
    EXPECT_EQ(clipboard.StoredFormats(), std::vector<ClipFormat>{clip::kText}) << cut;
    EXPECT_FALSE(clipboard.IsOpen());
  }
}

TEST(SnapshotRestore, DataCutShortDropsTheEntryAndEndsQuietly) {
  Bytes s;
  AppendEntry(s, clip::kText, Text("first"));
  AppendEntry(s, 0x500, Bytes(100, 1));
  s.resize(s.size() - 1);
  FakeClipboard clipboard;
  RestoreClipboard(clipboard, s);
  EXPECT_EQ(clipboard.StoredFormats(), std::vector<ClipFormat>{clip::kText});
  EXPECT_FALSE(clipboard.IsOpen());
}

TEST(SnapshotRestore, HostileHeadersPlaceNothingTheyShouldNot) {
  Bytes s;
  AppendEntry(s, clip::kBitmap, Bytes(16, 0));        // memory under a GDI format: refused, skipped
  AppendEntry(s, 0, Text("zero"));                    // format 0: refused
  AppendEntry(s, 0xABCD0000u | 0x501, Text("high"));  // upper bits dropped
  AppendEntry(s, 0x502, {}, std::string(300, 'q'));   // name field with no zero byte
  Bytes emptyName;
  AppendEntry(emptyName, 0x503, Text("e"), "n");
  emptyName[13] = 0;  // NameLength says there is a name, the field is empty
  s.insert(s.end(), emptyName.begin(), emptyName.end());
  AppendEntry(s, 0x504, {}, "", 0xFFFFFFFFu);  // claims 4 GB that are not there
  AppendEntry(s, 0x505, Text("never reached"));

  FakeClipboard clipboard;
  RestoreClipboard(clipboard, s);
  const ClipFormat longName = clipboard.RegisterFormat(std::string(255, 'q'));
  EXPECT_EQ(clipboard.StoredFormats(), (std::vector<ClipFormat>{0x501, longName}));
  EXPECT_EQ(clipboard.Peek(0x501), Text("high"));
  EXPECT_FALSE(clipboard.IsOpen());
}

TEST(SnapshotRestore, RegistersNoMoreThanTheLimitOfDistinctNames) {
  Bytes s;
  for (std::size_t i = 0; i < kMaxRestoredFormatNames + 20; ++i)
    AppendEntry(s, 0xC000, {static_cast<std::uint8_t>(i)}, "Name " + std::to_string(i));
  AppendEntry(s, 0xC000, Text("again"), "Name 0");  // registered already: placed
  AppendEntry(s, clip::kText, Text("plain"));       // no name: not limited

  RecordingClipboard clipboard;
  RestoreClipboard(clipboard, s);
  ASSERT_EQ(clipboard.registered.size(), kMaxRestoredFormatNames);
  EXPECT_EQ(clipboard.registered.back(), "Name " + std::to_string(kMaxRestoredFormatNames - 1));
  EXPECT_EQ(clipboard.StoredFormats().size(), kMaxRestoredFormatNames + 1);
  EXPECT_EQ(clipboard.StoredFormats().back(), clip::kText);
  EXPECT_EQ(clipboard.Peek(clipboard.RegisterFormat("Name 0")), Text("again"));
}

TEST(SnapshotRestore, RefusedEntryIsSkippedAndTheRestPlaced) {
  Bytes s;
  AppendEntry(s, 0x500, Text("a"));
  AppendEntry(s, 0x501, Text("b"));
  AppendEntry(s, 0x502, Text("c"));
  FakeClipboard clipboard;
  clipboard.RefuseSetData(0x501);
  RestoreClipboard(clipboard, s);
  EXPECT_EQ(clipboard.StoredFormats(), (std::vector<ClipFormat>{0x500, 0x502}));
}

TEST(SnapshotRestore, BusyClipboardThrowsAndChangesNothing) {
  Bytes s;
  AppendEntry(s, clip::kText, Text("new"));
  FakeClipboard clipboard;
  clipboard.Put(clip::kText, Text("old"));
  clipboard.HoldBusy(1);
  EXPECT_THROW(RestoreClipboard(clipboard, s), ClipboardOpenError);
  EXPECT_EQ(clipboard.Peek(clip::kText), Text("old"));
  EXPECT_EQ(clipboard.CloseCalls(), 0);

  ASSERT_TRUE(clipboard.Open(0x99));  // another window holds it
  EXPECT_THROW(RestoreClipboard(clipboard, s, kOwner), ClipboardOpenError);
  clipboard.Close();
  RestoreClipboard(clipboard, s, kOwner);
  EXPECT_EQ(clipboard.Peek(clip::kText), Text("new"));
}

}  // namespace
}  // namespace tembric::store
