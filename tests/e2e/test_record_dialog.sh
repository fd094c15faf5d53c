#!/usr/bin/env bash
# The record dialog ("Record properties") opened on a record of the main
# window with Ctrl+E, used as a user does. test_record_dialog.sh CASE:
#
#   open         the dialog shows the record: caption "<Name> - Properites",
#                its name, its text, the tabs "Content" and "Context", "Save"
#                and "Cancel"; Esc closes it and the record is as it was
#   save_checks  a name with "=": Save shows the warning box "Please do not
#                use '=' in Name" with one OK button and the dialog stays;
#                after OK the name is mended and Save closes the dialog;
#                the record is stored under its new name and stays focused
#   new          Insert in the filter box on "Welcome" opens "New record"; a
#                name and Save put a top-level record, focused, into tembric.db
#   add_child    Ctrl+A on the folder "Mail" opens "New record"; a name and
#                Save put the record into Mail, focused, and into tembric.db
#   rename       Ctrl+E on the folder "Mail", renamed "Post" and saved: the
#                folder keeps its records in the tree, and tembric.db holds
#                them below \Post and nothing below \Mail
#   keystroke    capital letters typed into the Keystroke box appear small
#   picture      "Load from file" of a JPEG, then of a BMP, shows each
#                picture at its size, centred in its box, in its colour
#   picker       on the Context tab, "Enable context dependence" and "New
#                item": the picker lists the paste target's window and none
#                of Tembric's; with it checked, OK adds its row; Save stores
#                the context, and Tembric shown from the target with the show
#                hotkey offers the record in the context folder, named after
#                the target's program, where Enter pastes it
# shellcheck source-path=SCRIPTDIR source=lib/harness.sh
source "$(dirname "$0")/lib/harness.sh"
# shellcheck source-path=SCRIPTDIR source=lib/main_window.sh
source "$(dirname "$0")/lib/main_window.sh"
# shellcheck source-path=SCRIPTDIR source=lib/record_dialog.sh
source "$(dirname "$0")/lib/record_dialog.sh"

readonly CASE=${1:?usage: test_record_dialog.sh open|save_checks|new|add_child|rename|keystroke|picture|picker}
readonly PICKER_CLASS=TSelWinForm
readonly TARGET_TITLE='Context window'
require_db_tool
e2e_setup

focus_is() { [ "$(tree_focus)" = "$1" ]; }

# open_dialog LETTERS ITEM: types LETTERS in the main window until the tree's
# focus is on ITEM ("Welcome collapsed"), presses Ctrl+E and waits for the
# dialog; sets DIALOG_CAPTION.
open_dialog() {
  xdotool type --delay 120 "$1"
  wait_for focus_is "$2" 5 || fail "the tree's focus is on \"$(tree_focus)\", expected \"$2\""
  xdotool key ctrl+e
  wait_for dialog_visible 10 || fail "Ctrl+E showed no record dialog within 10s"
  DIALOG_CAPTION=$(dialog_state | awk '$1 == "title" { sub(/^title /, ""); print; exit }')
  log "dialog \"$DIALOG_CAPTION\" shown"
  activate_dialog
}

step "library, start, the main window from the tray"
files=$E2E_TMP/files
mkdir -p "$files"
make_fixture_library
if [ "$CASE" = picture ]; then
  convert -size 64x48 xc:'#2050C0' JPEG:"$files/photo.jpg"
  convert -size 37x23 xc:'#E02020' -type TrueColor BMP3:"$files/picture.bmp"
  out=$(cd "$APP" && wine tembric-db.exe add "$(windows_path "$APP")" '\Picture' --type image \
    --content-file "$(windows_path "$files/picture.bmp")" 2>&1) || fail "tembric-db add \\Picture failed: $out"
fi
if [ "$CASE" = picker ]; then
  start_tembric
  wait_started 20
  wait_tray_icon 10
  start_paste_target "$TARGET_TITLE" "$E2E_TMP/target.log"
  # The context stored later is the target's application as Tembric
  # identified it: the sampling has to see the target in front first.
  wait_target "$TARGET_TITLE"
else
  start_tembric
  wait_started 20
  wait_tray_icon 10
fi
show_from_tray
activate_main

case "$CASE" in
open)
  open_dialog We "Welcome collapsed"
  assert_eq "Welcome - Properites" "$DIALOG_CAPTION" "caption"
  assert_eq "Welcome" "$(control_text edit 1)" "Name box"
  assert_eq 'text of \\Welcome' "$(control_text edit 3)" "memo"
  dialog_controls | awk -F'\t' '$6 == "tabs Content|Context" { f = 1 } END { exit !f }' ||
    fail "no tabs \"Content\" and \"Context\":"$'\n'"$(dialog_controls)"
  if [ -z "$(button_rect Save)" ] || [ -z "$(button_rect Cancel)" ]; then
    fail "no Save and Cancel buttons:"$'\n'"$(dialog_controls)"
  fi
  screenshot dialog
  xdotool key Escape
  wait_for dialog_hidden 5 || fail "Esc did not close the dialog"
  wait_shown 5
  assert_eq "Welcome collapsed" "$(tree_focus)" "the record after Esc"
  ;;
save_checks)
  open_dialog We "Welcome collapsed"
  step "a name with \"=\" is refused"
  replace_name "Wel=come"
  xdotool key Return
  answer_box "dialogs 1"$'\n'"text Please do not use '=' in Name"$'\n'"button OK" OK "the warning box"
  dialog_visible || fail "the dialog closed although Save was refused"
  step "mended, Save closes the dialog"
  activate_dialog
  replace_name "Welcome back"
  xdotool key Return
  wait_for dialog_hidden 5 || fail "Save did not close the dialog; boxes: $(tembric_boxes)"
  [ -z "$(tembric_boxes)" ] || fail "a message box is shown: $(tembric_boxes)"
  wait_shown 5
  assert_eq "Welcome back collapsed" "$(tree_focus)" "the record after Save, renamed"
  ;;
new | add_child)
  if [ "$CASE" = new ]; then
    letters=We focus="Welcome collapsed" key=Insert name=Later stored='\\Later'
  else
    letters=Ma focus="Mail (3) collapsed" key=ctrl+a name=Notes stored='\\Mail\\Notes'
  fi
  xdotool type --delay 120 "$letters"
  wait_for focus_is "$focus" 5 || fail "the tree's focus is on \"$(tree_focus)\", expected \"$focus\""
  xdotool key "$key"
  wait_for dialog_visible 10 || fail "$key showed no record dialog within 10s"
  DIALOG_CAPTION=$(dialog_state | awk '$1 == "title" { sub(/^title /, ""); print; exit }')
  assert_eq "New record" "$DIALOG_CAPTION" "caption"
  activate_dialog
  replace_name "$name"
  xdotool key Return
  wait_for dialog_hidden 5 || fail "Save did not close the dialog; boxes: $(tembric_boxes)"
  [ -z "$(tembric_boxes)" ] || fail "a message box is shown: $(tembric_boxes)"
  wait_shown 5
  wait_for focus_is "$name collapsed" 5 || fail "the tree's focus is on \"$(tree_focus)\", expected \"$name collapsed\""
  saved=$(cd "$APP" && wine tembric-db.exe list "$(windows_path "$APP")" 2>&1 | tr -d '\r') ||
    fail "tembric-db list failed: $saved"
  printf '%s\n' "$saved" | found "^$stored"$'\t' || fail "tembric.db does not hold $stored:"$'\n'"$saved"
  ;;
rename)
  open_dialog Ma "Mail (3) collapsed"
  assert_eq "Mail - Properites" "$DIALOG_CAPTION" "caption"
  replace_name Post
  xdotool key Return
  wait_for dialog_hidden 5 || fail "Save did not close the dialog; boxes: $(tembric_boxes)"
  [ -z "$(tembric_boxes)" ] || fail "a message box is shown: $(tembric_boxes)"
  wait_shown 5
  wait_for focus_is "Post (3) collapsed" 5 || fail "the tree's focus is on \"$(tree_focus)\", expected the renamed folder"
  activate_main
  xdotool key Right Down
  wait_for focus_is "Draft collapsed" 5 || fail "below Post the focus is on \"$(tree_focus)\", expected Draft"
  saved=$(cd "$APP" && wine tembric-db.exe list "$(windows_path "$APP")" 2>&1 | tr -d '\r' | cut -f1) ||
    fail "tembric-db list failed: $saved"
  assert_eq '\Post
\Post\Draft
\Post\Home
\Post\Sign' "$(printf '%s\n' "$saved" | grep -E '^\\(Mail|Post)' | LC_ALL=C sort)" "the folder's rows in tembric.db"
  ;;
keystroke)
  open_dialog We "Welcome collapsed"
  click_rect "$(control_rect edit 2)"
  xdotool type --delay 80 'ABz-Q'
  # shellcheck disable=SC2317
  keystroke_is() { [ "$(control_text edit 2)" = "$1" ]; }
  wait_for keystroke_is 'abz-q' 5 || fail "the Keystroke box holds \"$(control_text edit 2)\", expected \"abz-q\""
  xdotool key Escape
  wait_for dialog_hidden 5 || fail "Esc did not close the dialog"
  ;;
picture)
  open_dialog Pi "Picture collapsed"
  # load_picture FILE W H COLOUR: Load from file, FILE typed into the
  # open-file dialog; then the picture is W x H, centred in its box, and
  # its middle pixel is near COLOUR ("R G B").
  load_picture() {
    load_from_file "$1"
    # shellcheck disable=SC2317
    picture_size_is() {
      local l t r b
      IFS=, read -r l t r b <<<"$(control_rect TembricPicture 1)"
      [ -n "$b" ] && [ $((r - l)) -eq "$2" ] && [ $((b - t)) -eq "$3" ]
    }
    wait_for picture_size_is "$1" "$2" "$3" 10 ||
      fail "after loading $1 the picture is at \"$(control_rect TembricPicture 1)\", expected ${2}x$3"
    local pl pt pr pb bl bt br bb
    IFS=, read -r pl pt pr pb <<<"$(control_rect TembricPicture 1)"
    IFS=, read -r bl bt br bb <<<"$(control_rect TembricScrollBox 1)"
    # Centred in the box's client area (2-pixel sunken edge), to a pixel.
    local dx=$(((pl - bl - 2) - (br - 2 - pr))) dy=$(((pt - bt - 2) - (bb - 2 - pb)))
    if [ "${dx#-}" -gt 1 ] || [ "${dy#-}" -gt 1 ]; then
      fail "the picture $pl,$pt,$pr,$pb is not centred in its box $bl,$bt,$br,$bb"
    fi
    screenshot "picture-$(basename "$1")"
    local shot pixel
    shot=$E2E_ARTIFACTS/$E2E_NAME-picture-$(basename "$1").png
    [ -f "$shot" ] || fail "no screenshot"
    pixel=$(convert "$shot" -format "%[fx:int(255*p{$(((pl + pr) / 2)),$(((pt + pb) / 2))}.r)] %[fx:int(255*p{$(((pl + pr) / 2)),$(((pt + pb) / 2))}.g)] %[fx:int(255*p{$(((pl + pr) / 2)),$(((pt + pb) / 2))}.b)]" info:)
    local want got
    read -r -a want <<<"$4"
    read -r -a got <<<"$pixel"
    for i in 0 1 2; do
      local d=$((got[i] - want[i]))
      [ "${d#-}" -le 24 ] || fail "the picture's middle pixel is \"$pixel\", expected about \"$4\""
    done
  }
  load_picture "$files/photo.jpg" 64 48 "32 80 192"
  load_picture "$files/picture.bmp" 37 23 "224 32 32"
  xdotool key Escape
  wait_for dialog_hidden 5 || fail "Esc did not close the dialog"
  ;;
picker)
  open_dialog We "Welcome collapsed"
  step "Context tab, context dependence on, New item"
  tab_rect=$(dialog_controls | awk -F'\t' '$6 == "tabs Content|Context" { print $4; exit }')
  IFS=, read -r tl tt _ _ <<<"$tab_rect"
  # A click on the first tab's caption focuses the tabs; Right brings the next one.
  xdotool mousemove $((tl + 20)) $((tt + 10)) click 1
  xdotool key Right
  # shellcheck disable=SC2317
  context_tab_shown() { [ -n "$(button_rect 'Enable context dependence')" ]; }
  wait_for context_tab_shown 5 || fail "the Context tab did not come to the front:"$'\n'"$(dialog_controls)"
  click_rect "$(button_rect 'Enable context dependence')"
  click_rect "$(button_rect 'New item')"
  probe_while "$TEMBRIC_PID" wait-window -visible "$PICKER_CLASS" 10 >/dev/null || fail "New item showed no picker"
  # picker_rows: "item checked|unchecked SELECTED APPLICATION<TAB>TITLE" per listed window.
  picker_rows() { probe list-items "$PICKER_CLASS" | grep '^item '; }
  # shellcheck disable=SC2317
  picker_filled() { picker_rows | found .; }
  wait_for picker_filled 5 || fail "the picker lists nothing"
  rows=$(picker_rows)
  log "picker rows:"$'\n'"$rows"
  screenshot picker
  titles=$(printf '%s\n' "$rows" | awk -F'\t' '{ print $2 }')
  # The unseen third column holds each row's window handle in decimal.
  bad=$(printf '%s\n' "$rows" | awk -F'\t' '$3 !~ /^[1-9][0-9]*$/')
  [ -z "$bad" ] || fail "rows without a decimal window handle:"$'\n'"$bad"
  printf '%s\n' "$titles" | found -x "$TARGET_TITLE" || fail "the picker does not list \"$TARGET_TITLE\":"$'\n'"$rows"
  # None of Tembric's windows, shown or hidden.
  while IFS=$'\t' read -r _ _ _ _ _ own_title; do
    [ -n "$own_title" ] || continue
    printf '%s\n' "$titles" | found -xF "$own_title" && fail "the picker lists Tembric's \"$own_title\":"$'\n'"$rows"
  done < <(tembric_windows)
  # Check the target's row with the keyboard (Space toggles a row's check box), then OK.
  index=$(printf '%s\n' "$titles" | grep -nx "$TARGET_TITLE" | head -n 1 | cut -d: -f1)
  picker_window=$(x_visible_titled 'Add context items' | head -n 1)
  [ -n "$picker_window" ] || fail "the picker is not mapped"
  xdotool windowactivate --sync "$picker_window" >/dev/null 2>&1 || xdotool windowfocus --sync "$picker_window"
  list_rect=$(probe_reading controls "$PICKER_CLASS" | awk -F'\t' 'tolower($2) == "syslistview32" { print $4; exit }')
  IFS=, read -r ll _ lr lb <<<"$list_rect"
  # A click on the list's empty lower part gives it the focus without changing a row.
  xdotool mousemove $(((ll + lr) / 2)) $((lb - 4)) click 1
  xdotool key Home
  for ((k = 1; k < index; k++)); do xdotool key Down; done
  xdotool key space
  # shellcheck disable=SC2317
  target_checked() { picker_rows | awk -F'\t' -v t="$TARGET_TITLE" '$2 == t && $1 ~ /^item checked/ { f = 1 } END { exit !f }'; }
  wait_for target_checked 5 || fail "the target's row is not checked:"$'\n'"$(picker_rows)"
  ok_rect=$(probe_reading controls "$PICKER_CLASS" | awk -F'\t' 'tolower($2) == "button" && $5 == "OK" { print $4; exit }')
  click_rect "$ok_rect"
  probe_while "$TEMBRIC_PID" wait-gone -visible "$PICKER_CLASS" 5 >/dev/null || fail "OK did not close the picker"
  # shellcheck disable=SC2317
  context_rows() { probe list-items "$DIALOG_CLASS" | grep '^item '; }
  # shellcheck disable=SC2317
  context_row_added() { [ "$(context_rows | wc -l)" -eq 1 ] && context_rows | found $'\tAppl\t(Whole application)$'; }
  wait_for context_row_added 5 || fail "the Context tab's list holds"$'\n'"$(context_rows)"$'\n'"expected one whole-application row"
  log "context row: $(context_rows)"
  screenshot context-row
  step "Save stores the context; shown from the target, the context folder offers the record"
  click_rect "$(button_rect Save)"
  wait_for dialog_hidden 5 || fail "Save did not close the dialog; boxes: $(tembric_boxes)"
  wait_shown 5
  app=$(debug_log | tr -d '\r' | grep '^Target: ' | tail -n 1 | sed 's/^Target: //; s/ | .*$//')
  windows=$(cd "$APP" && wine tembric-db.exe list "$(windows_path "$APP")" windows 2>&1 | tr -d '\r')
  assert_eq "0"$'\t'"$app"$'\t'"(Whole application)" "$(printf '%s\n' "$windows" | cut -f2-)" "win.db"
  activate_main
  xdotool key Escape
  wait_hidden 5
  bring_to_front "$TARGET_TITLE"
  wait_target "$TARGET_TITLE"
  xdotool key ctrl+alt+z
  wait_shown 5
  tree_top_level | found -xF "$app (1)" || fail "no context folder \"$app (1)\":"$'\n'"$(tree_top_level)"
  wait_for focus_is "Welcome collapsed" 5 || fail "the tree's focus is on \"$(tree_focus)\", expected the context item"
  activate_main
  xdotool key Return
  # shellcheck disable=SC2317
  pasted() { [ "$(target_pastes "$E2E_TMP/target.log")" -ge 1 ]; }
  wait_for pasted 10 || fail "Enter on the context item pasted nothing; log:"$'\n'"$(debug_log)"
  assert_eq 'text text of \\Welcome' "$(target_paste_field "$E2E_TMP/target.log" text)" "the paste"
  ;;
*)
  fail "unknown case $CASE"
  ;;
esac

[ -z "$(tembric_boxes)" ] || fail "a message box is shown: $(tembric_boxes)"
probe_quiet answers "$MAIN_CLASS" 5 || fail "Tembric does not answer"
