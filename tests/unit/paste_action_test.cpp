// The paste action against the fake clipboard, the fake input queue, an
// in-memory file system and fake plugin libraries.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "fakes/FakeClipboard.h"
#include "fakes/FakeInput.h"
#include "fakes/FakeLibraries.h"
#include "fakes/FakeTarget.h"
#include "fakes/MemoryFileSystem.h"
#include "paste/Image.h"
#include "paste/PasteAction.h"
#include "plugins/TembricPlugin.h"
#include "store/BlobFile.h"
#include "store/ClipboardSnapshot.h"
#include "store/DataTable.h"
#include "store/Tables.h"

namespace tembric::paste {
namespace {

using fakes::FakeClipboard;
using fakes::FakeInput;
using platform::KeyEvent;
namespace clip = platform::clip;
namespace vk = platform::vk;
using Bytes = std::vector<std::uint8_t>;

constexpr platform::WindowHandle kOwner = 7;
constexpr platform::WindowHandle kTarget = 42;
const char* const kPluginPath = "C:\\Tembric\\Plugins\\dates.dll";

Bytes B(const std::string& s) { return Bytes(s.begin(), s.end()); }
Bytes Z(const std::string& s) {
  Bytes b = B(s);
  b.push_back(0);
  return b;
}

// A DIB header of a 1-pixel image (8 bits with two colours for a tag that
// starts with "PAL", else 24 bits) followed by the tag, so that the tests see
// which bytes reached the clipboard.
Bytes FakeDib(const std::string& tag) {
  DecodedImage image;
  image.width = 1;
  image.height = 1;
  const bool palette = tag.find("PAL") != std::string::npos;
  image.bitsPerPixel = palette ? 8 : 24;
  image.paletteSize = palette ? 2 : 0;
  AllocateDib(image);
  Bytes dib = image.dib;
  const Bytes t = B(tag);
  dib.insert(dib.end(), t.begin(), t.end());
  return dib;
}

class FakeDecoder : public ImageDecoder {
 public:
  std::vector<std::pair<ImageFormat, Bytes>> calls;
  Bytes DecodeToDib(ImageFormat format, std::span<const std::uint8_t> bytes) override {
    calls.emplace_back(format, Bytes(bytes.begin(), bytes.end()));
    if (bytes.size() >= 3 && bytes[0] == 'B' && bytes[1] == 'A' && bytes[2] == 'D')
      throw std::runtime_error("bad image");
    return FakeDib((format == ImageFormat::Jpeg ? "J:" : "B:") + std::string(bytes.begin(), bytes.end()));
  }
};

class FakeHost : public PasteHost {
 public:
  int hides = 0;
  bool restoreText = true;
  std::vector<std::string> messages;
  std::vector<std::string> traces;
  std::function<void()> onHide;
  void HideMainWindow() override {
    ++hides;
    if (onHide) onHide();
  }
  void ShowMessage(const std::string& text) override { messages.push_back(text); }
  void Trace(const std::string& line) override { traces.push_back(line); }
  bool RestoreText() override { return restoreText; }
};

unsigned char g_pluginAnswer = 1;
bool g_hotkeysDuringPlugin = true;
plugins::HotkeyGate* g_hotkeys = nullptr;
FakeClipboard* g_pluginClipboard = nullptr;
unsigned char TEMBRIC_PLUGIN_CALL PluginResult(std::int32_t index) {
  g_hotkeysDuringPlugin = g_hotkeys->Ready();
  g_pluginClipboard->Open(99);
  g_pluginClipboard->Empty();
  g_pluginClipboard->SetData(clip::kText, Z("plugin item " + std::to_string(index)));
  g_pluginClipboard->Close();
  return g_pluginAnswer;
}

class PasteActionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    input_.foreground = kTarget;  // where the user was
    clipboard_.Put(clip::kText, Z("user text"));
    target_.onKey = [this](const KeyEvent& e) {
      if (e.key == vk::kBack && textAtFirstBackspace_.empty()) textAtFirstBackspace_ = *clipboard_.Peek(clip::kText);
    };
    target_.onPaste = [this](const fakes::FakeTarget::Paste& p) { pastedText_ = p.text; };
    // The owner window's render requests, with the reading program's thread.
    clipboard_.onRender = [this](platform::ClipFormat f) {
      offer_.Render(clipboard_, f, input_.ThreadOf(clipboard_.OpenerWindow()));
    };
    store::CreateBlobFileIfMissing(blob_);
    g_hotkeys = &hotkeys_;
    g_pluginClipboard = &clipboard_;
    g_pluginAnswer = 1;
  }

  PasteResult Paste(const PasteRecord& record, bool fromKeystroke = false, std::size_t keystrokeLength = 0) {
    PasteResult result = action_.CopyClose(record, {fromKeystroke, keystrokeLength, kTarget});
    EXPECT_FALSE(clipboard_.IsOpen());
    EXPECT_EQ(clipboard_.OpenCalls() - busyOpens_, clipboard_.CloseCalls());
    return result;
  }
  static PasteRecord Of(store::RecordType type) {
    PasteRecord r;
    r.type = type;
    return r;
  }
  static PasteRecord Linked(store::RecordType type, std::string fileName) {
    PasteRecord r = Of(type);
    r.fileName = std::move(fileName);
    return r;
  }
  std::vector<KeyEvent> CtrlV() const {
    return {{vk::kControl, 0x1D, false}, {vk::kV, 0x2F, false}, {vk::kV, 0x2F, true}, {vk::kControl, 0x1D, true}};
  }
  bool Traced(const std::string& line) const {
    return std::find(host_.traces.begin(), host_.traces.end(), line) != host_.traces.end();
  }
  std::ptrdiff_t LogIndex(const std::string& entry) const {
    const auto& log = input_.Log();
    auto it = std::find(log.begin(), log.end(), entry);
    return it == log.end() ? -1 : it - log.begin();
  }

  FakeClipboard clipboard_;
  FakeInput input_;
  fakes::MemoryFileSystem files_;
  store::BlobFile blob_{files_, "C:\\Tembric\\data.tmd"};
  fakes::FakeLibraries libraries_;
  FakeDecoder decoder_;
  FakeHost host_;
  plugins::HotkeyGate hotkeys_;
  int busyOpens_ = 0;
  std::optional<Bytes> pastedText_;
  Bytes textAtFirstBackspace_;
  fakes::FakeTarget target_{input_, clipboard_, kTarget};
  ClipboardOffer offer_;
  PasteAction action_{
      {clipboard_, input_, input_.clock, files_, blob_, libraries_, decoder_, hotkeys_, host_, kOwner, &offer_}};
};

TEST_F(PasteActionTest, TextRecordIsPastedAndTheUserTextComesBackWithALocaleOnly) {
  clipboard_.PutBitmap(B("user image"));
  input_.language = "0407";
  PasteRecord record = Of(store::RecordType::Text);
  record.memo = "Hello";

  EXPECT_EQ(Paste(record).end, PasteEnd::Pasted);

  EXPECT_EQ(pastedText_, Z("Hello"));
  EXPECT_EQ(input_.Sent(), CtrlV());
  EXPECT_EQ(host_.hides, 1);
  EXPECT_TRUE(host_.messages.empty());
  EXPECT_TRUE(Traced("CopyClose: Memo: Hello"));
  EXPECT_TRUE(Traced("CopyClose: Ctrl+V"));
  // The restore: the previous text and the system language, the image is gone.
  EXPECT_EQ(clipboard_.StoredFormats(), (std::vector<platform::ClipFormat>{clip::kText, clip::kLocale}));
  EXPECT_EQ(clipboard_.Peek(clip::kText), Z("user text"));
  EXPECT_EQ(clipboard_.Peek(clip::kLocale), (Bytes{0x07, 0x04, 0, 0}));
  // Focus goes back before the keys; the target read at once, so the restore
  // did not wait.
  const auto& log = input_.Log();
  EXPECT_LT(LogIndex("enable 42"), LogIndex("foreground 42"));
  EXPECT_LT(LogIndex("foreground 42"), LogIndex("key 11/1D down"));
  EXPECT_EQ(log.back(), "message done 42");
  EXPECT_EQ(log[log.size() - 2], "key 11/1D up");
  EXPECT_TRUE(hotkeys_.Ready());
}

// The record's content is offered without data, and the user's text goes
// back only once the target has read it, however late: a loaded target reads
// long after any fixed wait would have restored the old text.
TEST_F(PasteActionTest, TheUserTextGoesBackOnlyAfterTheTargetHasReadTheContent) {
  libraries_.AddEntry(kPluginPath, "GetPluginResult", &PluginResult);
  files_.Put("C:\\notes.txt", B("line"));
  PasteRecord text = Of(store::RecordType::Text);
  text.memo = "Kind regards";
  PasteRecord plugin = Of(store::RecordType::Plugin);
  plugin.pluginLibrary = kPluginPath;
  plugin.pluginIndex = 2;
  PasteRecord image = Of(store::RecordType::Image);
  image.extent = store::AppendToBlobFile(blob_, B("PAL"));
  struct Case {
    const char* name;
    const PasteRecord* record;
    bool keystroke;
    int lagMs;             // when the target reads after Ctrl+V (-1: never)
    bool managerReads;     // a clipboard manager reads the content first
    const char* expected;  // the text pasted; null: the image
  };
  const PasteRecord linked = Linked(store::RecordType::TextFileLink, "C:\\notes.txt");
  const Case cases[] = {
      {"text read 800 ms late", &text, false, 800, false, "Kind regards"},
      {"typed abbreviation read 1.5 s late", &text, true, 1500, false, "Kind regards"},
      {"linked text file", &linked, false, 400, false, "line\r\n"},
      {"plugin item", &plugin, false, 600, false, "plugin item 2"},
      {"image", &image, false, 700, false, nullptr},
      // Then the target's read is not seen: the fixed wait after Ctrl+V.
      {"a manager read first", &text, false, 150, true, "Kind regards"},
      {"never read", &text, false, -1, false, nullptr},
      {"taken over by another program", &text, false, -2, false, nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    clipboard_.Clear();
    clipboard_.Put(clip::kText, Z("user text"));
    target_.pastes.clear();
    target_.lagMs = c.lagMs < 0 ? 1'000'000 : c.lagMs;
    const bool takenOver = c.lagMs == -2;
    std::optional<Bytes> managerSaw;
    bool historyAskedToSkip = false;  // the content is there for one paste only
    target_.onKey = [&](const KeyEvent& e) {
      if (c.managerReads && e.key == vk::kControl && !e.release) managerSaw = clipboard_.ReadAs(77, clip::kText);
      if (takenOver && e.key == vk::kControl && e.release)
        offer_.Clear();  // the owner was told the clipboard was emptied
      if (e.key == vk::kV && !e.release)
        historyAskedToSkip = clipboard_.IsFormatAvailable(clipboard_.RegisterFormat(kExcludeFromMonitors)) &&
                             clipboard_.IsFormatAvailable(clipboard_.RegisterFormat(kViewerIgnore));
    };
    host_.traces.clear();
    const std::int64_t start = input_.clock.now;

    const PasteResult result = action_.CopyClose(*c.record, {c.keystroke, 3, kTarget});

    EXPECT_EQ(result.end, PasteEnd::Pasted);
    EXPECT_TRUE(result.restored);
    EXPECT_EQ(clipboard_.Peek(clip::kText), Z("user text"));
    EXPECT_FALSE(offer_.Offering());
    EXPECT_TRUE(historyAskedToSkip);
    if (c.managerReads) {
      EXPECT_EQ(managerSaw, Z(c.expected));
    }
    if (c.lagMs < 0) {
      EXPECT_TRUE(target_.pastes.empty());
      const int limit = takenOver ? 0 : kTargetReadLimitMs;
      EXPECT_TRUE(Traced(takenOver ? "CopyClose: the clipboard was taken over before the target read it"
                                   : "CopyClose: the target did not read the clipboard"));
      EXPECT_GE(input_.clock.now - start, limit);
      EXPECT_LE(input_.clock.now - start, limit + kForegroundSettleMs + 2 * kPollStepMs);
      continue;
    }
    ASSERT_EQ(target_.pastes.size(), 1u);
    if (c.expected) {
      EXPECT_EQ(target_.pastes[0].text, Z(c.expected));
    } else {
      EXPECT_EQ(target_.pastes[0].dib, FakeDib("B:PAL"));
      EXPECT_THAT(target_.pastes[0].formats, testing::IsSupersetOf({clip::kBitmap, clip::kPalette, clip::kDib}));
    }
    // The restore also waited for the target to finish handling the paste.
    if (!c.managerReads) {
      EXPECT_EQ(input_.Log().back(), "message done 42");
    }
    const int waited = c.managerReads ? kRestoreDelayMs : c.lagMs;
    EXPECT_GE(input_.clock.now - start, waited);
    EXPECT_LE(input_.clock.now - start, waited + kForegroundSettleMs + 2 * kPollStepMs);
  }
  target_.onKey = nullptr;
  target_.lagMs = 0;
}

TEST_F(PasteActionTest, RestoreSettingAndEmptyClipboard) {
  PasteRecord record = Of(store::RecordType::Text);
  record.memo = "kept";
  host_.restoreText = false;
  Paste(record);
  EXPECT_EQ(clipboard_.Peek(clip::kText), Z("kept"));
  EXPECT_EQ(LogIndex("sleep 300"), -1);

  // A clipboard without text becomes an empty text.
  clipboard_.Clear();
  clipboard_.PutBitmap(B("img"));
  host_.restoreText = true;
  Paste(record);
  EXPECT_EQ(pastedText_, Z("kept"));
  EXPECT_EQ(clipboard_.Peek(clip::kText), Z(""));
  EXPECT_EQ(clipboard_.StoredFormats(), (std::vector<platform::ClipFormat>{clip::kText, clip::kLocale}));
}

TEST_F(PasteActionTest, LocaleFallsBackWhenTheLanguageIsNotHex) {
  input_.language = "zz";
  PasteRecord record = Of(store::RecordType::Text);
  host_.restoreText = false;
  Paste(record);
  EXPECT_EQ(clipboard_.Peek(clip::kLocale), (Bytes{0x19, 0, 0, 0}));
}

TEST_F(PasteActionTest, KeystrokeIsErasedWithOwnBackspacesBeforeAnythingElse) {
  PasteRecord record = Of(store::RecordType::Text);
  record.memo = "signature";
  Paste(record, true, 3);  // "=sig " typed

  const KeyEvent down{vk::kBack, 0x0E, false}, up{vk::kBack, 0x0E, true};
  std::vector<KeyEvent> expected;
  for (int i = 0; i < 5; ++i) {
    expected.push_back(down);
    expected.push_back(up);
  }
  const std::vector<KeyEvent> ctrlV = CtrlV();
  expected.insert(expected.end(), ctrlV.begin(), ctrlV.end());
  EXPECT_EQ(input_.Sent(), expected);
  EXPECT_EQ(host_.hides, 0);
  EXPECT_EQ(textAtFirstBackspace_, Z("user text"));  // content not placed yet
  EXPECT_EQ(pastedText_, Z("signature"));
}

TEST_F(PasteActionTest, FolderAndUnknownTypesPasteWhatTheClipboardHeld) {
  for (store::RecordType type : {store::RecordType::Folder, store::RecordType{7}, store::RecordType{-1}}) {
    pastedText_.reset();
    Paste(Of(type), true, 0);
    EXPECT_EQ(pastedText_, Z("user text")) << static_cast<int>(type);
  }
  EXPECT_TRUE(host_.messages.empty());
}

TEST_F(PasteActionTest, ImageFromTheBlobFileIsDecodedAsBmpAndPlacedAsABitmapWithItsPalette) {
  PasteRecord record = Of(store::RecordType::Image);
  store::AppendToBlobFile(blob_, B("other"));
  record.extent = store::AppendToBlobFile(blob_, B("BMpixels"));
  host_.restoreText = false;

  EXPECT_EQ(Paste(record).end, PasteEnd::Pasted);
  ASSERT_EQ(decoder_.calls.size(), 1u);
  EXPECT_EQ(decoder_.calls[0].first, ImageFormat::Bmp);
  EXPECT_EQ(decoder_.calls[0].second, B("BMpixels"));
  EXPECT_EQ(clipboard_.PeekBitmap(), FakeDib("B:BMpixels"));
  EXPECT_EQ(clipboard_.StoredFormats(), std::vector<platform::ClipFormat>{clip::kBitmap});  // emptied first

  // A palette image brings its palette along.
  record.extent = store::AppendToBlobFile(blob_, B("PAL8"));
  EXPECT_EQ(Paste(record).end, PasteEnd::Pasted);
  EXPECT_EQ(clipboard_.StoredFormats(), (std::vector<platform::ClipFormat>{clip::kBitmap, clip::kPalette}));
  EXPECT_TRUE(host_.messages.empty());

  // A refused bitmap is an error in the action.
  clipboard_.RefuseSetData(clip::kBitmap);
  Paste(record);
  EXPECT_EQ(host_.messages, std::vector<std::string>{kErrorInAction});
}

TEST_F(PasteActionTest, ContentFailuresShowErrorInActionAndStillSendTheKeys) {
  PasteRecord badImage = Of(store::RecordType::Image);
  badImage.extent = store::AppendToBlobFile(blob_, B("BAD"));
  PasteRecord beyondFile = Of(store::RecordType::ClipboardInBlob);
  beyondFile.extent = {1000, 10};
  PasteRecord cutSnapshot = Of(store::RecordType::ClipboardInRow);
  cutSnapshot.blob = B("short");
  PasteRecord refusedText = Of(store::RecordType::Text);

  for (const PasteRecord* record : {&badImage, &beyondFile, &cutSnapshot, &refusedText}) {
    if (record == &refusedText) clipboard_.RefuseSetData(clip::kText);
    host_.messages.clear();
    const std::size_t keysBefore = input_.Sent().size();
    EXPECT_EQ(Paste(*record).end, PasteEnd::Pasted) << static_cast<int>(record->type);
    EXPECT_EQ(host_.messages, std::vector<std::string>{kErrorInAction}) << static_cast<int>(record->type);
    EXPECT_EQ(input_.Sent().size(), keysBefore + 4);
  }
}

TEST_F(PasteActionTest, MissingBlobFileIsAnErrorInAction) {
  files_.Remove(blob_.Path());
  PasteRecord record = Of(store::RecordType::Image);
  record.extent = {0, 4};
  Paste(record);
  EXPECT_EQ(host_.messages, std::vector<std::string>{kErrorInAction});
}

TEST_F(PasteActionTest, SnapshotsFromTheRowAndFromTheBlobFileRestoreEveryFormat) {
  FakeClipboard source;
  const platform::ClipFormat custom = source.RegisterFormat("Rich Stuff");
  clipboard_.RegisterFormat("Rich Stuff");
  source.Put(clip::kText, Z("snap"));
  source.Put(custom, B("rich"));
  Bytes snapshot;
  store::VectorSink sink(snapshot);
  source.Open(1);
  store::CaptureClipboard(source, sink);
  source.Close();

  PasteRecord inRow = Of(store::RecordType::ClipboardInRow);
  inRow.blob = snapshot;
  PasteRecord inFile = Of(store::RecordType::ClipboardInBlob);
  store::AppendToBlobFile(blob_, B("xx"));
  inFile.extent = store::AppendToBlobFile(blob_, snapshot);

  host_.restoreText = false;
  for (const PasteRecord* record : {&inRow, &inFile}) {
    clipboard_.Clear();
    clipboard_.Put(clip::kText, Z("user text"));
    EXPECT_EQ(Paste(*record).end, PasteEnd::Pasted);
    EXPECT_EQ(pastedText_, Z("snap"));
    EXPECT_EQ(clipboard_.Peek(custom), B("rich")) << static_cast<int>(record->type);
  }
  EXPECT_TRUE(host_.messages.empty());

  // Another program holding the clipboard for a moment when the snapshot is
  // restored delays it; it does not fail it.
  for (const PasteRecord* record : {&inRow, &inFile}) {
    clipboard_.Clear();
    host_.onHide = [this] {
      clipboard_.HoldBusy(30);
      busyOpens_ += 30;
    };
    EXPECT_EQ(Paste(*record).end, PasteEnd::Pasted);
    EXPECT_EQ(pastedText_, Z("snap")) << static_cast<int>(record->type);
    EXPECT_TRUE(host_.messages.empty()) << static_cast<int>(record->type);
  }
}

TEST_F(PasteActionTest, PluginAnswerDecidesTheKeysAndHotkeysAreBlockedDuringTheCall) {
  libraries_.AddEntry(kPluginPath, "GetPluginResult", &PluginResult);
  PasteRecord record = Of(store::RecordType::Plugin);
  record.pluginLibrary = kPluginPath;
  record.pluginIndex = 4;

  host_.restoreText = false;
  EXPECT_EQ(Paste(record).end, PasteEnd::Pasted);
  EXPECT_FALSE(g_hotkeysDuringPlugin);
  EXPECT_TRUE(hotkeys_.Ready());
  EXPECT_EQ(pastedText_, Z("plugin item 4"));

  g_pluginAnswer = 0;
  host_.restoreText = true;
  EXPECT_EQ(Paste(record).end, PasteEnd::NoKeys);
  EXPECT_EQ(input_.Sent().size(), 4u);
  EXPECT_EQ(clipboard_.Peek(clip::kText), Z("plugin item 4"));  // restored: the text before this run
  EXPECT_TRUE(host_.messages.empty());
}

TEST_F(PasteActionTest, MissingPluginShowsItsOwnMessageAndSendsNoKeys) {
  PasteRecord record = Of(store::RecordType::Plugin);
  record.pluginLibrary = "C:\\gone.dll";
  EXPECT_EQ(Paste(record).end, PasteEnd::NoKeys);
  ASSERT_EQ(host_.messages.size(), 1u);
  EXPECT_NE(host_.messages[0], kErrorInAction);
  EXPECT_NE(host_.messages[0].find("gone.dll"), std::string::npos);
  EXPECT_TRUE(input_.Sent().empty());
  EXPECT_TRUE(hotkeys_.Ready());
  EXPECT_EQ(clipboard_.Peek(clip::kText), Z("user text"));
}

TEST_F(PasteActionTest, LinkedTextFileIsPastedWithCrLfLinesAndNoLocale) {
  files_.Put("C:\\notes.txt", B("one\ntwo\r\nthree"));
  host_.restoreText = false;
  EXPECT_EQ(Paste(Linked(store::RecordType::TextFileLink, "C:\\notes.txt")).end, PasteEnd::Pasted);
  EXPECT_EQ(clipboard_.Peek(clip::kText), Z("one\r\ntwo\r\nthree\r\n"));
  EXPECT_EQ(clipboard_.StoredFormats(), std::vector<platform::ClipFormat>{clip::kText});
}

TEST(TextFileLinesTest, LineEndsAndTheZeroByte) {
  EXPECT_EQ(TextFileLines(B("a\rb\r\n\nc")), "a\r\nb\r\n\r\nc\r\n");
  EXPECT_EQ(TextFileLines(B("end\r\n")), "end\r\n");
  EXPECT_EQ(TextFileLines(Bytes{'x', 0, 'y'}), "x\r\n");
  EXPECT_EQ(TextFileLines(Bytes{}), "");
}

TEST_F(PasteActionTest, MissingLinkedFileSendsNoKeysAndNoMessageButStillRestores) {
  PasteRecord nullName = Of(store::RecordType::ImageFileLink);
  files_.PutFolder("C:\\Notes");
  files_.PutFolder("C:\\Pictures.bmp");
  for (const PasteRecord& record :
       {nullName, Linked(store::RecordType::TextFileLink, ""), Linked(store::RecordType::TextFileLink, "C:\\gone.txt"),
        Linked(store::RecordType::ImageFileLink, "C:\\gone.bmp"), Linked(store::RecordType::TextFileLink, "C:\\Notes"),
        Linked(store::RecordType::ImageFileLink, "C:\\Pictures.bmp")}) {
    clipboard_.Put(clip::kBitmap, B("x"));  // replaced by the restore
    EXPECT_EQ(Paste(record).end, PasteEnd::NoKeys);
    EXPECT_EQ(clipboard_.StoredFormats(), (std::vector<platform::ClipFormat>{clip::kText, clip::kLocale}));
  }
  EXPECT_TRUE(input_.Sent().empty());
  EXPECT_TRUE(host_.messages.empty());
  EXPECT_TRUE(decoder_.calls.empty());
}

TEST_F(PasteActionTest, LinkedImageDecoderFollowsTheExtensionInAnyCase) {
  files_.Put("C:\\a.JPEG", B("jp1"));
  files_.Put("C:\\b.jpg", B("jp2"));
  files_.Put("C:\\c.BMP", B("bm"));
  files_.Put("C:\\d.png", B("png"));
  host_.restoreText = false;

  Paste(Linked(store::RecordType::ImageFileLink, "C:\\a.JPEG"));
  Paste(Linked(store::RecordType::ImageFileLink, "C:\\b.jpg"));
  Paste(Linked(store::RecordType::ImageFileLink, "C:\\c.BMP"));
  EXPECT_EQ(clipboard_.PeekBitmap(), FakeDib("B:bm"));
  ASSERT_EQ(decoder_.calls.size(), 3u);
  EXPECT_EQ(decoder_.calls[0], std::make_pair(ImageFormat::Jpeg, B("jp1")));
  EXPECT_EQ(decoder_.calls[1], std::make_pair(ImageFormat::Jpeg, B("jp2")));
  EXPECT_EQ(decoder_.calls[2].first, ImageFormat::Bmp);

  EXPECT_EQ(Paste(Linked(store::RecordType::ImageFileLink, "C:\\d.png")).end, PasteEnd::Pasted);
  EXPECT_EQ(decoder_.calls.size(), 3u);
  EXPECT_EQ(clipboard_.PeekBitmap(), FakeDib("B:bm"));  // nothing placed
  EXPECT_FALSE(ImageFormatOfName("C:\\dir.jpg\\file").has_value());
}

TEST_F(PasteActionTest, CtrlVWaitsForHeldKeysButNotForShift) {
  const std::int64_t start = input_.clock.now;
  input_.Hold(vk::kControl, start + 55);
  input_.Hold('Z', start + 120);
  input_.Hold('7', start + 90);
  input_.HoldForever(vk::kShift);
  Paste(Of(store::RecordType::Folder), true, 0);
  // Backspaces (2 pairs) go out at once; Ctrl+V once the last key is up.
  ASSERT_EQ(input_.Sent().size(), 8u);
  const std::int64_t ctrlVAt = input_.clock.now - 300;
  EXPECT_GE(ctrlVAt, start + 120);
  EXPECT_LT(ctrlVAt, start + 130);
  EXPECT_GT(input_.Refreshes(), 10);
}

TEST_F(PasteActionTest, KeysHeldPastTheLimitSendNoCtrlVAndStillRestore) {
  PasteRecord record = Of(store::RecordType::Text);
  record.memo = "x";
  const std::int64_t start = input_.clock.now;
  input_.HoldForever(vk::kMenu);
  EXPECT_EQ(Paste(record).end, PasteEnd::KeysStillHeld);
  EXPECT_TRUE(input_.Sent().empty());
  EXPECT_GE(input_.clock.now - start, kKeyReleaseLimitMs);
  EXPECT_LE(input_.clock.now - start, kKeyReleaseLimitMs + kPollStepMs);  // no Ctrl+V: restored at once
  EXPECT_EQ(clipboard_.Peek(clip::kText), Z("user text"));
}

// Keys reach the target (or a window of its thread) or nowhere: another
// window in front, an activation refused by the foreground lock or taken
// back a few milliseconds later is met by activating again, for a bounded
// time; the restore happens either way.
TEST_F(PasteActionTest, KeysReachTheTargetOrNoWindow) {
  constexpr platform::WindowHandle kOther = 50, kTargetDialog = 44, kNone = platform::kNoWindow;
  constexpr int kGaveUp = -1;  // retries: as many as the limit allows
  struct Case {
    const char* name;
    bool fromKeystroke;
    platform::WindowHandle target;
    platform::WindowHandle front;  // the foreground window at the start
    int refusals;                  // activations refused by the foreground lock (-1: all)
    int lossAfterMs;               // the first activation is taken back this much later (-1: never)
    PasteEnd end;
    platform::WindowHandle receiver;  // of every key sent
    int retries;
  };
  const Case cases[] = {
      {"in front at once", false, kTarget, kTarget, 0, -1, PasteEnd::Pasted, kTarget, 0},
      {"taken back 7 ms after the activation", false, kTarget, kTarget, 0, 7, PasteEnd::Pasted, kTarget, 1},
      {"refused three times", false, kTarget, kOther, 3, -1, PasteEnd::Pasted, kTarget, 3},
      {"never in front", false, kTarget, kOther, -1, -1, PasteEnd::TargetNotInFront, kNone, kGaveUp},
      {"a window of the target's thread in front", false, kTarget, kTargetDialog, -1, -1, PasteEnd::Pasted,
       kTargetDialog, 0},
      {"no target window", false, kNone, kTarget, 0, -1, PasteEnd::TargetNotInFront, kNone, 0},
      {"keystroke, the target in front", true, kTarget, kTarget, 0, -1, PasteEnd::Pasted, kTarget, 0},
      {"keystroke, the target brought back and taken again", true, kTarget, kOther, 0, 15, PasteEnd::Pasted, kTarget,
       2},
      {"keystroke, never in front", true, kTarget, kOther, -1, -1, PasteEnd::TargetNotInFront, kNone, kGaveUp},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    input_ = FakeInput();
    target_.Attach();
    input_.SetThread(kTarget, 9);
    input_.SetThread(kTargetDialog, 9);
    input_.foreground = c.front;
    input_.RefuseActivations(c.refusals);
    if (c.lossAfterMs >= 0) input_.LoseForegroundAfter(c.lossAfterMs, kOther);
    clipboard_.Clear();
    clipboard_.Put(clip::kText, Z("user text"));
    host_.traces.clear();
    const int opensBefore = clipboard_.OpenCalls();
    const int hidesBefore = host_.hides;
    PasteRecord record = Of(store::RecordType::Text);
    record.memo = "note";
    const std::int64_t start = input_.clock.now;

    const PasteResult result = action_.CopyClose(record, {c.fromKeystroke, 1, c.target});

    EXPECT_EQ(result.end, c.end);
    const std::size_t keys = c.end != PasteEnd::Pasted ? 0 : (c.fromKeystroke ? 6 + 4 : 4);
    EXPECT_EQ(input_.Sent().size(), keys);
    EXPECT_EQ(input_.Receivers(), std::vector<platform::WindowHandle>(keys, c.receiver));
    if (c.retries == kGaveUp) {
      EXPECT_GE(result.foregroundRetries, kForegroundLimitMs / kPollStepMs);
      EXPECT_TRUE(Traced("CopyClose: target not in front after " + std::to_string(result.foregroundRetries) +
                         " retries, no keys"));
      // Bounded: the limit, then at once the restore.
      EXPECT_GE(input_.clock.now - start, kForegroundLimitMs);
      EXPECT_LE(input_.clock.now - start, kForegroundLimitMs + kPollStepMs);
    } else {
      EXPECT_EQ(result.foregroundRetries, c.retries);
      EXPECT_EQ(Traced("CopyClose: target in front after " + std::to_string(c.retries) + " retries"), c.retries > 0);
    }
    if (c.fromKeystroke && c.end != PasteEnd::Pasted) {
      // Nothing was placed: the clipboard is not even opened.
      EXPECT_EQ(clipboard_.OpenCalls(), opensBefore);
      EXPECT_EQ(host_.hides, hidesBefore);
    } else {
      EXPECT_TRUE(result.restored);
      EXPECT_EQ(clipboard_.Peek(clip::kText), Z("user text"));
    }
    EXPECT_TRUE(hotkeys_.Ready());
  }
}

TEST_F(PasteActionTest, ClipboardOpenIsRetriedForAboutOneSecond) {
  PasteRecord record = Of(store::RecordType::Text);
  record.memo = "late";
  clipboard_.HoldBusy(50);
  busyOpens_ = 50;
  EXPECT_EQ(Paste(record).end, PasteEnd::Pasted);
  EXPECT_EQ(pastedText_, Z("late"));
  EXPECT_TRUE(host_.messages.empty());

  // Busy for good: the action stops at once, the window stays.
  const std::int64_t start = input_.clock.now;
  const std::size_t keys = input_.Sent().size();
  clipboard_.HoldBusy(100000);
  const int opensBefore = clipboard_.OpenCalls();
  EXPECT_EQ(action_.CopyClose(record, {false, 0, kTarget}).end, PasteEnd::ClipboardBusy);
  EXPECT_EQ(host_.messages, std::vector<std::string>{kCannotOpenClipboard});
  EXPECT_EQ(host_.hides, 1);
  EXPECT_EQ(input_.Sent().size(), keys);
  EXPECT_GE(input_.clock.now - start, kClipboardOpenLimitMs);
  EXPECT_LE(input_.clock.now - start, kClipboardOpenLimitMs + kPollStepMs);
  EXPECT_GE(clipboard_.OpenCalls() - opensBefore, 100);
}

TEST_F(PasteActionTest, RestoreThatCannotOpenTheClipboardLeavesTheRecord) {
  PasteRecord record = Of(store::RecordType::Text);
  record.memo = "stays";
  target_.onKey = [this](const KeyEvent& e) {
    if (e.key == vk::kControl && e.release) clipboard_.HoldBusy(100000);
  };
  const PasteResult result = action_.CopyClose(record, {false, 0, kTarget});
  EXPECT_EQ(result.end, PasteEnd::Pasted);
  EXPECT_FALSE(result.restored);
  EXPECT_EQ(host_.messages, std::vector<std::string>{kCannotOpenClipboard});
  EXPECT_EQ(clipboard_.Peek(clip::kText), Z("stays"));
  EXPECT_FALSE(clipboard_.IsOpen());
}

TEST(RecordFromRowTest, ReadsTheCurrentRowAndKeepsANullFileNameApartFromAnEmptyOne) {
  store::DataTable records{store::RecordsSchema()};
  records.CreateEmpty();
  records.Append();
  records.Set("Type", 20);
  records.Set("Memo", "memo");
  records.Set("FilePosition", 12);
  records.Set("Size", 34);
  records.Set("Blob", store::Value::Blob(B("snap")));
  records.Post();
  PasteRecord record = RecordFromRow(records);
  EXPECT_EQ(record.type, store::RecordType::ClipboardInBlob);
  EXPECT_EQ(record.memo, "memo");
  EXPECT_EQ(record.extent, (store::BlobExtent{12, 34}));
  EXPECT_EQ(record.blob, B("snap"));
  EXPECT_FALSE(record.fileName.has_value());

  records.Edit();
  records.Set("FileName", "");
  records.Post();
  EXPECT_EQ(RecordFromRow(records).fileName, std::optional<std::string>(""));
}

}  // namespace
}  // namespace tembric::paste
