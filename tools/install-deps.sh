#!/usr/bin/env bash
# Installs the Debian/Ubuntu packages that the build and the tests need, when any is missing:
# `apt-get update` first, then the install, through sudo unless the user is root. With --ci it
# adds what CI alone uses (clang-format for the formatting check). The one list of the project's
# packages; the README's commands and .ci/run call this script.
set -euo pipefail

# chromium: only the report page's test renders with it; the programs never run it.
packages=(cmake make g++ libgtest-dev libeigen3-dev libsuitesparse-dev libmetis-dev libopenblas-dev
          libspectra-dev python3-meshio python3-vtk9 librsvg2-bin libxml2-utils chromium)
if [ "${1:-}" = "--ci" ]; then
  packages+=(clang-format)
elif [ $# -gt 0 ]; then
  echo "usage: $0 [--ci]" >&2
  exit 2
fi

missing=()
for package in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$package")
  fi
done
[ ${#missing[@]} -gt 0 ] || exit 0

as_root=()
if [ "$(id -u)" -ne 0 ]; then
  as_root=(sudo)
fi
echo "installing: ${missing[*]}"
"${as_root[@]}" apt-get update -qq
"${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${missing[@]}" </dev/null
