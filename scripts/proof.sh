#!/usr/bin/env bash
# The whole proof, as CI runs it: the code style, the everyday check
# (scripts/test.sh), then the short proofs under faults: the whole suite,
# the real program included, under AddressSanitizer and
# UndefinedBehaviorSanitizer, and each fuzz target for 60 seconds.  Their
# long forms: tests/sanitizers/README.md and fuzz/README.md.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh proof
bash scripts/check-format.sh
bash scripts/test.sh

cmake --preset debug >/dev/null
cmake --build --preset debug
ctest --preset debug

bash fuzz/run.sh 60
