#!/usr/bin/env bash
# Builds the Windows part of the suite (preset win64: mingw-w64, static
# runtime) and runs its tests under Wine, in a Wine prefix of its own below
# the build folder, so the user's own prefix and registry are never touched.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps-windows.sh
export WINEPREFIX="$PWD/build/win64/wineprefix" WINEDEBUG=-all
# No Mono or Gecko: nothing here needs them, and their installers would ask.
export WINEDLLOVERRIDES="mscoree,mshtml="
# A warm ccache makes a fresh build of the whole part take a minute or two.
launcher=()
if command -v ccache >/dev/null; then
  launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
cmake --preset win64 -DQM_WERROR=ON "${launcher[@]}"
cmake --build --preset win64
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  mkdir -p "$WINEPREFIX"
  wineboot -i
  wineserver -w
fi
status=0
ctest --preset win64 || status=$?
# The prefix's server would otherwise linger after the last test.
wineserver -k 2>/dev/null || true
exit $status
