#!/usr/bin/env bash
# Builds the Linux program for users (optimised, without the tests'
# sanitizers) and its Debian package, and says where the package is.
# Install it with: sudo apt-get install ./build/package/blindfold_<version>_amd64.deb
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
cmake --preset package >/dev/null
cmake --build --preset package
(cd build/package && cpack >/dev/null)
echo "The Debian package is $(ls "$PWD"/build/package/blindfold_*_amd64.deb)"
