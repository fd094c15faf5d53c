#pragma once
// A record's keystroke in matching form. The user enters the abbreviation as
// text (KeyDisplay); what is matched is the characters of the keys that type
// it (KeyString), as the key messages report them: letters as capitals,
// Shift ignored. An abbreviation is so stored as the keys that type it under
// the layout current when it is entered.

#include <string>
#include <string_view>

namespace tembric::platform {
class Keyboard;
}
namespace tembric::store {
class DataTable;
}

namespace tembric::triggers {

// One character for each character of `keyDisplay`: the character of the key
// that types it under the current layout. A character the layout cannot type
// gives 0, which no typed key gives, so the keystroke never matches.
std::string KeyStringOf(std::string_view keyDisplay, platform::Keyboard& keyboard);

// Sets the current row's KeyString from its KeyDisplay, without posting (the
// row is being edited or appended). Leaves a null KeyDisplay's row alone.
void SetKeyString(store::DataTable& records, platform::Keyboard& keyboard);

}  // namespace tembric::triggers
