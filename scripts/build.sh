#!/usr/bin/env bash
# Configures and builds the normal (Qt) build in build/. Extra arguments go
# to the CMake configure step (scripts/test.sh passes -DKESTRIN_WERROR=ON).
# ccache is used when it is installed.
set -euo pipefail
cd "$(dirname "$0")/.."
launcher=()
if command -v ccache >/dev/null 2>&1; then
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
fi
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "${launcher[@]}" "$@" >/dev/null
cmake --build build -j"$(nproc)"
