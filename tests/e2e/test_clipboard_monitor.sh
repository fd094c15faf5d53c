#!/usr/bin/env bash
# Tembric follows the clipboard in the background: each change lists the
# formats now on offer in the debug window's clipboard panel, in the
# clipboard's own order, registered formats by their names.
#
# With Tembric in the background the user works in tembric-paste-target.exe.
# Another program places text with a registered format: the panel shows that
# format by its name, and the list is the one the probe reads itself. Then
# the user types in the target's edit box, selects the line and presses
# Ctrl+C: the panel shows the text formats of that copy (CF_UNICODETEXT
# first, the ones the system adds after it) and the registered format is
# gone. No message box, and Tembric answers.
# shellcheck source-path=SCRIPTDIR source=lib/harness.sh
source "$(dirname "$0")/lib/harness.sh"
# shellcheck source-path=SCRIPTDIR source=lib/main_window.sh
source "$(dirname "$0")/lib/main_window.sh"

readonly TARGET_TITLE='Copy from here'
readonly REGISTERED='Tembric Test Format'
e2e_setup

step "Tembric in the background, the user in the target"
target_log=$E2E_TMP/pasted.log
behind_paste_target "$TARGET_TITLE" "$target_log" 'before'

# The debug window's clipboard panel, its lines joined by "|" (the window
# need not be showing to be read).
listing() { probe_reading controls TForm2 | awk -F'\t' 'tolower($2) == "listbox" { sub(/^lines /, "", $6); print $6; exit }'; }
# What the probe itself sees on the clipboard, in the same form.
probe_listing() { probe clipboard-formats | cut -d' ' -f2- | paste -sd'|' -; }
# shellcheck disable=SC2317  # called through wait_for
listing_is() { [ "$(listing)" = "$1" ]; }
# shellcheck disable=SC2317
listing_has() { case "|$(listing)|" in *"|$1|"*) return 0 ;; *) return 1 ;; esac; }

step "another program places text and a registered format"
probe clipboard-set-text 'marked text' "$REGISTERED" 'data' || fail "the clipboard could not be set"
wait_for listing_has "$REGISTERED" 10 || fail "the panel does not name \"$REGISTERED\": \"$(listing)\""
expected=$(probe_listing)
wait_for listing_is "$expected" 5 || fail "the panel lists \"$(listing)\", the clipboard offers \"$expected\""
log "listed: $(listing)"

step "the user copies a line in the target"
bring_to_front "$TARGET_TITLE"
xdotool type --delay 20 'copied words'
xdotool key shift+Home ctrl+c
# shellcheck disable=SC2317
copied() { [ "$(probe clipboard-text 2>/dev/null)" = 'copied words' ]; }
wait_for copied 10 || fail "Ctrl+C in the target copied nothing: \"$(probe clipboard-text 2>&1)\""
# shellcheck disable=SC2317
text_listed() { listing_has CF_UNICODETEXT && ! listing_has "$REGISTERED"; }
wait_for text_listed 10 || fail "after the copy the panel lists \"$(listing)\""
expected=$(probe_listing)
wait_for listing_is "$expected" 5 || fail "the panel lists \"$(listing)\", the clipboard offers \"$expected\""
assert_eq CF_UNICODETEXT "$(listing | cut -d'|' -f1)" "the first format of the edit box's copy"
for format in CF_TEXT CF_OEMTEXT CF_LOCALE; do
  listing_has "$format" || fail "the panel lacks $format: \"$(listing)\""
done
log "listed: $(listing)"

[ -z "$(tembric_boxes)" ] || fail "a message box is shown: $(tembric_boxes)"
probe_quiet answers "$MAIN_CLASS" 5 || fail "Tembric does not answer"
