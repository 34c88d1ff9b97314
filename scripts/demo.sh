#!/usr/bin/env bash
# Builds the suite (release preset) and runs PLAYDECK32 on the demo game, with
# a settings store of its own whose "InstallPath" points at that game.
# Without a display it prints the catalogue of each list mode instead.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
cmake --preset release >/dev/null
nice cmake --build --preset release -j2

bin="$PWD/build/release/bin"
game="$PWD/build/release/demo-game"
world="$PWD/build/demo-world"
mkdir -p "$world"
export QM_REGISTRY_DB="$world/registry.sqlite"
export QM_SPLASH_MS="${QM_SPLASH_MS:-300}"

"$bin/qm_make_demo_game" --register "$game" "$bin/qm_rf_standin"
echo "Settings store: $QM_REGISTRY_DB"
echo "The stand-in rf.exe records each start in $game/rf_launch.log"

if [ -x "$bin/playdeck32" ]; then
  list=("$bin/playdeck32" --list)
else
  list=("$bin/qm_list_levels")
fi

print_catalogue() {
  for mode in single multi mods; do
    echo
    echo "== $mode"
    "${list[@]}" "$mode"
  done
}

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "No display (DISPLAY and WAYLAND_DISPLAY are unset): printing the catalogue instead."
  print_catalogue
  exit 0
fi
if [ -x "$bin/playdeck32" ]; then
  exec "$bin/playdeck32"
fi
echo "playdeck32 is not built yet; the catalogue instead:"
print_catalogue
