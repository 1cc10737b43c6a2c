# What the test sessions' scripts share; sourced, with `dir` set to the
# session's folder, whose file `pids` lists what the session started, in order.

# Ends what DIR/pids names, last started first (a desktop's programs before
# their server), waits five seconds for them, kills what is left, and removes
# the folder. Only those processes are ended, by their ids.
stop() {
  [ -f "$dir/pids" ] || { rm -rf "$dir"; return 0; }
  tac "$dir/pids" | while read -r pid; do kill "$pid" 2>/dev/null || true; done
  for _ in $(seq 50); do
    alive=0
    while read -r pid; do kill -0 "$pid" 2>/dev/null && alive=1; done <"$dir/pids"
    [ $alive -eq 0 ] && break
    sleep 0.1
  done
  while read -r pid; do kill -9 "$pid" 2>/dev/null || true; done <"$dir/pids"
  rm -rf "$dir"
}

# Closes every file the caller left open but the standard three: a program
# started from a subshell that ran this keeps none of a test's pipes, which
# would otherwise never close.
close_inherited() {
  for fd in /proc/self/fd/*; do
    fd=${fd##*/}
    if [ "$fd" -gt 2 ] && [ "$fd" -ne 255 ]; then eval "exec $fd>&-" 2>/dev/null || true; fi
  done
}
