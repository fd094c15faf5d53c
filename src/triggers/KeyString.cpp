#include "triggers/KeyString.h"

#include "platform/Keyboard.h"
#include "store/DataTable.h"

namespace tembric::triggers {

std::string KeyStringOf(std::string_view keyDisplay, platform::Keyboard& keyboard) {
  std::string keyString;
  keyString.reserve(keyDisplay.size());
  for (const char c : keyDisplay) keyString += keyboard.KeyCharacter(keyboard.KeyTyping(c));
  return keyString;
}

void SetKeyString(store::DataTable& records, platform::Keyboard& keyboard) {
  if (records.IsNull("KeyDisplay")) return;
  records.Set("KeyString", KeyStringOf(records.AsString("KeyDisplay"), keyboard));
}

}  // namespace tembric::triggers
