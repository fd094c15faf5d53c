#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "fakes/FakeClipboard.h"
#include "fakes/FakeClock.h"
#include "paste/ClipboardMonitor.h"

namespace tembric::paste {
namespace {

using platform::WindowHandle;

constexpr WindowHandle kMain = 0x100;

// A viewer chain as the system keeps it: a list of windows, head first. A
// notice forwarded to a window is recorded as "change to W" or
// "leave W: L->F".
class FakeViewerChain final : public platform::ClipboardViewerChain {
 public:
  std::vector<WindowHandle> windows;
  std::vector<std::string> sent;

  WindowHandle Join(WindowHandle self) override {
    const WindowHandle next = windows.empty() ? platform::kNoWindow : windows.front();
    windows.insert(windows.begin(), self);
    return next;
  }
  void Leave(WindowHandle self, WindowHandle) override { std::erase(windows, self); }
  void ForwardChange(WindowHandle next) override { sent.push_back("change to " + std::to_string(next)); }
  void ForwardLeave(WindowHandle next, WindowHandle leaving, WindowHandle following) override {
    sent.push_back("leave " + std::to_string(next) + ": " + std::to_string(leaving) + "->" + std::to_string(following));
  }
};

struct Listing final : ClipboardListingView {
  std::vector<std::vector<std::string>> shown;
  void ShowClipboardFormats(const std::vector<std::string>& formats) override { shown.push_back(formats); }
};

struct ClipboardMonitorTest : ::testing::Test {
  fakes::FakeClipboard clipboard;
  fakes::FakeClock clock;
  FakeViewerChain chain;
  Listing listing;
  ClipboardMonitor monitor{
      {.chain = chain, .clipboard = clipboard, .clock = clock, .listing = listing, .self = [] { return kMain; }}};
};

TEST(ClipboardFormatLabel, NamesRegisteredPredefinedAndOtherFormats) {
  const std::pair<platform::ClipFormat, const char*> predefined[] = {{1, "CF_TEXT"},
                                                                     {2, "CF_BITMAP"},
                                                                     {3, "CF_METAFILEPICT"},
                                                                     {4, "CF_SYLK"},
                                                                     {5, "CF_DIF"},
                                                                     {6, "CF_TIFF"},
                                                                     {7, "CF_OEMTEXT"},
                                                                     {8, "CF_DIB"},
                                                                     {9, "CF_PALETTE"},
                                                                     {10, "CF_PENDATA"},
                                                                     {11, "CF_RIFF"},
                                                                     {12, "CF_WAVE"},
                                                                     {13, "CF_UNICODETEXT"},
                                                                     {14, "CF_ENHMETAFILE"},
                                                                     {15, "CF_HDROP"},
                                                                     {16, "CF_LOCALE"},
                                                                     {17, "CF_DIBV5"},
                                                                     {18, "CF_MAX_XP"},
                                                                     {128, "CF_OWNERDISPLAY"},
                                                                     {131, "CF_DSPMETAFILEPICT"},
                                                                     {142, "CF_DSPENHMETAFILE"},
                                                                     {512, "CF_PRIVATEFIRST"},
                                                                     {767, "CF_PRIVATELAST"},
                                                                     {768, "CF_GDIOBJFIRST"},
                                                                     {1023, "CF_GDIOBJLAST"}};
  for (const auto& [format, name] : predefined) EXPECT_EQ(ClipboardFormatLabel(format, std::nullopt), name) << format;
  for (platform::ClipFormat unnamed : {0u, 19u, 129u, 130u, 513u, 0xC0FFu})
    EXPECT_EQ(ClipboardFormatLabel(unnamed, std::nullopt), std::to_string(unnamed));
  // A registered name wins, even over a number the table knows.
  EXPECT_EQ(ClipboardFormatLabel(0xC001, std::string("Rich Text Format")), "Rich Text Format");
  EXPECT_EQ(ClipboardFormatLabel(1, std::string("odd")), "odd");
  EXPECT_EQ(ClipboardFormatLabel(0xC002, std::string(80, 'n')), std::string(60, 'n'));
}

TEST_F(ClipboardMonitorTest, ListsFormatsInEnumerationOrderByNameThenForwards) {
  chain.windows = {0x200};
  monitor.Join();
  const platform::ClipFormat html = clipboard.RegisterFormat("HTML Format");
  clipboard.Put(html, {'x', 0});
  clipboard.PutUnicodeText(u"hi");
  clipboard.Put(130, {1});

  monitor.ClipboardChanged();

  ASSERT_EQ(listing.shown.size(), 1u);
  std::vector<std::string> expected;
  clipboard.Open(kMain);
  for (platform::ClipFormat f : clipboard.EnumFormats())
    expected.push_back(f == html ? "HTML Format" : ClipboardFormatLabel(f, std::nullopt));
  clipboard.Close();
  EXPECT_EQ(listing.shown[0], expected);
  EXPECT_EQ(listing.shown[0].front(), "HTML Format");
  EXPECT_NE(std::find(expected.begin(), expected.end(), "CF_UNICODETEXT"), expected.end());
  EXPECT_NE(std::find(expected.begin(), expected.end(), "130"), expected.end());
  EXPECT_EQ(chain.sent, (std::vector<std::string>{"change to 512"}));
  EXPECT_FALSE(clipboard.IsOpen());
}

TEST_F(ClipboardMonitorTest, ClipboardHeldByAnotherProgramIsReportedAndNotForwarded) {
  chain.windows = {0x200};
  monitor.Join();
  clipboard.HoldBusy(1000);
  EXPECT_THROW(monitor.ClipboardChanged(), std::runtime_error);
  EXPECT_TRUE(listing.shown.empty());
  EXPECT_TRUE(chain.sent.empty());

  // Held only briefly: the listing waits for it.
  clipboard.HoldBusy(3);
  monitor.ClipboardChanged();
  EXPECT_EQ(listing.shown.size(), 1u);
  EXPECT_EQ(chain.sent.size(), 1u);
}

TEST_F(ClipboardMonitorTest, ListingInsideOurOwnOpenLeavesTheClipboardOpen) {
  monitor.Join();
  clipboard.Open(kMain);
  clipboard.Empty();
  monitor.ClipboardChanged();
  EXPECT_TRUE(clipboard.IsOpen());
  EXPECT_EQ(listing.shown.size(), 1u);
  EXPECT_TRUE(chain.sent.empty());  // first in an otherwise empty chain
  clipboard.Close();
}

TEST_F(ClipboardMonitorTest, FollowsTheChainWhenItsNeighbourLeaves) {
  chain.windows = {0x200, 0x300};
  monitor.Join();
  EXPECT_EQ(monitor.NextViewer(), 0x200u);

  monitor.ChainChanged(0x300, platform::kNoWindow);  // not our neighbour: handed on
  EXPECT_EQ(chain.sent, (std::vector<std::string>{"leave 512: 768->0"}));
  EXPECT_EQ(monitor.NextViewer(), 0x200u);

  monitor.ChainChanged(0x200, 0x300);  // our neighbour leaves: its follower is next
  EXPECT_EQ(monitor.NextViewer(), 0x300u);
  EXPECT_EQ(chain.sent.size(), 1u);
  monitor.ClipboardChanged();
  EXPECT_EQ(chain.sent.back(), "change to 768");

  monitor.ChainChanged(0x300, platform::kNoWindow);  // the last one leaves: nothing to forward to
  monitor.ChainChanged(0x999, 0x555);
  monitor.ClipboardChanged();
  EXPECT_EQ(chain.sent.size(), 2u);

  monitor.Leave();
  EXPECT_EQ(std::count(chain.windows.begin(), chain.windows.end(), kMain), 0);
}

}  // namespace
}  // namespace tembric::paste
