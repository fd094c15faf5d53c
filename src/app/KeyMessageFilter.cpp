#include "app/KeyMessageFilter.h"

#include <string>

#include "app/Trace.h"

namespace tembric::app {

bool KeyMessageFilter::Take(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) {
  if (message == 0) return false;
  if (message == keyMessage_) {
    if (handler_) handler_(wParam, lParam);
    return true;
  }
  if (otherMessages_) otherMessages_();
  if (message == restoredMessage_) {
    Trace("Keyboard hook lost and installed again (" + std::to_string(wParam) + ")");
    return true;
  }
  return false;
}

}  // namespace tembric::app
