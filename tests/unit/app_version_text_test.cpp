// The version text and the two texts made from it.
#include <gtest/gtest.h>

#include "app/VersionText.h"

namespace tembric::app {
namespace {

constexpr platform::FileVersion kShipped{.major = 1, .minor = 2, .release = 0, .build = 0};

TEST(VersionText, MaskSelectsPartsWithDotsOnlyBetweenNumbers) {
  EXPECT_EQ(VersionText(kShipped, 7), "1.2.0");
  EXPECT_EQ(VersionText(kShipped, 3), "1.2");
  EXPECT_EQ(VersionText(kShipped, 8), "0");

  const platform::FileVersion distinct{.major = 3, .minor = 14, .release = 159, .build = 65535};
  EXPECT_EQ(VersionText(distinct, 15), "3.14.159.65535");
  EXPECT_EQ(VersionText(distinct, 10), "14.65535");  // gaps in the mask leave no empty parts
  EXPECT_EQ(VersionText(distinct, 12), "159.65535");
  EXPECT_EQ(VersionText(distinct, 0), "");
  EXPECT_EQ(VersionText(distinct, 0x1F), "3.14.159.65535");  // bits above the four parts are ignored
}

TEST(VersionText, UnknownVersionGivesEmptyTextForEveryMask) {
  for (unsigned mask = 0; mask < 16; ++mask) EXPECT_EQ(VersionText(std::nullopt, mask), "") << mask;
}

TEST(VersionText, SplashLabelAndMainCaption) {
  EXPECT_EQ(SplashVersionLabel(kShipped), "Version 1.2.0");
  EXPECT_EQ(MainWindowCaption(kShipped), "Tembric 1.2");
  // Without version information the fixed words stay.
  EXPECT_EQ(SplashVersionLabel(std::nullopt), "Version ");
  EXPECT_EQ(MainWindowCaption(std::nullopt), "Tembric ");
}

}  // namespace
}  // namespace tembric::app
