#pragma once
// Identification of windows: which application a window belongs to, its
// title, and for the two known browsers the address they show. Pure
// identification: it stores nothing, and every failure gives empty texts.

#include <map>
#include <optional>
#include <string>

#include "context/WinDescriptor.h"

namespace tembric::platform {
class DdeClient;
class VersionInfo;
class WindowSystem;
}  // namespace tembric::platform

namespace tembric::context {

// Window classes of the shell's notification area.
inline constexpr const char* kNotificationAreaClasses[] = {
    "Shell_TrayWnd", "Shell_SecondaryTrayWnd", "NotifyIconOverflowWindow", "TopLevelWindowForOverflowXamlIsland",
    "__winex11_standalone_tray"};

class Identifier {
 public:
  Identifier(platform::WindowSystem& windows, platform::VersionInfo& versions, platform::DdeClient& dde,
             std::string ownExecutablePath);

  // The descriptor of `window`'s root (parents and owners climbed); nothing
  // when the root belongs to this program.
  std::optional<TWinDescriptor> IdentifyWindow(platform::WindowHandle window);
  std::string GetExeFileName(platform::WindowHandle window);
  // True for the shell's notification area (the taskbar, its overflow, Wine's
  // stand-alone tray), where our tray icon lives.
  bool IsNotificationArea(platform::WindowHandle window);
  std::string GetVersionName(const std::string& executablePath);

  // While the returned object lives, each process's executable path and
  // each executable's version name are read once: a walk over many windows
  // of a few programs (the window picker's list) reads them once per program
  // instead of once per window. Outside such a walk every call reads afresh, so a program that
  // was updated while we run is named by its new description.
  class VersionNameWalk {
   public:
    explicit VersionNameWalk(Identifier& identifier) : identifier_(identifier) { ++identifier_.walks_; }
    ~VersionNameWalk() {
      if (--identifier_.walks_ == 0) {
        identifier_.versionNames_.clear();
        identifier_.executables_.clear();
      }
    }
    VersionNameWalk(const VersionNameWalk&) = delete;
    VersionNameWalk& operator=(const VersionNameWalk&) = delete;

   private:
    Identifier& identifier_;
  };
  std::string GetIEAddress(platform::WindowHandle window);
  std::string GetFirefoxAddress();

 private:
  std::string ReadVersionName(const std::string& executablePath);

  platform::WindowSystem& windows_;
  platform::VersionInfo& versions_;
  platform::DdeClient& dde_;
  std::string ownExecutablePath_;
  int walks_ = 0;
  std::map<std::string, std::string> versionNames_;   // by executable path, during a walk
  std::map<unsigned long, std::string> executables_;  // by process, during a walk
};

// "C:\Apps\NOTEPAD.EXE" → "Notepad": the name after the last "\" or ":",
// without its extension, first letter upper case, the rest lower (A-Z only).
std::string FilePathFromExecutable(const std::string& executablePath);

// The address out of Firefox's reply: what lies between the first and the
// next double quote (the rest after a lone quote; the whole reply without one).
std::string AddressFromFirefoxReply(const std::string& reply);

// The latest identification of the foreground window. A tick that meets a
// window of this program, or the notification area where its tray icon is,
// keeps the previous identification, so the target never names one of our
// own windows and never the place the user clicked to call us up.
class TargetTracker {
 public:
  explicit TargetTracker(Identifier& identifier) : identifier_(identifier) {}
  // Identifies `foreground` into TargetInfo unless it is one of ours.
  void Sample(platform::WindowHandle foreground);
  const TWinDescriptor& TargetInfo() const { return target_; }
  platform::WindowHandle TargetWindow() const { return target_.Wnd; }

 private:
  Identifier& identifier_;
  TWinDescriptor target_;
};

}  // namespace tembric::context
