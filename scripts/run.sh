#!/usr/bin/env bash
# Installs what Kestrin needs, builds it and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/build.sh
if [ -x build/kestrin ]; then
  exec build/kestrin "$@"
elif [ -x build/kestrin-cli ] && [ -f examples/sample-month.slt ]; then
  # Until the main window exists: show the example month's statistics.
  exec build/kestrin-cli stats examples/sample-month.slt
else
  echo "Kestrin was built; the main window is not available yet." >&2
fi
