#!/usr/bin/env bash
# Puts the installed extension under load in the cluster the environment
# names (run it under pg_virtualenv, on loopback): CLIENTS concurrent
# pgbench clients (default 16) for SECONDS (default 20), each transaction
# storing yrdif over 100 rows of a table that holds NULL dates, bad bases
# and NULL bases, with and without a basis, and the same as timestamptz.
# Then every stored row must have the bits the serial query gave it,
# pgbench must report no failed transaction and the server log no error.
# Last, the throughput of sum(yrdif(a, b, basis)) against sum((b - a) /
# 365.25) over the same rows, in rows per second (reported, not judged).
#   load.sh [CLIENTS] [SECONDS]
set -euo pipefail
clients="${1:-16}"
seconds="${2:-20}"
rows=100000
log=$(pg_lsclusters -h | awk -v port="$PGPORT" '$3 == port { print $7 }')
log_start=$( [ -f "$log" ] && stat -c %s "$log" || echo 0)
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

psql -qX -v ON_ERROR_STOP=1 <<SQL
CREATE EXTENSION IF NOT EXISTS yrdif;
DROP TABLE IF EXISTS load_t, load_want, load_got;
CREATE TABLE load_t AS
SELECT i AS id,
       CASE WHEN i % 17 = 0 THEN NULL ELSE date '1582-10-15' + (i::bigint * 7919 % 3000000)::int END AS a,
       CASE WHEN i % 19 = 0 THEN NULL ELSE date '1582-10-15' + (i::bigint * 104729 % 3000000)::int END AS b,
       (ARRAY['30/360', 'ACT/ACT', 'ACT/360', 'ACT/365', 'AGE', 'bogus', NULL, ' act/act'])[i % 8 + 1] AS basis
FROM generate_series(1, $rows) i;
ALTER TABLE load_t ADD PRIMARY KEY (id);
ANALYZE load_t;
CREATE TABLE load_want AS
SELECT id, yrdif(a, b, basis) AS y, yrdif(a, b) AS age,
       yrdif(a::timestamptz, b::timestamptz, basis) AS tz FROM load_t;
CREATE UNLOGGED TABLE load_got (id int, y float8, age float8, tz float8);
SQL

cat >"$work/store.pgb" <<'PGB'
\set lo random(1, 99901)
INSERT INTO load_got SELECT id, yrdif(a, b, basis), yrdif(a, b),
  yrdif(a::timestamptz, b::timestamptz, basis) FROM load_t WHERE id BETWEEN :lo AND :lo + 99;
PGB
cat >"$work/yrdif.pgb" <<'PGB'
\set lo random(1, 99001)
SELECT sum(yrdif(a, b, basis)) FROM load_t WHERE id BETWEEN :lo AND :lo + 999;
PGB
cat >"$work/plain.pgb" <<'PGB'
\set lo random(1, 99001)
SELECT sum((b - a) / 365.25) FROM load_t WHERE id BETWEEN :lo AND :lo + 999;
PGB

bench() { # script seconds: pgbench's report
  pgbench -n -c "$clients" -j 2 -T "$2" -f "$work/$1" 2>&1
}
report=$(bench store.pgb "$seconds")
failed=$(sed -n 's/^number of failed transactions: \([0-9]*\).*/\1/p' <<<"$report")
done_tx=$(sed -n 's/^number of transactions actually processed: \([0-9]*\).*/\1/p' <<<"$report")
wrong=$(psql -qXAt -c "SELECT count(*) FROM load_got g JOIN load_want w USING (id)
  WHERE float8send(g.y) IS DISTINCT FROM float8send(w.y)
     OR float8send(g.age) IS DISTINCT FROM float8send(w.age)
     OR float8send(g.tz) IS DISTINCT FROM float8send(w.tz)")
stored=$(psql -qXAt -c "SELECT count(*) FROM load_got")
errors=$(tail -c +"$((log_start + 1))" "$log" 2>/dev/null | grep -cE "ERROR|FATAL|PANIC" || true)
echo "load: $clients clients for ${seconds}s: $done_tx transactions, $stored rows stored," \
  "${failed:-?} failed transactions, $wrong wrong rows, $errors server errors"

yrdif_tps=$(bench yrdif.pgb 5 | sed -n 's/^tps = \([0-9.]*\).*/\1/p')
plain_tps=$(bench plain.pgb 5 | sed -n 's/^tps = \([0-9.]*\).*/\1/p')
awk -v y="$yrdif_tps" -v p="$plain_tps" -v c="$clients" 'BEGIN {
  printf "load: %s clients, sum over 1000 rows a transaction: yrdif %.0f rows/s, (b - a) / 365.25 %.0f rows/s (time ratio %.2f)\n", c, y * 1000, p * 1000, p / y }'
[ "${failed:-1}" -eq 0 ] && [ "$wrong" -eq 0 ] && [ "$errors" -eq 0 ] && [ "$stored" -gt 0 ]
