#!/usr/bin/env bash
# `./run.sh demo` started without a runtime folder (root on a fresh machine) gives the service
# and the client a private one, mode 0700, and removes it when the demo ends; Qt's complaint
# about the missing folder never reaches the newcomer's terminal.
set -u
root=$1
out=$(mktemp)
trap 'rm -f "$out"' EXIT
env -u XDG_RUNTIME_DIR -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=offscreen "$root/run.sh" demo >"$out" 2>&1 &
demo=$!
fail() { echo "FAIL: $*"; cat "$out"; kill "$demo" 2>/dev/null; exit 1; }

client=""
for _ in $(seq 1 600); do
    client=$(pgrep -P "$demo" -x lumoclass) && break
    kill -0 "$demo" 2>/dev/null || fail "the demo ended before the client started"
    sleep 0.1
done
[ -n "$client" ] || fail "no client"
folder=$(tr '\0' '\n' <"/proc/$client/environ" | sed -n 's/^XDG_RUNTIME_DIR=//p')
[ -n "$folder" ] && [ -d "$folder" ] || fail "the client has no runtime folder"
[ "$(stat -c %a "$folder")" = 700 ] || fail "$folder is not private"
# Give the client the time to reach its login dialog and say whatever it has to say.
sleep 3
kill -TERM "$client"
wait "$demo"
[ ! -e "$folder" ] || fail "$folder outlived the demo"
if grep -q "XDG_RUNTIME_DIR" "$out"; then fail "Qt complained about the runtime folder"; fi
echo "PASS"
