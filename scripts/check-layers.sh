#!/usr/bin/env bash
# Fails when a file under src/ includes a folder of ours that its own folder
# may not use. The folders stack bottom to top; each may include itself and
# the folders listed for it, nothing above.
set -euo pipefail
cd "$(dirname "$0")/.."

declare -A allowed=(
  [core]=""
  [physics]="core"
  [audio]="core"
  [render]="core"
  [scene]="core physics render"
  [import]="core physics render scene"
  [app]="core audio physics render scene import"
)

status=0
for dir in src/*/; do
  layer=$(basename "$dir")
  if [ -z "${allowed[$layer]+set}" ]; then
    echo "check-layers: src/$layer is no known layer" >&2
    status=1
    continue
  fi
  while IFS=: read -r file line target; do
    used=${target%%/*}
    [ "$used" = "$layer" ] && continue
    case " ${allowed[$layer]} " in
    *" $used "*) ;;
    *)
      echo "$file:$line: $layer includes $target" >&2
      status=1
      ;;
    esac
  done < <(grep -rnoE '^#include "[a-z]+/[^"]+"' "$dir" | sed -E 's/#include "([^"]+)"/\1/')
done
[ $status -eq 0 ] && echo "check-layers: every include follows the layers"
exit $status
