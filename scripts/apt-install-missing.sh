#!/usr/bin/env bash
# Installs those of the named Debian packages that are not installed yet.
# Options before the names (--no-install-recommends) go to apt-get install.
set -euo pipefail
opts=()
while [ $# -gt 0 ] && [ "${1#-}" != "$1" ]; do
  opts+=("$1")
  shift
done
missing=()
for p in "$@"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${opts[@]}" "${missing[@]}"
