#!/usr/bin/env bash
# Formats a manual page (troff, or gzipped troff) as man and groff would, and
# fails on any warning they give, printing it:
#   scripts/check-manual.sh packaging/linux/blindfold.1
set -uo pipefail
page=${1:?usage: check-manual.sh MANUAL-PAGE}
[ -r "$page" ] || { echo "check-manual.sh: cannot read $page" >&2; exit 2; }
export LC_ALL=C.UTF-8 MANWIDTH=80

warnings=$(
  # groff's warnings (-ww: all of them) for the page's troff source,
  zcat -f "$page" | groff -man -ww -z 2>&1
  # and man's, which also checks what its preprocessors and the terminal see.
  man --warnings -l "$page" 2>&1 >/dev/null
)
if [ -n "$warnings" ]; then
  echo "$page:" >&2
  echo "$warnings" >&2
  exit 1
fi
