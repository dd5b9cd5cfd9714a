#!/usr/bin/env bash
# The dependency arrows of the program's folders run one way, and the pure cores stay pure.
#
# 1. Each line of RULES names a folder and the folders its files may include; any other project
#    include fails the check, naming the file. Every top-level folder holding C++ sources needs a
#    line, so a new folder cannot slip past. A rule for a folder that does not exist yet is kept
#    for when it comes.
# 2. The composition root app/bench.h is included only by main(), the tests and the benchmarks that
#    time the whole program.
# 3. The pure cores (every file the folders' CMakeLists add to the vxmpure target) and every
#    project header they reach include Qt Core headers only: no widget, painting or port type.
set -uo pipefail
cd "$(dirname "$0")/.."

BELOW_APP="core widgets laser module plot results measure verdict records remote station"
RULES=(
  "core:"
  "widgets:core"
  "laser:core"
  "module:core"
  "plot:core widgets"
  "results:core widgets plot"
  "measure:core laser module results plot"
  "verdict:core measure results"
  "records:core widgets results plot verdict"
  "remote:core laser module measure results verdict station"
  "station:core laser module measure results plot verdict records"
  "app:$BELOW_APP"
  "sim:laser module"
  "fakes:core laser module records"
  "fuzz:$BELOW_APP sim"
  "tests:$BELOW_APP app sim"
  "perf:$BELOW_APP app sim"
)

status=0
fail() { echo "$1"; status=1; }

# Top-level folders with C++ sources: the tracked ones in a git checkout, else all but builds.
if git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
  folders=$(git ls-files '*.h' '*.cpp' | grep / | cut -d/ -f1 | sort -u)
else
  folders=$(find . -mindepth 2 \( -name '*.h' -o -name '*.cpp' \) -not -path './build*' | cut -d/ -f2 | sort -u)
fi
ruled=" ${RULES[*]%%:*} "
for folder in $folders; do
  [[ "$ruled" == *" $folder "* ]] || fail "$folder/ has no rule in scripts/check_layers.sh"
done

# 1. The arrows between folders.
for rule in "${RULES[@]}"; do
  folder=${rule%%:*}
  [ -d "$folder" ] || continue
  allowed=" $folder ${rule#*:} "
  while IFS= read -r line; do
    file=${line%%:*}
    target=${line##*\"}
    target=${target%/}
    [[ "$allowed" == *" $target "* ]] || fail "$file includes $target/, which $folder/ may not depend on"
  done < <(grep -rHoE '#include "[a-z_]+/' "$folder" --include='*.h' --include='*.cpp')
done

# 2. The composition root is known only to main(), the tests and the benchmarks that time the whole
# program (start-up, a repeated measurement, remote control, the station).
while IFS= read -r file; do
  case "$file" in app/bench.cpp|app/main.cpp|tests/*|perf/bench_link.cpp|perf/bench_repeat_pass.cpp|perf/bench_remote.cpp|perf/bench_station.cpp) ;;
    *) fail "$file includes app/bench.h" ;; esac
done < <(for folder in $folders; do grep -rlE '#include "app/bench.h"' --include='*.h' --include='*.cpp' "$folder"; done)

# 3. The pure cores: the vxmpure sources named in the folders' CMakeLists, then every project
# header they reach. A Qt header is allowed when Qt Core has it.
qt_headers=${VXM_QT_HEADERS:-$(qtpaths6 --query QT_INSTALL_HEADERS 2>/dev/null || qmake6 -query QT_INSTALL_HEADERS 2>/dev/null)}
if [ ! -d "$qt_headers/QtCore" ]; then
  fail "Qt's headers not found (set VXM_QT_HEADERS): the pure cores were not checked"
else
  declare -A reachedFrom=()
  queue=()
  for cmake in */CMakeLists.txt; do
    dir=${cmake%/CMakeLists.txt}
    for source in $(sed 's/#.*//' "$cmake" | tr '\n' ' ' | grep -oE 'target_sources\(vxmpure[^)]*\)' |
                    grep -oE '[A-Za-z0-9_./-]+\.(cpp|h)'); do
      reachedFrom["$dir/$source"]="a vxmpure source"
      queue+=("$dir/$source")
    done
  done
  [ ${#queue[@]} -gt 0 ] || fail "no vxmpure source found in the folders' CMakeLists"
  while [ ${#queue[@]} -gt 0 ]; do
    file=${queue[0]}
    queue=("${queue[@]:1}")
    [ -f "$file" ] || { fail "$file, named in a CMakeLists, does not exist"; continue; }
    while IFS= read -r header; do
      [ -f "$header" ] && [ -z "${reachedFrom[$header]:-}" ] || continue
      reachedFrom["$header"]="reached from $file"
      queue+=("$header")
    done < <(sed -nE 's/^[[:space:]]*#[[:space:]]*include "([^"]+)".*/\1/p' "$file")
    while IFS= read -r header; do
      [ -e "$qt_headers/QtCore/${header#QtCore/}" ] && continue
      if [[ "$header" == Qt*/* ]] || compgen -G "$qt_headers/Qt*/$header" >/dev/null; then
        fail "$file (${reachedFrom[$file]}) includes <$header>, which is not Qt Core: the pure cores use Qt Core only"
      fi
    done < <(sed -nE 's/^[[:space:]]*#[[:space:]]*include <([^>]+)>.*/\1/p' "$file")
  done
fi

[ $status -eq 0 ] && echo "layers: every include runs the allowed way"
exit $status
