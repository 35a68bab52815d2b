#!/usr/bin/env bash
# Starts the most complete program the build holds: the desktop application on the demo
# compilation (created in the user's data folder on first run) when a display is there,
# otherwise the command-line tool.
set -euo pipefail
build=${1:-build/default}
app="$build/src/app/varda-quillon"
if [ -x "$app" ]; then
  if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ] || [ -n "${QT_QPA_PLATFORM:-}" ]; then
    exec "$app" --demo
  fi
  echo "run: no display (DISPLAY and WAYLAND_DISPLAY are not set), so the desktop application cannot start;" >&2
  echo "run: showing the command-line tool instead." >&2
fi
exec "$build/src/cli/quillon-cli" --help
