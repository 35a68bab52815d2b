#!/usr/bin/env bash
# Runs the project-load fuzzer built in <build> for <seconds> (default 60): first every
# kept input once (the committed corpus and every input that ever crashed it), then
# fuzzing from them. New inputs go to <build>/corpus, never into the source tree; a
# crash leaves its input in <build>/artifacts/ - add it to fuzz/regressions/ with the fix.
set -euo pipefail
build=${1:?usage: fuzz/run.sh <build folder> [seconds]}
seconds=${2:-60}
here=$(cd "$(dirname "$0")" && pwd)
fuzzer="$build/project_load_fuzzer"
mkdir -p "$build/corpus" "$build/artifacts"

kept=()
for dir in "$here/corpus" "$here/regressions"; do
  for f in "$dir"/*; do
    [ -f "$f" ] && kept+=("$f")
  done
done
echo "fuzz: replaying ${#kept[@]} kept inputs"
# Without any file argument the fuzzer would not replay but fuzz without end.
if [ ${#kept[@]} -gt 0 ]; then
  "$fuzzer" -artifact_prefix="$build/artifacts/" "${kept[@]}" >"$build/replay.log" 2>&1 ||
    { cat "$build/replay.log"; exit 1; }
fi

echo "fuzz: project loading for ${seconds}s"
"$fuzzer" -max_total_time="$seconds" -max_len=8192 -timeout=20 -rss_limit_mb=2048 -print_final_stats=1 \
  -artifact_prefix="$build/artifacts/" "$build/corpus" "$here/corpus" "$here/regressions" >"$build/fuzz.log" 2>&1 ||
  { tail -n 60 "$build/fuzz.log"; exit 1; }
grep -E "^stat::(number_of_executed_units|new_units_added)" "$build/fuzz.log" | sed 's/^/fuzz: /'
