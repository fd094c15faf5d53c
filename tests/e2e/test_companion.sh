#!/usr/bin/env bash
# The options dialog and the about box of the companion library tmgui.dll,
# as a user reaches them from the main window's menus.
#
# Usage: test_companion.sh options|missing|about
#   options  File > Options...: the dialog "Options" shows the settings file's
#            values; a record's hotkey (Ctrl+Alt+Q) as the Show hotkey is
#            refused with a line in the dialog, which stays open, and nothing
#            is written; the Show hotkey changed to Ctrl+Alt+W and translucency
#            switched on at opacity 128, OK: the settings file holds them,
#            the main window is layered with alpha 128 at once, and with the
#            window hidden and the user in another application the old
#            Ctrl+Alt+Z no longer shows it while Ctrl+Alt+W does.
#   missing  tmgui.dll renamed away: File > Options... shows the box
#            "Can not load library tmgui.dll", and after OK Tembric answers
#            and the settings file is as it was; Help > About shows the same
#            box, and after OK a right click on the tray icon opens its menu.
#   about    Help > About: the about box "About Tembric" with the program
#            name and version; a right click on the tray icon meanwhile opens
#            no menu; after OK it opens the tray menu again.
# shellcheck source-path=SCRIPTDIR source=lib/harness.sh
source "$(dirname "$0")/lib/harness.sh"
# shellcheck source-path=SCRIPTDIR source=lib/main_window.sh
source "$(dirname "$0")/lib/main_window.sh"
# shellcheck source-path=SCRIPTDIR source=lib/record_dialog.sh
source "$(dirname "$0")/lib/record_dialog.sh"
case=${1:?usage: test_companion.sh options|missing|about}
require_db_tool
e2e_setup

readonly OPTIONS_TITLE=Options
readonly ABOUT_TITLE='About Tembric'

# The companion dialogs are "#32770" windows of Tembric with these captions.
companion_controls() { probe_reading controls -name "$1"; }
companion_control() {  # TITLE CLASS N: the N-th visible control of that class
  companion_controls "$1" | awk -F'\t' -v c="$2" -v n="$3" 'tolower($2) == tolower(c) && $3 == "visible" && ++i == n { print; exit }'
}
companion_button() {  # TITLE CAPTION: the visible button (or check box) with that caption
  companion_controls "$1" | awk -F'\t' -v t="$2" 'tolower($2) == "button" && $3 == "visible" && $5 == t { print; exit }'
}
companion_shown() {
  alive "$TEMBRIC_PID" || fail "Tembric ended"
  tembric_windows | awk -F'\t' -v t="$1" '$3 == "#32770" && $4 == "visible" && $6 == t' | found .
}
companion_gone() { ! companion_shown "$1"; }
activate_titled() {
  local w
  w=$(x_visible_titled "$1" | head -n 1)
  [ -n "$w" ] || fail "no window \"$1\" is mapped"
  xdotool windowactivate --sync "$w" >/dev/null 2>&1 || xdotool windowfocus --sync "$w"
}

step "library, Tembric started, the main window from the tray"
make_fixture_library
# A record that holds Ctrl+Alt+Q, which the options dialog must refuse.
out=$(cd "$APP" && wine tembric-db.exe add "$(windows_path "$APP")" '\Quick' --memo quick --shortcut Ctrl+Alt+Q 2>&1) ||
  fail "tembric-db add \\Quick failed: $out"
start_tembric
wait_started 20
wait_tray_icon 10
show_from_tray
ini_before=$(cat "$APP/Tembric.ini")

case $case in
  options)
    step "File > Options..."
    menu_choose 0 Up Up Return
    wait_for companion_shown "$OPTIONS_TITLE" 10 || fail "no dialog \"$OPTIONS_TITLE\" within 10s; boxes: $(tembric_boxes)"
    screenshot options-dialog
    controls=$(companion_controls "$OPTIONS_TITLE")
    log "controls:"$'\n'"$controls"
    translucent=$(companion_button "$OPTIONS_TITLE" 'Translucent main window')
    [ -n "$translucent" ] || fail "no translucency check box"
    show_key=$(companion_control "$OPTIONS_TITLE" msctls_hotkey32 1)
    [ -n "$show_key" ] || fail "no hotkey control"
    assert_eq "255" "$(companion_control "$OPTIONS_TITLE" edit 1 | cut -f5)" "the opacity box (the default)"
    assert_eq "5" "$(companion_control "$OPTIONS_TITLE" edit 2 | cut -f5)" "the minutes box (the default)"

    step "translucency on at 128"
    activate_titled "$OPTIONS_TITLE"
    click_rect "$(printf '%s\n' "$translucent" | cut -f4)"
    click_rect "$(companion_control "$OPTIONS_TITLE" edit 1 | cut -f4)"
    xdotool key End BackSpace BackSpace BackSpace
    xdotool type --delay 60 128
    # shellcheck disable=SC2317
    opacity_is() { [ "$(companion_control "$OPTIONS_TITLE" edit 1 | cut -f5)" = "$1" ]; }
    wait_for opacity_is 128 5 || fail "the opacity box holds \"$(companion_control "$OPTIONS_TITLE" edit 1 | cut -f5)\""
    show_hwnd=$(printf '%s\n' "$show_key" | cut -f1)
    assert_eq "hotkey 0x5A ctrl+alt" "$(probe hotkey "$show_hwnd")" "the Show hotkey control (the default Ctrl+Alt+Z)"

    step "the record's Ctrl+Alt+Q as the Show hotkey: refused with a line, the dialog stays"
    # The system keeps a registered combination from the control (it goes to
    # Tembric as WM_HOTKEY): the probe puts it in, as a user could on a system
    # where the record's registration failed.
    probe hotkey "$show_hwnd" 51 ctrl+alt >/dev/null || fail "the probe could not set the hotkey control"
    click_rect "$(companion_button "$OPTIONS_TITLE" OK | cut -f4)"
    # The probe cuts long texts short: the line's beginning is compared
    # (the whole line is checked by the unit tests of app/OptionsModel).
    readonly REFUSAL='Ctrl+Alt+Q is already the hotkey of a record: choose another'
    # shellcheck disable=SC2317
    refused() { companion_controls "$OPTIONS_TITLE" | awk -F'\t' -v t="$REFUSAL" 'tolower($2) == "static" && index($5, t) == 1' | found .; }
    wait_for refused 5 || fail "no refusal line; the dialog's texts: $(companion_controls "$OPTIONS_TITLE" | cut -f2,5)"
    companion_shown "$OPTIONS_TITLE" || fail "the dialog closed on a refused hotkey"
    [ -z "$(tembric_boxes | awk -F'\t' '$6 != "Options"')" ] || fail "a message box is shown: $(tembric_boxes)"
    assert_eq "$ini_before" "$(cat "$APP/Tembric.ini")" "the settings file after the refusal"
    screenshot refused

    step "Ctrl+Alt+W typed into the Show hotkey control, OK"
    activate_titled "$OPTIONS_TITLE"
    click_rect "$(printf '%s\n' "$show_key" | cut -f4)"
    xdotool key ctrl+alt+w
    # shellcheck disable=SC2317
    show_key_is() { [ "$(probe hotkey "$show_hwnd")" = "$1" ]; }
    wait_for show_key_is "hotkey 0x57 ctrl+alt" 5 || fail "the Show hotkey control holds $(probe hotkey "$show_hwnd")"
    click_rect "$(companion_button "$OPTIONS_TITLE" OK | cut -f4)"
    wait_for companion_gone "$OPTIONS_TITLE" 5 ||
      fail "OK did not close the dialog; it says: $(companion_controls "$OPTIONS_TITLE" | awk -F'\t' 'tolower($2) == "static" && $5 != ""' | cut -f5)"
    [ -z "$(tembric_boxes)" ] || fail "a message box is shown: $(tembric_boxes)"

    step "the settings file and the window: translucent at once"
    assert_eq 1 "$(ini_value Basic TranspEnabled)" "TranspEnabled"
    assert_eq 128 "$(ini_value Basic TranspValue)" "TranspValue"
    assert_eq "Ctrl+Alt+W" "$(ini_value 'Hot keys' Show)" "Hot keys/Show"
    state=$(main_state)
    assert_eq 1 "$(state_of layered "$state")" "main window layered"
    assert_eq 128 "$(state_of alpha "$state")" "main window alpha"
    screenshot translucent

    step "hidden, the user in another application: Ctrl+Alt+Z does nothing, Ctrl+Alt+W shows"
    activate_main
    xdotool key Escape
    wait_hidden 5
    wine "$TEMBRIC_BUILD_DIR/bin/tembric-e2e-target.exe" "Some editor" >/dev/null 2>&1 &
    E2E_BACKGROUND_PIDS+=("$!")
    # shellcheck disable=SC2317
    editor_mapped() { [ -n "$(x_visible_titled 'Some editor')" ]; }
    wait_for editor_mapped 10 || fail "the other application did not appear"
    bring_to_front 'Some editor'
    xdotool key ctrl+alt+z
    holds main_hidden 1.5 || fail "the old show hotkey Ctrl+Alt+Z still shows the main window"
    xdotool key ctrl+alt+w
    wait_shown 5
    state=$(main_state)
    assert_eq 128 "$(state_of alpha "$state")" "main window alpha when shown again"
    ;;

  missing)
    step "tmgui.dll renamed away, File > Options..."
    mv "$APP/tmgui.dll" "$APP/tmgui.dll.away"
    menu_choose 0 Up Up Return
    answer_box "dialogs 1"$'\n'"text Can not load library tmgui.dll"$'\n'"button OK" OK "the box"
    probe_quiet answers "$MAIN_CLASS" 5 || fail "Tembric does not answer after the box"
    assert_eq "$ini_before" "$(cat "$APP/Tembric.ini")" "the settings file"

    step "Help > About without the library: the same box, then the tray menu works"
    menu_choose 2 Return
    answer_box "dialogs 1"$'\n'"text Can not load library tmgui.dll"$'\n'"button OK" OK "the box of the about entry"
    click_tray 3
    wait_for popup_menu_shown 5 || fail "a right click on the tray icon after the failed load opened no menu"
    xdotool key Escape
    ;;

  about)
    step "Help > About"
    menu_choose 2 Return
    wait_for companion_shown "$ABOUT_TITLE" 10 || fail "no \"$ABOUT_TITLE\" within 10s; boxes: $(tembric_boxes)"
    screenshot about
    texts=$(companion_controls "$ABOUT_TITLE" | awk -F'\t' 'tolower($2) == "static" { print $5 }')
    log "about box:"$'\n'"$texts"
    printf '%s\n' "$texts" | found -x 'Tembric' || fail "the about box does not name the program"
    printf '%s\n' "$texts" | found -x 'Version 1.2.0.0' || fail "the about box does not show the version"
    printf '%s\n' "$texts" | found '^Copyright' || fail "the about box has no copyright line"

    step "a right click on the tray icon while it is up: no menu"
    click_tray 3
    # shellcheck disable=SC2317
    no_menu() { ! popup_menu_shown; }
    holds no_menu 1.5 || fail "the tray menu opened while the about box is up"

    step "OK, then a right click opens the tray menu"
    click_rect "$(companion_button "$ABOUT_TITLE" OK | cut -f4)"
    wait_for companion_gone "$ABOUT_TITLE" 5 || fail "OK did not close the about box"
    click_tray 3
    wait_for popup_menu_shown 5 || fail "a right click on the tray icon after the about box opened no menu"
    xdotool key Escape
    ;;

  *) fail "unknown case $case" ;;
esac
probe_quiet answers "$MAIN_CLASS" 5 || fail "Tembric does not answer at the end"
