#include "app/win32/Win32StartupHost.h"

#include "app/VersionText.h"
#include "app/win32/Composition.h"
#include "app/win32/MessageBoxes.h"
#include "app/win32/SplashForm.h"
#include "app/win32/TablesForm.h"
#include "platform/FileSystem.h"
#include "platform/Kernel.h"
#include "platform/KeystrokeExchange.h"
#include "platform/win32/Win32Platform.h"

namespace tembric::app::win32 {

// The exchange with the hook library (its section and messages) is made here,
// before any window exists.
Win32StartupHost::Win32StartupHost()
    : executablePath_(platform::win32::OwnExecutablePath()),
      keyMessages_(platform::RealKeystrokeExchange().KeyMessage(),
                   platform::RealKeystrokeExchange().HookRestoredMessage()) {}

// The main window goes first, while the others still exist, as when the
// application object frees its forms in the order they were created.
Win32StartupHost::~Win32StartupHost() {
  keyMessages_.SetHandler({});  // no key message reaches the parts as they go
  keyMessages_.SetOtherMessages({});
  main_.reset();
  tablesForm_.reset();
  splash_.reset();
}

platform::InstanceMutex Win32StartupHost::CreateInstanceMutex(const std::string& name) {
  return platform::RealKernel().CreateInstanceMutex(name);
}

platform::FileSystem& Win32StartupHost::Files() { return platform::RealFileSystem(); }

std::string Win32StartupHost::ExecutablePath() { return executablePath_; }

void Win32StartupHost::ShowInformation(const std::string& text) { ShowMessageBox(NoticeKind::Information, text); }

void Win32StartupHost::CreateSplash() {
  splash_ = std::make_unique<SplashForm>();
  splash_->CreateHidden();
}

void Win32StartupHost::PrepareSplash() { splash_->Prepare(kSplashPollMilliseconds); }

void Win32StartupHost::ShowSplash() { splash_->ShowWithVersion(SplashVersionLabel(Version())); }

// After a quit request no tick can come any more; the wait must not go on.
bool Win32StartupHost::SplashTimerEnabled() { return !quitSeen_ && splash_ && splash_->TimerEnabled(); }

void Win32StartupHost::DestroySplash() { splash_.reset(); }

void Win32StartupHost::ProcessMessages() {
  MSG msg;
  while (!quitSeen_ && PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      quitSeen_ = true;
      break;
    }
    if (TakenFirst(msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}

platform::Clock& Win32StartupHost::Clock() { return platform::RealClock(); }

void Win32StartupHost::SetApplicationTitle(const std::string& title) { SetMessageBoxCaption(title); }

void Win32StartupHost::CreateMainWindow() {
  main_ = std::make_unique<MainComposition>(MainCompositionArgs{
      .files = platform::RealFileSystem(),
      .executablePath = executablePath_,
      .caption = MainWindowCaption(Version()),
      .versionText = VersionText(Version(), kVersionMajor | kVersionMinor | kVersionRelease | kVersionBuild),
  });
  main_->CreateHidden();
  keyMessages_.SetHandler([main = main_.get()](std::uintptr_t wParam, std::intptr_t lParam) {
    main->Keystrokes().OnKeyMessage(wParam, lParam);
  });
  keyMessages_.SetOtherMessages([main = main_.get()] { main->Keystrokes().MessageTaken(); });
}

void Win32StartupHost::CreateRecordWindow() {
  if (main_) main_->CreateRecordDialog([this](MSG& msg) { return TakenByHook(msg); });
}

void Win32StartupHost::CreateWindowPicker() {
  if (main_) main_->CreateWindowPicker([this](MSG& msg) { return TakenByHook(msg); });
}

void Win32StartupHost::CreateTableViewer() {
  tablesForm_ = std::make_unique<TablesForm>();
  tablesForm_->CreateHidden();
  if (main_) main_->Window().SetTableViewer(tablesForm_.get());
}

void Win32StartupHost::HideMainWindow() { main_->Window().Hide(); }

void Win32StartupHost::StartMainTimer() { main_->Window().StartSamplingTimer(); }

void Win32StartupHost::RunMessageLoop() {
  if (main_) main_->Window().StartupComplete();
  MSG msg;
  while (!quitSeen_) {
    const BOOL got = GetMessageA(&msg, nullptr, 0, 0);
    if (got == 0 || got == -1) break;
    if (TakenFirst(msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}

bool Win32StartupHost::TakenByHook(MSG& msg) { return keyMessages_.Take(msg.message, msg.wParam, msg.lParam); }

bool Win32StartupHost::TakenFirst(MSG& msg) {
  if (TakenByHook(msg)) return true;
  return main_ && main_->Window().TranslateAccelerators(&msg);
}

const std::optional<platform::FileVersion>& Win32StartupHost::Version() {
  if (!version_) version_ = platform::RealVersionInfo().OwnFileVersion();
  return *version_;
}

}  // namespace tembric::app::win32
