#!/usr/bin/env bash
# Builds the fuzz targets of fuzz/ with clang and libFuzzer (build directory
# build-fuzz) and runs each from its corpus, seeded with the project's
# fixtures and samples and kept in build-fuzz/corpus/<target>.
#
#   scripts/fuzz.sh --ci                  every target for a fixed number of runs (CI)
#   scripts/fuzz.sh [--time S] [TARGET..] a longer run, S seconds per target (600)
#   scripts/fuzz.sh --coverage [TARGET..] line and region coverage of the
#                                         corpora so far (llvm-cov, build-fuzz-cov)
#   scripts/fuzz.sh --list                the targets
#
# Fails on any crash, sanitizer report, timeout (-timeout) or memory blow-up
# (-rss_limit_mb); the input that did it is left in build-fuzz/artifacts.
# In --ci mode each target runs the number of inputs fuzz/CMakeLists.txt gives
# it, or FUZZ_RUNS when set.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/install-packages.sh

mode=long
seconds=600
targets=()
while (($#)); do
  case $1 in
    --ci) mode=ci ;;
    --list) mode=list ;;
    --coverage) mode=coverage ;;
    --time) seconds=$2; shift ;;
    -h|--help) sed -n "2,17p" "$0"; exit 0 ;;
    *) targets+=("$1") ;;
  esac
  shift
done

# clang with its sanitizer and fuzzer runtimes, and its OpenMP for the solver.
install_packages clang libclang-rt-14-dev libomp-14-dev || true
if ! command -v clang++ >/dev/null; then
  echo "clang++ not found: fuzz targets skipped."
  exit 0
fi

build=build-fuzz
scripts/setup.sh "$build" -DCMAKE_CXX_COMPILER=clang++ -DKALVEX_FUZZ=ON >/dev/null
((${#targets[@]})) || mapfile -t targets < "$build/fuzz/targets"
if [ "$mode" = list ]; then
  printf '%s\n' "${targets[@]}"
  exit 0
fi

# Every corpus input once through a build instrumented for source-based
# coverage, reported for the sources each target is meant to cover.
if [ "$mode" = coverage ]; then
  install_packages llvm
  scripts/setup.sh build-fuzz-cov -DCMAKE_CXX_COMPILER=clang++ -DKALVEX_FUZZ=ON -DKALVEX_FUZZ_COVERAGE=ON >/dev/null
  mkdir -p build-fuzz-cov/profiles
  for target in "${targets[@]}"; do
    corpus=$build/corpus/$target
    [ -d "$corpus" ] || { echo "$target: no corpus yet (run the targets first)"; continue; }
    profile=build-fuzz-cov/profiles/$target
    LLVM_PROFILE_FILE=$profile.profraw build-fuzz-cov/fuzz/$target -runs=0 "$corpus" >/dev/null 2>&1
    llvm-profdata merge -sparse "$profile.profraw" -o "$profile.profdata"
    echo "== $target ($(ls "$corpus" | wc -l) inputs)"
    mapfile -t covers < "build-fuzz-cov/fuzz/$target.covers"
    llvm-cov report "build-fuzz-cov/fuzz/$target" -instr-profile="$profile.profdata" "${covers[@]}" \
      | sed "s#$PWD/##"
  done
  exit 0
fi

export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1:allocator_may_return_null=0}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
common=(-dict=fuzz/numbers.dict -rss_limit_mb=2048 -malloc_limit_mb=2048 -timeout=10 -max_len=8192
        -print_final_stats=1)

mkdir -p "$build/artifacts" "$build/logs"
failed=()
for target in "${targets[@]}"; do
  corpus=$build/corpus/$target
  mkdir -p "$corpus"
  while IFS= read -r seed; do
    [ -f "$seed" ] && cp "$seed" "$corpus/seed-$(sha1sum < "$seed" | cut -c1-16)"
  done < "$build/fuzz/$target.seeds"
  if [ "$mode" = ci ]; then
    # A fixed seed and number of runs: the same inputs on every CI run.
    limit=(-runs="${FUZZ_RUNS:-$(cat "$build/fuzz/$target.runs")}" -seed=1)
  else
    limit=(-max_total_time="$seconds")
  fi
  log=$build/logs/$target.log
  echo "== $target"
  if "$build/fuzz/$target" "${common[@]}" "${limit[@]}" -artifact_prefix="$build/artifacts/$target-" \
       "$corpus" > "$log" 2>&1 && ! grep -q "runtime error:" "$log"; then
    grep -E "^#[0-9]+.*DONE|^Done" "$log" || true
  else
    failed+=("$target")
    tail -n 40 "$log"
    echo "$target FAILED: the input is in $build/artifacts/$target-*, the whole log in $log"
  fi
done
if ((${#failed[@]})); then
  echo "Fuzzing failed: ${failed[*]}"
  exit 1
fi
echo "Fuzzing: ${#targets[@]} targets, no crash, report, timeout or memory blow-up."
