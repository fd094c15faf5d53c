// The in-memory clipboard follows the rules of the Windows one that the
// snapshot code depends on.
#include <gtest/gtest.h>

#include "fakes/FakeClipboard.h"

namespace tembric::fakes {
namespace {

namespace clip = platform::clip;
using Formats = std::vector<platform::ClipFormat>;

TEST(FakeClipboardOpen, OneOwnerAtATimeAndOneCloseEndsIt) {
  FakeClipboard c;
  EXPECT_FALSE(c.Close());
  ASSERT_TRUE(c.Open(1));
  EXPECT_TRUE(c.Open(1));   // the holder may open again
  EXPECT_FALSE(c.Open(2));  // another owner may not
  EXPECT_TRUE(c.Close());
  EXPECT_FALSE(c.IsOpen());
  EXPECT_TRUE(c.Open(2));
  c.Close();

  c.HoldBusy(2);
  EXPECT_FALSE(c.Open(1));
  EXPECT_FALSE(c.Open(1));
  EXPECT_TRUE(c.Open(1));
  c.Close();
  {
    platform::ClipboardOpen guard(c, 3);
    EXPECT_TRUE(guard.IsOpen());
  }
  EXPECT_FALSE(c.IsOpen());
}

TEST(FakeClipboardOpen, ReadingAndWritingNeedItOpen) {
  FakeClipboard c;
  c.Put(clip::kHDrop, {1, 2});
  const std::uint8_t byte = 7;
  EXPECT_FALSE(c.SetData(0x400, {&byte, 1}));
  EXPECT_FALSE(c.Empty());
  EXPECT_TRUE(c.EnumFormats().empty());
  EXPECT_EQ(c.GetData(clip::kHDrop).kind, platform::ClipData::Kind::None);
  EXPECT_TRUE(c.IsFormatAvailable(clip::kHDrop));  // asking needs no open

  ASSERT_TRUE(c.Open(1));
  EXPECT_EQ(c.GetData(clip::kHDrop).bytes, (std::vector<std::uint8_t>{1, 2}));
  EXPECT_FALSE(c.SetData(0, {&byte, 1}));
  EXPECT_FALSE(c.SetData(clip::kBitmap, {&byte, 1}));
  EXPECT_FALSE(c.SetData(clip::kPrivateFirst, {&byte, 1}));
  EXPECT_FALSE(c.SetData(clip::kGdiObjectLast, {&byte, 1}));
  EXPECT_TRUE(c.SetData(0x400, {&byte, 1}));
  EXPECT_TRUE(c.Empty());
  EXPECT_TRUE(c.EnumFormats().empty());
  c.Close();
}

TEST(FakeClipboardFormats, RegisteredNumbersArePerSessionAndIgnoreCase) {
  FakeClipboard a(0xC000), b(0xC200);
  const auto html = a.RegisterFormat("HTML Format");
  EXPECT_EQ(html, 0xC000u);
  EXPECT_EQ(a.RegisterFormat("html FORMAT"), html);
  EXPECT_EQ(a.RegisterFormat("Other"), 0xC001u);
  EXPECT_EQ(b.RegisterFormat("HTML Format"), 0xC200u);
  EXPECT_EQ(a.RegisterFormat(""), 0u);
  EXPECT_EQ(a.FormatName(html), "HTML Format");
  EXPECT_EQ(a.FormatName(0xC002), std::nullopt);
  EXPECT_EQ(a.FormatName(clip::kText), std::nullopt);
  EXPECT_EQ(a.FormatName(a.RegisterFormat(std::string(61, 'z'))), std::string(60, 'z'));

  FakeClipboard full(0xFFFF);
  EXPECT_EQ(full.RegisterFormat("last"), 0xFFFFu);
  EXPECT_EQ(full.RegisterFormat("one too many"), 0u);
}

TEST(FakeClipboardFormats, SynthesisedFormsFollowThePlacedOnes) {
  FakeClipboard c;
  c.Put(clip::kText, {'A', 0xE9, 0});
  c.Put(0x400, {1});
  ASSERT_TRUE(c.Open(1));
  EXPECT_EQ(c.EnumFormats(), (Formats{clip::kText, 0x400, clip::kLocale, clip::kUnicodeText, clip::kOemText}));
  EXPECT_EQ(c.GetData(clip::kUnicodeText).bytes, (std::vector<std::uint8_t>{'A', 0, 0xE9, 0, 0, 0}));
  c.Close();

  c.Clear();
  c.PutBitmap({1, 2, 3});
  ASSERT_TRUE(c.Open(1));
  EXPECT_EQ(c.EnumFormats(), (Formats{clip::kBitmap, clip::kDib}));
  EXPECT_EQ(c.GetData(clip::kBitmap).kind, platform::ClipData::Kind::Object);
  EXPECT_EQ(c.GetData(clip::kDib).bytes, (std::vector<std::uint8_t>{1, 2, 3}));
  EXPECT_TRUE(c.Empty());
  c.Put(clip::kDib, {4});
  EXPECT_EQ(c.EnumFormats(), (Formats{clip::kDib, clip::kBitmap}));
  c.Close();
}

}  // namespace
}  // namespace tembric::fakes
