#!/usr/bin/env bash
# Starts the most complete program the build holds: the desktop application on the demo
# compilation (created in the user's data folder on first run) when a display is there.
# Without one it says so, and the command-line tool renders the demo compilation into
# an audio file instead.
set -euo pipefail
build=${1:-build/default}
app="$build/src/app/varda-quillon"
cli="$build/src/cli/quillon-cli"
if [ -x "$app" ]; then
  if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ] || [ -n "${QT_QPA_PLATFORM:-}" ]; then
    exec "$app" --demo
  fi
  echo "run: no display (DISPLAY and WAYLAND_DISPLAY are not set), so the desktop application cannot start;" >&2
  echo "run: rendering the demo compilation with the command-line tool instead." >&2
  demo=$("$app" --create-demo)
  "$cli" info "$demo"
  out="${demo%.vpf}.wav"
  "$cli" render "$demo" "$out"
  echo "run: the mix of the demo compilation is in $out"
  exit 0
fi
exec "$cli" --help
