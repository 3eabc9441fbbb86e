#!/usr/bin/env bash
# Installs what is missing, builds Tessuri and runs every test headless.
# The integration tests start their own Xvfb, openbox and sound server.
# Then the short proofs under faults: the whole suite, the real program
# included, under AddressSanitizer and UndefinedBehaviorSanitizer (about
# four minutes more than without the real program), and each fuzz target for
# 60 seconds.  Their long forms: tests/sanitizers/README.md and fuzz/README.md.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh test
cmake --preset default >/dev/null
cmake --build --preset default
ctest --preset default

cmake --preset debug >/dev/null
cmake --build --preset debug
ctest --preset debug

bash fuzz/run.sh 60
