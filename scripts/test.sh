#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test.
#   ./scripts/test.sh              the plain build in ./build
#   ./scripts/test.sh --sanitize   a Debug build with AddressSanitizer and UndefinedBehaviorSanitizer
#                                  in ./build-sanitize; any report fails the test that caused it
# Further arguments go to ctest.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
if [ "${1:-}" = "--sanitize" ]; then
  shift
  export ZX_SANITIZE=ON
  export ZX_BUILD_TYPE="${ZX_BUILD_TYPE:-Debug}"
  export ZX_BUILD_DIR="${ZX_BUILD_DIR:-$root/build-sanitize}"
  # Leaks are left out: Qt, fontconfig and the ODBC driver manager keep caches until exit.
  export ASAN_OPTIONS="detect_leaks=0:abort_on_error=1:strict_string_checks=1:detect_stack_use_after_return=1"
  export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
fi
"$root/scripts/install-deps.sh"
"$root/scripts/build.sh"
build="${ZX_BUILD_DIR:-$root/build}"
cd "$build"
ctest --output-on-failure --parallel "$(nproc)" "$@"
