#!/usr/bin/env bash
# Installs what is missing, builds, and runs the benchmarks (optimised build in build-bench/).
# The benchmark database is kept in $ZX_BENCH_DIR (default: the temporary folder) between runs.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/install-deps.sh"
export ZX_BUILD_DIR="${ZX_BUILD_DIR:-$root/build-bench}"
export ZX_BUILD_TYPE="${ZX_BUILD_TYPE:-Release}"
"$root/scripts/build.sh"
"$ZX_BUILD_DIR/bench/ado_bench" "$@"
"$ZX_BUILD_DIR/bench/lookup_bench" "$@"
"$ZX_BUILD_DIR/bench/ftp_bench" "$@"
"$ZX_BUILD_DIR/bench/reportengine_bench" "$@"
"$ZX_BUILD_DIR/bench/startup_bench" "$@"
