#include "paste/PasteAction.h"

#include <algorithm>
#include <cctype>
#include <exception>
#include <optional>
#include <utility>

#include "platform/FileSystem.h"
#include "plugins/PluginCalls.h"
#include "store/ClipboardSnapshot.h"
#include "store/DataTable.h"

namespace tembric::paste {
namespace {

using platform::VirtualKey;

class ContentError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Closes the clipboard on every path out of a step.
class OpenedClipboard {
 public:
  explicit OpenedClipboard(platform::Clipboard& clipboard) : clipboard_(clipboard) {}
  ~OpenedClipboard() { clipboard_.Close(); }
  OpenedClipboard(const OpenedClipboard&) = delete;
  OpenedClipboard& operator=(const OpenedClipboard&) = delete;

 private:
  platform::Clipboard& clipboard_;
};

std::string TextOf(const platform::ClipData& data) {
  if (data.kind != platform::ClipData::Kind::Memory) return {};
  auto end = std::find(data.bytes.begin(), data.bytes.end(), std::uint8_t{0});
  return std::string(data.bytes.begin(), end);
}

// The keys whose being held delays Ctrl+V: digits, letters, Ctrl and Alt.
bool AnyPasteKeyDown(platform::Input& input) {
  for (VirtualKey key = '0'; key <= '9'; ++key)
    if (input.IsKeyDown(key)) return true;
  for (VirtualKey key = 'A'; key <= 'Z'; ++key)
    if (input.IsKeyDown(key)) return true;
  return input.IsKeyDown(platform::vk::kControl) || input.IsKeyDown(platform::vk::kMenu);
}

std::optional<std::uint32_t> ParseHex(const std::string& text) {
  if (text.empty() || text.size() > 8) return std::nullopt;
  std::uint32_t value = 0;
  for (char c : text) {
    int digit;
    if (c >= '0' && c <= '9')
      digit = c - '0';
    else if (c >= 'a' && c <= 'f')
      digit = c - 'a' + 10;
    else if (c >= 'A' && c <= 'F')
      digit = c - 'A' + 10;
    else
      return std::nullopt;
    value = value * 16 + static_cast<std::uint32_t>(digit);
  }
  return value;
}

}  // namespace

PasteRecord RecordFromRow(const store::DataTable& records) {
  PasteRecord record;
  record.type = static_cast<store::RecordType>(records.AsInteger("Type"));
  record.memo = records.AsString("Memo");
  if (!records.IsNull("FileName")) record.fileName = records.AsString("FileName");
  record.extent = store::CurrentExtent(records);
  record.blob = records.AsBytes("Blob");
  return record;
}

std::string TextFileLines(std::span<const std::uint8_t> bytes) {
  std::string out;
  std::string line;
  bool inLine = false;
  for (std::size_t i = 0; i < bytes.size() && bytes[i] != 0; ++i) {
    const char c = static_cast<char>(bytes[i]);
    if (c == '\r' || c == '\n') {
      out += line + "\r\n";
      line.clear();
      inLine = false;
      if (c == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') ++i;
    } else {
      line += c;
      inLine = true;
    }
  }
  if (inLine) out += line + "\r\n";
  return out;
}

std::optional<ImageFormat> ImageFormatOfName(const std::string& fileName) {
  const std::size_t slash = fileName.find_last_of("\\/");
  const std::size_t dot = fileName.find_last_of('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return std::nullopt;
  std::string ext = fileName.substr(dot);
  std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return std::tolower(c); });
  if (ext == ".jpg" || ext == ".jpeg") return ImageFormat::Jpeg;
  if (ext == ".bmp") return ImageFormat::Bmp;
  return std::nullopt;
}

bool PasteAction::OpenClipboard() {
  const std::int64_t deadline = s_.clock.NowMs() + kClipboardOpenLimitMs;
  while (!s_.clipboard.Open(s_.owner)) {
    if (s_.clock.NowMs() >= deadline) return false;
    s_.clock.SleepMs(kPollStepMs);
  }
  return true;
}

void PasteAction::SetClipboardLocale() {
  const std::uint32_t language = ParseHex(s_.input.SystemDefaultLanguage()).value_or(kFallbackLanguage);
  const std::uint8_t block[4] = {static_cast<std::uint8_t>(language), static_cast<std::uint8_t>(language >> 8),
                                 static_cast<std::uint8_t>(language >> 16), static_cast<std::uint8_t>(language >> 24)};
  s_.clipboard.SetData(platform::clip::kLocale, block);  // a refusal is ignored
}

void PasteAction::PlaceText(const std::string& text) {
  std::vector<std::uint8_t> bytes(text.begin(), text.end());
  bytes.push_back(0);
  if (!content_->Empty() || !content_->SetData(platform::clip::kText, bytes))
    throw ContentError("the clipboard refused the text");
}

void PasteAction::PlaceImage(ImageFormat format, std::span<const std::uint8_t> bytes) {
  const std::vector<std::uint8_t> dib = s_.decoder.DecodeToDib(format, bytes);
  if (!OpenClipboard()) throw ContentError(kCannotOpenClipboard);
  const OpenedClipboard opened(s_.clipboard);
  if (!content_->Empty() || !content_->SetBitmap(dib)) throw ContentError("the clipboard refused the image");
}

PasteAction::Placed PasteAction::PlaceLinkedFile(const PasteRecord& record) {
  // No name, a name that is not there, or one that names a folder: nothing to paste.
  if (!record.fileName || record.fileName->empty()) return Placed::NothingToPaste;
  const std::optional<platform::FileStamp> stamp = s_.files.Stamp(*record.fileName);
  if (!stamp || stamp->folder) return Placed::NothingToPaste;
  if (record.type == store::RecordType::TextFileLink) {
    const std::string text = TextFileLines(s_.files.ReadAll(*record.fileName));
    if (!OpenClipboard()) throw ContentError(kCannotOpenClipboard);
    const OpenedClipboard opened(s_.clipboard);
    PlaceText(text);
    return Placed::SendKeys;
  }
  if (const std::optional<ImageFormat> format = ImageFormatOfName(*record.fileName))
    PlaceImage(*format, s_.files.ReadAll(*record.fileName));
  return Placed::SendKeys;
}

PasteAction::Placed PasteAction::PlaceContent(const PasteRecord& record) {
  switch (record.type) {
    case store::RecordType::Text: {
      s_.host.Trace("CopyClose: Memo: " + record.memo);
      if (!OpenClipboard()) throw ContentError(kCannotOpenClipboard);
      const OpenedClipboard opened(s_.clipboard);
      PlaceText(record.memo);
      SetClipboardLocale();
      return Placed::SendKeys;
    }
    case store::RecordType::Image:
      PlaceImage(ImageFormat::Bmp, store::ReadBlobExtent(s_.blobFile, record.extent));
      return Placed::SendKeys;
    case store::RecordType::Plugin:
      try {
        if (!plugins::GetPluginResult(s_.libraries, record.pluginLibrary, record.pluginIndex, s_.hotkeys))
          return Placed::Declined;
        if (content_ != &s_.clipboard) OfferPluginContent();
        return Placed::SendKeys;
      } catch (const plugins::PluginError& e) {
        s_.host.ShowMessage(e.what());
        return Placed::Declined;
      }
    case store::RecordType::TextFileLink:
    case store::RecordType::ImageFileLink:
      return PlaceLinkedFile(record);
    case store::RecordType::ClipboardInRow:
      RestoreSnapshot(record.blob);
      return Placed::SendKeys;
    case store::RecordType::ClipboardInBlob:
      RestoreSnapshot(store::ReadBlobExtent(s_.blobFile, record.extent));
      return Placed::SendKeys;
    default:  // folders and unknown types place nothing
      return Placed::SendKeys;
  }
}

void PasteAction::RestoreSnapshot(std::span<const std::uint8_t> snapshot) {
  // Opened here, so that another program holding the clipboard for a moment
  // gets the same second to let go as in the other steps.
  if (!OpenClipboard()) throw ContentError(kCannotOpenClipboard);
  const OpenedClipboard opened(s_.clipboard);
  store::RestoreOpenClipboard(*content_, snapshot);
}

void PasteAction::OfferPluginContent() {
  if (!OpenClipboard()) return;  // then it is pasted as placed, and restored on time
  const OpenedClipboard opened(s_.clipboard);
  const std::vector<platform::ClipFormat> formats = s_.clipboard.EnumFormats();
  // A GDI object (a bitmap) cannot be taken as bytes: left as placed.
  if (formats.empty() || !std::all_of(formats.begin(), formats.end(), platform::clip::IsMemoryFormat)) return;
  std::vector<std::uint8_t> snapshot;
  store::VectorSink sink(snapshot);
  store::CaptureClipboard(s_.clipboard, sink);
  store::RestoreOpenClipboard(*content_, snapshot);
}

void PasteAction::WaitForTargetRead(platform::WindowHandle target) {
  const std::int64_t now = s_.clock.NowMs();
  const std::int64_t deadline = now + kTargetReadLimitMs;
  const std::int64_t fixedDelayEnd = now + kRestoreDelayMs;
  while (!s_.offer->ReadByTarget()) {
    if (!s_.offer->Offering()) {  // another program emptied the clipboard: nothing left to read
      s_.host.Trace("CopyClose: the clipboard was taken over before the target read it");
      return;
    }
    // Once another program rendered the content first, the target's read is
    // not seen any more: the fixed wait is all that is left.
    if (s_.offer->ReadByOther() && s_.clock.NowMs() >= fixedDelayEnd) {
      s_.host.Trace("CopyClose: another program read the clipboard first");
      return;
    }
    if (s_.clock.NowMs() >= deadline) {
      s_.host.Trace("CopyClose: the target did not read the clipboard");
      return;
    }
    s_.clock.SleepMs(kPollStepMs);
  }
  // The read came from inside the target's handling of Ctrl+V, which may
  // read again (another format, or once to look and once to paste).
  const bool done = s_.input.WaitForMessageDone(target, kTargetFinishLimitMs);
  s_.host.Trace("CopyClose: the target read the clipboard after " + std::to_string(s_.clock.NowMs() - now) + " ms" +
                (done ? "" : ", and did not finish its paste"));
}

bool PasteAction::WaitForKeyRelease() {
  const std::int64_t deadline = s_.clock.NowMs() + kKeyReleaseLimitMs;
  for (;;) {
    s_.input.RefreshKeyState();
    if (!AnyPasteKeyDown(s_.input)) return true;
    if (s_.clock.NowMs() >= deadline) return false;
    s_.clock.SleepMs(kPollStepMs);
  }
}

bool PasteAction::HoldsForeground(platform::WindowHandle target) {
  const platform::WindowHandle front = s_.input.ForegroundWindow();
  if (front == platform::kNoWindow) return false;
  if (front == target) return true;
  // Keys go to the focus of the foreground window's thread: a dialog or
  // another window of the target's thread receives them as the target would.
  const std::uint32_t thread = s_.input.ThreadOf(target);
  return thread != 0 && s_.input.ThreadOf(front) == thread;
}

bool PasteAction::TargetInFront(platform::WindowHandle target, std::int64_t settledAt, PasteResult& result) {
  if (target == platform::kNoWindow) {
    s_.host.Trace("CopyClose: no target window, no keys");
    return false;
  }
  const std::int64_t deadline = s_.clock.NowMs() + kForegroundLimitMs;
  int retries = 0;
  for (;;) {
    if (HoldsForeground(target)) {
      if (s_.clock.NowMs() >= settledAt) break;
    } else {
      if (s_.clock.NowMs() >= deadline) {
        result.foregroundRetries += retries;
        s_.host.Trace("CopyClose: target not in front after " + std::to_string(retries) + " retries, no keys");
        return false;
      }
      ++retries;
      s_.input.SetForegroundWindow(target);
      settledAt = s_.clock.NowMs() + kForegroundSettleMs;
    }
    s_.clock.SleepMs(kPollStepMs);
  }
  result.foregroundRetries += retries;
  if (retries > 0) s_.host.Trace("CopyClose: target in front after " + std::to_string(retries) + " retries");
  return true;
}

void PasteAction::SendPress(VirtualKey key, bool release) {
  s_.input.SendKey({key, s_.input.ScanCodeOf(key), release});
}

PasteResult PasteAction::CopyClose(const PasteRecord& record, const PasteRequest& request) {
  PasteResult result;
  s_.host.Trace("CopyClose");

  // A keystroke was typed into the target, which should still hold the
  // foreground. Backspaces that cannot reach it are not sent, and then
  // nothing is pasted: the clipboard is left as it is.
  if (request.fromKeystroke && !TargetInFront(request.targetWindow, s_.clock.NowMs(), result)) {
    result.end = PasteEnd::TargetNotInFront;
    return result;
  }

  // 1. Save the user's clipboard text.
  std::string savedText;
  if (!OpenClipboard()) {
    s_.host.ShowMessage(kCannotOpenClipboard);
    result.end = PasteEnd::ClipboardBusy;
    return result;
  }
  {
    const OpenedClipboard opened(s_.clipboard);
    SetClipboardLocale();
    savedText = TextOf(s_.clipboard.GetData(platform::clip::kText));
  }

  // 2. Erase a typed keystroke (the target has the focus), or hide the window.
  if (request.fromKeystroke) {
    s_.host.Trace("CopyClose: Backspace x" + std::to_string(request.keystrokeLength + 2));
    for (std::size_t i = 0; i < request.keystrokeLength + 2; ++i) {
      SendPress(platform::vk::kBack, false);
      SendPress(platform::vk::kBack, true);
    }
  } else {
    s_.host.HideMainWindow();
  }

  // 3. The content step. While the user's text is to come back, the content
  // is offered without data, so that the target's read can be seen.
  const bool restore = s_.host.RestoreText();
  std::optional<OfferingClipboard> offering;
  if (restore && s_.offer) {
    s_.offer->Begin(s_.input.ThreadOf(request.targetWindow));
    content_ = &offering.emplace(s_.clipboard, *s_.offer);
  }
  Placed placed = Placed::SendKeys;
  try {
    placed = PlaceContent(record);
  } catch (const std::exception& e) {
    s_.host.Trace(std::string("CopyClose: ") + e.what());
    s_.host.ShowMessage(kErrorInAction);
  }
  content_ = &s_.clipboard;
  const bool offered = s_.offer && s_.offer->Offering();

  // 4-5. Focus back to the target (the hotkeys are open again: the plugin
  // call's guard has ended).
  s_.input.EnableWindow(request.targetWindow);
  s_.input.SetForegroundWindow(request.targetWindow);
  const std::int64_t settledAt = s_.clock.NowMs() + kForegroundSettleMs;

  // 6. Ctrl+V once the user has let go of the keys and the target holds the
  // foreground; keys sent anywhere else would paste into the wrong window.
  if (placed != Placed::SendKeys) {
    result.end = PasteEnd::NoKeys;
  } else if (!WaitForKeyRelease()) {
    s_.host.Trace("CopyClose: keys still held, no Ctrl+V");
    result.end = PasteEnd::KeysStillHeld;
  } else if (!TargetInFront(request.targetWindow, settledAt, result)) {
    result.end = PasteEnd::TargetNotInFront;
  } else {
    s_.host.Trace("CopyClose: Ctrl+V");
    SendPress(platform::vk::kControl, false);
    SendPress(platform::vk::kV, false);
    SendPress(platform::vk::kV, true);
    SendPress(platform::vk::kControl, true);
    result.end = PasteEnd::Pasted;
  }

  // 7. Put the saved text back once the target has read the content: at
  // once when no Ctrl+V went out.
  if (!restore) return result;
  if (result.end == PasteEnd::Pasted) {
    if (offered)
      WaitForTargetRead(request.targetWindow);
    else
      s_.clock.SleepMs(kRestoreDelayMs);
  }
  if (!OpenClipboard()) {
    s_.host.ShowMessage(kCannotOpenClipboard);
    return result;
  }
  const OpenedClipboard opened(s_.clipboard);
  try {
    PlaceText(savedText);  // on the clipboard itself, which ends the offer
    SetClipboardLocale();
    result.restored = true;
  } catch (const ContentError& e) {
    s_.host.Trace(std::string("CopyClose: ") + e.what());
  }
  if (s_.offer) s_.offer->Clear();
  return result;
}

}  // namespace tembric::paste
