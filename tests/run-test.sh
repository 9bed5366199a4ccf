#!/bin/sh
# Runs one test in a fresh environment of its own: run-test.sh ENV_ROOT COMMAND [ARGS...]
env_root=$1
shift
rm -rf "$env_root"
mkdir -p "$env_root/cache" "$env_root/config" "$env_root/home"
mkdir -p -m 0700 "$env_root/run"
exec "$@"
