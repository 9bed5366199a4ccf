#!/bin/sh
# Runs a fuzz target once over every file of its corpus (a regression run, no fuzzing):
#   run-corpus.sh TARGET CORPUS_DIR ARTIFACT_DIR
# A crash, a leak, a sanitizer report or an input that runs past the time-out fails the run.
target=$1
corpus=$2
artifacts=$3
mkdir -p "$artifacts"
# Allocations that live as long as the process inside system libraries (fontconfig) are no leak.
here=$(cd "$(dirname "$0")" && pwd)
export LSAN_OPTIONS="suppressions=$here/../lsan.supp:print_suppressions=0${LSAN_OPTIONS:+:$LSAN_OPTIONS}"
set -- $(find "$corpus" -type f | sort)
if [ $# -eq 0 ]; then
    echo "run-corpus.sh: no corpus files in $corpus" >&2
    exit 1
fi
exec "$target" -timeout=10 -rss_limit_mb=2560 -artifact_prefix="$artifacts/" "$@"
