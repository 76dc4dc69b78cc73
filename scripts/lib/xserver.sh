# Sourced by the shell scripts that run the demo where there is no display: a virtual X
# server of their own, and the demo's window on it, each waited for with a time limit.

CAPTION_PATTERN='^tovrelinkasumora 8\)$'

# Starts Xvfb on a free display and exports DISPLAY for it; the server is killed when the
# calling script exits.
start_virtual_display() {
  local ready number
  exec {ready}<> <(:)
  Xvfb -displayfd "$ready" -noreset -nolisten tcp -screen 0 1024x768x24 >/dev/null 2>&1 &
  XVFB_PID=$!
  trap 'kill "$XVFB_PID" 2>/dev/null || true' EXIT
  if ! read -r -t 30 number <&"$ready"; then
    echo "Xvfb did not start within 30 s" >&2
    exit 1
  fi
  export DISPLAY=":$number"
}

# Waits up to 30 s for the visible window of the demo running as process $1 and sets
# $window to it; fails if the demo ends first or no window shows.
wait_for_window() {
  local demo=$1
  window=""
  for _ in $(seq 300); do
    window=$(xdotool search --onlyvisible --name "$CAPTION_PATTERN" 2>/dev/null | head -n 1 || true)
    [ -n "$window" ] && return 0
    if ! kill -0 "$demo" 2>/dev/null; then
      echo "the demo ended before its window showed" >&2
      return 1
    fi
    sleep 0.1
  done
  echo "no demo window within 30 s" >&2
  return 1
}

# Ends the demo running as process $1, whose window is $window, with Escape and waits for
# it. The demo ends on the press and its window goes, so the key is let go afterwards,
# without a window: left down, the server would repeat it into the next demo.
end_with_escape() {
  xdotool keydown --window "$window" Escape
  wait "$1"
  xdotool keyup Escape
}
