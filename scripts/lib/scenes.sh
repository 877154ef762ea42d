# shellcheck shell=bash disable=SC2154 # shots and main are the caller's
# Walking the launcher's scenes on an X display with a window manager, for the demos on Linux
# and under Wine (sourced). Needs xwininfo, xdotool and ImageMagick's import; shots are saved
# into $shots; $main is the main window's id once start_launcher or the caller set it.

# The id of the first top-level window with exactly this title, waiting up to $2 tenths of a second.
window_named() {
  local id=
  for _ in $(seq "${2:-100}"); do
    id=$(xwininfo -name "$1" 2>/dev/null | awk '/Window id:/ {print $4}') || true
    [ -n "$id" ] && break
    sleep 0.1
  done
  echo "$id"
}

# The window manager's frame around a window: its ancestor that is a child of the root.
frame_of() {
  local id=$1 info parent root
  for _ in 1 2 3 4 5 6; do
    info=$(xwininfo -id "$id" -tree 2>/dev/null) || break
    root=$(awk '/Root window id:/ {print $4}' <<<"$info")
    parent=$(awk '/Parent window id:/ {print $4}' <<<"$info")
    [ -z "$parent" ] || [ "$parent" = "$root" ] && break
    id=$parent
  done
  echo "$id"
}

# Saves what the screen shows inside the main window and its frame (menus and boxes over it
# included); with further windows, the area that holds them all; an argument +N adds N pixels
# below (a tooltip of the label shows there).
shot() {
  local name=$1 geometry below=0 id ids=()
  shift
  for id in "$@"; do
    case $id in +*) below=${id#+} ;; *) ids+=("$id") ;; esac
  done
  geometry=$(for id in "${ids[@]}"; do xwininfo -id "$(frame_of "$id")"; done | awk -v below="$below" '
    /Absolute upper-left X/ {x=$4} /Absolute upper-left Y/ {y=$4} /Width:/ {w=$2}
    /Height:/ {h=$2; if (n++ == 0 || x < l) l = x; if (n == 1 || y < t) t = y
      if (x + w > r) r = x + w; if (y + h > b) b = y + h}
    END {printf "%dx%d+%d+%d", r - l, b - t + below, l, t}')
  import -window root -crop "$geometry" +repage "$shots/$name.png"
  echo "scene $name: $shots/$name.png"
}

skipped() { echo "scene $1: skipped ($2)"; }

# Opens the main window's context menu at x y; the button is held a moment, as a hand does, so
# that the release never lands before the menu has taken the pointer.
context_menu() {
  xdotool mousemove --window "$main" "$1" "$2" mousedown 3
  sleep 0.3
  xdotool mouseup 3
  sleep 0.7
}

# Opens the main window's context menu on an empty spot of the button panel.
panel_menu() { context_menu 700 540; }

press() { xdotool key --delay 120 "$@"; sleep 0.7; }

# Focuses a box or dialog by its title and answers it with keys.
answer() {
  local id
  id=$(window_named "$1" 30)
  [ -n "$id" ] || return 1
  xdotool windowfocus "$id" 2>/dev/null || true
  sleep 0.3
  shift
  press "$@"
}
