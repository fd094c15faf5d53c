#include "app/win32/Composition.h"

#include <utility>

#include "app/HelpCommand.h"
#include "app/SettingsFile.h"
#include "app/SettingsKeys.h"
#include "app/win32/MessageBoxes.h"
#include "platform/Clipboard.h"
#include "platform/ClipboardViewer.h"
#include "platform/Clock.h"
#include "platform/Collation.h"
#include "platform/Dde.h"
#include "platform/FileSystem.h"
#include "platform/Hotkeys.h"
#include "platform/Input.h"
#include "platform/Keyboard.h"
#include "platform/KeystrokeExchange.h"
#include "platform/Libraries.h"
#include "platform/Shell.h"
#include "platform/VersionInfo.h"
#include "platform/WindowSystem.h"
#include "platform/win32/Win32Platform.h"

namespace tembric::app::win32 {

MainComposition::MainComposition(MainCompositionArgs args)
    : args_(std::move(args)),
      folder_(platform::FolderOf(args_.executablePath)),
      model_(platform::UserCollation()),
      window_(args_.caption, model_),
      identifier_(platform::RealWindowSystem(), platform::RealVersionInfo(), platform::RealDdeClient(),
                  args_.executablePath),
      tracker_(identifier_),
      hotkeySystem_(platform::RealHotkeys([this] { return reinterpret_cast<platform::WindowHandle>(window_.Hwnd()); })),
      settings_(args_.files, SettingsPathFor(args_.executablePath)),
      hotkeys_(*hotkeySystem_, settings_, ProgramNotices()),
      blobFile_(args_.files, folder_, ProgramNotices()),
      keystrokeHook_(KeystrokeHookDeps{
          .exchange = platform::RealKeystrokeExchange(),
          .settings = settings_,
          .receiver = [this] { return reinterpret_cast<platform::WindowHandle>(window_.Hwnd()); },
      }),
      lifecycle_(args_.files, folder_, ProgramNotices()),
      tree_(model_, lifecycle_.Library().records, window_, hotkeys_,
            MainTreePlugins{
                .files = args_.files,
                .libraries = platform::RealLibraries(),
                .executableFolder = folder_,
                .settings = settings_,
                .notices = ProgramNotices(),
                .handlePendingMessages = platform::win32::HandlePendingMessages,
            },
            MainTreeContexts{
                .windows = lifecycle_.Library().windows,
                .relations = lifecycle_.Library().relations,
                .target = tracker_,
                .identifier = identifier_,
            }),
      clipboardMonitor_(paste::ClipboardMonitorDeps{
          .chain = platform::RealClipboardViewerChain(),
          .clipboard = platform::RealClipboard(),
          .clock = platform::RealClock(),
          .listing = window_,
          .self = [this] { return reinterpret_cast<platform::WindowHandle>(window_.Hwnd()); },
      }),
      treeEditing_(tree::TreeEditingDeps{
          .model = model_,
          .sync = tree_.Sync(),
          .records = lifecycle_.Library().records,
          .files = args_.files,
          .confirm = [](const std::string& text) { return ProgramNotices().Confirm(text); },
      }),
      controller_(MainControllerDeps{
          .files = args_.files,
          .folder = folder_,
          .settings = settings_,
          .caption = args_.caption,
          .notices = ProgramNotices(),
          .view = window_,
          .clock = platform::RealClock(),
          .windows = platform::RealWindowSystem(),
          .target = tracker_,
          .lifecycle = lifecycle_,
          .seams = {.hotkeys = &hotkeys_,
                    .keystrokes = &keystrokeHook_,
                    .clipboardChain = &clipboardChain_,
                    .blobFile = &blobFile_,
                    .recordTree = &tree_,
                    .newRecord = &newRecord_},
      }),
      paster_(PasterDeps{
          .clipboard = platform::RealClipboard(),
          .input = platform::RealInput(),
          .clock = platform::RealClock(),
          .files = args_.files,
          .libraries = platform::RealLibraries(),
          .decoder = decoder_,
          .records = lifecycle_.Library().records,
          .settings = controller_.Settings(),
          .window = controller_,
          .hotkeys = controller_.Hotkeys(),
          .target = tracker_,
          .notices = ProgramNotices(),
          .folder = folder_,
      }),
      filter_(model_, tree_.Sync(), window_.FilterBoxView(), controller_, paster_),
      hotkeyCommands_(HotkeyCommandsDeps{
          .slots = hotkeys_.Slots(),
          .records = lifecycle_.Library().records,
          .model = model_,
          .sync = tree_.Sync(),
          .paster = paster_,
          .main = controller_,
          .view = window_,
          .context = window_,
      }),
      keystrokeCommands_(KeystrokeCommandsDeps{
          .controller = controller_,
          .view = window_,
          .keystrokeView = window_,
          .keyboard = platform::RealKeyboard(),
          .clock = platform::RealClock(),
          .records = lifecycle_.Library().records,
          .model = model_,
          .sync = tree_.Sync(),
          .paste = [this](const PasteCall& call) { return paster_.Paste(call); },
          .notices = ProgramNotices(),
      }),
      windowPicker_(platform::RealWindowSystem(), identifier_),
      recordDialog_(
          editing::RecordDialogServices{
              .records = lifecycle_.Library().records,
              .keyboard = platform::RealKeyboard(),
              .hotkeys = *hotkeySystem_,
              .clipboard = platform::RealClipboard(),
              .files = args_.files,
              .libraries = platform::RealLibraries(),
              .input = platform::RealInput(),
              .target = tracker_,
              .settings = settings_,
              .picker = windowPicker_,
              .host = window_,
          },
          recordForm_),
      recordWorkflow_(editing::RecordWorkflowDeps{
          .library = lifecycle_.Library(),
          .files = args_.files,
          .folder = folder_,
          .model = model_,
          .sync = tree_.Sync(),
          .hotkeys = hotkeys_,
          .settings = settings_,
          .keyboard = platform::RealKeyboard(),
          .clipboard = platform::RealClipboard(),
          .dialog = recordDialog_,
          .showDialog = [this] { return recordForm_.ShowModal(); },
          .contextRoot = [this] { return tree_.SystemFolders().contextRoot; },
          .random = store::ClockSeededRandom(),
      }),
      companion_(CompanionDeps{
          .libraries = platform::RealLibraries(),
          .notices = ProgramNotices(),
          .executableFolder = folder_,
          .trayMenu = window_,
          .applicationWindow = [this]() -> void* { return window_.Hwnd(); },
          .info =
              [this] {
                return CompanionInfo{
                    .settingsPath = settings_.Path(),
                    .programName = "Tembric",
                    .versionText = args_.versionText,
                    .showHotkey = settings_.ReadString(settings::kShowHotkey.section, settings::kShowHotkey.name,
                                                       settings::kShowHotkey.defaultValue),
                    .newHotkey = settings_.ReadString(settings::kNewHotkey.section, settings::kNewHotkey.name,
                                                      settings::kNewHotkey.defaultValue),
                };
              },
          .usedHotKeys = [this] { return recordWorkflow_.CollectUsedHotKeys(); },
          .loadIni = [this] { controller_.LoadIni(); },
          .handlePendingMessages = platform::win32::HandlePendingMessages,
      }) {}

MainComposition::~MainComposition() {
  hotkeys_.Reset();  // every combination given back while the window still exists
  window_.Destroy();
}

void MainComposition::CreateHidden() {
  window_.SetHotkeyHandler(&hotkeyCommands_);
  window_.SetClipboardRequests(&paster_);
  window_.SetClipboardMonitor(&clipboardMonitor_);
  window_.SetHelpCommand([this] { aHelpExecute(platform::RealShell(), folder_); });
  window_.SetCompanionCommands(&companion_);
  window_.SetTreeEditing(&treeEditing_);
  window_.CreateHidden(controller_, filter_.Box());
  paster_.SetOwner(reinterpret_cast<platform::WindowHandle>(window_.Hwnd()));
}

void MainComposition::CreateRecordDialog(std::function<bool(MSG&)> filter) {
  recordForm_.CreateHidden(window_.Hwnd());
  recordForm_.SetEvents(&recordDialog_);
  recordForm_.SetMessageFilter(std::move(filter));
  window_.SetRecordDialog(&recordForm_);
  window_.SetRecordCommands(&recordWorkflow_);
  newRecord_.workflow = &recordWorkflow_;
  recordForm_.SetWindowPicker([this](HWND owner) { return pickerForm_.Hwnd() && pickerForm_.ShowModal(owner); });
}

void MainComposition::CreateWindowPicker(std::function<bool(MSG&)> filter) {
  pickerForm_.CreateHidden(window_.Hwnd());
  pickerForm_.SetMessageFilter(std::move(filter));
}

}  // namespace tembric::app::win32
