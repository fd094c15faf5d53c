#pragma once
// The paste action: puts the current record's content on the clipboard, gives
// the focus back to the window the user came from, sends Ctrl+V there and then
// puts the user's previous clipboard text back.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "paste/ClipboardOffer.h"
#include "platform/Clipboard.h"
#include "platform/Clock.h"
#include "platform/Input.h"
#include "plugins/HotkeyGate.h"
#include "store/BlobFile.h"
#include "store/Tables.h"

namespace tembric::platform {
class FileSystem;
class Libraries;
}  // namespace tembric::platform

namespace tembric::store {
class DataTable;
}

namespace tembric::paste {

inline constexpr const char* kErrorInAction = "Error in action";
inline constexpr const char* kCannotOpenClipboard = "Cannot open clipboard";

// How long after Ctrl+V the user's text goes back when the content could not
// be offered without data (a plugin's bitmap): the target's read is not seen.
inline constexpr int kRestoreDelayMs = 300;
// How long an offered content waits for the target to read it before the
// user's text goes back all the same (a target that ignores Ctrl+V).
inline constexpr int kTargetReadLimitMs = 3000;
// How long the target may take, after its first read, to finish the paste it
// is handling (an application may open the clipboard more than once for it).
inline constexpr int kTargetFinishLimitMs = 1000;
inline constexpr int kPollStepMs = 10;
inline constexpr int kClipboardOpenLimitMs = 1000;
inline constexpr int kKeyReleaseLimitMs = 3000;
// How long the target is asked to come to the front before the keys are
// given up, and how long it must stay there after an activation before keys
// are sent: a window manager can hand the foreground to another window a few
// milliseconds after the system granted it.
inline constexpr int kForegroundLimitMs = 500;
inline constexpr int kForegroundSettleMs = 30;
inline constexpr std::uint32_t kFallbackLanguage = 0x19;

enum class ImageFormat { Bmp, Jpeg };

// Turns the bytes of an image file into a packed device-independent bitmap
// (header, colour table, pixels: the CF_DIB layout, from which the system
// offers CF_BITMAP and, for palette images, CF_PALETTE). Throws on bytes that
// do not decode.
class ImageDecoder {
 public:
  virtual ~ImageDecoder() = default;
  virtual std::vector<std::uint8_t> DecodeToDib(ImageFormat format, std::span<const std::uint8_t> bytes) = 0;
};

// What the action needs from the main window.
class PasteHost {
 public:
  virtual ~PasteHost() = default;
  virtual void HideMainWindow() = 0;
  virtual void ShowMessage(const std::string& text) = 0;
  virtual void Trace(const std::string& line) = 0;
  // The setting Basic/RestoreText (default true), read at every paste.
  virtual bool RestoreText() = 0;
};

// The fields of the record to paste.
struct PasteRecord {
  store::RecordType type = store::RecordType::Text;  // any stored value, known or not
  std::string memo;
  std::optional<std::string> fileName;  // nullopt when the field is null
  store::BlobExtent extent;
  std::vector<std::uint8_t> blob;
  std::string pluginLibrary;  // from the focused node's data
  std::int32_t pluginIndex = 0;
};

// Reads Type, Memo, FileName, FilePosition, Size and Blob from the current row;
// the plugin fields come from the tree node and are left for the caller.
PasteRecord RecordFromRow(const store::DataTable& records);

struct PasteRequest {
  bool fromKeystroke = false;
  std::size_t keystrokeLength = 0;  // characters in the keystroke buffer
  platform::WindowHandle targetWindow = platform::kNoWindow;
};

// What one run did, for the caller's bookkeeping and the tests.
enum class PasteEnd {
  ClipboardBusy,     // the clipboard could not be opened at the start; nothing happened
  Pasted,            // Ctrl+V was sent
  NoKeys,            // nothing to paste, or the plugin declined
  KeysStillHeld,     // the user kept keys down past the time limit; no keys sent
  TargetNotInFront,  // the target (or its thread) never held the foreground; no keys sent
};

struct PasteResult {
  PasteEnd end = PasteEnd::NoKeys;
  bool restored = false;      // the saved text went back on the clipboard
  int foregroundRetries = 0;  // activations repeated because the target was not in front
};

struct PasteServices {
  platform::Clipboard& clipboard;
  platform::Input& input;
  platform::Clock& clock;  // the waits of the paste, and its time limits
  platform::FileSystem& files;
  const store::BlobFile& blobFile;
  platform::Libraries& libraries;
  ImageDecoder& decoder;
  plugins::HotkeyGate& hotkeys;  // closed while a plugin computes the content
  PasteHost& host;
  platform::WindowHandle owner = platform::kNoWindow;  // the clipboard owner (the main window)
  // Where the owner window's render requests go. With it, and while the
  // user's text is to be restored, the content is offered without data and
  // the text goes back once the target has read it; without it, a fixed
  // time after Ctrl+V.
  ClipboardOffer* offer = nullptr;
};

class PasteAction {
 public:
  explicit PasteAction(PasteServices services) : s_(services), content_(&s_.clipboard) {}

  PasteResult CopyClose(const PasteRecord& record, const PasteRequest& request);

  // Puts a CF_LOCALE entry on the already open clipboard; a refusal is ignored.
  void SetClipboardLocale();

 private:
  // What the content step leaves for the keys.
  enum class Placed {
    SendKeys,        // Ctrl+V pastes what is on the clipboard now
    Declined,        // the plugin declined, or failed with its own message
    NothingToPaste,  // no linked file of that name (a folder is none)
  };

  bool OpenClipboard();
  Placed PlaceContent(const PasteRecord& record);
  // Offers what a plugin placed without data, when every format of it is a
  // memory block; otherwise leaves it as placed.
  void OfferPluginContent();
  // Waits, answering render requests, until the target has read the offered
  // content and finished handling the paste, or the time limits have passed.
  void WaitForTargetRead(platform::WindowHandle target);
  Placed PlaceLinkedFile(const PasteRecord& record);
  void PlaceText(const std::string& text);
  void PlaceImage(ImageFormat format, std::span<const std::uint8_t> bytes);
  void RestoreSnapshot(std::span<const std::uint8_t> snapshot);
  bool WaitForKeyRelease();
  // True once `target` or another window of its thread is the foreground
  // window, not before `settledAt` (on the clock), and after each
  // repeated activation only once it has stayed in front for the settle
  // time; activates it again whenever it is not in front, until the limit.
  bool TargetInFront(platform::WindowHandle target, std::int64_t settledAt, PasteResult& result);
  bool HoldsForeground(platform::WindowHandle target);
  void SendPress(platform::VirtualKey key, bool release);

  PasteServices s_;
  // Where PlaceText, PlaceImage and snapshots place: the clipboard, or
  // during the content step one that offers.
  platform::Clipboard* content_;
};

// The text of a linked text file as pasted: lines end at CR, LF or CR LF, a
// zero byte ends the text, and every line is followed by CR LF.
std::string TextFileLines(std::span<const std::uint8_t> bytes);

// The decoder a linked image file's name selects: ".jpg"/".jpeg" JPEG, ".bmp"
// BMP, in any case; nullopt for anything else.
std::optional<ImageFormat> ImageFormatOfName(const std::string& fileName);

}  // namespace tembric::paste
