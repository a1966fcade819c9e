#!/usr/bin/env bash
# Builds the fuzz targets natively (clang, libFuzzer, ASan + UBSan), writes the seed
# corpus (the image tests' sample writers and a few XML texts), and runs each target for
# a bounded time. Inputs that crash, hang or exhaust memory are kept, named after the
# target and their contents, in tests/image/regress/, where the test suite loads them
# again, or for the XML reader in tests/net/regress/, to become cases of its table.
# A target with a <target>.dict here gets it as libFuzzer's dictionary.
#
#   tools/fuzz/run.sh [seconds per target] [target ...]     (default 60; bmp gif ico png jpg xml)
#
# VELIX_FUZZ_BUILD names the build folder (default /tmp/velix-fuzz); the corpus grows
# there from run to run. The exit status is 1 when any target found something.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
seconds=${1:-60}
shift || true
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(bmp gif ico png jpg xml)
build=${VELIX_FUZZ_BUILD:-/tmp/velix-fuzz}

cmake -S "$root/tools/fuzz" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ >/dev/null
cmake --build "$build"

seeds=$build/seeds
rm -rf "$seeds"
"$build/make_seeds" "$seeds"
found=0
for t in "${targets[@]}"; do
  regress=$root/tests/image/regress
  [ "$t" = xml ] && regress=$root/tests/net/regress
  dict=()
  [ -f "$root/tools/fuzz/$t.dict" ] && dict=(-dict="$root/tools/fuzz/$t.dict")
  corpus=$build/corpus/$t
  artifacts=$build/artifacts/$t
  mkdir -p "$corpus" "$artifacts" "$seeds/$t"
  # Earlier findings of this target seed it as well.
  [ -d "$regress" ] && find "$regress" -maxdepth 1 -name "$t-*" -exec cp {} "$seeds/$t/" \;
  echo "== fuzz_$t for ${seconds}s"
  set +e
  ASAN_OPTIONS=detect_leaks=1:allocator_may_return_null=1 UBSAN_OPTIONS=print_stacktrace=1 \
    "$build/fuzz_$t" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=65536 \
    -artifact_prefix="$artifacts/" -print_final_stats=1 "${dict[@]}" "$corpus" "$seeds/$t" 2>"$build/fuzz_$t.log"
  status=$?
  set -e
  grep -E '^(stat::number_of_executed_units|stat::peak_rss_mb|#[0-9]+[[:space:]]+DONE)' "$build/fuzz_$t.log" || true
  for a in "$artifacts"/crash-* "$artifacts"/timeout-* "$artifacts"/oom-* "$artifacts"/leak-*; do
    [ -f "$a" ] || continue
    name=$t-$(sha1sum "$a" | cut -c1-16)
    mkdir -p "$regress"
    cp "$a" "$regress/$name"
    rm -f "$a"
    echo "   found: $(basename "$a") -> ${regress#$root/}/$name"
    found=1
  done
  if [ $status -ne 0 ] && [ $found -eq 0 ]; then
    echo "   fuzz_$t ended with status $status; see $build/fuzz_$t.log"
    found=1
  fi
done
exit $found
