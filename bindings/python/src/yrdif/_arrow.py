"""Arrow columns: pyarrow arrays and chunked arrays, pandas ``ArrowDtype``
Series, and any object with the Arrow PyCapsule interface
(``__arrow_c_array__``, ``__arrow_c_stream__``: Polars, DuckDB results).

Two date columns go to the engine's date32 kernel as they are: the
kernel reads the int32 days and the validity bitmaps of each chunk in
place, at its offset, and the result's float64 values and bitmap become a
pyarrow array without a copy.  date64 and timestamp columns become date32
days first (a time zone's own calendar date); other columns (numbers,
texts) and a date column beside a non-Arrow argument take the float64 path
of date values.  pyarrow is needed only here.
"""
import sys

import numpy as np

from . import _core

def pyarrow():
    try:
        import pyarrow
    except ImportError:  # pragma: no cover - pyarrow is optional
        return None
    return pyarrow


def is_arrow(x):
    """Whether x is an Arrow column (pandas Series are dispatched before)."""
    if hasattr(x, "__arrow_c_array__") or hasattr(x, "__arrow_c_stream__"):
        return True
    pa = sys.modules.get("pyarrow")  # no pyarrow object exists before it is imported
    return pa is not None and isinstance(x, (pa.Array, pa.ChunkedArray))


def is_scalar(x):
    """Whether x is a pyarrow scalar: one row of an Arrow column."""
    pa = sys.modules.get("pyarrow")
    return pa is not None and isinstance(x, pa.Scalar)


def scalar_value(x, arg):
    """The date value of a pyarrow scalar, read as the one row of a column
    of its type."""
    pa = pyarrow()
    return float(values(pa.chunked_array([pa.array([x], type=x.type)]), arg)[0])


def chunked(x, arg):
    """x as a pyarrow ChunkedArray, without copying its buffers (but for a
    dictionary-encoded or run-end encoded column, which is decoded: a
    Categorical's texts)."""
    pa = pyarrow()
    if pa is None:
        raise TypeError(f"{arg}: reading an Arrow column needs pyarrow")
    if isinstance(x, pa.ChunkedArray):
        c = x
    elif isinstance(x, pa.Array):
        c = pa.chunked_array([x], type=x.type)
    else:
        try:  # another library's column, through the Arrow PyCapsule interface
            c = pa.chunked_array(x) if hasattr(x, "__arrow_c_stream__") else \
                pa.chunked_array([pa.array(x)])
        except (ValueError, TypeError, pa.ArrowException) as err:
            raise TypeError(f"{arg}: {type(x).__name__} gives no Arrow column: {err}") from err
    if getattr(pa.types, "is_run_end_encoded", lambda _: False)(c.type):
        import pyarrow.compute as pc

        c = pc.run_end_decode(c)
    if not pa.types.is_dictionary(c.type):
        return c
    value = c.type.value_type
    # A dictionary of views (a Polars Categorical) Arrow cannot cast to its
    # values: its dictionary becomes large texts first.
    if _is_view(pa, value):
        value = pa.large_string() if pa.types.is_string_view(value) else pa.large_binary()
        c = c.cast(pa.dictionary(c.type.index_type, value))
    return c.cast(value)


def _is_view(pa, t):
    """Whether t is one of Arrow's string or binary view types (pyarrow 16 on)."""
    return getattr(pa.types, "is_string_view", lambda _: False)(t) or \
        getattr(pa.types, "is_binary_view", lambda _: False)(t)


def _is_text(pa, t):
    """Whether Arrow type t holds texts: strings, or binary as bytes are."""
    return (pa.types.is_string(t) or pa.types.is_large_string(t) or pa.types.is_binary(t)
            or pa.types.is_large_binary(t) or _is_view(pa, t))


_TICKS_A_DAY = {"s": 86_400, "ms": 86_400_000, "us": 86_400_000_000, "ns": 86_400_000_000_000}


def _floor(pc, v, k):
    """v // k of an int64 column, rounded down as days are (Arrow's divide
    rounds toward zero)."""
    q = pc.divide(v, k)
    return pc.subtract(q, pc.cast(pc.less(v, pc.multiply(q, k)), v.type))


def _days(pa, pc, ticks, per_day):
    """date32 days holding int64 ticks since 1970, null where the day is
    past int32 (Arrow's own cast to date32 wraps those round to days
    inside it)."""
    d = _floor(pc, ticks, per_day)
    inside = pc.and_(pc.greater_equal(d, -2**31), pc.less(d, 2**31))
    return pc.if_else(inside, d, pa.scalar(None, pa.int64())).cast(pa.int32()).cast(pa.date32())


def date32(c, arg):
    """A chunked column of dates as date32 days, or None for a column of
    anything else that can hold dates (numbers, texts, nulls)."""
    pa = pyarrow()
    import pyarrow.compute as pc

    t = c.type
    if pa.types.is_date32(t):
        return c
    if pa.types.is_date64(t):  # milliseconds
        return _days(pa, pc, c.cast(pa.int64()), _TICKS_A_DAY["ms"])
    if pa.types.is_timestamp(t):  # a zone's rules as Arrow's time zone database holds them
        if t.tz and t.unit == "ns":
            # Within hours of int64's bounds the wall-clock time overflows in
            # nanoseconds; zones' offsets are whole seconds, so microseconds
            # floored hold the same day.
            c = _floor(pc, c.cast(pa.int64()), 1000).cast(pa.timestamp("us", t.tz))
        try:
            ticks = pc.local_timestamp(c) if t.tz else c
        except pa.ArrowInvalid as err:  # a zone Arrow's database lacks
            raise ValueError(f"{arg}: {err}") from err
        return _days(pa, pc, ticks.cast(pa.int64()), _TICKS_A_DAY[ticks.type.unit])
    if pa.types.is_duration(t):
        raise TypeError(f"{arg}: durations ({t}) are not dates")
    if (pa.types.is_integer(t) or pa.types.is_floating(t) or pa.types.is_decimal(t)
            or _is_text(pa, t) or pa.types.is_null(t)):
        return None
    raise TypeError(f"{arg}: an Arrow column of {t} holds no dates (date32, date64, "
                    "timestamp, numbers or texts)")


def values(c, arg):
    """Host date values (float64, NaN for null) of a chunked column of any
    type that holds dates."""
    from . import date_values

    pa = pyarrow()
    days = date32(c, arg)
    if days is not None:
        d = days.cast(pa.int32()).cast(pa.int64()).fill_null(np.iinfo(np.int64).min)  # (no date32 to int64)
        return _core.date_values(d.to_numpy(zero_copy_only=False))  # the least: no date
    if _is_text(pa, c.type):  # str or bytes, each read as a date text
        return date_values(np.asarray(c.to_numpy(zero_copy_only=False), dtype=object), arg)
    # Numbers beyond 2**53 are far outside the calendar: rounded, not refused.
    return c.cast(pa.float64(), safe=False).to_numpy(zero_copy_only=False)


def codes(basis, n):
    """(code, codes): one code for every row, or an int32 array of n, from
    a text, an Arrow column of texts (each distinct text read once) or
    anything the numpy paths take."""
    from . import _codes

    if is_arrow(basis):
        pa = pyarrow()
        c = chunked(basis, "basis")
        if not (_is_text(pa, c.type) or pa.types.is_null(c.type)):
            raise TypeError(f"basis: an Arrow column of {c.type} holds no texts")
        if len(c) != n:
            raise ValueError(f"basis has {len(c)} rows, the dates {n}")
        enc = c.combine_chunks().dictionary_encode()
        # (A column of Arrow's null type has a dictionary of one null.)
        table = np.array([0 if t is None else _core.basis_code(t)
                          for t in enc.dictionary.to_pylist()] + [0], dtype=np.int32)
        idx = enc.indices.fill_null(len(table) - 1).to_numpy(zero_copy_only=False)
        return 0, np.ascontiguousarray(table[idx])
    code = _codes(basis)
    if np.ndim(code) == 0:
        return int(code), None
    _rows(code, "basis", n, "the dates")
    return 0, np.ascontiguousarray(np.broadcast_to(code, (n,)), dtype=np.int32)


def _rows(x, arg, n, column):
    """Refuses an argument beside an Arrow column of n rows that is neither
    one value nor n of them, naming both as the columns' own check does."""
    if np.ndim(x) > 1 or np.size(x) not in (1, n):
        has = f"shape {np.shape(x)}" if np.ndim(x) > 1 else f"{np.size(x)} rows"
        raise ValueError(f"{arg} has {has}, {column} {n}")


def _pieces(a, b):
    """Slices of two chunked columns of one length at every chunk boundary
    of either, so that each pair of slices is one chunk of each."""
    bounds = sorted(set(np.cumsum([len(x) for x in a.chunks]).tolist())
                    | set(np.cumsum([len(x) for x in b.chunks]).tolist()) | {0})

    def one(c, lo, hi):  # a slice within one chunk is that chunk's, uncopied
        c = c.slice(lo, hi - lo)
        return c.chunk(0) if c.num_chunks == 1 else c.combine_chunks()

    for lo, hi in zip(bounds, bounds[1:]):  # (the bounds are distinct: hi > lo)
        yield lo, hi, one(a, lo, hi), one(b, lo, hi)


def evaluate(name, start, end, basis):
    """`yrdif.yrdif` (name "years") or `yrdif.days` where start or end is
    an Arrow column: a pyarrow array out (a chunked array for a chunked
    start), null where there is no result."""
    pa = pyarrow()
    cols = [chunked(x, arg) if is_arrow(x) else None for x, arg in ((start, "start"), (end, "end"))]
    first = next(c for c in cols if c is not None)
    n = len(first)
    for c, arg in zip(cols, ("start", "end")):
        if c is not None and len(c) != n:
            raise ValueError(f"start has {len(cols[0])} rows, end {len(cols[1])}")
    code, per_row = codes(basis, n)
    days = [date32(c, arg) if c is not None else None for c, arg in zip(cols, ("start", "end"))]
    out_type = pa.float64() if name == "years" else pa.int64()
    if days[0] is not None and days[1] is not None:
        chunks = []
        for lo, hi, s, e in _pieces(*days):
            sb, eb = s.buffers(), e.buffers()
            years, valid, nulls, counts = _core.years_date32(
                code, None if per_row is None else per_row[lo:hi], sb[1], sb[0], s.offset,
                eb[1], eb[0], e.offset, hi - lo, name == "days")
            data = years if name == "years" else counts
            chunks.append(pa.Array.from_buffers(
                out_type, hi - lo, [None if valid is None else pa.py_buffer(valid),
                                    pa.py_buffer(data)], null_count=nulls))
    else:  # a date column beside other dates: the float64 path of date values
        from . import date_values

        s = values(cols[0], "start") if cols[0] is not None else date_values(start, "start")
        e = values(cols[1], "end") if cols[1] is not None else date_values(end, "end")
        for x, c, arg, column in ((s, cols[0], "start", "end"), (e, cols[1], "end", "start")):
            if c is None:  # the one that is no Arrow column
                _rows(x, arg, n, column)
        ufunc = _core.years if name == "years" else _core.days
        out = ufunc(s, e, code if per_row is None else per_row)
        out = np.broadcast_to(out, (n,))
        none = np.isnan(out) if name == "years" else out == np.iinfo(np.int64).min
        chunks = [pa.array(out, type=out_type, mask=none)]
    if not chunks:
        chunks = [pa.array([], out_type)]
    if isinstance(start if cols[0] is not None else end, pa.ChunkedArray) or first.num_chunks != 1:
        return pa.chunked_array(chunks, type=out_type)
    return chunks[0] if len(chunks) == 1 else pa.concat_arrays(chunks)
