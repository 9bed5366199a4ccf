#!/usr/bin/env bash
# Makes the README's picture of the presenter console again, and is the way to try presenting on
# two screens by hand: starts an X server with two screens (Xorg's dummy driver, a 1366x768
# laptop screen at the left and a 1600x1000 projector at its right, as xrandr monitors), the demo
# service and the program; signs in as "teacher", opens the first book's second unit in the
# textbook view, presses F5, turns a page, draws a line on the console's page and saves the
# laptop screen as docs/presenter-console.png and both screens as docs/presenter-screens.png.
# With KEEP=1 everything is left running for trying by hand (DISPLAY is printed).
# Build first with ./run.sh demo or ./run.sh test.
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT=$(pwd)
BUILD=${BUILD:-$ROOT/build}
for program in "$BUILD/src/lumoclass" "$BUILD/demo/lumoclass-demo-service"; do
    [ -x "$program" ] || { echo "console-screenshot: build first (missing $program)" >&2; exit 1; }
done

PACKAGES=(xserver-xorg-core xserver-xorg-video-dummy x11-xserver-utils xdotool imagemagick openbox)
missing=()
for p in "${PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    sudo=()
    [ "$(id -u)" -eq 0 ] || sudo=(sudo)
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

work=$(mktemp -d)
pids=()
cleanup() {
    # The newest first: the program before its service and the X server.
    for ((i = ${#pids[@]} - 1; i >= 0; i--)); do
        kill "${pids[i]}" 2>/dev/null || true
        wait "${pids[i]}" 2>/dev/null || true
    done
    rm -rf "$work"
}
[ "${KEEP:-0}" = 1 ] || trap cleanup EXIT

display=:$((70 + RANDOM % 100))
cat > "$work/xorg.conf" <<'EOF'
Section "Device"
    Identifier "dummy"
    Driver "dummy"
    VideoRam 256000
EndSection
Section "Monitor"
    Identifier "monitor"
    HorizSync 5.0 - 1000.0
    VertRefresh 5.0 - 200.0
EndSection
Section "Screen"
    Identifier "screen"
    Device "dummy"
    Monitor "monitor"
    DefaultDepth 24
    SubSection "Display"
        Depth 24
        Virtual 2966 1000
    EndSubSection
EndSection
EOF
Xorg "$display" -config "$work/xorg.conf" -noreset -nolisten tcp -logfile "$work/xorg.log" >/dev/null 2>&1 &
pids+=($!)
export DISPLAY=$display
for _ in $(seq 50); do xrandr >/dev/null 2>&1 && break; sleep 0.2; done
xrandr --newmode 1366x768 0 1366 1366 1366 1366 768 768 768 768
xrandr --addmode DUMMY0 1366x768
xrandr --fb 2966x1000 --output DUMMY0 --mode 1366x768 --pos 0x0
xrandr --setmonitor projector 1600/423x1000/265+1366+0 none
openbox >/dev/null 2>&1 &
pids+=($!)

mkdir -p "$work/cache" "$work/config" "$work/state" "$work/home" && mkdir -m 0700 "$work/run"
port=$((20000 + RANDOM % 20000))
"$BUILD/demo/lumoclass-demo-service" --data "$ROOT/demo/data" --state "$work/service" \
    --listen "127.0.0.1:$port" --write-client-config "$work/lumoclass.conf" >"$work/service.log" 2>&1 &
pids+=($!)
for _ in $(seq 50); do grep -q "^listening" "$work/service.log" 2>/dev/null && break; sleep 0.2; done

XDG_CACHE_HOME=$work/cache XDG_CONFIG_HOME=$work/config XDG_STATE_HOME=$work/state HOME=$work/home \
    XDG_RUNTIME_DIR=$work/run LUMOCLASS_CONFIG=$work/lumoclass.conf LUMOCLASS_PROGRAM_DIR=$BUILD/src \
    QT_QPA_PLATFORM=xcb "$BUILD/src/lumoclass" >"$work/client.log" 2>&1 &
pids+=($!)

wait_for_window() {
    for _ in $(seq 100); do
        xdotool search --name "$1" >/dev/null 2>&1 && return 0
        sleep 0.2
    done
    echo "console-screenshot: no window \"$1\"" >&2
    exit 1
}
wait_for_window "Lumovia-登录"
sleep 1
# The focus starts in the password field.
xdotool key shift+Tab ctrl+a type teacher
xdotool key Tab ctrl+a type lumo2024
xdotool key Return
wait_for_window "Lumovia Class"
sleep 3
# The book and unit drop-downs and the textbook button, where the window puts them.
xdotool mousemove 397 34 click 1 && sleep 1 && xdotool key Down Return && sleep 3
xdotool mousemove 397 59 click 1 && sleep 1 && xdotool key Down Return && sleep 2
xdotool mousemove 601 34 click 1 && sleep 3
xdotool key F5
wait_for_window "演示者视图"
sleep 2
xdotool key Next && sleep 2
xdotool key p && sleep 1
xdotool mousemove 420 430 mousedown 1
for step in $(seq 1 16); do xdotool mousemove $((420 + step * 14)) $((430 - step * 2 + (step % 4) * 3)); done
xdotool mouseup 1 && sleep 1

mkdir -p "$ROOT/docs"
import -window root "$work/screens.png"
convert "$work/screens.png" -crop 1366x768+0+0 +repage "$ROOT/docs/presenter-console.png"
convert "$work/screens.png" -resize 50% "$ROOT/docs/presenter-screens.png"
echo "Saved $ROOT/docs/presenter-console.png and $ROOT/docs/presenter-screens.png"
if [ "${KEEP:-0}" = 1 ]; then
    echo "Left running on DISPLAY=$DISPLAY (processes ${pids[*]}, files in $work)"
fi
