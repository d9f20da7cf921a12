#!/usr/bin/env bash
# Installs what is missing, builds Quillpost with its tests, and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh

BUILD_DIR="${QP_BUILD_DIR:-build}"
WERROR=OFF
if [ "${CI:-}" = "true" ]; then WERROR=ON; fi

cmake -S . -B "$BUILD_DIR" -DQP_WERROR="$WERROR" -DQP_BUILD_BENCH=ON
cmake --build "$BUILD_DIR" -j"$(nproc)"

# The widget tests run without a display; the embedded browser's sandbox cannot run as root.
export QT_QPA_PLATFORM="${QT_QPA_PLATFORM:-offscreen}"
if [ "$(id -u)" -eq 0 ]; then
  export QTWEBENGINE_CHROMIUM_FLAGS="${QTWEBENGINE_CHROMIUM_FLAGS:---no-sandbox --disable-gpu}"
fi
ctest --test-dir "$BUILD_DIR" --output-on-failure -j"$(nproc)"
