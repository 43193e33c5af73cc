#!/usr/bin/env bash
# Installs what is missing, builds, and starts the program.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/install-deps.sh"
"$root/scripts/build.sh"
build="${ZX_BUILD_DIR:-$root/build}"
# The demo databases (main "DEMO" and statistics), made once.
if [ ! -f "$build/demo-data/DEMO.db" ]; then
  "$build/bin/zentrik-demo-db" "$build/demo-data" >/dev/null
fi
# Without arguments the program opens the demo database, as a sibling program would start it.
if [ $# -eq 0 ]; then
  set -- "@server=sqlite:$build/demo-data;@dbname=DEMO;@usuario=demo;@Password=demo;"
fi
exec "$build/bin/zentrik" "$@"
