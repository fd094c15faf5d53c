#pragma once
// The chain of clipboard viewers: each window in it hears of every change of
// the clipboard and must hand the notice on to the window after it.

#include "platform/WindowSystem.h"

namespace tembric::platform {

class ClipboardViewerChain {
 public:
  virtual ~ClipboardViewerChain() = default;
  // Puts `self` at the head of the chain; the window that follows it (the
  // former head), or kNoWindow.
  virtual WindowHandle Join(WindowHandle self) = 0;
  // Takes `self` out of the chain; `next` is the window that followed it.
  virtual void Leave(WindowHandle self, WindowHandle next) = 0;
  // Hands the clipboard-changed notice to `next` and returns when it has
  // handled it.
  virtual void ForwardChange(WindowHandle next) = 0;
  // Hands on the notice that `leaving` leaves the chain and `following`
  // takes its place.
  virtual void ForwardLeave(WindowHandle next, WindowHandle leaving, WindowHandle following) = 0;
};

#ifdef _WIN32
// SetClipboardViewer, ChangeClipboardChain and SendMessageA.
ClipboardViewerChain& RealClipboardViewerChain();
#endif

}  // namespace tembric::platform
