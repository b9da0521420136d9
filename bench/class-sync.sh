#!/usr/bin/env bash
# Sync throughput against a plain batched client (bench/ClassSyncBench.cpp), on a
# throwaway cluster (tools/pg-cluster.sh). Usage: bench/class-sync.sh [ANSWERS]
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DBIMBALA_BENCH=ON > /dev/null
cmake --build build-bench --target bimbala_class_sync_bench -j "$(nproc)" > /dev/null
dir=$(mktemp -d)
trap 'tools/pg-cluster.sh stop "$dir"; rm -rf "$dir"' EXIT
tools/pg-cluster.sh start "$dir"
set -a
. "$dir/env"
set +a
tools/pg-cluster.sh psql "$dir" -X -q -v ON_ERROR_STOP=1 -1 -f server/class-server.sql
tools/pg-cluster.sh psql "$dir" -X -q -v ON_ERROR_STOP=1 -o /dev/null -c "SELECT bimbala.add_class('3a');
SELECT bimbala.add_learner('Sync', '3a', 'learner_sync'), bimbala.add_learner('Floor', '3a', 'learner_floor');
ALTER ROLE learner_sync PASSWORD 'pw'; ALTER ROLE learner_floor PASSWORD 'pw';"
build-bench/bin/bimbala_class_sync_bench "${1:-10000}"
