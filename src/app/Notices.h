#pragma once
// The program's own notices (message boxes with one OK button) and the rule
// that an error raised inside a handler is shown, not passed on.

#include <functional>
#include <string>

namespace tembric::app {

// The kind chooses the box's icon.
enum class NoticeKind {
  Information,  // notices at start-up, the library's opening included
  Warning,      // the record dialog's checks
  Plain,        // everything else: errors in actions and handlers, plugin messages; no icon
};

class Notices {
 public:
  virtual ~Notices() = default;
  // Returns when the user has answered the notice.
  virtual void Show(NoticeKind kind, const std::string& text) = 0;
  // A question with the buttons Yes and No; returns true for Yes once the
  // user has answered. Notices that cannot ask answer No.
  virtual bool Confirm(const std::string& text) {
    (void)text;
    return false;
  }
};

// Runs one handler. An exception it raises ends the handler there: its text
// is shown as a plain notice and false is returned, so that the caller
// carries on with the program. Nothing propagates.
bool RunHandler(Notices& notices, const std::function<void()>& handler) noexcept;

}  // namespace tembric::app
