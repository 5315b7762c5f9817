# own_xvfb.sh -- sourced by the shell tests that run the show: a scratch folder and an X
# server of their own on a free display, both gone when the test ends, whatever happens.
# After start_xvfb: $work is the folder, $display the display; set $show_pid to have a
# still-running show ended too.
work=$(mktemp -d)
xvfb_pid=""
show_pid=""
cleanup() {
  [ -n "$show_pid" ] && kill "$show_pid" 2>/dev/null
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

start_xvfb() {
  exec 5>"$work/display"
  Xvfb -displayfd 5 -screen 0 1024x768x24 -nolisten tcp -noreset 2>/dev/null &
  xvfb_pid=$!
  for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
  [ -s "$work/display" ] || { echo "Xvfb did not start"; exit 1; }
  display=:$(head -n 1 "$work/display")
}
