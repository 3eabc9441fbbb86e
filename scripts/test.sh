#!/usr/bin/env bash
# The everyday check: installs what is missing, builds Tessuri and runs every
# test headless (unit, integration, install and fault tests; the integration
# tests start their own Xvfb, openbox and sound server).  About ten minutes
# on a fresh two-core machine, the packages included.  The whole proof, with
# the sanitizer pass and the fuzz smoke, is scripts/proof.sh.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh test
cmake --preset default >/dev/null
cmake --build --preset default
ctest --preset default
