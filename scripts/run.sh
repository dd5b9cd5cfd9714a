#!/usr/bin/env bash
# Installs what is missing, builds, and opens the operator program.
# Without a display it opens the window under Xvfb.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
BIN=${VXM_BUILD_DIR:-build}/bin

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
  echo "No display found: starting the program under Xvfb (display :99)."
  exec xvfb-run -n 99 -s "-screen 0 1600x1000x24" "$BIN/vxm-operator"
fi
exec "$BIN/vxm-operator"
