#!/usr/bin/env bash
# clock_jump_test.sh -- the show's clock ignores changes of the system's wall clock.
# Runs the show in its own Xvfb with the wall clock faked (libfaketime), moves that clock
# an hour forward and then a day back mid-show, and checks the show neither ends early nor
# overruns: it must still be running 10 s in, and end by itself with exit 0 after ~38 s.
# Usage: clock_jump_test.sh PATH/TO/show
set -u
show=$1
lib=$(ls /usr/lib/*/faketime/libfaketime.so.1 2>/dev/null | head -n 1)
[ -n "$lib" ] || { echo "libfaketime is not installed"; exit 1; }

source "$(dirname "$0")/own_xvfb.sh"

start_xvfb

echo "+0" > "$work/offset"
start=$(date +%s%3N)
ASAN_OPTIONS="${ASAN_OPTIONS:-}:verify_asan_link_order=0" DISPLAY=$display LD_PRELOAD=$lib FAKETIME_TIMESTAMP_FILE="$work/offset" FAKETIME_NO_CACHE=1 \
  FAKETIME_DONT_FAKE_MONOTONIC=1 "$show" 2>"$work/stderr" &
show_pid=$!

sleep 3
echo "+3600" > "$work/offset"   # an hour forward
sleep 3
echo "-86400" > "$work/offset"  # a day back
sleep 4
if ! kill -0 "$show_pid" 2>/dev/null; then
  echo "FAIL: the show ended 10 s in, after the wall clock moved"; cat "$work/stderr"; exit 1
fi
wait "$show_pid"
rc=$?
show_pid=""
took=$(( $(date +%s%3N) - start ))
echo "the show ran ${took} ms and exited $rc"
[ "$rc" = 0 ] || { echo "FAIL: exit code $rc"; cat "$work/stderr"; exit 1; }
if [ "$took" -lt 37500 ] || [ "$took" -gt 45000 ]; then
  echo "FAIL: expected about 38 s"; exit 1
fi
echo "PASS"
