#pragma once
// The program the user pastes into. Ctrl+V (V pressed while Ctrl is down)
// makes it open the clipboard as its window and read the text, or the bitmap
// as a DIB when there is no text, as an editor does: at once, or `lagMs`
// later on the input's clock, as a loaded program gets round to its queue.
// It reads through FakeClipboard::ReadAs, so content offered without data is
// rendered by the owner then.

#include <cstdint>
#include <functional>
#include <optional>
#include <utility>
#include <vector>

#include "fakes/FakeClipboard.h"
#include "fakes/FakeInput.h"

namespace tembric::fakes {

class FakeTarget {
 public:
  using Bytes = std::vector<std::uint8_t>;
  struct Paste {
    std::optional<Bytes> text;                  // CF_TEXT with its zero
    std::optional<Bytes> dib;                   // when there was no text
    std::vector<platform::ClipFormat> formats;  // on offer when it pasted
  };

  FakeTarget(FakeInput& input, FakeClipboard& clipboard, platform::WindowHandle window)
      : input_(input), clipboard_(clipboard), window_(window) {
    Attach();
  }
  FakeTarget(const FakeTarget&) = delete;
  FakeTarget& operator=(const FakeTarget&) = delete;

  // Installs the hook and the clock's watch again (after the input was replaced).
  void Attach() {
    input_.InstallHook([this](const platform::KeyEvent& e, bool) { OnKey(e); });
    previousOnSleep_ = input_.clock.onSleep;
    input_.clock.onSleep = [this](int ms) {
      if (previousOnSleep_) previousOnSleep_(ms);
      if (dueAt_ && input_.clock.now >= *dueAt_) ReadNow();
    };
  }

  int lagMs = 0;
  std::vector<Paste> pastes;
  std::function<void(const Paste&)> onPaste;
  std::function<void(const platform::KeyEvent&)> onKey;  // every key, before the target acts on it

 private:
  void OnKey(const platform::KeyEvent& e) {
    if (onKey) onKey(e);
    if (e.key == platform::vk::kControl) ctrlDown_ = !e.release;
    if (e.key != platform::vk::kV || e.release || !ctrlDown_) return;
    if (lagMs <= 0)
      ReadNow();
    else
      dueAt_ = input_.clock.now + lagMs;
  }

  void ReadNow() {
    dueAt_.reset();
    Paste paste;
    if (clipboard_.Open(window_)) {
      paste.formats = clipboard_.EnumFormats();
      clipboard_.Close();
    }
    if (clipboard_.IsFormatAvailable(platform::clip::kText))
      paste.text = clipboard_.ReadAs(window_, platform::clip::kText);
    else if (clipboard_.IsFormatAvailable(platform::clip::kBitmap))
      paste.dib = clipboard_.ReadAs(window_, platform::clip::kDib);
    pastes.push_back(paste);
    if (onPaste) onPaste(pastes.back());
  }

  FakeInput& input_;
  FakeClipboard& clipboard_;
  platform::WindowHandle window_;
  std::function<void(int)> previousOnSleep_;
  bool ctrlDown_ = false;
  std::optional<std::int64_t> dueAt_;
};

}  // namespace tembric::fakes
