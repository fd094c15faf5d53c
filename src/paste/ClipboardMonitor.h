#pragma once
// The main window's place in the clipboard viewer chain: on every change of
// the clipboard it lists the formats now on offer, for the debug window, and
// hands the notice on to the viewer after it.

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/Clipboard.h"
#include "platform/ClipboardViewer.h"
#include "platform/Clock.h"

namespace tembric::paste {

// A format as the listing names it: its registered name when it has one,
// else the predefined name ("CF_TEXT", "CF_PRIVATEFIRST", ...), else its
// number in decimal.
std::string ClipboardFormatLabel(platform::ClipFormat format, const std::optional<std::string>& registeredName);

// Where the listing goes: replaces the previous one.
class ClipboardListingView {
 public:
  virtual ~ClipboardListingView() = default;
  virtual void ShowClipboardFormats(const std::vector<std::string>& formats) = 0;
};

struct ClipboardMonitorDeps {
  platform::ClipboardViewerChain& chain;
  platform::Clipboard& clipboard;
  platform::Clock& clock;
  ClipboardListingView& listing;
  std::function<platform::WindowHandle()> self;  // the main window, once it exists
};

class ClipboardMonitor {
 public:
  explicit ClipboardMonitor(ClipboardMonitorDeps deps) : d_(std::move(deps)) {}

  // At the main window's creation and destruction.
  void Join();
  void Leave();

  // The clipboard changed: lists its formats in enumeration order, then
  // forwards. A clipboard that stays held by another program (retried for
  // a second) throws "Cannot open clipboard", and nothing is forwarded.
  void ClipboardChanged();
  // `leaving` leaves the chain and `following` took its place.
  void ChainChanged(platform::WindowHandle leaving, platform::WindowHandle following);

  platform::WindowHandle NextViewer() const { return next_; }

 private:
  std::vector<std::string> ListFormats();

  ClipboardMonitorDeps d_;
  platform::WindowHandle next_ = platform::kNoWindow;
  bool joined_ = false;
};

}  // namespace tembric::paste
