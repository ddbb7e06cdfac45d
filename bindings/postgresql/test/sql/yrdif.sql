-- yrdif: golden cases from the module (written by bindings/golden.py with the
-- yrdif command before this runs) compared by float8 bits, the date types,
-- NULLs, infinities, the 4000-year rule, bad bases, time zones and parallel
-- workers.  (Bytes that are not UTF-8, in a SQL_ASCII database, and bases of
-- every length are in the hostile table, bindings/tests/test_hostile.py.)
CREATE EXTENSION yrdif;

-- Golden cases: host date values, and ISO dates through the date type.
CREATE TABLE golden_values (s float8, e float8, basis text, years text, years_bytes text);
\copy golden_values FROM 'test/golden_values.csv' WITH (FORMAT csv, HEADER true)
CREATE TABLE golden_dates (s date, e date, basis text, years text, years_bytes text);
\copy golden_dates FROM 'test/golden_dates.csv' WITH (FORMAT csv, HEADER true)
CREATE FUNCTION bits(float8) RETURNS text LANGUAGE sql IMMUTABLE PARALLEL SAFE
  RETURN coalesce(encode(float8send($1), 'hex'), 'fffffe0000000000');
-- Every row: the same bits as YRDIF (a basis no rule accepts, row by row,
-- gives NULL, where YRDIF has no result).
SELECT count(*) AS rows, count(*) FILTER (WHERE years <> bits(yrdif_dv(s, e, basis))) AS wrong,
       count(*) FILTER (WHERE yrdif_basis(basis) IS NOT NULL) > 2000 AS enough
FROM golden_values;
SELECT count(*) AS rows,
       count(*) FILTER (WHERE years <> bits(yrdif(s, e, basis))
                           OR years <> bits(yrdif(s::timestamp + '23:59', e::timestamp, basis))
                           OR years <> bits(yrdif(s::timestamptz, e::timestamptz, basis))) AS wrong
FROM golden_dates;

-- Worked cases, printed exactly (shortest text that reads back the same).
SELECT yrdif(date '2000-01-01', date '2001-07-01', 'ACT/ACT') AS act_act,
       yrdif(date '2000-02-29', date '2001-02-28') AS age,
       yrdif(timestamp '2000-01-01 23:59', timestamp '2001-07-01 00:01', 'act/365') AS ts,
       yrdif_dv(14610, 15157.9, 'ACT/360') AS dv,
       yrdif(date '2001-07-01', date '2000-01-01', 'ACT/ACT') AS reversed;
-- NULL: missing, infinite, outside the calendar, not in it.
SELECT yrdif(NULL::date, date '2000-01-01') IS NULL AS null_in,
       yrdif(date 'infinity', date '2000-01-01') IS NULL AS infinity,
       yrdif(timestamp '-infinity', timestamp '2000-01-01') IS NULL AS minus_infinity,
       yrdif(date '1581-12-31', date '2000-01-01') IS NULL AS before_1582,
       yrdif(date '20001-01-01', date '2000-01-01') IS NULL AS after_20000,
       yrdif(date '4000-02-29', date '4001-01-01') IS NULL AS feb_29_4000,
       yrdif(date '0100-01-01 BC', date '2000-01-01') IS NULL AS bc,
       yrdif_dv('NaN', 0) IS NULL AS nan,
       yrdif_dv(6589336, 0) IS NULL AS past_the_end,
       yrdif(date '2000-01-01', date '2000-01-02', NULL) IS NULL AS null_basis;
-- Bases: how texts are read; a constant no rule accepts is an error that
-- shows at most 40 bytes of it, a column's gives NULL for its row.
SELECT t, yrdif_basis(t) FROM unnest(ARRAY['30/360', 'A/360', 'Actual', 'act/365 ', 'ACT', '', 'xyz']) t;
SELECT yrdif(date '2000-01-01', date '2001-01-01', 'bogus');
SELECT yrdif(date '2000-01-01', date '2001-01-01', repeat('é', 5000000));
SELECT yrdif(date '2000-01-01', date '2001-01-01', b) FROM (VALUES ('ACT/360'), ('bogus')) v(b);

-- timestamptz: its date in the session's time zone; mixed and untyped
-- arguments resolve to one form.
SET timezone = 'America/New_York';
SELECT yrdif(timestamptz '2000-01-01 03:00+00', timestamptz '2001-01-01 12:00+00', 'ACT/365') AS new_york,
       yrdif(timestamptz '2000-01-01 03:00+00', timestamp '2001-01-01', 'ACT/365') AS mixed,
       yrdif(date '2000-01-01', timestamptz '2001-01-01 03:00+00', 'ACT/365') AS date_tz,
       yrdif(date '2000-01-01', timestamp '2001-01-01 23:00', 'ACT/365') AS date_ts,
       yrdif('2000-01-01', '2001-01-01', 'ACT/365') AS untyped;
SET timezone = 'Asia/Tokyo';
SELECT yrdif(timestamptz '2000-01-01 03:00+00', timestamptz '2001-01-01 12:00+00', 'ACT/365') AS tokyo;
RESET timezone;

-- Parallel workers evaluate yrdif over a million rows, with the bits of a
-- serial run (summed as integers, which is exact in any order).
CREATE TABLE big AS
  SELECT date '1950-01-01' + (i % 25000) AS a,
         date '1950-01-01' + (i % 25000) + (i::bigint * 7919 % 14000)::int AS b
  FROM generate_series(1, 1000000) i;
ANALYZE big;
SET parallel_setup_cost = 0;
SET parallel_tuple_cost = 0;
SET min_parallel_table_scan_size = 0;
SET max_parallel_workers_per_gather = 2;
EXPLAIN (COSTS OFF)
  SELECT sum(('x' || bits(yrdif(a, b, 'ACT/ACT')))::bit(64)::bigint::numeric) FROM big;
SELECT sum(('x' || bits(yrdif(a, b, 'ACT/ACT')))::bit(64)::bigint::numeric) AS parallel_sum
  FROM big \gset
SET max_parallel_workers_per_gather = 0;
SELECT :'parallel_sum' = sum(('x' || bits(yrdif(a, b, 'ACT/ACT')))::bit(64)::bigint::numeric)::text
  AS parallel_equals_serial FROM big;
