#!/usr/bin/env bash
# Installs what is missing, builds Tessuri and runs every test headless.
# The integration tests start their own Xvfb, openbox and sound server.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh test
cmake --preset default >/dev/null
cmake --build --preset default
ctest --preset default
