#!/usr/bin/env bash
# Runs the lesson soak (tests/main/soak_lesson.cpp) in a fresh environment of its own:
#   tools/soak-lesson.sh BUILD_DIR [ROUNDS]
# In the ASan+UBSan build (build-asan) leak checking is on, as in ./run.sh test.
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT=$(pwd)
BUILD=${1:?usage: tools/soak-lesson.sh BUILD_DIR [ROUNDS]}
env_root=$(mktemp -d)
trap 'rm -rf "$env_root"' EXIT
mkdir -p "$env_root/cache" "$env_root/config" "$env_root/home" && mkdir -m 0700 "$env_root/run"
XDG_CACHE_HOME=$env_root/cache XDG_RUNTIME_DIR=$env_root/run XDG_CONFIG_HOME=$env_root/config \
    HOME=$env_root/home LUMOCLASS_CONFIG=$env_root/lumoclass.conf LUMO_TEST_ENV_ROOT=$env_root \
    QT_QPA_PLATFORM=offscreen \
    ASAN_OPTIONS="detect_leaks=1:abort_on_error=0:strict_string_checks=1" \
    LSAN_OPTIONS="suppressions=$ROOT/tests/lsan.supp:print_suppressions=0" \
    UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1" \
    "$BUILD/tests/main/soak_lesson" "${2:-200}"
