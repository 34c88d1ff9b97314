#!/usr/bin/env bash
# Builds the suite and runs it on the embedded demo.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
cmake --preset release >/dev/null
cmake --build --preset release
demo="$PWD/build/demo-world"
mkdir -p "$demo"
export QM_REGISTRY_DB="$demo/registry.sqlite"
if [ -x build/release/bin/qmreg ]; then
  build/release/bin/qmreg export
fi
