# shellcheck shell=bash
# Sourced by the package tests: plays a packaged player on the test's X
# display (DISPLAY set, no window manager) as a viewer would. It must ask
# "Fullscreen?" (answered with Return, the default No), open an 800x600 window
# titled "Demo" and end with status 0 on Escape. Reports through the caller's
# pass and fail functions; logs go to $work.

wait_for_window() { # name, seconds
  local id=""
  for _ in $(seq $(($2 * 5))); do
    # Only a shown window: the player may make and drop a hidden one first.
    id=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -1) && [ -n "$id" ] && break
    kill -0 "$player" 2>/dev/null || break
    sleep 0.2
  done
  echo "$id"
}

smoke_test_player() { # label, command that starts the player...
  local label=$1
  shift
  local log=$work/player-$label.log xlog=$work/xdotool-$label.log question window="" size status=0 failed=$failures
  "$@" >"$log" 2>&1 &
  player=$!
  question=$(wait_for_window Fullscreen 60)
  if [ -z "$question" ]; then
    fail "$label: no \"Fullscreen?\" box"
  else
    # The box's text also goes to standard error.
    grep -q 'Fullscreen: Fullscreen?' "$log" || fail "$label: the box does not ask \"Fullscreen?\""
    xdotool key --window "$question" Return 2>>"$xlog"
    window=$(wait_for_window Demo 60)
    if [ -z "$window" ]; then
      fail "$label: no window titled \"Demo\""
    else
      size=$(xwininfo -id "$window" | awk '/Width:/ {w=$2} /Height:/ {h=$2} END {print w "x" h}')
      [ "$size" = "800x600" ] && pass "$label: window \"Demo\", $size" || fail "$label: the window is $size, not 800x600"
      # Escape held until the player ends: a press and release that both
      # arrive while the show is still loading would find the key up again.
      sleep 2
      xdotool keydown --window "$window" Escape 2>>"$xlog" || fail "$label: Escape could not be sent"
    fi
  fi
  # A software renderer on a busy machine may still be loading the show.
  for _ in $(seq 1800); do kill -0 "$player" 2>/dev/null || break; sleep 0.1; done
  [ -n "$window" ] && xdotool keyup --window "$window" Escape 2>>"$xlog" || true
  if kill -0 "$player" 2>/dev/null; then
    fail "$label: the player did not end on Escape"
    kill "$player" 2>/dev/null || true
  else
    wait "$player" || status=$?
    [ "$status" -eq 0 ] && pass "$label: ended on Escape with status 0" ||
      fail "$label: the player ended with status $status"
  fi
  player=""
  [ "$failures" -eq "$failed" ] || { echo "--- player output"; cat "$log" "$xlog" 2>/dev/null; }
}
