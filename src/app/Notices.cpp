#include "app/Notices.h"

#include <exception>

namespace tembric::app {

bool RunHandler(Notices& notices, const std::function<void()>& handler) noexcept {
  std::string text;
  try {
    handler();
    return true;
  } catch (const std::exception& e) {
    text = e.what();
  } catch (...) {
    text = "Unknown error";
  }
  // Shown outside the catch blocks: a notice may pump messages, and another
  // handler failing meanwhile must not find this exception still in flight.
  try {
    notices.Show(NoticeKind::Plain, text);
  } catch (...) {
    // Nothing is left to tell the user with.
  }
  return false;
}

}  // namespace tembric::app
