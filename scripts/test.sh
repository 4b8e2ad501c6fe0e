#!/usr/bin/env bash
# Builds both builds and runs every test: native unit tests (with the sanitizers and a short
# fuzz run), then the Windows unit and end-to-end tests under Wine in a private Xvfb.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
bash scripts/build.sh
source scripts/xvfb.sh
use_private_xvfb

status=0
echo "== native tests"
ctest --test-dir build/native --output-on-failure || status=1
echo "== Windows tests under Wine"
ctest --test-dir build/windows --output-on-failure || status=1
exit $status
