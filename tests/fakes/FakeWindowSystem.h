#pragma once
// A desktop of windows held in memory, with user32's semantics where the
// identification depends on them: GetParent gives the parent of a child and
// the owner of an owned pop-up (an owned overlapped window has none), window
// texts are cut to the caller's buffer, FindWindow searches top-level windows
// in order and FindWindowEx only the direct children, both comparing class
// names and titles without regard to letter case. Processes whose path
// cannot be read (another user's) give an empty path. Top-level windows are
// kept in z-order: a new one, or one brought to the front, goes in front,
// its owned windows staying in front of it; a window is visible when it and
// its parents are (new windows are shown).

#include <algorithm>
#include <cctype>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/WindowSystem.h"

namespace tembric::fakes {

class FakeWindowSystem : public platform::WindowSystem {
 public:
  using Handle = platform::WindowHandle;

  // A process running `executablePath`; an empty path stands for a process
  // whose executable may not be read. Gives the process id.
  int AddProcess(std::string executablePath) {
    processes_.push_back(std::move(executablePath));
    return static_cast<int>(processes_.size());
  }

  Handle AddTopLevel(int process, std::string className, std::string title) {
    return Add({.process = process, .className = std::move(className), .title = std::move(title)});
  }
  // A top-level window owned by `owner`; dialogs and tool windows are
  // pop-ups, whose owner GetParent reports.
  Handle AddOwned(int process, Handle owner, std::string className, std::string title, bool popup = true) {
    return Add({.process = process,
                .owner = Existing(owner),
                .popup = popup,
                .className = std::move(className),
                .title = std::move(title)});
  }
  // A child window; it belongs to its parent's process.
  Handle AddChild(Handle parent, std::string className, std::string title = {}) {
    const int process = windows_.at(Existing(parent)).process;
    return Add({.process = process,
                .parent = parent,
                .child = true,
                .className = std::move(className),
                .title = std::move(title)});
  }

  // Activation brings the window to the front, as SetForegroundWindow does.
  void SetForeground(Handle window) {
    foreground_ = window;
    if (windows_.count(window) != 0 && !windows_.at(window).child) BringToFront(window);
  }
  void BringToFront(Handle window) {
    const Handle front = Existing(window);
    std::vector<Handle> moving;
    std::vector<Handle> staying;
    for (const Handle h : zOrder_) (h == front || OwnedBy(h, front) ? moving : staying).push_back(h);
    // The owned windows keep their relative order, in front of the window.
    std::stable_partition(moving.begin(), moving.end(), [&](Handle h) { return h != front; });
    moving.insert(moving.end(), staying.begin(), staying.end());
    zOrder_ = std::move(moving);
  }
  void SetVisible(Handle window, bool visible) { windows_.at(Existing(window)).visible = visible; }
  void SetTitle(Handle window, std::string title) { windows_.at(Existing(window)).title = std::move(title); }
  // How often the executable of a window was asked for.
  int ExecutableQueries() const { return executableQueries_; }

  Handle ForegroundWindow() override { return foreground_; }

  Handle ParentOrOwner(Handle window) override {
    const auto it = windows_.find(window);
    if (it == windows_.end()) return platform::kNoWindow;
    const Window& w = it->second;
    if (w.child) return w.parent;
    return w.popup ? w.owner : platform::kNoWindow;
  }

  std::string WindowText(Handle window, int bufferChars) override {
    const auto it = windows_.find(window);
    if (it == windows_.end() || bufferChars <= 0) return {};
    return it->second.title.substr(0, static_cast<std::size_t>(bufferChars - 1));
  }

  Handle FindTopLevel(const std::string& className, const std::string& title) override {
    for (const Handle h : order_) {
      const Window& w = windows_.at(h);
      if (!w.child && SameText(w.className, className) && SameText(w.title, title)) return h;
    }
    return platform::kNoWindow;
  }

  Handle FindChild(Handle parent, const std::string& className, const std::optional<std::string>& title) override {
    for (const Handle h : order_) {
      const Window& w = windows_.at(h);
      if (w.child && w.parent == parent && SameText(w.className, className) && (!title || SameText(w.title, *title)))
        return h;
    }
    return platform::kNoWindow;
  }

  std::string ClassName(Handle window) override {
    const auto it = windows_.find(window);
    return it == windows_.end() ? std::string() : it->second.className;
  }
  std::vector<Handle> TopLevelWindows() override { return zOrder_; }

  bool IsVisible(Handle window) override {
    for (auto it = windows_.find(window); it != windows_.end(); it = windows_.find(it->second.parent)) {
      if (!it->second.visible) return false;
      if (!it->second.child) return true;
    }
    return false;
  }

  unsigned long ProcessIdOf(Handle window) override {
    const auto it = windows_.find(window);
    return it == windows_.end() ? 0 : static_cast<unsigned long>(it->second.process);
  }

  std::string ExecutablePathOf(Handle window) override {
    ++executableQueries_;
    const auto it = windows_.find(window);
    if (it == windows_.end()) return {};
    return processes_.at(static_cast<std::size_t>(it->second.process - 1));
  }

 private:
  struct Window {
    int process = 0;
    Handle parent = platform::kNoWindow;
    Handle owner = platform::kNoWindow;
    bool child = false;
    bool popup = false;
    bool visible = true;
    std::string className;
    std::string title;
  };

  Handle Add(Window window) {
    if (window.process < 1 || static_cast<std::size_t>(window.process) > processes_.size())
      throw std::invalid_argument("no such process");
    // Handles as Windows hands them out: small, even, never 0.
    const Handle handle = 0x10010 + 4 * order_.size();
    const bool topLevel = !window.child;
    windows_.emplace(handle, std::move(window));
    order_.push_back(handle);
    if (topLevel) zOrder_.insert(zOrder_.begin(), handle);
    return handle;
  }

  Handle Existing(Handle window) const {
    if (windows_.count(window) == 0) throw std::invalid_argument("no such window");
    return window;
  }

  // Whether `window` is owned by `owner`, directly or through other owned windows.
  bool OwnedBy(Handle window, Handle owner) const {
    for (Handle up = windows_.at(window).owner; up != platform::kNoWindow; up = windows_.at(up).owner)
      if (up == owner) return true;
    return false;
  }

  static bool SameText(const std::string& a, const std::string& b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
      return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
    });
  }

  std::vector<std::string> processes_;
  std::map<Handle, Window> windows_;
  std::vector<Handle> order_;   // creation order
  std::vector<Handle> zOrder_;  // top-level windows, front first
  Handle foreground_ = platform::kNoWindow;
  int executableQueries_ = 0;
};

}  // namespace tembric::fakes
