#!/bin/sh
# The Debian package: cpack builds it from the build folder, dpkg-deb unpacks it into a scratch
# root, the file list is checked, and the installed vxm-operator runs offscreen for five seconds
# against the installed vxm-simulator, finding the installed device library on the library path.
# Usage: package_test.sh BUILD_DIR PACKAGE_DIR   (the .deb stays in PACKAGE_DIR)
set -eu
build=$1
packages=$2
work=$(mktemp -d)
sim_pid=
cleanup() {
    if [ -n "$sim_pid" ]; then kill "$sim_pid" 2>/dev/null || true; wait "$sim_pid" 2>/dev/null || true; fi
    rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

mkdir -p "$packages"
rm -f "$packages"/vxm-operator_*.deb
(cd "$build" && cpack -G DEB -B "$packages" >"$work/cpack.log" 2>&1) || { cat "$work/cpack.log"; fail "cpack"; }
deb=$(ls "$packages"/vxm-operator_*.deb)
echo "package $deb: $(stat -c %s "$deb") bytes"

[ "$(dpkg-deb -f "$deb" Package)" = vxm-operator ] || fail "package name"
depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
for lib in libqt6widgets6 libqt6serialport6 libqt6sql6-sqlite libxlsxwriter libstdc++6; do
    echo "$depends" | grep -q "$lib" || fail "no dependency on $lib"
done

multiarch=$(dpkg-architecture -qDEB_HOST_MULTIARCH 2>/dev/null || gcc -print-multiarch)
root=$work/root
dpkg-deb -x "$deb" "$root"
expected=$(printf '%s\n' ./usr/bin/vxm-operator ./usr/bin/vxm-simulator "./usr/lib/$multiarch/libKetrolanLib.so" \
    ./usr/share/applications/vxm-operator.desktop ./usr/share/icons/hicolor/scalable/apps/vxm-operator.svg | sort)
actual=$(cd "$root" && find . -type f | sort)
[ "$actual" = "$expected" ] || fail "file list:
$actual"
[ -x "$root/usr/bin/vxm-operator" ] && [ -x "$root/usr/bin/vxm-simulator" ] || fail "programs not executable"
grep -q '^Exec=vxm-operator$' "$root/usr/share/applications/vxm-operator.desktop" || fail "desktop entry"

com=$work/com
mkdir "$com"
"$root/usr/bin/vxm-simulator" --com-dir "$com" </dev/null >"$work/sim.out" 2>&1 &
sim_pid=$!
for _ in $(seq 100); do grep -q '^ready' "$work/sim.out" && break; sleep 0.1; done
grep -q '^ready' "$work/sim.out" || { cat "$work/sim.out"; fail "the installed simulator did not start"; }
[ -L "$com/COM6" ] && [ -L "$com/COM7" ] || fail "the simulator's ports"

# The library folder stands in for the system's: the program finds the library by name there.
rc=0
HOME=$work VXM_COM_DIR=$com QT_QPA_PLATFORM=offscreen LD_LIBRARY_PATH="$root/usr/lib/$multiarch" LD_DEBUG=libs \
    timeout 5 "$root/usr/bin/vxm-operator" >"$work/operator.out" 2>"$work/operator.err" || rc=$?
[ "$rc" -eq 124 ] || { tail -20 "$work/operator.err"; fail "vxm-operator ended by itself with status $rc"; }
grep -q "calling init: $root/usr/lib/$multiarch/libKetrolanLib.so" "$work/operator.err" ||
    fail "vxm-operator did not load the installed libKetrolanLib.so"
kill -0 "$sim_pid" 2>/dev/null || fail "the simulator ended while the program probed it"
echo "vxm-operator ran 5 s against the installed simulator and library"
