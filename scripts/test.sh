#!/usr/bin/env bash
# Installs what is missing, builds everything warning-free and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
cmake --preset dev -DQM_WERROR=ON
cmake --build --preset dev
ctest --preset dev
