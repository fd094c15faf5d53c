#include "app/win32/Window.h"

#include <stdexcept>

#include "app/win32/MessageBoxes.h"
#include "app/win32/Resource.h"

namespace tembric::app::win32 {
namespace {

void RegisterOnce(const char* className, HBRUSH background, WNDPROC proc) {
  const HINSTANCE instance = GetModuleHandleA(nullptr);
  WNDCLASSEXA existing{};
  existing.cbSize = sizeof(existing);
  if (GetClassInfoExA(instance, className, &existing)) return;
  WNDCLASSEXA wc{};
  wc.cbSize = sizeof(wc);
  wc.style = CS_HREDRAW | CS_VREDRAW;
  wc.lpfnWndProc = proc;
  wc.hInstance = instance;
  wc.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(IDI_TEMBRIC));
  wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  wc.hbrBackground = background;
  wc.lpszClassName = className;
  wc.hIconSm = static_cast<HICON>(LoadImageA(instance, MAKEINTRESOURCEA(IDI_TEMBRIC), IMAGE_ICON,
                                             GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), 0));
  if (!RegisterClassExA(&wc)) throw std::runtime_error(std::string("Cannot register window class ") + className);
}

}  // namespace

bool ChildControl::OnNotify(NMHDR*, LRESULT*) { return false; }

bool ChildControl::OnCommand(WORD) { return false; }

Window::~Window() {
  if (hwnd_) DestroyWindow(hwnd_);
}

void Window::Create(const WindowCreateArgs& args) {
  RegisterOnce(args.className, args.background, &Window::StaticWindowProc);
  const DWORD style = args.style & ~WS_VISIBLE;
  int width = args.width;
  int height = args.height;
  if (args.clientSize) {
    RECT r{0, 0, args.width, args.height};
    AdjustWindowRectEx(&r, style, FALSE, args.exStyle);
    width = r.right - r.left;
    height = r.bottom - r.top;
  }
  const HWND hwnd = CreateWindowExA(args.exStyle, args.className, args.title.c_str(), style, args.x, args.y, width,
                                    height, args.owner, nullptr, GetModuleHandleA(nullptr), this);
  if (!hwnd) throw std::runtime_error(std::string("Cannot create window ") + args.className);
}

void Window::SetText(const std::string& text) { SetWindowTextA(hwnd_, text.c_str()); }

void Window::Hide() { ShowWindow(hwnd_, SW_HIDE); }

bool Window::IsVisible() const { return hwnd_ && IsWindowVisible(hwnd_); }

LRESULT Window::OnMessage(UINT msg, WPARAM wp, LPARAM lp) { return DefaultHandling(msg, wp, lp); }

LRESULT Window::DefaultHandling(UINT msg, WPARAM wp, LPARAM lp) { return DefWindowProcA(hwnd_, msg, wp, lp); }

bool Window::ForwardToChild(UINT msg, WPARAM wp, LPARAM lp, LRESULT* result) {
  if (msg == WM_NOTIFY) {
    auto* header = reinterpret_cast<NMHDR*>(lp);
    for (ChildControl* child : children_)
      if (child->ControlHwnd() == header->hwndFrom) return child->OnNotify(header, result);
  } else if (msg == WM_COMMAND && lp != 0) {
    const auto from = reinterpret_cast<HWND>(lp);
    for (ChildControl* child : children_) {
      if (child->ControlHwnd() != from) continue;
      *result = 0;
      return child->OnCommand(HIWORD(wp));
    }
  }
  return false;
}

LRESULT CALLBACK Window::StaticWindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  Window* self = nullptr;
  if (msg == WM_NCCREATE) {
    self = static_cast<Window*>(reinterpret_cast<CREATESTRUCTA*>(lp)->lpCreateParams);
    self->hwnd_ = hwnd;
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  } else {
    self = reinterpret_cast<Window*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
  }
  // Messages before WM_NCCREATE (WM_GETMINMAXINFO) have no object yet.
  if (!self) return DefWindowProcA(hwnd, msg, wp, lp);

  LRESULT result = 0;
  const bool ran = RunGuarded([&] {
    if (!self->ForwardToChild(msg, wp, lp, &result)) result = self->OnMessage(msg, wp, lp);
  });
  if (!ran) result = DefWindowProcA(hwnd, msg, wp, lp);

  if (msg == WM_NCDESTROY) {
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
    self->hwnd_ = nullptr;
  }
  return result;
}

}  // namespace tembric::app::win32
