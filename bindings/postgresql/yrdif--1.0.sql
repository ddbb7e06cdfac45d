-- yrdif: YRDIF as SQL functions.  Every result has the bits of YRDIF
-- through the module; NULL where the host has no result (a date outside
-- 1582-01-01 .. 20000-12-31, 29 February of a year divisible by 4000,
-- infinity).  A constant basis no rule accepts is an error; one that comes
-- row by row gives NULL.  The timestamptz forms read the session's time
-- zone, so they are STABLE, not IMMUTABLE.
\echo Use "CREATE EXTENSION yrdif" to load this file. \quit

CREATE FUNCTION yrdif(date, date) RETURNS float8
AS 'MODULE_PATHNAME', 'yrdif_date' LANGUAGE C IMMUTABLE STRICT PARALLEL SAFE;
CREATE FUNCTION yrdif(date, date, text) RETURNS float8
AS 'MODULE_PATHNAME', 'yrdif_date' LANGUAGE C IMMUTABLE STRICT PARALLEL SAFE;
CREATE FUNCTION yrdif(timestamp, timestamp) RETURNS float8
AS 'MODULE_PATHNAME', 'yrdif_timestamp' LANGUAGE C IMMUTABLE STRICT PARALLEL SAFE;
CREATE FUNCTION yrdif(timestamp, timestamp, text) RETURNS float8
AS 'MODULE_PATHNAME', 'yrdif_timestamp' LANGUAGE C IMMUTABLE STRICT PARALLEL SAFE;
CREATE FUNCTION yrdif(timestamptz, timestamptz) RETURNS float8
AS 'MODULE_PATHNAME', 'yrdif_timestamptz' LANGUAGE C STABLE STRICT PARALLEL SAFE;
CREATE FUNCTION yrdif(timestamptz, timestamptz, text) RETURNS float8
AS 'MODULE_PATHNAME', 'yrdif_timestamptz' LANGUAGE C STABLE STRICT PARALLEL SAFE;
CREATE FUNCTION yrdif_dv(float8, float8) RETURNS float8
AS 'MODULE_PATHNAME', 'yrdif_dv' LANGUAGE C IMMUTABLE STRICT PARALLEL SAFE;
CREATE FUNCTION yrdif_dv(float8, float8, text) RETURNS float8
AS 'MODULE_PATHNAME', 'yrdif_dv' LANGUAGE C IMMUTABLE STRICT PARALLEL SAFE;
CREATE FUNCTION yrdif_basis(text) RETURNS text
AS 'MODULE_PATHNAME', 'yrdif_basis' LANGUAGE C IMMUTABLE STRICT PARALLEL SAFE;

COMMENT ON FUNCTION yrdif(date, date) IS 'YRDIF(start, end): years between two dates under basis ''AGE''';
COMMENT ON FUNCTION yrdif(date, date, text) IS 'YRDIF(start, end, basis): years between two dates under a day-count basis (''30/360'', ''ACT/ACT'', ''ACT/360'', ''ACT/365'', ''AGE'', read by the YRDIF rules)';
COMMENT ON FUNCTION yrdif(timestamp, timestamp) IS 'YRDIF of the dates of two timestamps under basis ''AGE''';
COMMENT ON FUNCTION yrdif(timestamp, timestamp, text) IS 'YRDIF of the dates of two timestamps under a day-count basis';
COMMENT ON FUNCTION yrdif(timestamptz, timestamptz) IS 'YRDIF of the dates of two timestamps with time zone in the session''s time zone, under basis ''AGE''';
COMMENT ON FUNCTION yrdif(timestamptz, timestamptz, text) IS 'YRDIF of the dates of two timestamps with time zone in the session''s time zone, under a day-count basis';
COMMENT ON FUNCTION yrdif_dv(float8, float8) IS 'YRDIF of two host date values (days from 1960-01-01) under basis ''AGE''';
COMMENT ON FUNCTION yrdif_dv(float8, float8, text) IS 'YRDIF of two host date values (days from 1960-01-01) under a day-count basis';
COMMENT ON FUNCTION yrdif_basis(text) IS 'the basis the YRDIF rules read a text as, or NULL when no rule accepts it';
