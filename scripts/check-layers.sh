#!/usr/bin/env bash
# The player's folders are layers: a file may include only its own folder and
# the folders this table allows (see ARCHITECTURE.md). Prints every include
# that points upward and fails when there is one.
# Usage: scripts/check-layers.sh [source folder]   (default: the repository)
set -uo pipefail
root="${1:-$(cd "$(dirname "$0")/.." && pwd)}"
cd "$root" || exit 2

declare -A allowed=(
  [base]="base"
  [ui]="base ui"
  [media]="base media"
  [audio]="base ui media audio"
  [library]="base ui media audio library"
  [system]="base ui system"
  [app]="base ui media audio library system app"
)

upward=0
checked=0
for layer in base ui media audio library system app; do
  [ -d "$layer" ] || continue
  while IFS= read -r file; do
    while IFS= read -r line; do
      inc="${line#*\"}"
      inc="${inc%%\"*}"
      target="${inc%%/*}"
      [ "$target" = "$inc" ] && continue          # a bare name: not one of ours
      [ -n "${allowed[$target]+x}" ] || continue  # tests/, engine/, ...
      checked=$((checked + 1))
      case " ${allowed[$layer]} " in
        *" $target "*) ;;
        *) echo "$file: includes $inc ($layer may not include $target)"; upward=$((upward + 1)) ;;
      esac
    done < <(grep -E '^[[:space:]]*#[[:space:]]*include[[:space:]]*"' "$file")
  done < <(find "$layer" -type f \( -name '*.h' -o -name '*.cpp' \) | sort)
done

echo "layers: $checked includes between folders checked, $upward upward"
[ "$upward" -eq 0 ]
