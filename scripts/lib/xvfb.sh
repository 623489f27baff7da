# Sourced by the scripts that need a private virtual display.
#
# start_xvfb WIDTHxHEIGHT starts Xvfb on the first free display number (the
# server picks it and reports it through -displayfd, so parallel runs never
# collide) and sets xvfb_pid and xvfb_display. The caller stops the server,
# best from an EXIT trap set before the call.
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
