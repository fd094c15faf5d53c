#include <windows.h>

#include "platform/ClipboardViewer.h"

namespace tembric::platform {
namespace {

HWND ToHwnd(WindowHandle window) { return reinterpret_cast<HWND>(window); }

class Win32ClipboardViewerChain final : public ClipboardViewerChain {
 public:
  WindowHandle Join(WindowHandle self) override {
    return reinterpret_cast<WindowHandle>(SetClipboardViewer(ToHwnd(self)));
  }
  void Leave(WindowHandle self, WindowHandle next) override { ChangeClipboardChain(ToHwnd(self), ToHwnd(next)); }
  void ForwardChange(WindowHandle next) override { SendMessageA(ToHwnd(next), WM_DRAWCLIPBOARD, 0, 0); }
  void ForwardLeave(WindowHandle next, WindowHandle leaving, WindowHandle following) override {
    SendMessageA(ToHwnd(next), WM_CHANGECBCHAIN, static_cast<WPARAM>(leaving), static_cast<LPARAM>(following));
  }
};

}  // namespace

ClipboardViewerChain& RealClipboardViewerChain() {
  static Win32ClipboardViewerChain chain;
  return chain;
}

}  // namespace tembric::platform
