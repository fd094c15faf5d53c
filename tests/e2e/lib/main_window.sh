# shellcheck shell=bash
# Helpers for the scenarios that bring up Tembric's main window and drive it
# as a user does: the tray icon, the close box, Esc, the menu bar, the
# toolbar. Sourced after harness.sh (and after e2e_setup for the functions
# that run programs).
#
#   make_fixture_library       a small library in $APP (FIXTURE_TOP_LEVEL)
#   tray_window / wait_tray_icon / click_tray BUTTON
#   show_from_tray             left click on the tray icon, main window shown
#   tray_menu_choose first|last  right click, then an item of the tray menu
#   main_state / state_of KEY  the probe's window-state of TForm1
#   assert_centred STATE WHAT
#   tree_top_level             the tree's top-level captions, one a line
#   activate_main              X focus on the main window (for keys)
#   menu_choose MENU_INDEX KEYS...  opens a menu of the bar, then keys
#   click_close_box / click_toolbar_button TEXT
#   ini_value SECTION KEY      a value of $APP/Tembric.ini
#   wait_hidden / wait_shown   TForm1 hidden / shown, Tembric alive
#   tree_focus                 the tree's focused item: "TEXT expanded|collapsed"
#   debug_log                  the text of the debug window's log box
#   tembric_boxes              Tembric's visible message boxes
#   answer_box EXPECTED BUTTON WHAT  a "Tembric" box reads EXPECTED; BUTTON closes it
#   start_paste_target TITLE LOG [OPTION...]  an edit box to paste into, given the focus
#   wait_target TITLE          Tembric has taken that window as the target

readonly MAIN_CLASS=TForm1
readonly MAIN_CAPTION='Tembric 1.2'

# The top-level captions the fixture library gives, in tree order, with the
# context folder (whose caption follows the window the user came from)
# written as "<context> (0)".
# shellcheck disable=SC2034
readonly FIXTURE_TOP_LEVEL='*Plugins
<context> (0)
Archive
Mail (3)
Welcome'

# make_fixture_library: records made with the store tool, as a user's
# library would hold them: a folder with three records, an empty folder and a
# top-level record.
make_fixture_library() {
  local path out
  for path in '\Mail\Sign' '\Mail\Home' '\Mail\Draft' '\Welcome'; do
    out=$(cd "$APP" && wine tembric-db.exe add "$(windows_path "$APP")" "$path" --memo "text of $path" 2>&1) ||
      fail "tembric-db add $path failed: $out"
  done
  out=$(cd "$APP" && wine tembric-db.exe add "$(windows_path "$APP")" '\Archive' --type folder 2>&1) ||
    fail "tembric-db add \\Archive failed: $out"
  FIXTURE_RECORDS=$(cd "$APP" && wine tembric-db.exe list "$(windows_path "$APP")" 2>&1 | tr -d '\r') ||
    fail "tembric-db list failed: $FIXTURE_RECORDS"
}

require_db_tool() {
  [ -f "$TEMBRIC_BUILD_DIR/bin/tembric-db.exe" ] ||
    skip "tembric-db.exe is not built in $TEMBRIC_BUILD_DIR/bin; the scenario needs a library"
}

# ------------------------------------------------------------------ tray

tray_window() { xdotool search --onlyvisible --name '^Wine System Tray$' 2>/dev/null | head -n 1; }

tray_shown() {
  alive "$TEMBRIC_PID" || fail "Tembric ended (waiting for its tray icon)"
  [ -n "$(tray_window)" ]
}

wait_tray_icon() {  # SECONDS
  wait_for tray_shown "$1" || fail "no tray icon (no \"Wine System Tray\" window) within $1s"
}

# Two clicks at one spot closer together than the double-click time (500 ms
# by default) make the second one a double click, which is no button press:
# the tray icon ignores it, and on the menu bar it opens no menu. A click on
# either waits until 600 ms have passed since the last one there.
TRAY_LAST_CLICK=0
MENU_BAR_LAST_CLICK=0
wait_click_gap() {  # TIME OF THE LAST CLICK
  wait_for e2e_past "$(awk -v t="$1" 'BEGIN { printf "%.3f", t + 0.6 }')" 1
}
wait_tray_click_gap() { wait_click_gap "$TRAY_LAST_CLICK"; }
click_tray() {  # BUTTON (1 left, 3 right)
  local tray
  tray=$(tray_window)
  [ -n "$tray" ] || fail "no tray icon to click"
  wait_tray_click_gap
  xdotool mousemove --window "$tray" 10 10 click "$1"
  TRAY_LAST_CLICK=$(date +%s.%N)
}

# ----------------------------------------------------------- main window

# main_state: the probe's window-state of the main window. Once in a few
# hundred runs on a loaded machine the probe gave no reading at all (empty
# output), and a check then compared against nothing; such a probe is asked
# again, for up to 5 s. What a reading says is never made up: without one
# the output stays as the probe gave it.
main_state() {
  local out end
  end=$(e2e_deadline 5)
  while :; do
    out=$(probe window-state "$MAIN_CLASS" 2>&1 || true)
    if printf '%s\n' "$out" | found '^hwnd ' || e2e_past "$end"; then break; fi
    log "window-state of $MAIN_CLASS gave no reading (\"$out\"); asking again" >&2
    sleep 0.1
  done
  printf '%s\n' "$out"
}

# state_of KEY [STATE]: the value of one line of the window state (all of
# it after the key), from STATE or read now.
state_of() {
  local state=${2:-$(main_state)}
  awk -v k="$1" '$1 == k { sub(/^[^ ]+ /, ""); print; exit }' <<<"$state"
}

main_visible() {
  alive "$TEMBRIC_PID" || fail "Tembric ended"
  [ "$(state_of visible)" = 1 ]
}
main_hidden() {
  alive "$TEMBRIC_PID" || fail "Tembric ended"
  [ "$(state_of visible)" = 0 ]
}

wait_shown() {  # SECONDS
  wait_for main_visible "$1" || fail "the main window was not shown within $1s"
  # Mapped on the X side too: Wine maps the window a moment after it is
  # visible to Windows, and the keys and clicks that follow go through X.
  wait_for main_mapped "$1" || fail "the main window is shown but not mapped on the display"
}
main_mapped() { [ -n "$(x_visible_titled "$MAIN_CAPTION")" ]; }
wait_hidden() {  # SECONDS
  wait_for main_hidden "$1" || fail "the main window was not hidden within $1s"
  # Hidden on the X side too: nothing of Tembric stays mapped.
  wait_for main_unmapped "$1" || fail "the main window is hidden but still mapped on the display"
}
main_unmapped() { [ -z "$(x_visible_titled "$MAIN_CAPTION")" ]; }

show_from_tray() {
  click_tray 1
  wait_shown 10
}

# assert_centred STATE WHAT: the window of that window-state output is
# centred on the screen (to a pixel, for odd differences).
assert_centred() {
  local sw sh l t r b dx dy
  read -r sw sh <<<"$(state_of screen "$1")"
  read -r l t r b <<<"$(state_of rect "$1")"
  dx=$((l - (sw - (r - l)) / 2)) dy=$((t - (sh - (b - t)) / 2))
  if [ "${dx#-}" -gt 1 ] || [ "${dy#-}" -gt 1 ]; then
    fail "$2: not centred on the ${sw}x${sh} screen: at $l,$t, expected $(((sw - r + l) / 2)),$(((sh - b + t) / 2))"
  fi
}

# tree_top_level: the tree's top-level captions, one a line.
tree_top_level() {
  local out
  out=$(probe tree-items "$MAIN_CLASS") || fail "the main window's tree cannot be read: $out"
  printf '%s\n' "$out" | awk '$1 == "item" && $2 == 0 { sub(/^item [0-9]+ -?[0-9]+ [a-z]+ [a-z-]+ /, ""); print }'
}

# The captions with the context folder's variable name replaced.
tree_top_level_normalised() {
  tree_top_level | awk 'NR == 2 && / \([0-9]+\)$/ { sub(/^.* \(/, "<context> ("); } { print }'
}

# tree_focus: the focused item of the main window's tree as "TEXT
# expanded|collapsed" (empty when no item has the focus).
tree_focus() {
  probe tree-items "$MAIN_CLASS" |
    awk '$1 == "item" && $5 == "selected" { s = $4; sub(/^item [0-9]+ -?[0-9]+ [a-z]+ selected /, ""); print $0 " " s; exit }'
}

# debug_log: the text of the debug window's log box (the window may be
# hidden; the box is filled all the same).
debug_log() { probe edit-text -multiline TForm2 2>/dev/null || true; }

# tembric_boxes: one windows-of-exe line per visible message box of Tembric.
tembric_boxes() { tembric_windows | awk -F'\t' '$3 == "#32770" && $4 == "visible"'; }

no_tembric_box() { [ -z "$(tembric_boxes)" ]; }

# answer_box EXPECTED BUTTON WHAT: a box titled "Tembric" shows within 10 s
# and reads EXPECTED (the probe's dialog-text lines); BUTTON is pressed and
# every box of Tembric is gone within 5 s.
answer_box() {
  wait_box Tembric 10
  assert_eq "$1" "$(probe dialog-text Tembric)" "$3"
  probe press Tembric "$2" >/dev/null || fail "could not press $2 in $3"
  wait_for no_tembric_box 5 || fail "$3 stays after $2: $(tembric_boxes)"
}

# start_paste_target TITLE LOG [OPTION...]: starts tembric-paste-target.exe
# (with the OPTIONs, e.g. -keys FILE), which logs every paste into its edit
# box to the Unix file LOG, and gives its window
# the focus as a user who clicks it does; sets PASTE_TARGET_PID. Tembric
# takes the window as the one to paste into once it has sampled the
# foreground window in the background: see wait_target.
start_paste_target() {
  local title=$1 log=$2 xwin=
  shift 2
  [ -f "$TEMBRIC_BUILD_DIR/bin/tembric-paste-target.exe" ] || fail "tembric-paste-target.exe is not built"
  : >"$log"
  wine "$TEMBRIC_BUILD_DIR/bin/tembric-paste-target.exe" -log "$(windows_path "$log")" "$@" "$title" >/dev/null 2>&1 &
  PASTE_TARGET_PID=$!
  E2E_BACKGROUND_PIDS+=("$PASTE_TARGET_PID")
  # shellcheck disable=SC2317  # called through wait_for
  paste_target_mapped() { xwin=$(x_visible_titled "$title" | head -n 1); [ -n "$xwin" ]; }
  wait_for paste_target_mapped 10 || fail "the paste target \"$title\" did not appear"
  xdotool windowactivate --sync "$xwin" >/dev/null 2>&1 || xdotool windowfocus --sync "$xwin"
  # shellcheck disable=SC2317
  paste_target_in_front() { probe window-state -name "$title" | found -x "foreground 1"; }
  wait_for paste_target_in_front 5 || fail "the paste target \"$title\" did not come to the front"
}

# behind_paste_target TITLE LOG KNOWN_TEXT [OPTION...]: Tembric started and
# running in the background while the user works in the paste target TITLE
# (logging to LOG, started with the OPTIONs), which Tembric has taken as the
# target; KNOWN_TEXT is on the clipboard.
behind_paste_target() {
  start_tembric
  wait_started 20
  wait_tray_icon 10
  start_paste_target "$1" "$2" "${@:4}"
  wait_target "$1"
  probe clipboard-set-text "$3" || fail "the clipboard's text could not be set"
}

# target_edit: the text of the edit box of the paste target titled
# $TARGET_TITLE.
target_edit() { probe_reading controls -name "$TARGET_TITLE" | awk -F'\t' 'tolower($2) == "edit" { print $5; exit }'; }

# target_pastes LOG: how many pastes the paste target logged.
target_pastes() { grep -c '^paste' "$1" || true; }
# target_paste_field LOG KEY: a field of the first logged paste ("text ...",
# "bitmap W H", "formats ...").
target_paste_field() { awk -F'\t' -v k="$2" 'NR == 1 { for (i = 2; i <= NF; i++) if (index($i, k " ") == 1) print $i }' "$1"; }

# wait_target TITLE: Tembric, in the background, has identified the window
# titled TITLE as the one the user works in (its debug log's latest
# "Target: APPLICATION | TITLE" line).
wait_target() {
  # shellcheck disable=SC2317
  target_is() {
    alive "$TEMBRIC_PID" || fail "Tembric ended"
    [ "$(debug_log | grep '^Target: ' | tail -n 1 | sed 's/^.* | //')" = "$1" ]
  }
  # A start under heavy load can take several seconds before the first sample.
  wait_for target_is "$1" 15 || fail "Tembric did not take \"$1\" as the target within 15s; log:"$'\n'"$(debug_log)"
}

# bring_to_front TITLE: the window titled TITLE has the X focus and is the
# foreground window, as the user's click on it makes it. Activating the
# window that already holds the X focus tells Wine nothing (after the tray's
# menu, the tray may be Wine's foreground window instead): then another
# window is activated first, as a user clicks elsewhere and back.
bring_to_front() {
  local w other i
  w=$(x_visible_titled "$1" | head -n 1)
  [ -n "$w" ] || fail "no window \"$1\" is mapped"
  # shellcheck disable=SC2317  # called through wait_for
  titled_in_front() { probe window-state -name "$1" | found -x "foreground 1"; }
  for i in 1 2 3; do
    xdotool windowactivate --sync "$w" >/dev/null 2>&1 || xdotool windowfocus --sync "$w"
    wait_for titled_in_front "$1" 2 && return 0
    log "\"$1\" is not the foreground window after activation $i"
    other=$(tray_window)
    [ -z "$other" ] || xdotool windowactivate --sync "$other" >/dev/null 2>&1 || xdotool windowfocus --sync "$other" || true
  done
  fail "\"$1\" did not come to the front"
}

# activate_main: the main window gets the X focus, so that typed keys reach it.
activate_main() {
  local w
  wait_for main_mapped 5 || fail "the main window is not mapped"
  w=$(x_visible_titled "$MAIN_CAPTION" | head -n 1)
  [ -n "$w" ] || fail "the main window is not mapped"
  xdotool windowactivate --sync "$w" >/dev/null 2>&1 || xdotool windowfocus --sync "$w"
}

# menu_choose INDEX KEYS...: clicks the INDEX-th (0-based) item of the menu
# bar and types KEYS in the opened menu. Menu bars of other processes cannot
# be read under Wine, so the item is found by position: the first sits at
# the client area's left edge, just above it; further ones are reached with
# Right, which opens the next menu with its first item selected.
menu_choose() {
  local index=$1 state x y i
  shift
  state=$(main_state)
  [ "$(state_of menu "$state")" = 1 ] || fail "the main window has no menu bar"
  read -r x y <<<"$(state_of client-origin "$state")"
  activate_main
  wait_click_gap "$MENU_BAR_LAST_CLICK"
  xdotool mousemove "$((x + 12))" "$((y - 9))" click 1
  MENU_BAR_LAST_CLICK=$(date +%s.%N)
  wait_for popup_menu_shown 5 || fail "clicking the menu bar opened no menu"
  for ((i = 0; i < index; i++)); do xdotool key Right; done
  [ $# -eq 0 ] || xdotool key "$@"
}

popup_menu_shown() { tembric_windows | awk -F'\t' '$3 == "#32768" && $4 == "visible"' | found .; }

# tray_menu_choose first|last: opens the tray menu and clicks its first item
# ("Show") or its last ("Shut down"), a few pixels inside the menu's top or
# bottom edge.
tray_menu_choose() {
  click_tray 3
  wait_for popup_menu_shown 5 || fail "a right click on the tray icon opened no menu"
  local rect l t r b
  rect=$(tembric_windows | awk -F'\t' '$3 == "#32768" && $4 == "visible" { print $5; exit }')
  IFS=, read -r l t r b <<<"$rect"
  if [ "$1" = first ]; then
    xdotool mousemove "$(((l + r) / 2))" "$((t + 10))" click 1
  else
    xdotool mousemove "$(((l + r) / 2))" "$((b - 10))" click 1
  fi
}

click_close_box() {
  local xy
  xy=$(probe close-box "$MAIN_CLASS") || fail "no close box on the main window: $xy"
  # shellcheck disable=SC2086  # "X Y"
  xdotool mousemove $xy click 1
}

# click_toolbar_button TEXT [INDEX]: the button with that caption, or, when
# no button has a caption, the INDEX-th (0-based) button that is not a
# separator (buttons may show their picture only).
click_toolbar_button() {
  local out='' xy
  # The window was just shown: on a busy machine its toolbar may be shown a
  # moment later.
  # shellcheck disable=SC2317  # called through wait_for
  toolbar_shown() { out=$(probe toolbar "$MAIN_CLASS") && head -n 1 <<<"$out" | found ' visible '; }
  wait_for toolbar_shown 5 || fail "no visible toolbar on the main window within 5s: $out"
  xy=$(awk -F'\t' -v t="$1" 'NR > 1 && $7 == t { print $6; exit }' <<<"$out")
  if [ -z "$xy" ] && [ $# -ge 2 ]; then
    xy=$(awk -F'\t' -v n="$2" 'NR > 1 && $3 == "button" { if (i++ == n) { print $6; exit } }' <<<"$out")
  fi
  [ -n "$xy" ] || fail "no toolbar button \"$1\": $out"
  # shellcheck disable=SC2086  # "X Y"
  xdotool mousemove $xy click 1
}

# --------------------------------------------------------------- settings

# ini_value SECTION KEY: the value in $APP/Tembric.ini (names without regard
# to case, as the program reads them); empty when missing.
ini_value() {
  tr -d '\r' <"$APP/Tembric.ini" | awk -v s="$1" -v k="$2" '
    /^\[.*\]$/ { cur = tolower(substr($0, 2, length($0) - 2)); next }
    cur == tolower(s) && index($0, "=") {
      key = substr($0, 1, index($0, "=") - 1); gsub(/^ +| +$/, "", key)
      if (tolower(key) == tolower(k)) { v = substr($0, index($0, "=") + 1); gsub(/^ +| +$/, "", v); print v; exit }
    }'
}
