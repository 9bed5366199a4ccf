#!/usr/bin/env bash
# Makes the README's lesson screenshots again: runs the whole-lesson test in a real X server
# (Xvfb, 1920x1080) against the demo service, which saves docs/lesson-textbook.png and
# docs/lesson-scene.png on its way. Build first with ./run.sh test or ./run.sh demo.
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT=$(pwd)
BUILD=${BUILD:-$ROOT/build}
TEST=$BUILD/tests/main/test_lesson
[ -x "$TEST" ] || { echo "lesson-screenshots: build first (missing $TEST)" >&2; exit 1; }

env_root=$(mktemp -d)
trap 'rm -rf "$env_root"' EXIT
mkdir -p "$env_root/cache" "$env_root/config" "$env_root/home" && mkdir -m 0700 "$env_root/run"
XDG_CACHE_HOME=$env_root/cache XDG_RUNTIME_DIR=$env_root/run XDG_CONFIG_HOME=$env_root/config \
    HOME=$env_root/home LUMOCLASS_CONFIG=$env_root/lumoclass.conf LUMO_TEST_ENV_ROOT=$env_root \
    QT_QPA_PLATFORM=xcb LUMO_LESSON_SCREENSHOTS=$ROOT/docs \
    xvfb-run -a -s "-screen 0 1920x1080x24" "$TEST" wholeLessonAfterSigningIn
echo "Saved $ROOT/docs/lesson-textbook.png and $ROOT/docs/lesson-scene.png"
