#!/usr/bin/env bash
# Configures and builds the project in ./build (Ninja).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${ZX_BUILD_DIR:-$root/build}"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE="${ZX_BUILD_TYPE:-RelWithDebInfo}" \
  -DZX_SANITIZE="${ZX_SANITIZE:-OFF}" >/dev/null
cmake --build "$build" --parallel "${ZX_JOBS:-$(nproc)}"
