#!/usr/bin/env bash
# Enter on a record pastes it into the application the user came from.
#
# Usage: test_paste.sh text|textfile|bmp|jpeg|missing|image|snapshot|
#                      made_snapshot|made_image
#
# A library of records with distinct first letters: a text of two lines, a
# link to a text file written with LF line ends and no final line break,
# links to a 37 x 23 24-bit BMP and to a 64 x 48 JPEG with an upper-case
# extension, a link to a picture that does not exist, a 19 x 11 picture of
# 16 colours held in the blob file (image), and a snapshot in the blob file
# of a clipboard that held a text and "HTML Format" (snapshot, captured
# with tembric-db from the prefix's clipboard). With
# Tembric in the background the user works in tembric-paste-target.exe
# (until Tembric has taken it as the target) with a known text on the
# clipboard, brings up Tembric from the tray, types the record's first
# letters and presses Enter. Then:
#   text, textfile  the main window hides; one paste reaches the target with
#                   the text on the clipboard (the file's lines ending in
#                   CR LF, the last one too), and the text lands in its edit
#                   box;
#   bmp, jpeg,      one paste reaches the target with a bitmap of the
#   image           picture's size and no text on the clipboard (and for
#                   the picture of 16 colours, its palette);
#   snapshot        one paste reaches the target with the snapshot's text
#                   and its "HTML Format" under this session's number;
#   missing         the main window hides, no paste reaches the target for
#                   1.5 s and no message box comes up;
#   made_snapshot,  the record is made in the program first: Insert in the
#   made_image      main window, "New record" given a name and the kind
#                   "Raw clipboard" (with the snapshot's clipboard) or
#                   "Image" with the JPEG loaded from its file, Save; then
#                   it pastes as a snapshot, or as a 64 x 48 bitmap;
# and in every case the known text is on the clipboard again within 3 s,
# no message box is shown and Tembric answers.
# shellcheck source-path=SCRIPTDIR source=lib/harness.sh
source "$(dirname "$0")/lib/harness.sh"
# shellcheck source-path=SCRIPTDIR source=lib/main_window.sh
source "$(dirname "$0")/lib/main_window.sh"
# shellcheck source-path=SCRIPTDIR source=lib/record_dialog.sh
source "$(dirname "$0")/lib/record_dialog.sh"

variant=${1:-}
# Per variant: the letters typed, the record's caption in the tree, and what
# the paste brings: "text ESCAPED" (escaped as the target's log and the probe
# write it), "bitmap W H", or "nothing".
case $variant in
  text) letters=Dea caption='Dear Anna' expected='text Dear Anna,\r\nsee you at 5.' ;;
  textfile) letters=Not caption='Notes file' expected='text one\r\ntwo\r\n' ;;
  bmp) letters=Bit caption='Bitmap picture' expected='bitmap 37 23' ;;
  jpeg) letters=Jpe caption='Jpeg photo' expected='bitmap 64 48' ;;
  missing) letters=Los caption='Lost picture' expected=nothing ;;
  image) letters=Ico caption='Icon in the library' expected='bitmap 19 11' format='^9$' ;;
  snapshot) letters=Sna caption='Snapshot' expected='text snapshot text' format='=HTML Format$' ;;
  made_snapshot) letters=Whol caption='Whole clipboard' expected='text snapshot text' format='=HTML Format$' ;;
  made_image) letters=Pho caption='Photo' expected='bitmap 64 48' ;;
  *) echo "usage: $0 text|textfile|bmp|jpeg|missing|image|snapshot|made_snapshot|made_image" >&2; exit 2 ;;
esac
readonly TARGET_TITLE='Paste here'
readonly KNOWN_TEXT='on the clipboard before'
require_db_tool
e2e_setup

step "files and library"
files=$E2E_TMP/files
mkdir -p "$files"
printf 'one\ntwo' >"$files/notes.txt"
convert -size 37x23 gradient:red-blue -type TrueColor BMP3:"$files/picture.bmp"
convert -size 64x48 gradient:yellow-green JPEG:"$files/photo.JPEG"
[ "$(od -An -tu2 -j28 -N2 "$files/picture.bmp" | tr -d ' ')" = 24 ] || fail "convert did not write a 24-bit BMP"
add_record() {  # PATH ARGS...
  local out
  out=$(cd "$APP" && wine tembric-db.exe add "$(windows_path "$APP")" "$@" 2>&1) ||
    fail "tembric-db add $1 failed: $out"
}
add_record '\Dear Anna' --memo $'Dear Anna,\r\nsee you at 5.'
add_record '\Notes file' --type textlink --file-name "$(windows_path "$files/notes.txt")"
add_record '\Bitmap picture' --type imagelink --file-name "$(windows_path "$files/picture.bmp")"
add_record '\Jpeg photo' --type imagelink --file-name "$(windows_path "$files/photo.JPEG")"
add_record '\Lost picture' --type imagelink --file-name "$(windows_path "$files/gone.bmp")"
convert -size 19x11 gradient:red-blue -colors 16 -type Palette BMP3:"$files/icon.bmp"
[ "$(od -An -tu2 -j28 -N2 "$files/icon.bmp" | tr -d ' ')" -le 8 ] || fail "convert did not write a palette BMP"
add_record '\Icon in the library' --type image --content-file "$(windows_path "$files/icon.bmp")"
if [ "$variant" = snapshot ]; then
  probe clipboard-set-text 'snapshot text' 'HTML Format' '<b>snapshot</b>' || fail "the clipboard could not be set"
  add_record '\Snapshot' --type clipboard --capture-clipboard
fi

step "Tembric in the background, the user in the paste target"
target_log=$E2E_TMP/pasted.log
behind_paste_target "$TARGET_TITLE" "$target_log" "$KNOWN_TEXT"

step "bring up Tembric, type \"$letters\""
show_from_tray
activate_main
if [[ $variant == made_* ]]; then
  step "Insert: the record \"$caption\" made in the program"
  [ "$variant" = made_image ] ||
    probe clipboard-set-text 'snapshot text' 'HTML Format' '<b>snapshot</b>' || fail "the clipboard could not be set"
  xdotool key Insert
  wait_for dialog_visible 10 || fail "Insert showed no record dialog within 10s"
  activate_dialog
  replace_name "$caption"
  if [ "$variant" = made_image ]; then
    choose_kind Image
    load_from_file "$files/photo.JPEG"
    # shellcheck disable=SC2317  # called through wait_for
    picture_loaded() { [ "$(control_rect TembricPicture 1 | awk -F, '{ print $3 - $1 "x" $4 - $2 }')" = 64x48 ]; }
    wait_for picture_loaded 10 || fail "the loaded picture is at \"$(control_rect TembricPicture 1)\", expected 64x48"
  else
    choose_kind 'Raw clipboard'
  fi
  click_rect "$(button_rect Save)"
  wait_for dialog_hidden 5 || fail "Save did not close the dialog; boxes: $(tembric_boxes)"
  wait_shown 5
  probe clipboard-set-text "$KNOWN_TEXT" || fail "the clipboard's text could not be set"
  activate_main
fi
xdotool type --delay 120 "$letters"
# shellcheck disable=SC2317  # called through wait_for
focus_on() { [ "$(tree_focus)" = "$caption collapsed" ]; }
wait_for focus_on 5 || fail "after typing \"$letters\" the tree's focus is on \"$(tree_focus)\", expected \"$caption\""

step "Enter"
entered=$(date +%s%3N)
xdotool key Return

# The lines the target wrote, one per paste.
pastes() { target_pastes "$target_log"; }
# A field of the first paste line: "text ...", "bitmap W H", "formats ...".
paste_field() { target_paste_field "$target_log" "$1"; }
# The text of the target's edit box, escaped to one line.
# shellcheck disable=SC2317
pasted() {
  alive "$TEMBRIC_PID" || fail "Tembric ended"
  [ "$(pastes)" -gt 0 ]
}
# shellcheck disable=SC2317
no_paste_no_box() {
  alive "$TEMBRIC_PID" || fail "Tembric ended"
  [ "$(pastes)" -eq 0 ] && [ -z "$(tembric_boxes)" ]
}
# shellcheck disable=SC2317
known_text_back() { [ "$(probe clipboard-text 2>/dev/null)" = "$KNOWN_TEXT" ]; }
details() { printf '\ntarget log:\n%s\ndebug log:\n%s\n' "$(cat "$target_log")" "$(debug_log)"; }

wait_hidden 5
if [ "$expected" = nothing ]; then
  step "nothing is pasted"
  holds no_paste_no_box 1.5 ||
    fail "a paste or a message box came for a link to a missing file:$(details)"$'\n'"boxes: $(tembric_boxes)"
else
  step "the paste reaches the target"
  wait_for pasted 5 || fail "no paste reached the target within 5s:$(details)"
  line=$(head -n 1 "$target_log")
  log "pasted $(($(awk -F'\t' '{ sub(/^at /, "", $2); print $2; exit }' "$target_log") - entered)) ms after Enter: $line"
  case $expected in
    text*)
      [ "$(paste_field text)" = "$expected" ] ||
        fail "the paste brought other content than \"$expected\":$(details)"
      # shellcheck disable=SC2317
      landed() { [ "$(target_edit)" = "${expected#text }" ]; }
      wait_for landed 5 || fail "the target's edit box holds \"$(target_edit)\", expected \"${expected#text }\""
      ;;
    bitmap*)
      [ "$(paste_field bitmap)" = "$expected" ] ||
        fail "the paste brought other content than \"$expected\":$(details)"
      [ -z "$(paste_field text)" ] || fail "text was on offer along with the picture: $line"
      ;;
  esac
  if [ -n "${format:-}" ]; then
    paste_field formats | sed 's/^formats //' | tr ',' '\n' | found "$format" ||
      fail "the paste brought no format matching \"$format\":$(details)"
  fi
fi

step "the text from before is back on the clipboard"
wait_for known_text_back 3 ||
  fail "the clipboard holds \"$(probe clipboard-text 2>&1)\" 3s after the paste, expected \"$KNOWN_TEXT\"; formats:"$'\n'"$(probe clipboard-formats)"
want=1
[ "$expected" = nothing ] && want=0
[ "$(pastes)" -eq "$want" ] || fail "$(pastes) pastes reached the target, expected $want:$(details)"
[ -z "$(tembric_boxes)" ] || fail "a message box is shown: $(tembric_boxes)"
probe_quiet answers "$MAIN_CLASS" 5 || fail "Tembric does not answer after the paste"
assert_eq 0 "$(state_of visible)" "main window shown after the paste"
log "debug log:"$'\n'"$(debug_log)"
