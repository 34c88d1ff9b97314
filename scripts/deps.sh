#!/usr/bin/env bash
# Installs the Debian 12 packages the suite needs to build, test and run.
set -euo pipefail
pkgs=(cmake ninja-build g++ clang libclang-rt-14-dev qt6-base-dev libsqlite3-dev sqlite3
      libgtest-dev libgmock-dev libbenchmark-dev fonts-dejavu-core
      desktop-file-utils poppler-utils xdg-utils libglib2.0-bin shared-mime-info)
exec bash "$(dirname "$0")/apt-install-missing.sh" "${pkgs[@]}"
