#!/usr/bin/env bash
# Fails when a source folder includes a folder above it: the folders form layers, and a layer
# may use only itself and the layers below it. Folders of one rank never include each other.
set -euo pipefail
cd "$(dirname "$0")/../src"

declare -A rank=(
  [store]=0 [toolkit]=1 [db]=2 [exec]=3 [tools]=4 [exchange]=5
  [ui/connect]=6 [ui/history]=6 [ui/frame]=7 [ui/results]=8 [ui/sqlbox]=8 [ui/tree]=9
  [ui/main]=10
)

folder_of() {  # the layer a path belongs to ("ui/main/x.h" -> "ui/main", "db/x.h" -> "db")
  local path=$1
  case $path in
    ui/*) echo "${path%%/*}/$(cut -d/ -f2 <<<"$path")" ;;
    *) echo "${path%%/*}" ;;
  esac
}

status=0
while IFS= read -r file; do
  from=$(folder_of "$file")
  [[ -v rank[$from] ]] || { echo "unknown layer of $file: add its folder to $0" >&2; status=1; continue; }
  while IFS= read -r target; do
    to=$(folder_of "$target")
    [[ $to == "$from" ]] && continue
    if [[ ! -v rank[$to] ]] || ((rank[$to] >= rank[$from])); then
      echo "$file includes $target: $to is not below $from" >&2
      status=1
    fi
  done < <(sed -n 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*"\([^"]*\/[^"]*\)".*/\1/p' "$file")
done < <(find . -mindepth 2 \( -name '*.h' -o -name '*.cpp' \) | sed 's#^\./##' | sort)

((status == 0)) && echo "layers: every include points downwards"
exit $status
