#!/usr/bin/env bash
# Installs what is missing, builds Tessuri and starts the clock from its
# program folder build/default/dist (its settings land there too).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh run
cmake --preset default >/dev/null
cmake --build --preset default
exec build/default/dist/tessuri "$@"
