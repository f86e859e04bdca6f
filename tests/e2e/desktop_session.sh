#!/usr/bin/env bash
# Runs a command on a desktop of its own: Xvfb, a window manager (openbox) that frames the
# windows, a private session bus and the accessibility bus, all started here and ended after.
#   desktop_session.sh COMMAND [ARG...]
set -euo pipefail

work=$(mktemp -d)
pids=()
cleanup() {
  local i
  for ((i = ${#pids[@]} - 1; i >= 0; i--)); do
    kill "${pids[$i]}" 2>/dev/null || true
    wait "${pids[$i]}" 2>/dev/null || true
  done
  rm -rf "$work"
}
trap cleanup EXIT

Xvfb -displayfd 5 -screen 0 1280x1024x24 -nolisten tcp 5>"$work/display" 2>"$work/xvfb.log" &
pids+=($!)
for _ in $(seq 1 100); do [ -s "$work/display" ] && break; sleep 0.05; done
export DISPLAY=":$(cat "$work/display")"

bus=$(dbus-daemon --session --fork --print-address=1 --print-pid=1)
export DBUS_SESSION_BUS_ADDRESS=$(sed -n 1p <<<"$bus")
pids+=("$(sed -n 2p <<<"$bus")")
export XDG_RUNTIME_DIR="$work/runtime"
mkdir -m 700 "$XDG_RUNTIME_DIR"
/usr/libexec/at-spi-bus-launcher --launch-immediately --a11y=1 >"$work/atspi.log" 2>&1 &
pids+=($!)
# Nothing may ask for the accessibility bus before the launcher owns its name: the session bus
# would start a second launcher for that caller, and the program and the test could end up on
# different buses. Then the registry is woken, so the program finds it when it registers.
session_call() { dbus-send --session --print-reply=literal "$@" 2>/dev/null; }
for _ in $(seq 1 600); do
  session_call --dest=org.freedesktop.DBus /org/freedesktop/DBus \
    org.freedesktop.DBus.NameHasOwner string:org.a11y.Bus | grep -q true && break
  sleep 0.05
done
a11y=$(session_call --dest=org.a11y.Bus /org/a11y/bus org.a11y.Bus.GetAddress | tr -d ' ')
for _ in $(seq 1 600); do
  dbus-send --bus="$a11y" --print-reply --dest=org.a11y.atspi.Registry \
    /org/a11y/atspi/accessible/root org.freedesktop.DBus.Properties.Get \
    string:org.a11y.atspi.Accessible string:ChildCount >/dev/null 2>&1 && break
  sleep 0.05
done

openbox --sm-disable >"$work/openbox.log" 2>&1 &
pids+=($!)
# The window manager is up once it has claimed the screen.
for _ in $(seq 1 100); do
  xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
  sleep 0.05
done

export QT_QPA_PLATFORM=xcb QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 NO_AT_BRIDGE=0
status=0
"$@" || status=$?
exit "$status"
