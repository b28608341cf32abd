#!/usr/bin/env bash
# Runs every libFuzzer target of build/fuzz for the given number of inputs each
# (default 20000; CI's smoke run), or only the targets named after the count.
# Corpora live in build/fuzz/corpus/, so a longer run later starts where this one ended.
set -euo pipefail
cd "$(dirname "$0")/.."
RUNS_EACH="${1:-20000}"
shift || true
targets=("$@")
if ((${#targets[@]} == 0)); then
  for f in build/fuzz/fuzz/fuzz_*; do
    [ -x "$f" ] && targets+=("$(basename "$f")")
  done
fi
for t in "${targets[@]}"; do
  corpus="build/fuzz/corpus/$t"
  mkdir -p "$corpus"
  echo "== $t: ${RUNS_EACH} inputs"
  mkdir -p build/fuzz/artifacts
  set +e
  "build/fuzz/fuzz/$t" -runs="$RUNS_EACH" -print_final_stats=1 \
    -artifact_prefix="build/fuzz/artifacts/$t-" "$corpus" > "build/fuzz/$t.log" 2>&1
  rc=$?
  set -e
  grep -E "^(stat::number_of_executed_units|Done)" "build/fuzz/$t.log" || true
  if [ $rc -ne 0 ]; then
    tail -40 "build/fuzz/$t.log" >&2
    echo "$t found a failing input (see build/fuzz/artifacts/)" >&2
    exit 1
  fi
done
echo "fuzz smoke: ${#targets[@]} passed, 0 failed"
