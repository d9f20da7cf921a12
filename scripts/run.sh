#!/usr/bin/env bash
# Installs what is missing, builds Quillpost and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh

BUILD_DIR="${QP_BUILD_DIR:-build}"
cmake -S . -B "$BUILD_DIR" -DQP_BUILD_TESTS=OFF -DQP_BUILD_BENCH=OFF
cmake --build "$BUILD_DIR" -j"$(nproc)" --target quillpost quillpost_dist

# Chromium (behind the embedded browser) refuses its sandbox to root; a normal user keeps it.
if [ "$(id -u)" -eq 0 ]; then
  export QTWEBENGINE_DISABLE_SANDBOX=1
fi
# Without a display, run in a virtual one.
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1280x800x24" "$BUILD_DIR/bin/quillpost"
fi
exec "$BUILD_DIR/bin/quillpost"
