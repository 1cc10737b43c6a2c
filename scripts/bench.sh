#!/usr/bin/env bash
# Builds the optimised benchmark programs and runs them. Extra arguments go to
# the benchmark, e.g. --benchmark_filter=Refresh or --benchmark_repetitions=5.
set -euo pipefail
cd "$(dirname "$0")/.."

cmake --preset bench
cmake --build --preset bench
build/bench/bench/hide_logic_bench "$@"
