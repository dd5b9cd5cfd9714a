#!/usr/bin/env bash
# The dependency arrows of the program's folders run one way. Each line of RULES names a folder and
# the folders its files may include; any other project include fails the check, naming the file.
# The pure cores are held to Qt Core by their own build target, not here.
set -uo pipefail
cd "$(dirname "$0")/.."

RULES=(
  "core:"
  "widgets:core"
  "laser:core"
  "module:core"
  "plot:core widgets"
  "results:core widgets plot"
  "measure:core laser module results"
  "verdict:core measure results"
  "records:core widgets plot results"
  "app:core widgets plot laser module measure results verdict remote records"
  "sim:laser module"
  "remote:core laser module measure results"
)

status=0
for rule in "${RULES[@]}"; do
  folder=${rule%%:*}
  allowed=" $folder ${rule#*:} "
  while IFS= read -r line; do
    file=${line%%:*}
    target=$(sed -E 's/.*#include "([a-z_]+)\/.*/\1/' <<<"$line")
    if [[ "$allowed" != *" $target "* ]]; then
      echo "$file includes $target/, which $folder/ may not depend on"
      status=1
    fi
  done < <(grep -rHE '#include "[a-z_]+/' "$folder" --include='*.h' --include='*.cpp')
done

# The composition root is known only to main(), the tests and the benchmarks that time the whole
# program (start-up, a repeated measurement).
while IFS= read -r file; do
  case "$file" in app/bench.cpp|app/main.cpp|tests/*|perf/bench_link.cpp|perf/bench_repeat_pass.cpp|perf/bench_remote.cpp) ;;
    *) echo "$file includes app/bench.h"; status=1 ;; esac
done < <(grep -rlE '#include "app/bench.h"' --include='*.h' --include='*.cpp' core widgets laser module results measure verdict app sim perf fuzz tests 2>/dev/null)

[ $status -eq 0 ] && echo "layers: every include runs the allowed way"
exit $status
