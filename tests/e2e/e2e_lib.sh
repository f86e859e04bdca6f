# Shared by the end-to-end scripts: checks counted as they go, and the end of the program
# through its menu.
failures=0
passes=0
check() {  # check DESCRIPTION EXPECTED ACTUAL
  if [ "$2" == "$3" ]; then
    passes=$((passes + 1))
  else
    failures=$((failures + 1))
    printf 'FAILED: %s\n  expected: %q\n  actual:   %q\n' "$1" "$2" "$3"
  fi
}

# end_by_menu PID MAIN_WINDOW: ﾌｧｲﾙ → 終了, again on a slow machine; the program's exit status.
end_by_menu() {
  local pid=$1 main=$2
  for _ in 1 2 3; do
    xdotool windowfocus --sync "$main" 2>/dev/null || true
    xdotool key alt+f
    sleep 0.5
    xdotool key x
    for _ in $(seq 1 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
    kill -0 "$pid" 2>/dev/null || break
  done
  kill -0 "$pid" 2>/dev/null && kill "$pid"
  local status=0
  wait "$pid" || status=$?
  return $status
}

summary() {
  echo "$passes passed, $failures failed"
  [ "$failures" == 0 ]
}
