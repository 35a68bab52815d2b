#!/usr/bin/env bash
# Starts the most complete program the build holds.
set -euo pipefail
build=${1:-build/default}
if [ -x "$build/src/app/varda-quillon" ]; then
  exec "$build/src/app/varda-quillon"
fi
exec "$build/src/cli/quillon-cli" --help
