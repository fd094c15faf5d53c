#pragma once
// Collects an abbreviation typed in any application from the key messages of
// the keyboard hook: "=" starts it, its keys follow, and a space or Enter asks
// for the lookup. The tracker only decides; it returns what the program has
// to do (tray image, debug display, lookup) as plain values.

#include <cstdint>
#include <optional>
#include <string>

namespace tembric::triggers {

// One key message of the hook: wParam the virtual-key code, lParam the
// keystroke flags (bit 31 set when the key is released).
struct KeyMessage {
  std::uintptr_t wParam = 0;
  std::intptr_t lParam = 0;
  bool operator==(const KeyMessage&) const = default;
};

// The release flag of a key message's flags.
inline constexpr std::uint32_t kKeyReleased = 0x8000'0000u;

// A delivery of the message acted on last, repeated this soon (in ms), is the
// same key event and is ignored.
inline constexpr std::int64_t kDuplicateWindowMs = 10;

// Tray images: the normal one, and the one shown while collecting.
inline constexpr int kTrayNormal = 0;
inline constexpr int kTrayCollecting = 1;

// What a key message or a cancel asks the program to do.
struct KeystrokeActions {
  // The message was taken as a key event (a release, not a duplicate).
  bool acted = false;
  // The debug window's keystroke box shows this.
  std::optional<std::string> shownBuffer;
  // The collected abbreviation to look up; the tracker is idle again.
  std::optional<std::string> lookUp;
  // The tray image to show, after the lookup when there is one.
  std::optional<int> trayImage;
};

class KeystrokeTracker {
 public:
  // One key message. `keyCharacter` is the character of the message's key
  // without modifiers (0 when none); `recordDialogShowing` stops "=" from
  // starting and the space from looking up, so that the dialog's own
  // keystroke field can be typed into.
  KeystrokeActions OnKeyMessage(const KeyMessage& message, char keyCharacter, std::int64_t nowMs,
                                bool recordDialogShowing);
  // Stops collecting and clears the buffer (the program became active, or
  // the foreground window changed); the tray image goes back to normal.
  KeystrokeActions Cancel();

  bool Collecting() const { return collecting_; }
  const std::string& Buffer() const { return buffer_; }
  // When the last message acted on came; none yet.
  std::optional<std::int64_t> LastKeyEventTime() const;

 private:
  struct Acted {
    KeyMessage message;
    std::int64_t atMs = 0;
  };
  void Stop(KeystrokeActions& actions);

  bool collecting_ = false;
  std::string buffer_;
  std::optional<Acted> last_;
};

}  // namespace tembric::triggers
