#!/usr/bin/env bash
# valgrind_test.sh -- memcheck over the capture tool and a few seconds of the show.
# No invalid read or write anywhere, and no leak that grows with the number of frames:
# nothing lost from inside a frame's drawing, and no more lost after 63 frames than after 3.
# Usage: valgrind_test.sh PATH/TO/show-capture PATH/TO/show
set -u
capture=$1
show=$2
source "$(dirname "$0")/own_xvfb.sh"
failed=0

memcheck() { # log-name command...
  local log=$1; shift
  valgrind --tool=memcheck --leak-check=full --errors-for-leak-kinds=none --error-exitcode=99 \
    --log-file="$work/$log" "$@"
}

# Bytes definitely and indirectly lost, as memcheck's summary gives them.
lost() {
  awk '/definitely lost:|indirectly lost:/ { gsub(",", "", $4); sum += $4 } END { print sum + 0 }' "$work/$1"
}

# Loss records whose allocation was made while drawing or animating a frame.
frame_leaks() {
  awk '/are (definitely|indirectly|possibly) lost/ { rec = $0; next }
       /renderFrame|drawScene|animate|composeDrawList/ && rec != "" { print rec; rec = "" }
       /^==[0-9]+== *$/ { rec = "" }' "$work/$1"
}

check_errors() { # log-name
  if grep -q "Invalid \(read\|write\)\|uninitialised\|Invalid free" "$work/$1"; then
    echo "FAIL: memcheck errors in $1:"; grep -A8 "Invalid\|uninitialised" "$work/$1" | head -40; failed=1
  fi
}

memcheck frame.log "$capture" frame 17000 -o "$work/frame.png"
rc=$?
echo "frame: exit $rc"
[ $rc = 0 ] || { echo "FAIL: show-capture frame under memcheck exited $rc"; failed=1; }
check_errors frame.log

memcheck short.log "$capture" video -o - --quiet --from 8000 --to 8033 >/dev/null
memcheck long.log "$capture" video -o - --quiet --from 8000 --to 9033 >/dev/null
check_errors short.log
check_errors long.log
# Fonts load on a helper thread of the text library, whose few start-up losses vary
# a little from run to run; what is lost per frame must not show at all.
short=$(lost short.log)
long=$(lost long.log)
echo "lost after 3 frames: $short bytes, after 63 frames: $long bytes"
if [ $((long - short)) -gt 4096 ] || [ -n "$(frame_leaks long.log)" ]; then
  echo "FAIL: a leak grows with the frames"; frame_leaks long.log; failed=1
fi

start_xvfb
DISPLAY=$display valgrind --tool=memcheck --error-exitcode=99 \
  --log-file="$work/show.log" "$show" &
show_pid=$!
sleep 10
kill -TERM "$show_pid"
wait "$show_pid"
rc=$?
show_pid=""
echo "show: exit $rc after 10 s under memcheck"
[ $rc = 0 ] || { echo "FAIL: the show under memcheck exited $rc"; tail -20 "$work/show.log"; failed=1; }
check_errors show.log

[ $failed = 0 ] && echo PASS
exit $failed
