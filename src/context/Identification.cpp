#include "context/Identification.h"

#include <cstdint>
#include <utility>

#include "platform/Dde.h"
#include "platform/VersionInfo.h"
#include "platform/WindowSystem.h"

namespace tembric::context {
namespace {

// Buffer of the window text reads, terminating zero included.
constexpr int kTextBufferChars = 255;

// Firefox's DDE interface: the current window's address and title.
constexpr const char* kFirefoxService = "Firefox";
constexpr const char* kFirefoxTopic = "WWW_GetWindowInfo";
constexpr const char* kFirefoxCurrentWindow = "0xFFFFFFFF";
constexpr unsigned kFirefoxTimeoutMs = 10000;

// A window chain longer than this is broken (a loop in a misbehaving
// window system); the climb stops rather than hang the sampling timer.
constexpr int kMaxClimb = 1024;

std::string CutToField(std::string text) {
  if (text.size() > kDescriptorTextMax) text.resize(kDescriptorTextMax);
  return text;
}

// Text up to the first zero: what a C string reader of the value would see.
std::string UpToZero(const std::string& text) { return text.substr(0, text.find('\0')); }

char UpperAscii(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }
char LowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

void AppendHex4(std::string& out, std::uint16_t value) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  for (int shift = 12; shift >= 0; shift -= 4) out.push_back(kDigits[(value >> shift) & 0xF]);
}

std::uint16_t LittleEndian16(const std::string& bytes, std::size_t at) {
  return static_cast<std::uint16_t>(static_cast<unsigned char>(bytes[at]) |
                                    (static_cast<unsigned char>(bytes[at + 1]) << 8));
}

}  // namespace

Identifier::Identifier(platform::WindowSystem& windows, platform::VersionInfo& versions, platform::DdeClient& dde,
                       std::string ownExecutablePath)
    : windows_(windows), versions_(versions), dde_(dde), ownExecutablePath_(std::move(ownExecutablePath)) {}

std::optional<TWinDescriptor> Identifier::IdentifyWindow(platform::WindowHandle window) {
  // Child windows lead to their parent, owned top-level windows (dialogs,
  // tool windows) to their owner: the application's main window is the root.
  platform::WindowHandle root = window;
  for (int step = 0; step < kMaxClimb; ++step) {
    const platform::WindowHandle up = windows_.ParentOrOwner(root);
    if (up == platform::kNoWindow) break;
    root = up;
  }

  const std::string executable = GetExeFileName(root);
  if (executable == ownExecutablePath_) return std::nullopt;

  TWinDescriptor descriptor;
  descriptor.WinTitle = CutToField(windows_.WindowText(root, kTextBufferChars));
  descriptor.VersionName = GetVersionName(executable);
  descriptor.FilePath = FilePathFromExecutable(executable);
  descriptor.FileName = descriptor.VersionName.empty() ? descriptor.FilePath : descriptor.VersionName;
  descriptor.Wnd = root;
  return descriptor;
}

std::string Identifier::GetExeFileName(platform::WindowHandle window) {
  // During a walk the windows of one process share one answer: reading a
  // process's module path is the dearest step of identifying a window.
  const unsigned long process = walks_ > 0 ? windows_.ProcessIdOf(window) : 0;
  if (process == 0) return windows_.ExecutablePathOf(window);
  const auto known = executables_.find(process);
  if (known != executables_.end()) return known->second;
  return executables_[process] = windows_.ExecutablePathOf(window);
}

std::string Identifier::GetVersionName(const std::string& executablePath) {
  if (walks_ > 0) {
    const auto known = versionNames_.find(executablePath);
    if (known != versionNames_.end()) return known->second;
    return versionNames_[executablePath] = ReadVersionName(executablePath);
  }
  return ReadVersionName(executablePath);
}

std::string Identifier::ReadVersionName(const std::string& executablePath) {
  const auto resource = versions_.ReadResource(executablePath);
  if (!resource) return {};
  const auto translation = resource->Query("\\VarFileInfo\\Translation");
  if (!translation || translation->size() < 4) return {};

  // The first translation entry: language, then code page.
  std::string key;
  AppendHex4(key, LittleEndian16(*translation, 0));
  AppendHex4(key, LittleEndian16(*translation, 2));

  const auto description = resource->Query("\\StringFileInfo\\" + key + "\\FileDescription");
  if (description && !description->empty()) return CutToField(UpToZero(*description));
  return "n/a";
}

std::string Identifier::GetIEAddress(platform::WindowHandle window) {
  const std::string title = windows_.WindowText(window, kTextBufferChars);
  const platform::WindowHandle frame = windows_.FindTopLevel("IEFrame", title);
  if (frame == platform::kNoWindow) return {};
  const platform::WindowHandle worker = windows_.FindChild(frame, "WorkerW", std::nullopt);
  if (worker == platform::kNoWindow) return {};
  const platform::WindowHandle rebar = windows_.FindChild(worker, "ReBarWindow32", std::nullopt);
  if (rebar == platform::kNoWindow) return {};

  // Older versions keep the address box directly in the rebar, later ones
  // inside an "Address Band Root" band.
  platform::WindowHandle addressBox = windows_.FindChild(rebar, "ComboBoxEx32", std::nullopt);
  if (addressBox == platform::kNoWindow) {
    const platform::WindowHandle band = windows_.FindChild(rebar, "Address Band Root", std::nullopt);
    if (band != platform::kNoWindow) addressBox = windows_.FindChild(band, "ComboBoxEx32", std::nullopt);
  }
  if (addressBox == platform::kNoWindow) return {};
  return CutToField(windows_.WindowText(addressBox, kTextBufferChars));
}

std::string Identifier::GetFirefoxAddress() {
  const auto reply = dde_.RequestText(kFirefoxService, kFirefoxTopic, kFirefoxCurrentWindow, kFirefoxTimeoutMs);
  if (!reply) return {};
  return CutToField(AddressFromFirefoxReply(UpToZero(*reply)));
}

std::string FilePathFromExecutable(const std::string& executablePath) {
  const std::size_t slash = executablePath.find_last_of("\\:");
  std::string name = slash == std::string::npos ? executablePath : executablePath.substr(slash + 1);
  const std::size_t dot = name.rfind('.');
  if (dot != std::string::npos) name.resize(dot);
  for (std::size_t i = 0; i < name.size(); ++i) name[i] = i == 0 ? UpperAscii(name[i]) : LowerAscii(name[i]);
  return CutToField(std::move(name));
}

std::string AddressFromFirefoxReply(const std::string& reply) {
  const std::size_t open = reply.find('"');
  if (open == std::string::npos) return reply;
  std::string address = reply.substr(open + 1);
  const std::size_t close = address.find('"');
  if (close != std::string::npos) address.resize(close);
  return address;
}

bool Identifier::IsNotificationArea(platform::WindowHandle window) {
  const std::string name = windows_.ClassName(window);
  for (const char* tray : kNotificationAreaClasses)
    if (name == tray) return true;
  return false;
}

void TargetTracker::Sample(platform::WindowHandle foreground) {
  if (foreground == platform::kNoWindow) return;
  // A click on our tray icon may make the notification area the foreground
  // window for a moment; a paste must not go there.
  if (identifier_.IsNotificationArea(foreground)) return;
  // Our own windows give nothing: the previous target stays, so a paste
  // never returns the focus to this program.
  if (auto descriptor = identifier_.IdentifyWindow(foreground)) target_ = std::move(*descriptor);
}

}  // namespace tembric::context
