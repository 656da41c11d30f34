#!/bin/sh
# Installs the build under a fresh prefix and checks that both installed programs name the guide
# installed under that prefix, and that the guide is there.
set -eu
build=$1
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
cmake --install "$build" --prefix "$prefix" >/dev/null
guide="$prefix/share/doc/lajefem/README.md"
test -f "$guide"
for program in lajefem lajefem-tools; do
  if ! "$prefix/bin/$program" --help | grep -qxF "User guide: $guide"; then
    echo "$program --help does not name $guide:" >&2
    "$prefix/bin/$program" --help | tail -n 1 >&2
    exit 1
  fi
done
