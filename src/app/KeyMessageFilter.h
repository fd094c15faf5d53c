#pragma once
// The first stop of every message the program's message loop takes from its
// queue, before accelerators, translation and dispatch: the keyboard hook's
// key messages go to the handler and are never dispatched; the library's
// notice that it installed its hook again goes to the debug log.

#include <cstdint>
#include <functional>
#include <utility>

namespace tembric::app {

class KeyMessageFilter {
 public:
  using Handler = std::function<void(std::uintptr_t wParam, std::intptr_t lParam)>;

  // The exchange's registered message ids; 0 is no message.
  KeyMessageFilter(std::uint32_t keyMessage, std::uint32_t restoredMessage)
      : keyMessage_(keyMessage), restoredMessage_(restoredMessage) {}

  // Receives the key messages from now on; until one is set they are dropped.
  void SetHandler(Handler handler) { handler_ = std::move(handler); }
  // Hears every other message the loop takes (the handler hears the key
  // messages): while an abbreviation is being typed, any input counts as the
  // user's activity.
  void SetOtherMessages(std::function<void()> heard) { otherMessages_ = std::move(heard); }

  // True when the message was the hook's and has been handled: the loop
  // does not dispatch it.
  bool Take(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam);

 private:
  std::uint32_t keyMessage_;
  std::uint32_t restoredMessage_;
  Handler handler_;
  std::function<void()> otherMessages_;
};

}  // namespace tembric::app
