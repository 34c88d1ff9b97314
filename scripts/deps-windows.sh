#!/usr/bin/env bash
# Installs the Debian 12 packages the Windows build and its Wine test run need:
# the mingw-w64 cross compiler (POSIX threads, for std::thread and std::mutex),
# Wine to run the tests, and GoogleTest's sources to build it for the target.
set -euo pipefail
pkgs=(cmake ninja-build mingw-w64 g++-mingw-w64-x86-64-posix wine wine64 googletest)
missing=()
for p in "${pkgs[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
