#!/usr/bin/env bash
# The sample date/time plugin in the portable folder's Plugins: its items
# appear below "*Plugins" in the folder its category names, and one of them
# pasted from the main window brings today's date.
#
# With an empty library and SampleDateTime.dll in Plugins, Tembric starts in
# the background while the user works in tembric-paste-target.exe with a
# known text on the clipboard. From the tray the user brings up Tembric,
# types "*Pl" (the focus lands on "*Plugins"), opens it with Right, goes
# down into "Date and time", opens that, goes down to its first item and
# types "Date", then presses Enter. Then: the tree shows the plugin's four
# items in "Date and time" below "*Plugins"; the main window hides and one
# paste reaches the target with today's date (yyyy-mm-dd); the known text
# is on the clipboard again within 3 s; no message box; Tembric answers.
#
# Case "shortcut": the settings file gives the item "Date" the hotkey
# Ctrl+Alt+D and the abbreviation "dt" in its section "Plugin\Date" (key
# names in other letter case, as a user may write them). With the user in
# the target, Ctrl+Alt+D pastes today's date; "=dt" and a space is replaced
# by the date. "Shut down" from the tray menu keeps the section as it was;
# after a restart Ctrl+Alt+D pastes the date again.
# shellcheck source-path=SCRIPTDIR source=lib/harness.sh
source "$(dirname "$0")/lib/harness.sh"
# shellcheck source-path=SCRIPTDIR source=lib/main_window.sh
source "$(dirname "$0")/lib/main_window.sh"

readonly TARGET_TITLE='Paste here'
readonly KNOWN_TEXT='on the clipboard before'
readonly FOLDER='Date and time'
readonly case=${1:-tree}
e2e_setup
add_sample_plugin
if [ "$case" = shortcut ]; then
  # shellcheck source-path=SCRIPTDIR source=test_plugins_shortcut.sh
  source "$(dirname "$0")/test_plugins_shortcut.sh"
  exit 0
fi

step "Tembric in the background, the user in the paste target"
target_log=$E2E_TMP/pasted.log
behind_paste_target "$TARGET_TITLE" "$target_log" "$KNOWN_TEXT"

# The focused item's caption without its state; a folder's caption may end
# in its count.
focused_caption() { tree_focus | sed -E 's/ (expanded|collapsed)$//'; }
# shellcheck disable=SC2317  # called through wait_for
focus_is() { [ "$(focused_caption)" = "$1" ] || [[ "$(focused_caption)" == "$1 ("* ]]; }
expect_focus() {  # CAPTION WHEN
  wait_for focus_is "$1" 5 || fail "$2: the tree's focus is on \"$(tree_focus)\", expected \"$1\""
}
# shellcheck disable=SC2317
expanded() { tree_focus | found ' expanded$'; }

step "bring up Tembric, walk to \"*Plugins\\$FOLDER\\Date\""
show_from_tray
activate_main
xdotool type --delay 120 '*Pl'
expect_focus '*Plugins' 'after typing "*Pl"'
xdotool key Right
wait_for expanded 5 || fail "Right did not open \"*Plugins\": $(tree_focus)"
xdotool key Down
expect_focus "$FOLDER" "after Down below \"*Plugins\""
xdotool key Right
wait_for expanded 5 || fail "Right did not open \"$FOLDER\": $(tree_focus)"
xdotool key Down
xdotool type --delay 120 'Date'
expect_focus 'Date' "after typing \"Date\" in \"$FOLDER\""

step "the plugin's items in their folder"
items=$(probe tree-items "$MAIN_CLASS") || fail "the main window's tree cannot be read: $items"
# Captions at DEPTH, in tree order.
captions_at() { printf '%s\n' "$items" | awk -v d="$1" '$1 == "item" && $2 == d { sub(/^item [0-9]+ -?[0-9]+ [a-z]+ [a-z-]+ /, ""); print }'; }
[[ "$(captions_at 0 | head -n 1)" == '*Plugins'* ]] || fail "the first top-level item is not \"*Plugins\":"$'\n'"$items"
[[ "$(captions_at 1)" == "$FOLDER"* ]] || fail "\"*Plugins\" does not hold just \"$FOLDER\":"$'\n'"$items"
assert_eq $'Date\nDate and time\nISO 8601\nTime' "$(captions_at 2 | sort)" "the items in \"$FOLDER\""
screenshot main-window

step "Enter"
before=$(date +%F)
xdotool key Return

pastes() { target_pastes "$target_log"; }
# shellcheck disable=SC2317
pasted() {
  alive "$TEMBRIC_PID" || fail "Tembric ended"
  [ "$(pastes)" -gt 0 ]
}
# shellcheck disable=SC2317
known_text_back() { [ "$(probe clipboard-text 2>/dev/null)" = "$KNOWN_TEXT" ]; }
details() { printf '\ntarget log:\n%s\ndebug log:\n%s\nboxes:\n%s\n' "$(cat "$target_log")" "$(debug_log)" "$(tembric_boxes)"; }

wait_hidden 5
step "today's date reaches the target"
wait_for pasted 5 || fail "no paste reached the target within 5s:$(details)"
after=$(date +%F)
text=$(target_paste_field "$target_log" text)
[ "$text" = "text $before" ] || [ "$text" = "text $after" ] ||
  fail "the paste brought \"$text\", expected \"text $before\":$(details)"
log "pasted: $text"

step "the text from before is back on the clipboard"
wait_for known_text_back 3 ||
  fail "the clipboard holds \"$(probe clipboard-text 2>&1)\" 3s after the paste, expected \"$KNOWN_TEXT\""
[ "$(pastes)" -eq 1 ] || fail "$(pastes) pastes reached the target, expected 1:$(details)"
[ -z "$(tembric_boxes)" ] || fail "a message box is shown: $(tembric_boxes)"
probe_quiet answers "$MAIN_CLASS" 5 || fail "Tembric does not answer after the paste"
