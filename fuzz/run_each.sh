#!/usr/bin/env bash
# run_each.sh BIN_DIR SECONDS: runs every fuzz target in BIN_DIR (the executables named
# *_fuzz or *_fuzz_<variant>, seed writers *_seeds left out) for SECONDS each, one after
# the other, and fails on the first target that finds a crash, a leak or a time-out.
#
# A target NAME_fuzz[_variant] starts from fuzz/corpus/NAME when that exists, from the
# seeds that BIN_DIR/NAME_fuzz_seeds writes when that exists, and uses fuzz/NAME.dict when
# that exists. New inputs go to a scratch folder, never into the source tree. The last
# line is "N passed, N failed".
set -euo pipefail
bin=$(realpath "$1")
seconds=$2
src=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d "${TMPDIR:-/tmp}/fuzz-each.XXXXXX")
trap 'rm -rf "$work"' EXIT

passed=0
failed=0
targets=()
for exe in "$bin"/*_fuzz "$bin"/*_fuzz_*; do
  [[ -x $exe && $exe != *_seeds ]] && targets+=("$exe")
done
if ((${#targets[@]} == 0)); then
  echo "no fuzz targets in $bin"
  echo "0 passed, 1 failed"
  exit 1
fi

for exe in "${targets[@]}"; do
  name=$(basename "$exe")
  base=${name%%_fuzz*}
  inputs=()
  if [[ -x $bin/${base}_fuzz_seeds && ! -d $work/seeds-$base ]]; then
    mkdir -p "$work/seeds-$base"
    "$bin/${base}_fuzz_seeds" "$work/seeds-$base" >/dev/null
  fi
  [[ -d $work/seeds-$base ]] && inputs+=("$work/seeds-$base")
  [[ -d $src/corpus/$base ]] && inputs+=("$src/corpus/$base")
  options=(-max_total_time="$seconds" -rss_limit_mb=2048 -timeout=25 -print_final_stats=1
    -artifact_prefix="$work/$name-")
  [[ -f $src/$base.dict ]] && options+=(-dict="$src/$base.dict")
  mkdir -p "$work/corpus-$name"
  echo "== $name: ${seconds} s on ${inputs[*]:-an empty corpus}"
  if "$exe" "${options[@]}" "$work/corpus-$name" "${inputs[@]}" >"$work/$name.log" 2>&1; then
    passed=$((passed + 1))
    grep -E '^stat::number_of_executed_units|^Done [0-9]+ runs' "$work/$name.log" || true
  else
    failed=$((failed + 1))
    tail -n 60 "$work/$name.log"
    for artifact in "$work/$name"-*; do
      [[ -e $artifact ]] && echo "input that failed: $(base64 -w0 <"$artifact" | head -c 4000)"
    done
  fi
done
echo "$passed passed, $failed failed"
((failed == 0))
