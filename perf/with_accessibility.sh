#!/usr/bin/env bash
# Runs a command as a screen reader or a GUI robot would have the program: on an X display (Xvfb)
# with Qt's AT-SPI accessibility bridge connected to an accessibility bus and its registry.
#   perf/with_accessibility.sh build/bin/bench_link --benchmark_filter=Cpu
# Installs what is missing (Debian 12 packages).
set -euo pipefail

if [ -z "${VXM_A11Y_INSIDE:-}" ]; then
  PACKAGES=(xvfb xauth dbus-daemon at-spi2-core libglib2.0-bin)
  missing=()
  for p in "${PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  if [ ${#missing[@]} -gt 0 ]; then
    SUDO=""; [ "$(id -u)" -eq 0 ] || SUDO=sudo
    $SUDO apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq "${missing[@]}"
  fi
  # A display and a session bus of its own, then this script again inside them.
  VXM_A11Y_INSIDE=1 exec xvfb-run -a dbus-run-session -- "$0" "$@"
fi

runtime=$(mktemp -d)
trap 'rm -rf "$runtime"' EXIT
export XDG_RUNTIME_DIR=$runtime
export QT_QPA_PLATFORM=xcb QT_ACCESSIBILITY=1 QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1

# Qt connects its bridge only to an accessibility bus that is there when the program starts:
# asking for the bus's address starts it (the session bus activates at-spi-bus-launcher); the
# program's bridge then starts the registry.
address=$(gdbus call --session --dest org.a11y.Bus --object-path /org/a11y/bus --method org.a11y.Bus.GetAddress) ||
  { echo "no accessibility bus" >&2; exit 1; }
echo "accessibility bus: $address" >&2

"$@"
