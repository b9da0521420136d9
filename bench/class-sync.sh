#!/usr/bin/env bash
# The class sync (bench/ClassSyncBench.cpp): its throughput against a plain batched client,
# All my computers over the learner's rows on the server, and a record that cannot note
# what was sent; on a throwaway cluster (tools/pg-cluster.sh).
# Usage: bench/class-sync.sh [ANSWERS [SERVER_ROWS...]]   (default 10000, then 100000 1000000 3000000)
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
SELECT bimbala.add_learner(l, '3a', l) FROM unnest('{learner_sync,learner_floor,learner_copy,learner_stuck}'::name[]) l;
ALTER ROLE learner_sync PASSWORD 'pw'; ALTER ROLE learner_floor PASSWORD 'pw';
ALTER ROLE learner_copy PASSWORD 'pw'; ALTER ROLE learner_stuck PASSWORD 'pw';"
BIMBALA_PG_CLUSTER=$PWD/tools/pg-cluster.sh BIMBALA_CLASS_SERVER=$dir QT_QPA_PLATFORM=offscreen \
    build-bench/bin/bimbala_class_sync_bench "${1:-10000}" "${@:2}"
