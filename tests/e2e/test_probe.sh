#!/usr/bin/env bash
# The probe's readers of another process's controls, checked against a
# window whose contents are known (tembric-e2e-target.exe -controls): if one
# of them misreads, the main-window scenarios would judge Tembric wrongly.
# shellcheck source-path=SCRIPTDIR source=lib/harness.sh
source "$(dirname "$0")/lib/harness.sh"
e2e_setup
title="Probe check"

step "a window with known controls"
wine "$TEMBRIC_BUILD_DIR/bin/tembric-e2e-target.exe" "$title" -controls >/dev/null 2>&1 &
E2E_BACKGROUND_PIDS+=("$!")
expect probe_quiet wait-window -visible -name "$title" 0.5 10 -- "the window \"$title\""

step "window-state"
state=$(probe window-state -name "$title")
log "$state"
field() { awk -v k="$1" '$1 == k { sub(/^[^ ]+ /, ""); print; exit }' <<<"$state"; }
assert_eq "$title" "$(field title)" "title"
assert_eq "100 100 580 460" "$(field rect)" "rect (as created)"
assert_eq "480 360" "$(field size)" "size"
assert_eq "1280 1024" "$(field screen)" "screen"
assert_eq 1 "$(field layered)" "layered"
assert_eq 128 "$(field alpha)" "alpha"
assert_eq 1 "$(field menu)" "menu bar"
assert_eq visible "$(field toolbar)" "toolbar"

step "tree-items: every reachable item, with depth and state"
items=$(probe tree-items -name "$title") || fail "tree-items failed: $items"
assert_eq "count 5" "$(head -n 1 <<<"$items" | grep -o 'count .*')" "item count"
assert_eq "0 *Plugins
0 Mail (2)
1 Home
1 Sign
0 Note" "$(printf '%s\n' "$items" | awk '$1 == "item" { d = $2; sub(/^item [0-9]+ -?[0-9]+ [a-z]+ [a-z-]+ /, ""); print d, $0 }')" \
  "items (depth, text)"
printf '%s\n' "$items" | found '^item 0 1 expanded - Mail (2)$' || fail "Mail (2) not reported expanded with 1 child flag: $items"
probe wait-tree -name "$title" 5 5 | found '^ready .* count 5$' || fail "wait-tree did not see 5 painted items"
rc=0
probe wait-tree -name "$title" 6 0.5 >/dev/null || rc=$?
assert_eq 1 "$rc" "wait-tree for more items than there are (exit code)"

step "controls, edit-text"
controls=$(probe controls -name "$title")
assert_eq "TembricDB|WinDB|RelDB" "$(printf '%s\n' "$controls" | awk -F'\t' '$2 == "SysTabControl32" { sub(/^tabs /, "", $6); print $6 }')" "tab captions"
assert_eq "items 5" "$(printf '%s\n' "$controls" | awk -F'\t' '$2 == "SysTreeView32" { print $6 }')" "tree in the control list"
assert_eq $'first line\nTarget: x | y' "$(probe edit-text -multiline -name "$title")" "multi-line edit text"
assert_eq "one line" "$(probe edit-text -single -name "$title")" "one-line edit text"

step "toolbar: a click where the probe says lands on the button"
bar=$(probe toolbar -name "$title")
log "$bar"
assert_eq "button separator button" "$(printf '%s\n' "$bar" | awk -F'\t' 'NR > 1 { printf "%s%s", sep, $3; sep = " " }')" "button kinds"
xy=$(printf '%s\n' "$bar" | awk -F'\t' '$7 == "Show Table" { print $6 }')
# shellcheck disable=SC2086  # "X Y"
xdotool mousemove $xy click 1
expect probe_quiet wait-window -name "command 103" 0.5 5 -- "the Show Table button's command (103)"

step "close-box: a click there closes the window"
xy=$(probe close-box -name "command 103") || fail "no close box found: $xy"
# shellcheck disable=SC2086  # "X Y"
xdotool mousemove $xy click 1
probe_quiet wait-gone -name "command 103" 5 || fail "the window is still there after a click on its close box"
