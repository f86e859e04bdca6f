#!/usr/bin/env bash
# Builds the libFuzzer harnesses of fuzz/ with clang and runs each for VARKEL_FUZZ_SECONDS
# (default 20) on a copy of its checked-in corpus. A crash or a property that does not hold
# fails the run; the input that did it is kept in build-fuzz/ and its log printed.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${VARKEL_FUZZ_SECONDS:-20}
harnesses=(ini history code_page files import export connect)
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DVARKEL_FUZZ=ON \
  -DVARKEL_BUILD_TESTS=OFF -DVARKEL_BUILD_BENCH=OFF "${launcher[@]}" >/dev/null
cmake --build build-fuzz -j2 --target "${harnesses[@]/#/fuzz_}"

work=$(mktemp -d /tmp/varkel-fuzz.XXXXXX)
trap 'rm -rf "$work"' EXIT
export TMPDIR=$work
for harness in "${harnesses[@]}"; do
  mkdir -p "$work/corpus-$harness"
  if build-fuzz/fuzz/fuzz_"$harness" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
    -artifact_prefix=build-fuzz/"$harness"- -print_final_stats=1 \
    "$work/corpus-$harness" fuzz/corpus/"$harness" >"$work/$harness.log" 2>&1; then
    echo "fuzz_$harness: $(grep -m1 -o 'stat::number_of_executed_units: *[0-9]*' "$work/$harness.log" |
      grep -o '[0-9]*$') inputs in ${seconds} s, every property held"
  else
    tail -n 40 "$work/$harness.log" >&2
    echo "fuzz_$harness failed; the input is in build-fuzz/$harness-*" >&2
    exit 1
  fi
done
