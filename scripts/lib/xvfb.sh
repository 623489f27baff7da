# Sourced by the scripts that need a private virtual display.
#
# start_xvfb WIDTHxHEIGHT starts Xvfb on the first free display number (the
# server picks it and reports it through -displayfd, so parallel runs never
# collide) and sets xvfb_pid and xvfb_display. When the script exits, the
# server is stopped, and so is the game if the script keeps its pid in game_pid.
xvfb_pid=""
game_pid=""
stop_xvfb_and_game() {
  [ -n "$game_pid" ] && kill "$game_pid" 2>/dev/null || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
}
trap stop_xvfb_and_game EXIT

start_xvfb() {
  local fifo display_number
  fifo=$(mktemp -u)
  mkfifo "$fifo"
  Xvfb -displayfd 3 -screen 0 "${1}x24" -nolisten tcp 3>"$fifo" >/dev/null 2>&1 &
  xvfb_pid=$!
  read -r display_number <"$fifo"
  rm -f "$fifo"
  xvfb_display=":$display_number"
}
