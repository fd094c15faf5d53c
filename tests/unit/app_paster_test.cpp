// The paste as the main window runs it: the current record of the real
// records table, the target the sampling tick found, the window's settings,
// notices and log, the focused node's plugin, the typed keystroke and the
// blob file beside the tables.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "MainControllerFixture.h"
#include "app/MainBlobFile.h"
#include "app/Paster.h"
#include "fakes/FakeClipboard.h"
#include "fakes/FakeInput.h"
#include "fakes/FakeLibraries.h"
#include "fakes/FakeTarget.h"
#include "fakes/TreeRecords.h"
#include "paste/Image.h"
#include "platform/Collation.h"
#include "plugins/TembricPlugin.h"
#include "store/BlobFile.h"
#include "store/Tables.h"
#include "tree/TreeModel.h"

namespace tembric::app {
namespace {

using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::IsEmpty;
namespace clip = platform::clip;
using Bytes = std::vector<std::uint8_t>;

constexpr const char* kBlob = "C:\\Tembric\\data.tmd";
constexpr const char* kPlugin = "C:\\Tembric\\Plugins\\dates.dll";

Bytes Z(const std::string& s) {
  Bytes b(s.begin(), s.end());
  b.push_back(0);
  return b;
}

// A 2 x 1 DIB for every input: the decoder's own tests cover the formats.
class TinyDecoder final : public paste::ImageDecoder {
 public:
  int calls = 0;
  Bytes DecodeToDib(paste::ImageFormat, std::span<const std::uint8_t>) override {
    ++calls;
    paste::DecodedImage image;
    image.width = 2;
    image.height = 1;
    image.bitsPerPixel = 24;
    paste::AllocateDib(image);
    return image.dib;
  }
};

plugins::HotkeyGate* g_hotkeys = nullptr;
bool g_hotkeysDuringCall = true;
std::int32_t g_index = -1;
unsigned char TEMBRIC_PLUGIN_CALL PluginResult(std::int32_t index) {
  g_hotkeysDuringCall = g_hotkeys->Ready();
  g_index = index;
  return 0;  // declines: no keys
}

class PasterTest : public MainControllerFixture {
 protected:
  MainSeams Seams() override {
    MainSeams all = seams.All();
    all.blobFile = &blobFile;
    return all;
  }

  // A created main window whose records are `add`'s, the editor as target.
  MainController& Ready(const std::function<void(store::DataTable&)>& add) {
    MainController& main = Created();
    add(main.Library().records);
    main.SamplingTimerTick();  // samples the editor in the foreground
    paster.SetOwner(kOwnWindow);
    g_hotkeys = &main.Hotkeys();
    clipboard.Put(clip::kText, Z("user text"));
    clipboard.onRender = [this](platform::ClipFormat f) { paster.RenderFormat(f); };
    target.onPaste = [this](const fakes::FakeTarget::Paste& p) {
      pasted.push_back(p.text.value_or(Bytes{}));
      pastedBitmaps.push_back(p.dib.value_or(Bytes{}));
    };
    return main;
  }
  bool Traced(const std::string& line) const {
    return std::find(trace.lines.begin(), trace.lines.end(), line) != trace.lines.end();
  }
  // Enter in the filter box or a double click: window mode, with the focused node.
  void PasteCurrent() { paster.Paste({.mode = PasteMode::Window, .node = model.Data(model.Focused())}); }

  fakes::FakeClipboard clipboard;
  fakes::FakeInput input;
  fakes::FakeTarget target{input, clipboard, kEditor};
  fakes::FakeLibraries libraries;
  TinyDecoder decoder;
  tree::TreeModel model{platform::UserCollation()};
  std::vector<Bytes> pasted;
  std::vector<Bytes> pastedBitmaps;
  MainBlobFile blobFile{files, kFolder, notices};
  Paster paster{PasteDeps(clipboard, input, libraries, decoder)};
};

TEST_F(PasterTest, EnterOnATextRecordHidesTheWindowPastesIntoTheTargetAndPutsTheUserTextBack) {
  MainController& main = Ready([](store::DataTable& r) { fakes::AddText(r, "\\Mail", "Sign", "Kind regards"); });
  main.ShowMainWindow();
  ASSERT_TRUE(view.showing);

  PasteCurrent();

  EXPECT_TRUE(Traced("Paste: \\Mail\\Sign"));
  EXPECT_TRUE(Traced("CopyClose: Memo: Kind regards"));
  EXPECT_FALSE(view.showing);
  EXPECT_THAT(input.Log(), Contains("foreground " + std::to_string(kEditor)));
  EXPECT_THAT(pasted, ElementsAre(Z("Kind regards")));
  EXPECT_EQ(clipboard.Peek(clip::kText), Z("user text"));
  EXPECT_THAT(notices.shown, IsEmpty());
  EXPECT_TRUE(main.Hotkeys().Ready());
}

TEST_F(PasterTest, RestoreTextIsReadFromTheSettingsAtEveryPaste) {
  Ready([](store::DataTable& r) { fakes::AddText(r, "", "Welcome", "Hello"); });
  WriteIni("[Basic]\r\nDBVersion=11\r\nRestoreText=0\r\n");
  PasteCurrent();
  EXPECT_EQ(clipboard.Peek(clip::kText), Z("Hello"));

  WriteIni("[Basic]\r\nDBVersion=11\r\nRestoreText=1\r\n");
  clipboard.Put(clip::kText, Z("user text"));
  PasteCurrent();
  EXPECT_EQ(pasted.back(), Z("Hello"));
  EXPECT_EQ(clipboard.Peek(clip::kText), Z("user text"));
}

TEST_F(PasterTest, AKeystrokeIsErasedWithTwoMoreBackspacesThanItsLetters) {
  Ready([](store::DataTable& r) { fakes::AddText(r, "", "Sig", "Anna"); });
  paster.Paste({.mode = PasteMode::Keystroke, .keystrokeLength = 3});  // "=sig " typed
  const auto& sent = input.Sent();
  ASSERT_GE(sent.size(), 10u);
  for (std::size_t i = 0; i < 10; ++i) EXPECT_EQ(sent[i].key, platform::vk::kBack) << i;
  EXPECT_NE(sent[10].key, platform::vk::kBack);
  EXPECT_THAT(pasted, ElementsAre(Z("Anna")));
}

TEST_F(PasterTest, PluginRecordCallsTheFocusedNodesLibraryAndItemWithHotkeysBlocked) {
  libraries.AddEntry(kPlugin, "GetPluginResult", &PluginResult);
  MainController& main =
      Ready([](store::DataTable& r) { fakes::AddRecord(r, "\\*Plugins\\Dates", "Today", store::RecordType::Plugin); });
  tree::TNodeData data;
  data.FullName = "\\*Plugins\\Dates\\Today";
  data.PluginLibrary = kPlugin;
  data.PluginIndex = 3;
  model.SetFocused(model.AddChild(tree::kNoNode, data));

  PasteCurrent();
  EXPECT_EQ(g_index, 3);
  EXPECT_FALSE(g_hotkeysDuringCall);
  EXPECT_TRUE(main.Hotkeys().Ready());
  EXPECT_THAT(pasted, IsEmpty());  // the plugin declined
}

TEST_F(PasterTest, NoCurrentRecordPastesNothing) {
  Ready([](store::DataTable&) {});
  PasteCurrent();
  EXPECT_THAT(input.Log(), IsEmpty());
  EXPECT_EQ(clipboard.OpenCalls(), 0);
}

TEST_F(PasterTest, BlobFileIsCreatedAtStartAndImagesAreReadFromIt) {
  MainController& main = Ready([](store::DataTable&) {});
  ASSERT_TRUE(disk.Exists(kBlob));
  const store::BlobFile blob(disk, kBlob);
  const store::BlobExtent extent = store::AppendToBlobFile(blob, Bytes{'B', 'M', 1, 2});
  fakes::AddRecord(main.Library().records, "", "Logo", store::RecordType::Image,
                   {{"FilePosition", store::Value(extent.filePosition)}, {"Size", store::Value(extent.size)}});

  PasteCurrent();
  EXPECT_EQ(decoder.calls, 1);
  ASSERT_EQ(pastedBitmaps.size(), 1u);
  EXPECT_EQ(pastedBitmaps[0], TinyDecoder().DecodeToDib(paste::ImageFormat::Bmp, {}));
  EXPECT_THAT(notices.shown, IsEmpty());

  // The file deleted while running: the image fails with the action's
  // message, and text records still paste.
  disk.Remove(kBlob);
  PasteCurrent();
  EXPECT_THAT(notices.shown, ElementsAre(fakes::FakeNotices::Notice{NoticeKind::Plain, paste::kErrorInAction}));
  fakes::AddText(main.Library().records, "", "Plain", "still works");
  PasteCurrent();
  EXPECT_EQ(pasted.back(), Z("still works"));
}

TEST_F(PasterTest, ABlobFileThatCannotBeCreatedIsShownAndTheLibraryStillOpens) {
  files.FailOn(fakes::FaultInjectingFileSystem::Op::CreateNew, kBlob);
  MainController& main = Created();
  ASSERT_EQ(notices.shown.size(), 1u);
  EXPECT_EQ(notices.shown[0].kind, NoticeKind::Information);  // at start
  EXPECT_NE(main.Library().records.State(), store::TableState::Inactive);
}

}  // namespace
}  // namespace tembric::app
