#!/usr/bin/env bash
# Quick start for Lumovia Class.
#   ./run.sh demo   the program against the demo classroom service
#   ./run.sh test   the format check, then every test in a normal and in an ASan+UBSan build
# Each command installs the Debian packages it needs (as root, or through sudo) and builds.
set -euo pipefail
cd "$(dirname "$0")"
ROOT=$(pwd)
JOBS=$(nproc 2>/dev/null || echo 2)

PACKAGES=(
    cmake ninja-build g++ pkg-config git openssl ca-certificates
    qt6-base-dev qt6-base-private-dev qt6-webengine-dev qt6-declarative-dev libgl-dev
    libcurl4-openssl-dev libxml2-dev zlib1g-dev libssl-dev libpng-dev libjpeg62-turbo-dev
    libboost-dev libbenchmark-dev
    clang libclang-rt-14-dev clang-format
    libxcb1-dev libxcb-shape0-dev libxcb-xtest0-dev fonts-noto-cjk xvfb xauth openbox dbus
    qt6-svg-dev librsvg2-bin dpkg-dev lintian desktop-file-utils appstream
)

install_packages() {
    local missing=()
    for p in "${PACKAGES[@]}"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing: ${missing[*]}"
    local sudo=()
    if [ "$(id -u)" -ne 0 ]; then
        command -v sudo >/dev/null || { echo "run.sh: need root or sudo to install ${missing[*]}" >&2; exit 1; }
        sudo=(sudo)
    fi
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -q
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${missing[@]}"
}

# build DIR [cmake options...]
build() {
    local dir=$1
    shift
    cmake -G Ninja -S "$ROOT" -B "$dir" "$@" >/dev/null
    cmake --build "$dir" -j "$JOBS"
}

# Every tracked C++ file as .clang-format lays it out; lists the files that are not.
check_format() {
    echo "== Format (clang-format)"
    local off=()
    while IFS= read -r file; do
        clang-format --dry-run --Werror "$file" >/dev/null 2>&1 || off+=("$file")
    done < <(git -C "$ROOT" ls-files '*.cpp' '*.h' ':!:tests/fuzz/corpus/**')
    [ ${#off[@]} -eq 0 ] && return 0
    printf 'not formatted (clang-format -i FILE): %s\n' "${off[@]}" >&2
    return 1
}

run_tests() {
    local status=0
    check_format || status=1
    build "$ROOT/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo
    echo "== Tests (normal build)"
    (cd "$ROOT/build" && ctest --output-on-failure -j "$JOBS") || status=1

    build "$ROOT/build-asan" -DCMAKE_BUILD_TYPE=Debug -DLUMO_SANITIZE=ON
    echo "== Tests (ASan+UBSan build)"
    (cd "$ROOT/build-asan" &&
        ASAN_OPTIONS="detect_leaks=1:abort_on_error=0:strict_string_checks=1" \
        LSAN_OPTIONS="suppressions=$ROOT/tests/lsan.supp:print_suppressions=0" \
        UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1" \
        ctest --output-on-failure -j "$JOBS" -LE "webengine|desktop") || status=1
    run_fuzz_regression || status=1
    [ $status -eq 0 ] && echo "== All tests passed" || echo "== Some tests FAILED"
    return $status
}

# Every fuzz target once over its seed corpus (tests/fuzz/corpus), in a clang build of its own
# (libFuzzer, ASan, UBSan) that shares nothing with the g++ builds; a crash fails the run.
run_fuzz_regression() {
    cmake -G Ninja -S "$ROOT/tests/fuzz" -B "$ROOT/build-fuzz" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DCMAKE_CXX_COMPILER=clang++ >/dev/null
    cmake --build "$ROOT/build-fuzz" -j "$JOBS"
    echo "== Fuzz corpus regression (clang build)"
    (cd "$ROOT/build-fuzz" && ctest --output-on-failure -j "$JOBS")
}

SERVICE_PID=""
RUNTIME_DIR=""
stop_service() {
    if [ -n "$SERVICE_PID" ]; then
        kill "$SERVICE_PID" 2>/dev/null || true
        wait "$SERVICE_PID" 2>/dev/null || true
        SERVICE_PID=""
    fi
    if [ -n "$RUNTIME_DIR" ]; then
        rm -rf "$RUNTIME_DIR"
        RUNTIME_DIR=""
    fi
}

run_demo() {
    build "$ROOT/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo
    local service="$ROOT/build/demo/lumoclass-demo-service"
    local client="$ROOT/build/src/lumoclass"
    local state="${XDG_STATE_HOME:-$HOME/.local/state}/lumoclass-demo"
    mkdir -p "$state"
    local log="$state/service.log"
    local config="$state/lumoclass.conf"
    : >"$log"
    trap stop_service EXIT
    # Without a session (root on a fresh machine) Qt would pick a shared folder and say so; the
    # demo gets a private one instead, gone when it ends.
    if [ -z "${XDG_RUNTIME_DIR:-}" ]; then
        RUNTIME_DIR=$(mktemp -d "${TMPDIR:-/tmp}/lumoclass-demo-run.XXXXXX")
        chmod 0700 "$RUNTIME_DIR"
        export XDG_RUNTIME_DIR="$RUNTIME_DIR"
    fi
    local data=(--data "$ROOT/demo/data")
    # LUMO_DEMO_SLOW_PICTURES=MS holds every picture back that long, as a school network does.
    if [ -n "${LUMO_DEMO_SLOW_PICTURES:-}" ]; then
        mkdir -p "$state/slow/faults"
        echo "/content/ slow:$LUMO_DEMO_SLOW_PICTURES" >"$state/slow/faults/http"
        data+=(--data "$state/slow")
    fi
    "$service" "${data[@]}" --state "$state" --listen 127.0.0.1:0 \
        --write-client-config "$config" >"$log" 2>&1 &
    SERVICE_PID=$!
    for _ in $(seq 1 600); do
        grep -qx ready "$log" && break
        kill -0 "$SERVICE_PID" 2>/dev/null || { cat "$log"; echo "run.sh: the demo service did not start" >&2; exit 1; }
        sleep 0.1
    done
    grep -qx ready "$log" || { cat "$log"; echo "run.sh: the demo service did not get ready" >&2; exit 1; }
    local address
    address=$(sed -n 's/^listening //p' "$log" | head -n 1)
    echo "Demo service on $address (log: $log); demo accounts are listed in demo/README.md"
    if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
        echo "No display: starting the client under Xvfb"
        LUMOCLASS_CONFIG="$config" xvfb-run -a -s "-screen 0 1920x1080x24" "$client" "$@"
    else
        LUMOCLASS_CONFIG="$config" "$client" "$@"
    fi
}

case "${1:-}" in
    test)
        install_packages
        run_tests
        ;;
    demo)
        shift
        install_packages
        run_demo "$@"
        ;;
    *)
        echo "usage: $0 demo|test" >&2
        exit 2
        ;;
esac
