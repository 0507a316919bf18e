#!/usr/bin/env bash
# Lists, for each host layer, the layers its files include, and fails on any include that runs up
# the stack. The order is the one host/CMakeLists.txt builds (HOST_LAYERS), lowest first.
set -euo pipefail
cd "$(dirname "$0")/.."

read -r -a layers <<<"$(sed -n 's/^set(HOST_LAYERS \(.*\))$/\1/p' host/CMakeLists.txt)"
[ ${#layers[@]} -gt 0 ] || { echo "check-layers: no HOST_LAYERS in host/CMakeLists.txt" >&2; exit 2; }
declare -A rank
for i in "${!layers[@]}"; do rank[${layers[$i]}]=$i; done

status=0
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
  done < <(grep -rHoE --include='*.cpp' --include='*.h' '^#include "[^"]+"' host/"$layer" |
           sed -E 's/#include "([^"]+)"/\1/')
  printf '%-10s -> %s\n' "$layer" "$(printf '%s\n' "${used[@]}" | sort -u | tr '\n' ' ')"
done
# Nothing in the host knows the screen or the module built on it.
if grep -rnE '^#include "(Cli_|TfrmDadosCliente|Pkg_)' host; then
  echo "check-layers: the host includes the screen or its module" >&2
  status=1
fi
# Inside reporting, the editor sits on top (it draws through the document, the layout and the PDF
# writer's measures); only the desktop's dialogs open it.
if grep -rnE '^#include "reporting/editor/' host --include='*.cpp' --include='*.h' |
   grep -vE '^host/(reporting/editor/|desktop/QtDialogs\.cpp:)'; then
  echo "check-layers: only host/desktop/QtDialogs.cpp includes reporting/editor" >&2
  status=1
fi
if grep -rnE '^#include "reporting/(preview|export)/' host/reporting/editor; then
  echo "check-layers: reporting/editor includes the preview or the exports" >&2
  status=1
fi
printf '%-10s -> %s\n' "editor" "$(grep -rhoE '^#include "reporting/[^"]+"' host/reporting/editor |
  sed -E 's/#include "reporting\/([^"]+)"/\1/' | sort -u | tr '\n' ' ')"
exit $status
