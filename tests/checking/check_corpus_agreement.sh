#!/usr/bin/env bash
# check_corpus_agreement.sh LAJEFEM-TOOLS [GOLDEN-FOLDER]: for every case of the reference corpus
# (GOLDEN-FOLDER/corpus, by default shared/golden/corpus beside the checkout or its parent), compares what
# `lajefem-tools check` says with how the reference run of `lajefem` ended: the run stopped (exit
# status 1, no results report) exactly when check exits 1 with an error. Prints one line per
# disagreement and, last, "N agree, M disagree (S runs stopped, C complete)"; exit 0 when all
# agree. Skips, with a message and exit 0, when the corpus is absent.
set -u
tools=$1
here=$(cd "$(dirname "$0")" && pwd)
golden=${2:-$here/../../../shared/golden}
[ -n "${2:-}" ] || [ -d "$golden" ] || golden=$here/../../../../shared/golden
if [ ! -d "$golden/corpus" ]; then
  echo "no reference corpus at $golden/corpus: nothing to compare"
  exit 0
fi
tools=$(cd "$(dirname "$tools")" && pwd)/$(basename "$tools")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
agree=0; disagree=0; stopped=0; complete=0
for folder in "$golden"/corpus/*/; do
  case=$(basename "$folder")
  status=$(cat "$folder/exit_status.txt")
  [ "$status" = 1 ] && stopped=$((stopped + 1)) || complete=$((complete + 1))
  # in a fresh folder that holds the data file alone, as the reference run had it
  rm -rf "$work/run" && mkdir "$work/run" && cp "$folder/$case.dat" "$work/run/"
  (cd "$work/run" && "$tools" check "$case.dat") >"$work/findings" 2>&1
  checked=$?
  errors=$(grep -c ': error: ' "$work/findings")
  if { [ "$status" = 1 ] && [ "$checked" = 1 ] && [ "$errors" -gt 0 ]; } ||
     { [ "$status" = 0 ] && [ "$checked" = 0 ] && [ "$errors" = 0 ]; }; then
    agree=$((agree + 1))
  else
    disagree=$((disagree + 1))
    echo "$case: run exit $status, check exit $checked with $errors errors"
  fi
done
echo "$agree agree, $disagree disagree ($stopped runs stopped, $complete complete)"
[ "$disagree" = 0 ]
