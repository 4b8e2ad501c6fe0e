#!/usr/bin/env bash
# Makes the release package from a clean clone: configures the Windows build if need be,
# builds only the stripped TORVINEL.EXE (app/release) and runs CPack, which writes
# build/windows/package/TORVINEL-<version>-win-x64.zip and its .sha256 line.
# (`cmake --build build/windows --target package` does the same after building everything.)
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
jobs=${JOBS:-$(nproc)}
cmake -S . -B build/windows -G Ninja -DCMAKE_BUILD_TYPE=Release \
      -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake >/dev/null
cmake --build build/windows -j "$jobs" --target torvinel_release
(cd build/windows && cpack --config CPackConfig.cmake) | sed -n 's/^CPack: - \(package\|checksum file\): //p'
