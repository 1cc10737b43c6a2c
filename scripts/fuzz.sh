#!/usr/bin/env bash
# Runs every fuzz target for longer than the test command does: SECONDS each
# (default 60), with the corpus kept under build/fuzz-corpus.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
cmake --preset linux >/dev/null
cmake --build --preset linux --target fuzz_stored_texts fuzz_registry_loader fuzz_more_texts
for target in fuzz_stored_texts fuzz_registry_loader fuzz_more_texts; do
  mkdir -p "build/fuzz-corpus/$target"
  "build/linux/tests/fuzz/$target" -max_total_time="$seconds" -max_len=1048576 "build/fuzz-corpus/$target"
done
