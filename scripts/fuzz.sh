#!/usr/bin/env bash
# Runs every fuzz target built in a fuzz build folder for a set time, starting from its seed
# corpus and regression inputs. New inputs go to <build>/corpus/<name>/ (kept between runs); an
# input that fails goes to <build>/findings/<name>/, to be fixed and then kept in
# fuzz/regressions/<name>/. Exits 1 when any target found something.
set -uo pipefail

build=${1:?usage: fuzz.sh <fuzz build folder> [seconds per target]}
seconds=${2:-60}
source_dir=$(cd "$(dirname "$0")/.." && pwd)
failed=()

for target in "$build"/fuzz/*_fuzz; do
  [ -x "$target" ] || continue
  name=$(basename "$target" _fuzz)
  corpus="$build/corpus/$name"
  findings="$build/findings/$name"
  mkdir -p "$corpus" "$findings"
  inputs=("$corpus" "$source_dir/fuzz/corpus/$name")
  [ -d "$source_dir/fuzz/regressions/$name" ] && inputs+=("$source_dir/fuzz/regressions/$name")
  echo "fuzz: $name for ${seconds}s"
  if ! "$target" -max_total_time="$seconds" -timeout=25 -print_final_stats=1 \
      -artifact_prefix="$findings/" "${inputs[@]}" > "$build/$name.log" 2>&1; then
    failed+=("$name")
    tail -n 40 "$build/$name.log"
  fi
  grep -E "^stat::number_of_executed_units|^Done" "$build/$name.log" || true
done

if [ ${#failed[@]} -gt 0 ]; then
  echo "fuzz: findings in ${failed[*]}; see $build/findings/"
  exit 1
fi
echo "fuzz: no findings"
