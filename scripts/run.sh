#!/usr/bin/env bash
# Installs what is missing, builds, starts the simulated bench and opens the operator program.
# The simulator's console stays on this terminal: type `dut out`, `dut in`, `dut filter`,
# `dut grating`, `help` while the program runs. Closing the program ends the simulator, which
# removes its COM links. Without a display the program opens under Xvfb.
# Set VXM_NO_SIMULATOR=1 to use real instruments instead. Without a display the program's remote
# control is on (SCPI over TCP, for pyvisa and other VISA clients) at $VXM_REMOTE, by default
# 127.0.0.1:5025; with a display it is on when VXM_REMOTE is set.
set -euo pipefail
cd "$(dirname "$0")/.."
# The program, the simulator and the device library only: no tests, benchmarks or fuzz targets.
VXM_TARGETS="vxm-operator vxm-simulator KetrolanLib" scripts/setup.sh
BIN=$PWD/${VXM_BUILD_DIR:-build}/bin

SIM_PID=""
cleanup() {
  if [ -n "$SIM_PID" ] && kill -0 "$SIM_PID" 2>/dev/null; then
    kill -TERM "$SIM_PID" 2>/dev/null || true
    wait "$SIM_PID" 2>/dev/null || true
  fi
}
trap cleanup EXIT INT TERM

if [ -z "${VXM_NO_SIMULATOR:-}" ]; then
  COM_DIR=${VXM_COM_DIR:-$HOME/.local/share/ostrel-vxm/com}
  export VXM_COM_DIR=$COM_DIR
  ready=$(mktemp)
  # The simulator reads its console from this terminal and prints "ready" once its links exist.
  "$BIN/vxm-simulator" --com-dir "$COM_DIR" 0<&0 > >(tee "$ready") &
  SIM_PID=$!
  for _ in $(seq 1 100); do
    grep -q '^ready' "$ready" 2>/dev/null && break
    kill -0 "$SIM_PID" 2>/dev/null || { echo "The bench simulator did not start." >&2; exit 1; }
    sleep 0.1
  done
  rm -f "$ready"
  echo "Simulated bench: module on COM6, laser on COM7 (links in $COM_DIR)."
fi

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ "${QT_QPA_PLATFORM:-}" != "offscreen" ]; then
  # Nobody can click here: the bench is driven remotely. The program prints where it listens.
  REMOTE=${VXM_REMOTE:-127.0.0.1:5025}
  echo "No display found: opening the program under Xvfb with remote control on $REMOTE."
  xvfb-run -a -s "-screen 0 1600x1000x24" "$BIN/vxm-operator" --remote "$REMOTE" </dev/null
else
  "$BIN/vxm-operator" </dev/null
fi
