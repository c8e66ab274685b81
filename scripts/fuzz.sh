#!/usr/bin/env bash
# Replays each fuzz target's checked-in corpus (a regression test) and then
# fuzzes it for a bounded time in a scratch copy of the corpus.
#   scripts/fuzz.sh BUILD-DIR SECONDS
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${1:?usage: fuzz.sh BUILD-DIR SECONDS}
seconds=${2:-20}
status=0
for target in "$build"/tests/fuzz/*_fuzz; do
  [ -x "$target" ] || continue
  name=$(basename "$target")
  corpus="$here/tests/fuzz/corpus/$name"
  scratch=$(mktemp -d)
  cp -r "$corpus/." "$scratch/" 2>/dev/null || true
  echo "-- $name: replaying $(ls "$corpus" | wc -l) corpus inputs, then fuzzing ${seconds}s"
  if ! "$target" -runs=0 -artifact_prefix="$build/" "$corpus" >/tmp/fuzz-$name.log 2>&1; then
    tail -40 /tmp/fuzz-$name.log; status=1
  elif ! "$target" -max_total_time="$seconds" -max_len=4096 -timeout=10 -rss_limit_mb=2048 \
        -artifact_prefix="$build/" \
        "$scratch" >/tmp/fuzz-$name.log 2>&1; then
    tail -40 /tmp/fuzz-$name.log; status=1
  fi
  rm -rf "$scratch"
done
exit $status
