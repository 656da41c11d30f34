#!/usr/bin/env bash
# Checks the layering of src/: every folder includes headers only of itself and of the folders
# listed before it in the top CMakeLists.txt (the base layers first). Prints each include that
# breaks the order and exits 1 when there is one.
set -euo pipefail
cd "$(dirname "$0")/.."

order=$(sed -n '/^foreach(folder files/,/)/p' CMakeLists.txt | sed 's/^foreach(folder//; s/).*//' |
        tr -s ' \n' '\n\n' | grep -v '^$')
declare -A rank
k=0
for folder in $order; do
  rank[$folder]=$k
  k=$((k + 1))
done

faults=0
for folder in $order; do
  while IFS=: read -r file _ used; do
    if [ -z "${rank[$used]+set}" ] || [ "${rank[$used]}" -gt "${rank[$folder]}" ]; then
      echo "$file includes $used/, which is not below $folder/"
      faults=$((faults + 1))
    fi
  done < <(grep -o -H -n -E '^#include "[a-z_]+/' "src/$folder"/*.cpp "src/$folder"/*.hpp 2>/dev/null |
           sed -E 's/#include "([a-z_]+)\//\1/')
done
[ "$faults" -eq 0 ] && echo "layers: ${order//$'\n'/ } hold"
[ "$faults" -eq 0 ]
