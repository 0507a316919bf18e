#!/usr/bin/env bash
# Lists, for each host layer, the layers its files include, and fails on any include that runs up
# the stack. The order is the one host/CMakeLists.txt builds (HOST_LAYERS), lowest first.
# Inside reporting, its parts stack the same way (parts below). Every include names its file from
# host/ ("layer/..."): a relative one ("../x.h", or a file beside the includer) finds its file
# whatever the build's per-layer include folders hold, so it is refused.
set -euo pipefail
cd "$(dirname "$0")/.."

read -r -a layers <<<"$(sed -n 's/^set(HOST_LAYERS \(.*\))$/\1/p' host/CMakeLists.txt)"
[ ${#layers[@]} -gt 0 ] || { echo "check-layers: no HOST_LAYERS in host/CMakeLists.txt" >&2; exit 2; }
declare -A rank
for i in "${!layers[@]}"; do rank[${layers[$i]}]=$i; done

# The quoted includes of a folder's files, as "file:include".
includes() {
  grep -rHoE --include='*.cpp' --include='*.h' '^[[:space:]]*#[[:space:]]*include[[:space:]]*"[^"]+"' "$1" |
    sed -E 's/:[[:space:]]*#[[:space:]]*include[[:space:]]*"([^"]+)"/:\1/'
}

status=0
while IFS=: read -r file include; do
  if [[ $include == *..* || $include == ./* || $include == */./* ||
        ( $include != */* && -e "$(dirname "$file")/$include" ) ]]; then
    echo "check-layers: $file includes \"$include\": name it from host/ (layer/...), not from the includer" >&2
    status=1
  fi
done < <(includes host)

for layer in "${layers[@]}"; do
  used=()
  while IFS=: read -r file include; do
    target=${include%%/*}
    [ -n "${rank[$target]+x}" ] || continue # Qt, the standard library, generated headers
    used+=("$target")
    if [ "${rank[$target]}" -gt "${rank[$layer]}" ]; then
      echo "check-layers: $file includes $include: $layer may not include $target" >&2
      status=1
    fi
  done < <(includes host/"$layer")
  printf '%-10s -> %s\n' "$layer" "$(printf '%s\n' "${used[@]}" | sort -u | tr '\n' ' ')"
done

# The parts of reporting, lowest first; parts quoted together are siblings, neither including the
# other. A part is a sub-folder, or root files by name: "run" is what every part reads (the
# definition, its query, criteria and parameters, the rows, their store and the sink they go to);
# "layout" is ReportLayout*, "document" ReportDocument* and ReportSearchText*. The other root files
# (the engine, the windows, the controller) stand above every part.
parts=(run text pdf layout document "export preview")
declare -A partRank
for i in "${!parts[@]}"; do
  for p in ${parts[$i]}; do partRank[$p]=$i; done
done
top=${#parts[@]}
# The report editor stands above everything else in reporting (it runs the query and draws the
# document); only the desktop's dialogs open it (checked below).
partRank[editor]=$((top + 1))

# The part of a file or include under host/reporting/.
partOf() {
  local path=$1
  if [[ $path == */* ]]; then
    echo "${path%%/*}"
    return
  fi
  case $path in
    ReportDefinition* | ReportCriteria* | ReportSql* | ReportQuery* | ReportRows* | ReportRowStore* | ReportSink* | TParams*) echo run ;;
    ReportLayout*) echo layout ;;
    ReportDocument* | ReportSearchText*) echo document ;;
    *) echo top ;;
  esac
}

for dir in host/reporting/*/; do
  part=$(basename "$dir")
  if [ -z "${partRank[$part]+x}" ]; then
    echo "check-layers: host/reporting/$part is no part of reporting (add it to parts in $0)" >&2
    status=1
  fi
done

declare -A partUses
while IFS=: read -r file include; do
  [[ $include == reporting/* ]] || continue
  from=$(partOf "${file#host/reporting/}")
  to=$(partOf "${include#reporting/}")
  fromRank=${partRank[$from]:-$top}
  toRank=${partRank[$to]:-$top}
  [ "$from" = "$to" ] && continue
  partUses[$from]+="$to "
  if [ "$toRank" -ge "$fromRank" ]; then
    echo "check-layers: $file includes $include: reporting's $from may not include $to" >&2
    status=1
  fi
done < <(includes host/reporting)
for part in ${parts[*]} top editor; do
  printf '  %-8s -> %s\n' "$part" "$(printf '%s\n' ${partUses[$part]:-} | sort -u | tr '\n' ' ')"
done

# Nothing in the host knows the screen or the module built on it.
if grep -rnE '^#include "(Cli_|TfrmDadosCliente|Pkg_)' host; then
  echo "check-layers: the host includes the screen or its module" >&2
  status=1
fi
# Only the desktop's dialogs open the report editor.
if grep -rnE '^#include "reporting/editor/' host --include='*.cpp' --include='*.h' |
   grep -vE '^host/(reporting/editor/|desktop/QtDialogs\.cpp:)'; then
  echo "check-layers: only host/desktop/QtDialogs.cpp includes reporting/editor" >&2
  status=1
fi
if grep -rnE '^#include "reporting/(preview|export)/' host/reporting/editor; then
  echo "check-layers: reporting/editor includes the preview or the exports" >&2
  status=1
fi
exit $status
