#!/usr/bin/env bash
# The whole test suite once more, built with AddressSanitizer and
# UndefinedBehaviorSanitizer (build directory build-sanitize). Any report of
# either ends the process that made it, so the test it ran in fails.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh build-sanitize -DKALVEX_SANITIZE=ON
cd build-sanitize
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1:strict_string_checks=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
ctest --output-on-failure -j "$(nproc)" "$@"
