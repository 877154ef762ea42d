# shellcheck shell=bash disable=SC2016,SC2034,SC2154
# (wait_until's conditions are expanded when it tries them; the variables are launcher.sh's.)
# The checks and scenes of scripts/windows/launcher.sh (sourced there, after its set-up).

# The value of KEY in SECTION of menu.ini: stored SECTION KEY.
stored() {
  tr -d '\r' <"$menu_dir/menu.ini" |
    awk -v section="[$1]" -v key="$2" '/^\[/ {inside = ($0 == section)} inside && index($0, key "=") == 1 {print substr($0, length(key) + 2)}'
}

# "X Y W H (...)": the outer bounds of the main window as the user sees them, then as
# GetWindowRect counts them.
window_rect() {
  "$menu_win_wine" "$probe/window-rect.exe" "$title" 2>/dev/null | tr -d '\r'
}

# Whether the main window's outer bounds are LEFT TOP WIDTH HEIGHT as Windows 10 counts them:
# Qt leaves out the resize borders at the left, right and bottom, which are invisible there;
# Wine draws them, so the window Wine reports is larger by one border width B on those sides.
at_stored_bounds() {
  local x y w h b
  read -r x y w h _ <<<"$(window_rect)"
  [ -n "$h" ] || return 1
  b=$(($1 - x))
  [ "$b" -ge 0 ] && [ "$b" -le 10 ] && [ "$y" -eq "$2" ] && [ "$w" -eq $(($3 + 2 * b)) ] &&
    [ "$h" -eq $(($4 + b)) ]
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
  # OK, pressed again while the box is still there (a key may land before the box has the focus).
  for _ in $(seq 10); do
    xdotool windowactivate --sync "$box" 2>/dev/null || xdotool windowfocus "$box" 2>/dev/null || true
    xdotool key Return
    wait_until '[ -z "$(pgrep -f "${windows//\\/.}")" ]' 30 && break
  done
  [ -z "$(pgrep -f "${windows//\\/.}")" ] || fail "$windows did not end after its box"
  [ ! -e "$unix/menu.ini" ] || fail "started as $windows, the launcher wrote menu.ini"
  say "refused as it must: $windows"
}

# The window opens at the stored outer bounds; at close the settings are written through the
# atomic replace (a new file in the old one's place, nothing left beside it).
check_placement_and_save() {
  local expected="120 90 900 560" before after listing
  placement 120 90 900 560 1
  # What a Team Viewer update moved aside while a colleague ran the program goes once the
  # menu has found the program.
  local aside="$drive_d/ORVAN/TEA/.TeamViewerQS.exe.3f9a.old"
  printf 'a colleague ran it' >"$aside"
  start_launcher
  wait_until 'at_stored_bounds 120 90 900 560' 100 ||
    fail "the window's outer bounds are $(window_rect), not the stored $expected"
  wait_until '[ ! -e "$aside" ]' 300 || fail "the set-aside copy of Team Viewer is still there"
  say "the set-aside copy of Team Viewer went once the menu was filled"
  shot placed "$main"
  before=$(stat -c %i "$menu_dir/menu.ini")
  # The lock file beside menu.ini is made by the first write and stays for every later one.
  listing=$(ls "$menu_dir" | grep -vx 'menu.ini.lock')
  close_launcher
  after=$(stat -c %i "$menu_dir/menu.ini")
  [ "$before" != "$after" ] || fail "menu.ini was written in place, not replaced"
  [ -f "$menu_dir/menu.ini.lock" ] || fail "the close wrote menu.ini without its lock file"
  [ "$(ls "$menu_dir" | grep -vx 'menu.ini.lock')" = "$listing" ] ||
    fail "files left beside menu.ini: $(ls "$menu_dir")"
  [ "$(stored OPTIONS Left) $(stored OPTIONS Top) $(stored OPTIONS Width) $(stored OPTIONS Height)" = "$expected" ] ||
    fail "menu.ini holds $(stored OPTIONS Left) $(stored OPTIONS Top) $(stored OPTIONS Width) $(stored OPTIONS Height) after the close, not $expected"
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

# A button's submenu by keyboard (Tab to it from the first button, which has the focus after
# the start, then Shift+F10): under Wine a right click, whether from the X server or from
# SendInput, reaches Qt's windows without opening a context menu.
button_menu() {
  xdotool windowfocus "$main" 2>/dev/null || true
  for ((i = 0; i < $1; i++)); do xdotool key Tab; sleep 0.1; done
  press shift+F10
}

scene_program_and_document() {
  local program notepad before
  xdotool mousemove --window "$main" 95 73 click 1
  program=$(window_named "Servis ORVAN" 600)
  [ -n "$program" ] || fail "a click on Servis ORVAN started no program window"
  sleep 1
  shot program-started "$main" "$program"
  answer "Servis ORVAN" Return || true
  # The last button opens a .txt document, which Windows opens in notepad.
  xdotool mousemove --window "$main" 285 273 click 1
  wait_until 'notepad=$(xdotool search --name "Novinky" 2>/dev/null | head -n 1); [ -n "$notepad" ]' 600 ||
    fail "the .txt document did not open in notepad"
  sleep 1
  shot document-opened "$main" "$notepad"
  # A second start brings the first window forward (above notepad) and ends.
  before=$(launchers | wc -l)
  run_windows "$menu_dir" 'D:\ORVAN\MENU\menu.exe'
  wait_until '[ "$(stacking_index "$main")" -gt "$(stacking_index "$notepad")" ]' 300 ||
    fail "a second start did not bring the first window forward"
  wait_until '[ "$(launchers | wc -l)" -eq "$before" ]' 300 || fail "the second start did not end"
  say "a second start brought the first window forward and ended"
  pkill -f 'notepad\.exe' || true # done with it
}

# The version folder versions\current names, with the new launcher in it.
current_launcher() {
  local name
  name=$(tr -d '\r\n' <"$menu_dir/versions/current" 2>/dev/null) || return 1
  [ -n "$name" ] && sha256sum <"$menu_dir/versions/$name/menu.exe"
}

# The launcher updates itself while a colleague on another seat holds the old one's program and
# DLLs: the new version goes into a folder of its own, menu.exe becomes the starter, the
# colleague's files keep their bytes, and once it has ended a start removes them.
scene_self_update() {
  local old new_main wanted colleague_pid status
  close_launcher
  rm -f "$work/colleague.ready" "$work/colleague.release"
  (cd "$menu_dir" && exec "$menu_win_wine" "$probe/colleague.exe" 'D:\ORVAN\MENU' \
    'Z:'"${work//\//\\}"'\colleague.ready' 'Z:'"${work//\//\\}"'\colleague.release' \
    >>"$work/colleague.log" 2>&1) &
  colleague_pid=$!
  wait_until '[ -e "$work/colleague.ready" ]' 600 || fail "the colleague did not load the old launcher"
  start_launcher
  [ -n "$(window_named "Potvrdenie" 50)" ] || fail "no offer of $next at start"
  shot offer "$main"
  old=$(launchers)
  answer "Potvrdenie" Return
  sleep 1.5
  shot launcher-downloading "$main"
  wanted=$(sha256sum <"$staging/menu.exe")
  wait_until '[ "$(current_launcher)" = "$wanted" ]' 900 ||
    fail "setup.exe did not install the new version beside the old one"
  [ "$(sha256sum <"$menu_dir/menu.exe")" = "$(sha256sum <"$staging/setup.exe")" ] ||
    fail "menu.exe is not the starter after the update"
  # The new launcher is another process with a window of the same title.
  wait_until 'new_main=$(window_named "$title" 1); [ -n "$new_main" ] && [ -n "$(launchers)" ] && [ "$(launchers)" != "$old" ]' 600 ||
    fail "setup.exe did not start the new launcher"
  main=$new_main
  sleep 2
  shot updated "$main"
  [ -e "$menu_dir/Qt6Core.dll" ] || fail "a DLL the colleague holds was removed"
  touch "$work/colleague.release"
  status=0
  wait "$colleague_pid" || status=$?
  [ "$status" -eq 0 ] || fail "the colleague's files changed under it (status $status)"
  say "the launcher updated itself to $next through setup.exe while a colleague held the old one"
  close_launcher
  start_launcher # through the starter, which tidies up what no one holds any more
  [ ! -e "$menu_dir/Qt6Core.dll" ] || fail "the flat layout's DLLs stayed after the colleague ended"
  say "the starter started $next and removed the old launcher's files"
}

scene_walk() {
  placement 0 0 1000 600 0
  start_launcher
  wait_until '[ "$(stored ORVAN AktCis)" = "$next" ]' 600 || fail "the check stored no announcement of $next"
  sleep 0.5
  shot main-window "$main"
  button_menu 2
  shot submenu "$main"
  press Escape
  scene_program_and_document
  scene_self_update
}
