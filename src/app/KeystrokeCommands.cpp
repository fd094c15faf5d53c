#include "app/KeystrokeCommands.h"

#include <utility>

#include "app/MainController.h"
#include "app/MainView.h"
#include "app/Notices.h"
#include "platform/Clock.h"
#include "platform/Keyboard.h"
#include "store/DataTable.h"
#include "tree/SelectionSync.h"
#include "tree/TreeModel.h"
#include "triggers/KeystrokeTracker.h"

namespace tembric::app {
namespace {

// Without leading and trailing spaces and control characters.
std::string_view Trimmed(std::string_view text) {
  const auto blank = [](char c) { return static_cast<unsigned char>(c) <= ' '; };
  while (!text.empty() && blank(text.front())) text.remove_prefix(1);
  while (!text.empty() && blank(text.back())) text.remove_suffix(1);
  return text;
}

}  // namespace

KeystrokeCommands::KeystrokeCommands(KeystrokeCommandsDeps deps) : deps_(std::move(deps)) {}

void KeystrokeCommands::OnKeyMessage(std::uintptr_t wParam, std::intptr_t lParam) {
  triggers::KeystrokeTracker& tracker = deps_.controller.Keystrokes();
  const char ch = wParam <= 0xFF ? deps_.keyboard.KeyCharacter(static_cast<platform::VirtualKey>(wParam)) : 0;
  const triggers::KeystrokeActions actions = tracker.OnKeyMessage(
      {.wParam = wParam, .lParam = lParam}, ch, deps_.clock.NowMs(), deps_.keystrokeView.RecordDialogShowing());
  if (actions.shownBuffer) deps_.keystrokeView.ShowKeystrokeBuffer(*actions.shownBuffer);
  if (actions.lookUp) LookUp(*actions.lookUp);
  if (actions.trayImage) deps_.view.SetTrayImage(*actions.trayImage);
  MessageTaken();
}

void KeystrokeCommands::MessageTaken() {
  if (deps_.controller.Keystrokes().Collecting()) deps_.controller.MarkActivity();
}

bool KeystrokeCommands::LookUp(std::string_view collected) {
  store::DataTable& records = deps_.records;
  tree::SelectionSync& sync = deps_.sync;
  const std::string_view keystroke = Trimmed(collected);
  // An empty keystroke would find the records whose keystroke was cleared.
  if (keystroke.empty() || records.State() == store::TableState::Inactive) return false;

  bool matched = false;
  sync.DisableDBControls();
  RunHandler(deps_.notices, [&] {
    records.SetIndexFieldNames("KeyString");
    const store::Value key[] = {store::Value(keystroke)};
    if (!records.FindKey(key) || records.IsNull("Type")) return;
    matched = true;
    sync.SetReturnPath(records.AsString("FullName"));
    sync.TembricDBAfterScroll();
    deps_.paste({.mode = PasteMode::Keystroke,
                 .keystrokeLength = keystroke.size(),
                 .node = deps_.model.Data(sync.CurrentRowNode())});
  });
  RunHandler(deps_.notices, [&] { sync.EnableDBControls(); });
  return matched;
}

}  // namespace tembric::app
