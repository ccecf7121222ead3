#!/usr/bin/env bash
# Checks that every include of the program's own headers points at the
# folder's own layer or a layer below it. Each line of the table is a folder
# of src/ and the folders it may include besides itself; the order of the
# feature folders is the order they may use each other in. An include of
# anything else is an arrow back up (or sideways into a circle) and fails,
# naming the file and the line.
set -euo pipefail
cd "$(dirname "$0")/../src"

base="store platform ui"
declare -A may=(
  [store]=""
  [platform]=""
  [ui]="store platform"
  [help]="$base"
  [memo]="$base"
  [jet]="$base"
  [catalogue]="$base"
  [launch]="$base help catalogue"
  [images]="$base help catalogue launch"
  [maint]="$base help catalogue"
  [editor]="$base help catalogue launch images"
  [app]="$base help memo jet catalogue launch images maint editor"
  [jetread]=""
)

status=0
for folder in */; do
  folder=${folder%/}
  if [[ ! -v may[$folder] ]]; then
    echo "check-layers: src/$folder is in no layer; add it to scripts/check-layers.sh" >&2
    status=1
    continue
  fi
  allowed=" $folder ${may[$folder]} "
  while IFS=: read -r file line target; do
    top=${target%%/*}
    [[ "$target" == */* && -d "$top" ]] || continue # a system header or a moc file
    if [[ "$allowed" != *" $top "* ]]; then
      echo "src/$file:$line: includes \"$target\": $folder may not use $top" >&2
      status=1
    fi
  done < <(grep -rnoE '^#include "[^"]+"' --include='*.cpp' --include='*.h' "$folder" |
             sed -E 's/#include "([^"]+)"/\1/')
done
if ((status == 0)); then
  echo "check-layers: every include points at its own layer or one below"
fi
exit $status
