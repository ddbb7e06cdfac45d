//! YRDIF as Polars expressions.  The engine is compiled in (build.rs) and
//! called through its column interface (date/column.h): Date columns go to
//! the date32 kernel as they are, int32 days and validity bits read in
//! place; Datetime columns become their calendar dates first (a time zone's
//! own); Float64 columns are the host's date values and take the float64
//! kernel.  Each result is exactly what YRDIF gives through the module, or
//! null where it gives the missing value.
use std::os::raw::c_char;

use polars::prelude::*;
use polars_arrow::array::PrimitiveArray;
use polars_arrow::bitmap::Bitmap;
use polars_arrow::datatypes::ArrowDataType;
use pyo3::exceptions::PyValueError;
use pyo3::prelude::*;
use pyo3_polars::derive::polars_expr;
use serde::Deserialize;

const MISSING_BITS: u64 = 0xFFFF_FE00_0000_0000;
const DAYS_MISSING: i64 = i64::MIN;

extern "C" {
    fn tk_yrdif_date32(
        basis: i32,
        codes: *const i32,
        start: *const i32,
        start_valid: *const u8,
        start_offset: i64,
        end: *const i32,
        end_valid: *const u8,
        end_offset: i64,
        n: usize,
        years: *mut f64,
        days: *mut i64,
        valid: *mut u8,
    ) -> i64;
    fn tk_yrdif_column(basis: i32, start: *const f64, end: *const f64, n: usize, years: *mut f64, days: *mut i64);
    fn tk_yrdif_column_codes(
        basis: *const i32,
        start: *const f64,
        end: *const f64,
        n: usize,
        years: *mut f64,
        days: *mut i64,
    );
    fn tk_dates_of_epoch_days(days: *const i64, n: usize, nat: i64, out: *mut f64);
    fn tk_basis_utf8(text: *const c_char, len: usize) -> i32;
    fn tk_basis_name(code: i32) -> *const c_char;
}

fn basis_of(text: &str) -> i32 {
    // SAFETY: the engine reads exactly len bytes of text.
    unsafe { tk_basis_utf8(text.as_ptr().cast(), text.len()) }
}

fn name_of(code: i32) -> Option<&'static str> {
    // SAFETY: a non-null name is a static NUL-terminated ASCII text.
    unsafe {
        let p = tk_basis_name(code);
        (!p.is_null()).then(|| std::ffi::CStr::from_ptr(p).to_str().unwrap())
    }
}

#[derive(Deserialize)]
struct Kwargs {
    /// The code of a literal basis; unused when a third input gives one a row.
    basis: i32,
}

/// An input's dates: date32 days, or host date values.
enum Dates {
    Days(Int32Chunked),
    Values(Vec<f64>),
}

/// The one length every input is broadcast to: a literal's one row
/// stretches to any other length, none included.
fn length(inputs: &[Series]) -> PolarsResult<usize> {
    let n = inputs.iter().map(|s| s.len()).filter(|&n| n != 1).max().unwrap_or(1);
    for (s, arg) in inputs.iter().zip(["start", "end", "basis"]) {
        let name = if s.name().is_empty() { String::new() } else { format!(" '{}'", s.name()) };
        polars_ensure!(s.len() == n || s.len() == 1, ShapeMismatch:
            "yrdif: {}{} has {} rows where the others have {}", arg, name, s.len(), n);
    }
    Ok(n)
}

fn broadcast(s: &Series, n: usize) -> Series {
    if s.len() == n { s.clone() } else { s.new_from_index(0, n) }
}

fn dates(s: &Series, arg: &str) -> PolarsResult<Dates> {
    match s.dtype() {
        DataType::Date => Ok(Dates::Days(s.date()?.physical().rechunk().into_owned())),
        // The calendar date of each instant in the column's own time zone:
        // its wall-clock time there, then the day that holds it.
        DataType::Datetime(unit, zone) => {
            let mut instants = s.datetime()?.clone();
            if zone.is_some() {
                instants = zonable(&instants, *unit, zone.clone());
                let raise = StringChunked::from_slice("".into(), &["raise"]);
                instants = replace_time_zone(&instants, None, &raise, NonExistent::Raise)?;
            }
            let d = instants.into_series().cast(&DataType::Date)?;
            Ok(Dates::Days(d.date()?.physical().rechunk().into_owned()))
        }
        DataType::Null => Ok(Dates::Days(Int32Chunked::full_null(s.name().clone(), s.len()))),
        DataType::Float64 | DataType::Float32 => {
            let f = s.cast(&DataType::Float64)?;
            Ok(Dates::Values(f.f64()?.iter().map(|v| v.unwrap_or(f64::NAN)).collect()))
        }
        t => {
            // What a user with such a column most likely means.
            let hint = match t {
                DataType::String => " (parse texts with .str.to_date())",
                t if t.is_integer() => " (cast integer days with .cast(pl.Date))",
                _ => "",
            };
            polars_bail!(InvalidOperation:
                "yrdif: {arg} '{}' is {t}; dates are Date, Datetime or Float64 date values{hint}", s.name())
        }
    }
}

/// Instants whose wall-clock time in a zone Polars can take: milliseconds,
/// floored (zones' offsets are whole seconds, so each keeps its day), null
/// past 10^15 ms from 1970 (beyond 30,000 years, outside the calendar).
/// Polars panics on instants past chrono's years, and a wall-clock time
/// within hours of int64's bounds overflows in nanoseconds.
fn zonable(instants: &DatetimeChunked, unit: TimeUnit, zone: Option<TimeZone>) -> DatetimeChunked {
    let per_ms = match unit {
        TimeUnit::Nanoseconds => 1_000_000,
        TimeUnit::Microseconds => 1_000,
        TimeUnit::Milliseconds => 1,
    };
    let ms: Int64Chunked = instants
        .physical()
        .iter()
        .map(|v| v.map(|v| v.div_euclid(per_ms)).filter(|v| v.abs() <= 1_000_000_000_000_000))
        .collect();
    ms.with_name(instants.name().clone()).into_datetime(TimeUnit::Milliseconds, zone)
}

fn values(d: Dates) -> Vec<f64> {
    match d {
        Dates::Values(v) => v,
        Dates::Days(ca) => {
            let days: Vec<i64> = ca.iter().map(|v| v.map_or(DAYS_MISSING, i64::from)).collect();
            let mut out = vec![0.0; days.len()];
            // SAFETY: both buffers hold days.len() elements.
            unsafe { tk_dates_of_epoch_days(days.as_ptr(), days.len(), DAYS_MISSING, out.as_mut_ptr()) };
            out
        }
    }
}

/// One basis code a row from a column of texts; null and unaccepted texts
/// give no code, hence null.  A run of equal texts is read once.
fn codes(s: &Series) -> PolarsResult<Vec<i32>> {
    // Categorical and Enum columns of bases are read as their texts; a
    // column of nulls (pl.lit(None)) has no basis in any row.
    let s = match s.dtype() {
        DataType::Null => return Ok(vec![0; s.len()]),
        DataType::Categorical(..) | DataType::Enum(..) => s.cast(&DataType::String)?,
        DataType::String => s.clone(),
        t => polars_bail!(InvalidOperation:
            "yrdif: basis '{}' is {t}; a basis is a text", s.name()),
    };
    let mut last: Option<(&str, i32)> = None;
    Ok(s.str()?
        .iter()
        .map(|t| match t {
            None => 0,
            Some(t) => match last {
                Some((l, c)) if l == t => c,
                _ => {
                    let c = basis_of(t);
                    last = Some((t, c));
                    c
                }
            },
        })
        .collect())
}

fn slice_of(ca: &Int32Chunked) -> (&[i32], *const u8, i64) {
    let arr = ca.downcast_iter().next().expect("a rechunked column has one chunk");
    match arr.validity() {
        Some(bits) => {
            let (bytes, offset, _) = bits.as_slice();
            (arr.values().as_slice(), bytes.as_ptr(), offset as i64)
        }
        None => (arr.values().as_slice(), std::ptr::null(), 0),
    }
}

/// Rows below which one thread evaluates a whole column: the streaming
/// engine's morsels stay on the thread that has them.
const PARALLEL_ROWS: usize = 1 << 20;

/// Runs f(lo, m) over parts of 0 .. n, one a thread (as many as Polars
/// takes: POLARS_MAX_THREADS, else every core), each starting at a
/// multiple of 64 rows.
fn in_parts(n: usize, f: impl Fn(usize, usize) + Sync) {
    let threads = std::env::var("POLARS_MAX_THREADS")
        .ok()
        .and_then(|t| t.parse::<usize>().ok())
        .unwrap_or_else(|| std::thread::available_parallelism().map_or(1, |t| t.get()))
        .max(1);
    if n < PARALLEL_ROWS || threads == 1 {
        return f(0, n);
    }
    let part = n.div_ceil(threads).div_ceil(64) * 64;
    std::thread::scope(|scope| {
        for lo in (part..n).step_by(part) {
            let f = &f;
            scope.spawn(move || f(lo, part.min(n - lo)));
        }
        f(0, part.min(n));
    });
}

/// A buffer of n elements that the engine fills, every one of them.
fn filled<T>(n: usize, fill: impl FnOnce(*mut T)) -> Vec<T> {
    let mut v = Vec::with_capacity(n);
    fill(v.as_mut_ptr());
    // SAFETY: the engine has written all n elements.
    unsafe { v.set_len(n) };
    v
}

/// Years of every row (or the engine's day counts, with days), and the rows
/// that have a result.  Day counts come one pair at a time in the engine, so
/// years alone are asked for none.
fn evaluate(inputs: &[Series], kwargs: &Kwargs, with_days: bool) -> PolarsResult<(Vec<f64>, Vec<i64>, Bitmap)> {
    let n = length(inputs)?;
    let start = dates(&broadcast(&inputs[0], n), "start")?;
    let end = dates(&broadcast(&inputs[1], n), "end")?;
    let per_row = match inputs.get(2) {
        Some(b) => Some(codes(&broadcast(b, n))?),
        None => None,
    };
    let codes_ptr = per_row.as_ref().map_or(std::ptr::null(), |c| c.as_ptr());
    let mut days: Vec<i64> = Vec::new();
    let days_ptr = if with_days {
        days = vec![0; n];
        days.as_mut_ptr()
    } else {
        std::ptr::null_mut()
    };
    if let (Dates::Days(a), Dates::Days(b)) = (&start, &end) {
        let (a, av, ao) = slice_of(a);
        let (b, bv, bo) = slice_of(b);
        let mut valid = vec![0u8; n.div_ceil(8)];
        let valid_ptr = valid.as_mut_ptr();
        // Addresses as numbers, so that the threads of in_parts share them.
        let (a, b, av, bv) = (a.as_ptr() as usize, b.as_ptr() as usize, av as usize, bv as usize);
        let (codes, days_at, valid_at) = (codes_ptr as usize, days_ptr as usize, valid_ptr as usize);
        let years = filled(n, |y: *mut f64| {
            let years_at = y as usize;
            in_parts(n, |lo, m| {
                let from = |p: usize, size: usize| if p == 0 { 0 } else { p + lo * size };
                // SAFETY: every buffer holds n elements (bitmaps their bits
                // from the offset), rows lo .. lo + m of them here; parts
                // start at multiples of 8, so each writes its own bytes of
                // the result's bitmap.
                unsafe {
                    tk_yrdif_date32(
                        kwargs.basis, from(codes, 4) as *const i32,
                        from(a, 4) as *const i32, av as *const u8, ao + lo as i64,
                        from(b, 4) as *const i32, bv as *const u8, bo + lo as i64, m,
                        from(years_at, 8) as *mut f64, from(days_at, 8) as *mut i64,
                        (valid_at + lo / 8) as *mut u8,
                    );
                }
            });
        });
        return Ok((years, days, Bitmap::try_new(valid, n)?));
    }
    let (a, b) = (values(start), values(end));
    // SAFETY: as above.
    let years = filled(n, |y| unsafe {
        match per_row {
            Some(ref c) => tk_yrdif_column_codes(c.as_ptr(), a.as_ptr(), b.as_ptr(), n, y, days_ptr),
            None => tk_yrdif_column(kwargs.basis, a.as_ptr(), b.as_ptr(), n, y, days_ptr),
        }
    });
    let valid: Bitmap = years.iter().map(|y| y.to_bits() != MISSING_BITS).collect();
    Ok((years, days, valid))
}

fn named<T: PolarsNumericType>(inputs: &[Series], values: Vec<T::Native>, valid: Bitmap, dtype: ArrowDataType) -> Series {
    let valid = (valid.unset_bits() > 0).then_some(valid);
    let arr = PrimitiveArray::<T::Native>::new(dtype, values.into(), valid);
    ChunkedArray::<T>::with_chunk(inputs[0].name().clone(), arr).into_series()
}

#[polars_expr(output_type=Float64)]
fn yrdif_years(inputs: &[Series], kwargs: Kwargs) -> PolarsResult<Series> {
    let (years, _, valid) = evaluate(inputs, &kwargs, false)?;
    Ok(named::<Float64Type>(inputs, years, valid, ArrowDataType::Float64))
}

#[polars_expr(output_type=Int64)]
fn yrdif_days(inputs: &[Series], kwargs: Kwargs) -> PolarsResult<Series> {
    let (_, days, valid) = evaluate(inputs, &kwargs, true)?;
    Ok(named::<Int64Type>(inputs, days, valid, ArrowDataType::Int64))
}

/// The code of a basis text, or a ValueError naming the text (its first 40
/// characters, as the Python package shows a text).
#[pyfunction]
fn basis_code(text: &str) -> PyResult<i32> {
    match basis_of(text) {
        0 => {
            let shown: String = text.chars().take(40).collect();
            let more = if shown.len() < text.len() { "..." } else { "" };
            Err(PyValueError::new_err(format!(
                "yrdif: no basis is read from '{shown}'{more} (30/360, ACT/ACT, ACT/360, ACT/365, AGE)"
            )))
        }
        c => Ok(c),
    }
}

/// The basis a text is read as, or None.
#[pyfunction]
fn basis_name(text: &str) -> Option<&'static str> {
    name_of(basis_of(text))
}

#[pymodule]
fn _internal(m: &Bound<'_, PyModule>) -> PyResult<()> {
    m.add_function(wrap_pyfunction!(basis_code, m)?)?;
    m.add_function(wrap_pyfunction!(basis_name, m)?)?;
    Ok(())
}
