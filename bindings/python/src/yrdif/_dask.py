"""Dask collections: `yrdif.yrdif` and `yrdif.days` build a lazy graph of
one task per block or partition.  Every task is a module-level function of
this package, so it pickles by reference and workers import it."""
import numpy as np
import pandas as pd

from . import _core, _codes, _series, date_values


def _years_block(start, end, basis):
    """One block of `yrdif.yrdif`: numpy blocks in, float64 out."""
    return _core.years(date_values(start), date_values(end), _codes(basis))


def _days_block(start, end, basis):
    """One block of `yrdif.days`: int64 day counts, INT64_MIN for none."""
    return _core.days(date_values(start), date_values(end), _codes(basis))


def _partition(name, start, end, basis):
    """One partition of Dask Series: a pandas Series."""
    return _series(getattr(_core, name), start, end, basis)


def _frame_partition(frame, name, result, others):
    """One partition of a frame of the Series among start, end and basis
    (the others, scalars, given), its result named result."""
    args = {**others, **{k: frame[k] for k in frame.columns}}
    return _partition(name, args["start"], args["end"], args["basis"]).rename(result)


def _dtype(name):
    return np.dtype(np.float64 if name == "years" else np.int64)


def evaluate(name, start, end, basis):
    import dask.array as da
    import dask.dataframe as dd

    if isinstance(basis, (str, bytes, bytearray)):
        _codes(basis)  # a text no rule accepts fails here, not on a worker
    if any(isinstance(x, (dd.Series, dd.Index)) for x in (start, end, basis)):
        # An Index's partitions are pandas Index objects: as a Series of its
        # values (on that same index) they align like any other column.
        start, end, basis = (x.to_series() if isinstance(x, dd.Index) else x
                             for x in (start, end, basis))
        first = next(x for x in (start, end, basis) if isinstance(x, dd.Series))
        meta = pd.Series([], dtype=_dtype(name) if name == "years" else "Int64",
                         name=first.name)
        args = dict(zip(("start", "end", "basis"), (start, end, basis)))
        cols = {k: x for k, x in args.items() if isinstance(x, dd.Series)}
        for k, x in args.items():
            # A whole array or list would reach every partition: it lines up
            # with none of them.
            if k not in cols and not isinstance(x, (str, bytes, bytearray)) and np.ndim(x) != 0:
                raise TypeError(f"{k}: a whole {type(x).__name__} beside Dask Series cannot be split "
                                "into their partitions: pass a Dask Series, or one value")
        if any(c.divisions != first.divisions for c in cols.values()):
            # Partitioned differently: one frame of them, aligned on the union
            # of their indexes as pandas aligns Series.
            if not all(c.known_divisions for c in cols.values()):
                raise ValueError("Dask columns partitioned differently, without known divisions, "
                                 "cannot be aligned: set their index (set_index) or partition "
                                 "them alike")
            frame = dd.concat([c.rename(k) for k, c in cols.items()], axis=1)
            others = {k: x for k, x in args.items() if k not in cols}
            return frame.map_partitions(_frame_partition, name, first.name, others, meta=meta)
        return dd.map_partitions(_partition, name, start, end, basis, meta=meta)
    dtype = _dtype(name)
    block = _years_block if name == "years" else _days_block
    return da.core.elemwise(block, start, end, basis, dtype=dtype)
