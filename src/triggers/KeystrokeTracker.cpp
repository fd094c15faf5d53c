#include "triggers/KeystrokeTracker.h"

#include <utility>

#include "platform/VirtualKeys.h"

namespace tembric::triggers {
namespace {

namespace vk = platform::vk;

// Page Up, End and the arrows end an abbreviation: the caret moved away from
// it. Page Down and Home do not.
bool EndsCollecting(std::uintptr_t key) {
  return key == vk::kPageUp || key == vk::kEnd || (key >= vk::kLeft && key <= vk::kDown);
}

bool Released(const KeyMessage& message) { return (static_cast<std::uint32_t>(message.lParam) & kKeyReleased) != 0; }

}  // namespace

std::optional<std::int64_t> KeystrokeTracker::LastKeyEventTime() const {
  if (!last_) return std::nullopt;
  return last_->atMs;
}

void KeystrokeTracker::Stop(KeystrokeActions& actions) {
  collecting_ = false;
  buffer_.clear();
  actions.trayImage = kTrayNormal;
}

KeystrokeActions KeystrokeTracker::Cancel() {
  KeystrokeActions actions;
  Stop(actions);
  return actions;
}

KeystrokeActions KeystrokeTracker::OnKeyMessage(const KeyMessage& message, char keyCharacter, std::int64_t nowMs,
                                                bool recordDialogShowing) {
  KeystrokeActions actions;
  if (!Released(message)) return actions;
  // The hook may deliver one event twice; a different key is a new event
  // however soon it comes (two keys released together while typing fast).
  if (last_ && last_->message == message) {
    const std::int64_t since = nowMs - last_->atMs;
    if (since <= kDuplicateWindowMs && since >= -kDuplicateWindowMs) return actions;
  }
  last_ = Acted{message, nowMs};
  actions.acted = true;

  char ch = keyCharacter;
  const std::uintptr_t key = message.wParam;
  if (key == vk::kReturn) {
    ch = ' ';
  } else if (key == vk::kBack && collecting_) {
    if (buffer_.empty()) {
      Stop(actions);
    } else {
      buffer_.pop_back();
    }
  } else if (EndsCollecting(key) && collecting_) {
    Stop(actions);
  } else if (ch == '=' && !recordDialogShowing) {
    collecting_ = true;
    buffer_.clear();
    actions.trayImage = kTrayCollecting;
  } else if (collecting_ && ch != 0) {
    buffer_ += ch;
  }

  if (collecting_ && buffer_.size() < 2 && ch == ' ') Stop(actions);
  actions.shownBuffer = buffer_;

  if (!recordDialogShowing && collecting_ && ch == ' ' && buffer_.size() > 1) {
    actions.lookUp = std::move(buffer_);
    Stop(actions);
  }
  return actions;
}

}  // namespace tembric::triggers
