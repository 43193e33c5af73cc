#!/usr/bin/env bash
# Installs what is missing, builds, and starts the program.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/install-deps.sh"
"$root/scripts/build.sh"
build="${ZX_BUILD_DIR:-$root/build}"
# The demo databases (main "DEMO" and statistics), made once. One that does not open with the
# login the program gives it (an older build made it, a login file went missing) is repaired,
# its rows kept; what the repair did is told.
if ! "$build/bin/zentrik-demo-db" --comprobar "$build/demo-data" >/dev/null 2>&1; then
  "$build/bin/zentrik-demo-db" --reparar "$build/demo-data" >&2
fi
# Without arguments the program opens the demo database, as a sibling program would start it.
if [ $# -eq 0 ]; then
  set -- "@server=sqlite:$build/demo-data;@dbname=DEMO;@usuario=demo;@Password=demo;"
fi
exec "$build/bin/zentrik" "$@"
