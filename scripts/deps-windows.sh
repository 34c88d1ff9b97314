#!/usr/bin/env bash
# Installs the Debian 12 packages the Windows build and its Wine test run need:
# the mingw-w64 cross compiler (POSIX threads, for std::thread and std::mutex),
# Wine to run the tests, and GoogleTest's sources to build it for the target.
set -euo pipefail
pkgs=(cmake ninja-build mingw-w64 g++-mingw-w64-x86-64-posix wine wine64 googletest)
exec bash "$(dirname "$0")/apt-install-missing.sh" --no-install-recommends "${pkgs[@]}"
