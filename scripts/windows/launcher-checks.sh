# shellcheck shell=bash
# The checks and scenes of scripts/windows/launcher.sh (sourced there, after its set-up).

# The value of KEY in menu.ini.
stored() { tr -d '\r' <"$menu_dir/menu.ini" | sed -n "s/^$1=//p"; }

# "X Y W H" of a window's frame, as the window manager placed it.
frame_geometry() {
  xwininfo -id "$(frame_of "$1")" | awk '/Absolute upper-left X/ {x=$4} /Absolute upper-left Y/ {y=$4}
    /Width:/ {w=$2} /Height:/ {h=$2} END {print x, y, w, h}'
}

# Started from outside \ORVAN\MENU\, the launcher says so in a box and ends without a word
# written: another drive, and ORVAN deeper than the root of the drive.
check_refusal() {
  local unix=$1 windows=$2 box
  mkdir -p "$unix"
  cp -R "$menu_dir/." "$unix/"
  rm -f "$unix/menu.ini"
  run_windows "$unix" "$windows"
  box=$(window_named "Chyba" 600)
  [ -n "$box" ] || fail "started as $windows, the launcher showed no error box"
  [ -z "$(window_named "$title" 1)" ] || fail "started as $windows, the launcher showed its window"
  xdotool windowfocus "$box" 2>/dev/null || true
  xdotool key --window "$box" Return
  wait_until '[ -z "$(pgrep -f "${windows//\\/.}")" ]' 300 || fail "$windows did not end after its box"
  [ ! -e "$unix/menu.ini" ] || fail "started as $windows, the launcher wrote menu.ini"
  say "refused as it must: $windows"
}

# The window opens at the stored outer bounds; at close the settings are written through the
# atomic replace (a new file in the old one's place, nothing left beside it).
check_placement_and_save() {
  local expected="120 90 900 560" before after listing
  placement 120 90 900 560 1
  start_launcher
  wait_until '[ "$(frame_geometry "$main")" = "$expected" ]' 100 ||
    fail "the window's frame is at $(frame_geometry "$main"), not at the stored $expected"
  shot placed "$main"
  before=$(stat -c %i "$menu_dir/menu.ini")
  listing=$(ls "$menu_dir")
  close_launcher
  after=$(stat -c %i "$menu_dir/menu.ini")
  [ "$before" != "$after" ] || fail "menu.ini was written in place, not replaced"
  [ "$(ls "$menu_dir")" = "$listing" ] || fail "files left beside menu.ini: $(ls "$menu_dir")"
  [ "$(stored Left) $(stored Top) $(stored Width) $(stored Height)" = "$expected" ] ||
    fail "menu.ini holds $(stored Left) $(stored Top) $(stored Width) $(stored Height) after the close, not $expected"
  say "window at its stored bounds, settings saved through a replace"
}

process_checks() {
  check_refusal "$work/e/Programy" 'E:\Programy\menu.exe'
  check_refusal "$drive_d/Kopia/ORVAN/MENU" 'D:\Kopia\ORVAN\MENU\menu.exe'
  check_placement_and_save
}

# The index of a window's frame in the root's stacking order (higher is above).
stacking_index() {
  local frame
  frame=$(frame_of "$1")
  xwininfo -root -children | awk -v id="$frame" '$1 ~ /^0x/ {n++; if ($1 == id) print n}'
}

scene_program_and_document() {
  local program notepad
  xdotool mousemove --window "$main" 95 50 click 1
  program=$(window_named "Servis ORVAN" 600)
  [ -n "$program" ] || fail "a click on Servis ORVAN started no program window"
  sleep 1
  shot program-started "$main" "$program"
  answer "Servis ORVAN" Return || true
  # Fakturácia's submenu holds a .txt document, which Windows opens in notepad.
  context_menu 475 150
  press Down Return
  wait_until 'notepad=$(xdotool search --name "Novinky" 2>/dev/null | head -n 1); [ -n "$notepad" ]' 600 ||
    fail "the .txt document did not open in notepad"
  sleep 1
  shot document-opened "$main" "$notepad"
  # A second start brings the first window forward (above notepad) and ends.
  local before
  before=$(launchers | wc -l)
  run_windows "$menu_dir" 'D:\ORVAN\MENU\menu.exe'
  wait_until '[ "$(stacking_index "$main")" -gt "$(stacking_index "$notepad")" ]' 300 ||
    fail "a second start did not bring the first window forward"
  wait_until '[ "$(launchers | wc -l)" -eq "$before" ]' 300 || fail "the second start did not end"
  say "a second start brought the first window forward and ended"
  xdotool key --window "$notepad" alt+F4
}

scene_shortcut() {
  local link
  panel_menu
  press Down Down Down Return
  [ -n "$(window_named "Potvrdenie" 30)" ] || fail "the shortcut command asked nothing"
  shot shortcut-question "$main"
  answer "Potvrdenie" Return
  answer "Informácia" Return || fail "no box told that the shortcut was made"
  link=$(find "$WINEPREFIX/drive_c/users" -maxdepth 3 -iname ORVAN.lnk -print -quit)
  [ -n "$link" ] || fail "no ORVAN.lnk on the Wine desktop"
  "$menu_win_wine" "$probe/read-link.exe" "$(winpath "$link")" >"$work/link.txt" 2>&1 ||
    fail "IShellLinkW could not read $link: $(cat "$work/link.txt")"
  tr -d '\r' <"$work/link.txt" | grep -qix 'path=D:\\ORVAN\\MENU\\menu.exe' ||
    fail "the shortcut does not lead to D:\\ORVAN\\MENU\\menu.exe: $(cat "$work/link.txt")"
  say "desktop shortcut $(basename "$link"): $(tr -d '\r' <"$work/link.txt" | tr '\n' ' ')"
}

scene_team_viewer() {
  local dialog wanted
  panel_menu
  press Down Down Down Down Return
  [ -n "$(window_named "Nastavenie aktualizácie z internetu ..." 30)" ] || fail "no settings dialog"
  shot settings "$main"
  answer "Nastavenie aktualizácie z internetu ..." Escape || true
  panel_menu
  press Up Up Return
  dialog=$(window_named "Aktualizácia programu" 50)
  [ -n "$dialog" ] || fail "no update dialog for Team Viewer"
  sleep 0.5
  shot update-dialog "$main"
  xdotool mousemove --window "$dialog" 120 147 click 1 # Stiahnuť
  sleep 1.5
  shot update-downloading "$main"
  wanted=$(sha256sum <"$server/ORVANWIN/FILES/TeamViewerQS.exe")
  wait_until '[ "$(sha256sum <"$drive_d/ORVAN/TEA/TeamViewerQS.exe")" = "$wanted" ]' 600 ||
    fail "TeamViewerQS.exe was not replaced by the announced one"
  shot update-downloaded "$main"
  answer "Aktualizácia programu" Escape || true
  say "Team Viewer replaced in place"
}

scene_self_update() {
  local old new_main wanted
  close_launcher
  start_launcher
  [ -n "$(window_named "Potvrdenie" 50)" ] || fail "no offer of $next at start"
  shot offer "$main"
  old=$(launchers)
  answer "Potvrdenie" Return
  sleep 1.5
  shot launcher-downloading "$main"
  wanted=$(sha256sum <"$staging/menu.exe")
  wait_until '[ "$(sha256sum <"$menu_dir/menu.exe")" = "$wanted" ]' 900 ||
    fail "setup.exe did not put the new menu.exe in place"
  # The new launcher is another process with a window of the same title.
  wait_until 'new_main=$(window_named "$title" 1); [ -n "$new_main" ] && [ -n "$(launchers)" ] && [ "$(launchers)" != "$old" ]' 600 ||
    fail "setup.exe did not start the new launcher"
  main=$new_main
  sleep 2
  shot updated "$main"
  say "the launcher updated itself to $next through setup.exe"
}

scene_walk() {
  placement 0 0 1000 600 0
  start_launcher
  wait_until '[ "$(stored AktCis)" = "$next" ]' 600 || fail "the check stored no announcement of $next"
  sleep 0.5
  shot main-window "$main"
  context_menu 475 50
  shot submenu "$main"
  press Escape
  scene_program_and_document
  scene_shortcut
  scene_team_viewer
  scene_self_update
}
