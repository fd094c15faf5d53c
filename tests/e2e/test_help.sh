#!/usr/bin/env bash
# F1 in the main window opens Help\tembric.chm below the program's folder
# with the program associated with help files; without the file nothing
# visible happens.
#
# The prefix associates .chm files with a stand-in viewer (the probe's
# record-open), which logs the folder it was started in and the file it was
# given. F1 in the shown main window starts it once, in the program's
# folder, with the help file. With the Help folder gone, F1 starts nothing and
# shows no message box, and Tembric answers.
# shellcheck source-path=SCRIPTDIR source=lib/harness.sh
source "$(dirname "$0")/lib/harness.sh"
# shellcheck source-path=SCRIPTDIR source=lib/main_window.sh
source "$(dirname "$0")/lib/main_window.sh"

e2e_setup
[ -f "$APP/Help/tembric.chm" ] || fail "the portable folder has no Help/tembric.chm"

step "a stand-in viewer for help files"
opened=$E2E_TMP/opened.log
: >"$opened"
wine reg add 'HKLM\Software\Classes\.chm' /ve /d chm.file /f >/dev/null 2>&1 || fail "reg add .chm failed"
wine reg add 'HKLM\Software\Classes\chm.file\shell\open\command' /ve \
  /d "\"$(windows_path "$PROBE_EXE")\" record-open \"$(windows_path "$opened")\" \"%1\"" /f >/dev/null 2>&1 ||
  fail "reg add chm.file failed"

step "F1 in the main window"
start_tembric
wait_started 20
wait_tray_icon 10
show_from_tray
activate_main
xdotool key F1
# shellcheck disable=SC2317  # called through wait_for
opened_once() { [ "$(grep -c '^open ' "$opened")" -ge 1 ]; }
wait_for opened_once 15 || fail "F1 started no help viewer"
line=$(tr -d '\r' <"$opened" | head -n 1)
log "viewer: $line"
folder=${line#open }
folder=${folder%% | *}
file=${line##* | }
app_win=$(windows_path "$APP")
assert_eq "${app_win,,}" "${folder,,}" "the viewer's working folder"
case "${file,,}" in
  "help\\tembric.chm" | "${app_win,,}\\help\\tembric.chm") ;;
  *) fail "the viewer was given \"$file\", not the help file" ;;
esac
[ -z "$(tembric_boxes)" ] || fail "a message box is shown: $(tembric_boxes)"

step "without the help file"
rm -rf "$APP/Help"
: >"$opened"
# The viewer took the focus while it ran: the user clicks Tembric again.
# shellcheck disable=SC2317  # called through wait_for
main_mapped() { [ -n "$(x_visible_titled "$MAIN_CAPTION")" ]; }
wait_for main_mapped 10 || fail "the main window is not mapped after the viewer ran"
bring_to_front "$MAIN_CAPTION"
xdotool key F1
# shellcheck disable=SC2317
nothing_opened() { [ ! -s "$opened" ] && [ -z "$(tembric_boxes)" ]; }
holds nothing_opened 3 || fail "F1 without the help file: viewer \"$(cat "$opened")\", boxes \"$(tembric_boxes)\""
probe_quiet answers "$MAIN_CLASS" 5 || fail "Tembric does not answer"
