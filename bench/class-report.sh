#!/usr/bin/env bash
# A teacher's report on a class server holding a million answers (a school year of 30 learners
# in two classes of 15), on a throwaway cluster (tools/pg-cluster.sh): the time to start the
# cluster, then each report as one teacher calls it for lesson 7's exercises, three times,
# with the indexes and with the planner kept from them, the plans of the reports' queries
# and of a learner's fetch of its rows new since a transaction, and the whole report as
# `bimbala --class-report` reads and prints it (BIMBALA: the program; build/bin/bimbala).
# Usage: bench/class-report.sh [ANSWERS [DAYS]]
set -euo pipefail
cd "$(dirname "$0")/.."
answers=${1:-1000000}
days=${2:-300}
dir=$(mktemp -d)
trap 'tools/pg-cluster.sh stop "$dir"; rm -rf "$dir"' EXIT

started=$EPOCHREALTIME
tools/pg-cluster.sh start "$dir"
echo "cluster started in $(awk "BEGIN { printf \"%.2f\", $EPOCHREALTIME - $started }") s"
set -a
. "$dir/env"
set +a
# The administrator's part, as the superuser on the socket.
administrator() { tools/pg-cluster.sh psql "$dir" -q -v ON_ERROR_STOP=1 "$@"; }
administrator -1 -f server/class-server.sql
administrator -o /dev/null << EOF
SELECT bimbala.add_class('3a'), bimbala.add_class('3b');
SELECT bimbala.add_teacher('Teacher A', '3a', 'teacher_a');
SELECT bimbala.add_learner(format('Learner %s', n), CASE WHEN n <= 15 THEN '3a' ELSE '3b' END, format('learner_%s', n))
FROM generate_series(1, 30) n;
ALTER ROLE teacher_a PASSWORD 'pw-teacher_a';
ALTER ROLE learner_1 PASSWORD 'pw';
-- In the order they arrive: oldest first, every learner at it every day, a fifth of the
-- answers wrong, one in 17 with the solution shown, one in 7 a retry.
INSERT INTO bimbala.answers
SELECT gen_random_uuid(), format('learner_%s', 1 + n % 30), now() - interval '$days days' + n * interval '$days days' / $answers,
       'bimbala-lesson-7', (ARRAY['1a', '1b', '1c', '2', '3', '4', '5', '6'])[1 + n / 20 % 8], format('item %s', n % 23),
       'expected', 'given', n % 5 <> 0, n % 17 = 0, n % 7 = 0, n / 20
FROM generate_series(1, $answers) n;
-- A run for every 20 answers, four in five accomplished.
INSERT INTO bimbala.runs
SELECT gen_random_uuid(), format('learner_%s', 1 + n % 30), n, 'bimbala-lesson-7', (ARRAY['1a', '1b', '1c', '2', '3', '4', '5', '6'])[1 + n % 8],
       'basic', '', now() - interval '$days days' + n * 20 * interval '$days days' / $answers,
       now() - interval '$days days' + (n * 20 + 19) * interval '$days days' / $answers,
       CASE WHEN n % 5 = 0 THEN 'left' ELSE 'accomplished' END
FROM generate_series(1, $answers / 20) n;
VACUUM ANALYZE bimbala.answers;
VACUUM ANALYZE bimbala.runs;
VACUUM ANALYZE bimbala.memory;
EOF
administrator -c "SELECT relname, pg_size_pretty(pg_relation_size(oid)) AS size FROM pg_class WHERE relname LIKE 'answers%'"

# Lesson 7's exercises, as the teacher's program names them, and the start of the local day 29 days ago.
known="'{bimbala-lesson-7,bimbala-lesson-7,bimbala-lesson-7,bimbala-lesson-7,bimbala-lesson-7,bimbala-lesson-7,bimbala-lesson-7,bimbala-lesson-7}'::text[], '{1a,1b,1c,2,3,4,5,6}'::text[]"
since="date_trunc('day', now()) - interval '29 days'"
report() {
    PGUSER=teacher_a PGPASSWORD=pw-teacher_a psql -X -q << EOF
$1
\\timing on
SELECT count(*) AS "learners x exercises" FROM bimbala.class_shares($since, $known);
SELECT count(*) AS "learners x exercises" FROM bimbala.class_shares($since, $known);
SELECT count(*) AS "learners x exercises" FROM bimbala.class_shares($since, $known);
SELECT count(*) AS "items missed" FROM bimbala.most_missed($since, 10, $known);
SELECT count(*) AS "items missed" FROM bimbala.most_missed($since, 10, $known);
SELECT count(*) AS "items missed" FROM bimbala.most_missed($since, 10, $known);
SELECT count(*) AS "learners x exercises with runs" FROM bimbala.class_runs($known);
SELECT count(*) AS "learners x exercises with runs" FROM bimbala.class_runs($known);
SELECT count(*) AS "learners x exercises with runs" FROM bimbala.class_runs($known);
SELECT count(*) AS "learners x lessons reviewed" FROM bimbala.class_reviews(now(), 0.9, $known);
SELECT count(*) AS "learners x lessons reviewed" FROM bimbala.class_reviews(now(), 0.9, $known);
SELECT count(*) AS "learners x lessons reviewed" FROM bimbala.class_reviews(now(), 0.9, $known);
EOF
}
echo "== with the indexes"
report ""
echo "== without them"
report "SET enable_indexscan = off; SET enable_indexonlyscan = off; SET enable_bitmapscan = off;"
# Each function is planned into the query that calls it, so its plan is the query's.
echo "== the reports' plans, as teacher_a"
PGUSER=teacher_a PGPASSWORD=pw-teacher_a psql -X -c "EXPLAIN (ANALYZE, BUFFERS, COSTS OFF) SELECT * FROM bimbala.class_shares($since, $known)" \
    -c "EXPLAIN (ANALYZE, BUFFERS, COSTS OFF) SELECT * FROM bimbala.most_missed($since, 10, $known)"
echo "== a learner's fetch of its rows of lesson 7 new since a transaction, a page of 250, as learner_1"
PGUSER=learner_1 PGPASSWORD=pw psql -X -c "EXPLAIN (ANALYZE, BUFFERS, COSTS OFF)
    SELECT uid::text, to_char(at AT TIME ZONE 'UTC', 'YYYY-MM-DD\"T\"HH24:MI:SS.MS\"Z\"'), exercise, item, expected, \"right\",
           solution_shown, retry, txid, at::text
    FROM bimbala.answers WHERE learner = current_user AND lesson = 'bimbala-lesson-7'
    AND (txid, answers.at, answers.uid) > (0, '-infinity'::timestamptz, '00000000-0000-0000-0000-000000000000'::uuid)
    ORDER BY txid, answers.at, answers.uid LIMIT 250"

# The program's own read: connecting with TLS, the snapshot, the five queries, the printing.
bimbala=${BIMBALA:-build/bin/bimbala}
if [ -x "$bimbala" ]; then
    home=$(mktemp -d)
    mkdir -p "$home/.config/bimbala"
    printf '[class]\nserver=%s\nport=%s\ndatabase=%s\nlearner=teacher_a\ncaFile=%s\nteacher=true\n' \
        "$PGHOST" "$PGPORT" "$PGDATABASE" "$PGSSLROOTCERT" > "$home/.config/bimbala/bimbala.conf"
    echo "== bimbala --class-report, five times"
    for _ in 1 2 3 4 5; do
        started=$EPOCHREALTIME
        HOME=$home PGPASSWORD=pw-teacher_a DBUS_SESSION_BUS_ADDRESS=disabled: "$bimbala" --class-report < /dev/null > /dev/null
        awk "BEGIN { printf \"%.0f ms\\n\", ($EPOCHREALTIME - $started) * 1000 }"
    done
    rm -rf "$home"
fi
