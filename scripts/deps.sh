#!/usr/bin/env bash
# Installs the Debian 12 packages the suite needs to build, test and run.
set -euo pipefail
pkgs=(cmake ninja-build g++ clang libclang-rt-14-dev qt6-base-dev libsqlite3-dev sqlite3
      libgtest-dev libgmock-dev libbenchmark-dev fonts-dejavu-core
      desktop-file-utils poppler-utils xdg-utils libglib2.0-bin shared-mime-info)
missing=()
for p in "${pkgs[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}"
