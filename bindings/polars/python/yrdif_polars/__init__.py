"""YRDIF as native Polars expressions, exact to the bit.

    import polars as pl
    import yrdif_polars                      # registers pl.col(...).yrdif
    df.with_columns(age=yrdif_polars.yrdif("dob", "as_of", basis="AGE"))
    df.with_columns(t=pl.col("start").yrdif.years(pl.col("end"), basis="ACT/ACT"))

start and end are column names, expressions, or literal dates
(``datetime.date``, or ``datetime.datetime``: its own calendar date, in
its own time zone); their columns may be Date,
Datetime of any unit and time zone (the calendar date in that zone), or
Float64 date values of the host.  basis is a literal text, read once when
the expression is built (a text no rule accepts raises ValueError naming
it), or an expression giving one text a row (a text no rule accepts, or a
null, gives null).  Each result is exactly YRDIF's through the module;
null where YRDIF gives the missing value or an input is null.
"""
import datetime
from pathlib import Path

import polars as pl
from polars.plugins import register_plugin_function

from ._internal import basis_code
from ._internal import basis_name as _basis_name

__all__ = ["yrdif", "yrdif_days", "basis_name"]

_LIB = Path(__file__).parent


def _expr(x, arg):
    if isinstance(x, pl.Expr):
        return x
    if isinstance(x, str):
        return pl.col(x)
    if isinstance(x, datetime.date):  # a datetime: its own calendar date, in its own time zone
        return pl.lit(x.date() if isinstance(x, datetime.datetime) else x)
    if isinstance(x, pl.Series):
        return pl.lit(x)
    if isinstance(x, float):
        return pl.lit(x, dtype=pl.Float64)
    raise TypeError(f"yrdif: {arg} must be a column name, an expression or a date, "
                    f"not {type(x).__name__}")


def _call(function, start, end, basis):
    args = [_expr(start, "start"), _expr(end, "end")]
    if isinstance(basis, str):
        code = basis_code(basis)
    elif isinstance(basis, (pl.Expr, pl.Series)):
        code = 0
        args.append(basis if isinstance(basis, pl.Expr) else pl.lit(basis))
    else:
        raise TypeError("yrdif: basis must be a text or an expression of texts, "
                        f"not {type(basis).__name__}")
    return register_plugin_function(plugin_path=_LIB, function_name=function, args=args,
                                    kwargs={"basis": code}, is_elementwise=True)


def basis_name(basis):
    """The basis a text is read as ('30/360', 'ACT/ACT', 'ACT/360',
    'ACT/365' or 'AGE'), or None where no rule accepts it."""
    if not isinstance(basis, str):
        raise TypeError(f"yrdif: basis_name takes a str, not {type(basis).__name__}")
    return _basis_name(basis)


def yrdif(start, end, basis="AGE"):
    """The difference from start to end in years under basis ('30/360',
    'ACT/ACT', 'ACT/360', 'ACT/365', 'AGE'), as a Float64 expression."""
    return _call("yrdif_years", start, end, basis)


def yrdif_days(start, end, basis="AGE"):
    """The day count the engine takes for the same pair, as an Int64
    expression (null where yrdif is null)."""
    return _call("yrdif_days", start, end, basis)


@pl.api.register_expr_namespace("yrdif")
class YrdifNamespace:
    """``pl.col("dob").yrdif.years(end, basis=...)`` and ``.days(...)``."""

    def __init__(self, expr):
        self._expr = expr

    def years(self, end, basis="AGE"):
        return yrdif(self._expr, end, basis)

    def days(self, end, basis="AGE"):
        return yrdif_days(self._expr, end, basis)
