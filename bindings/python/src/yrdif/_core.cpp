/*
 * _core.cpp - the engine as numpy ufuncs, and the basis parsers for Python
 * texts.  The Python layer (yrdif/__init__.py) converts dates and bases and
 * dispatches pandas and Dask inputs; everything per element happens here.
 *
 *   years(start, end, code)  float64, float64, int32 -> float64
 *   days(start, end, code)   float64, float64, int32 -> int64 (INT64_MIN missing)
 *   date_values(epoch_days)  int64 -> float64 (NaT, INT64_MIN, is missing)
 *   basis_code(text)         str ("YRDIF" rules) or bytes ("YRDIF#") -> int
 *   date_texts(array)        texts -> date values, as the yrdif command reads them
 *   years_date32(...)        Arrow date32 buffers with validity -> years
 *
 * Each ufunc is a module attribute under its own name, so that it pickles
 * by reference (Dask workers import this module to unpickle it).
 */
#define PY_SSIZE_T_CLEAN
#include <Python.h>
#define NPY_NO_DEPRECATED_API NPY_1_7_API_VERSION
#include <numpy/arrayobject.h>
#include <numpy/ufuncobject.h>

#include <fenv.h>
#include <string.h>

#include "column.h"
#include "tkyrdif.h"
#include "datetext.h"

namespace {

/* Contiguous runs go to the column kernel in one call; a constant basis
 * (stride 0, as broadcasting a scalar gives) to its one-code form. */
void years_body(char **args, const npy_intp *dims, const npy_intp *steps)
{
    npy_intp n = dims[0];
    char *s = args[0], *e = args[1], *c = args[2], *y = args[3];
    if (steps[0] == 8 && steps[1] == 8 && steps[3] == 8) {
        if (steps[2] == 0) {
            tk_yrdif_column(*(const int32_t *)c, (const double *)s, (const double *)e,
                            (size_t)n, (double *)y, nullptr);
            return;
        }
        if (steps[2] == 4) {
            tk_yrdif_column_codes((const int32_t *)c, (const double *)s, (const double *)e,
                                  (size_t)n, (double *)y, nullptr);
            return;
        }
    }
    for (npy_intp i = 0; i < n; i++, s += steps[0], e += steps[1], c += steps[2], y += steps[3])
        *(double *)y = tk_yrdif_one(*(const int32_t *)c, *(const double *)s,
                                    *(const double *)e, nullptr);
}

void days_body(char **args, const npy_intp *dims, const npy_intp *steps)
{
    char *s = args[0], *e = args[1], *c = args[2], *d = args[3];
    for (npy_intp i = 0; i < dims[0];
         i++, s += steps[0], e += steps[1], c += steps[2], d += steps[3])
        tk_yrdif_one(*(const int32_t *)c, *(const double *)s, *(const double *)e,
                     (int64_t *)d);
}

void date_values_body(char **args, const npy_intp *dims, const npy_intp *steps)
{
    if (steps[0] == 8 && steps[1] == 8) {
        tk_dates_of_epoch_days((const int64_t *)args[0], (size_t)dims[0], INT64_MIN,
                               (double *)args[1]);
        return;
    }
    char *in = args[0], *out = args[1];
    for (npy_intp i = 0; i < dims[0]; i++, in += steps[0], out += steps[1])
        tk_dates_of_epoch_days((const int64_t *)in, 1, INT64_MIN, (double *)out);
}

/* The kernels compare missing dates (NaNs), and convert dates far outside
 * the calendar that then give the missing value, on purpose: the
 * invalid-operation and overflow flags they raise are no error here, so
 * the flags are put back as they were before numpy reads them and warns
 * (or raises, under np.errstate). */
struct KernelFlags {
    fexcept_t before;
    KernelFlags() { fegetexceptflag(&before, FE_ALL_EXCEPT); }
    ~KernelFlags() { fesetexceptflag(&before, FE_ALL_EXCEPT); }
};

template <void (*Body)(char **, const npy_intp *, const npy_intp *)>
void loop(char **args, const npy_intp *dims, const npy_intp *steps, void *)
{
    KernelFlags flags;
    Body(args, dims, steps);
}

PyUFuncGenericFunction years_funcs[] = {loop<years_body>};
char years_types[] = {NPY_DOUBLE, NPY_DOUBLE, NPY_INT32, NPY_DOUBLE};
PyUFuncGenericFunction days_funcs[] = {loop<days_body>};
char days_types[] = {NPY_DOUBLE, NPY_DOUBLE, NPY_INT32, NPY_INT64};
PyUFuncGenericFunction date_values_funcs[] = {loop<date_values_body>};
char date_values_types[] = {NPY_INT64, NPY_DOUBLE};
void *no_data[] = {nullptr};

PyObject *basis_code(PyObject *, PyObject *text)
{
    if (PyUnicode_Check(text)) {
        /* The parser reads at most the first 256 characters; the rest of a
         * longer text, however long, is never looked at. */
        Py_ssize_t len = PyUnicode_GET_LENGTH(text);
        Py_ssize_t n = len < 256 ? len : 256;
        int kind = PyUnicode_KIND(text);
        const void *data = PyUnicode_DATA(text);
        uint32_t buf[256];
        for (Py_ssize_t i = 0; i < n; i++)
            buf[i] = PyUnicode_READ(kind, data, i);
        return PyLong_FromLong(tk_basis_utf32(buf, (size_t)n));
    }
    if (PyBytes_Check(text) || PyByteArray_Check(text)) {
        const char *b = PyBytes_Check(text) ? PyBytes_AS_STRING(text) : PyByteArray_AS_STRING(text);
        Py_ssize_t n = PyBytes_Check(text) ? PyBytes_GET_SIZE(text) : PyByteArray_GET_SIZE(text);
        return PyLong_FromLong(tk_basis_bytes((const uint8_t *)b, (size_t)n));
    }
    PyErr_Format(PyExc_TypeError, "a basis is str or bytes, not %.100s",
                 Py_TYPE(text)->tp_name);
    return nullptr;
}

/* Reads the texts of a contiguous array of str (numpy's UCS4 'U', NUL
 * padded), bytes ('S') or objects, as the yrdif command reads dates.
 * Returns (values, others, bad, kind): the float64 date values (the
 * missing value for no date), for an object array a bool array marking the
 * elements that are neither str nor bytes (left to the caller; None
 * otherwise), and the index of the first text that is no date at all with
 * its reader's kind (-1 and 0 when there is none).  A date the calendar
 * does not have is missing, not bad. */
PyObject *date_texts(PyObject *, PyObject *arg)
{
    if (!PyArray_Check(arg) || !PyArray_IS_C_CONTIGUOUS((PyArrayObject *)arg)) {
        PyErr_SetString(PyExc_TypeError, "date_texts takes a contiguous array");
        return nullptr;
    }
    PyArrayObject *a = (PyArrayObject *)arg;
    int type = PyArray_TYPE(a);
    if (type != NPY_UNICODE && type != NPY_STRING && type != NPY_OBJECT) {
        PyErr_SetString(PyExc_TypeError, "date_texts takes an array of str, bytes or objects");
        return nullptr;
    }
    npy_intp size = PyArray_SIZE(a), width = PyArray_ITEMSIZE(a);
    PyObject *values = PyArray_SimpleNew(PyArray_NDIM(a), PyArray_DIMS(a), NPY_DOUBLE);
    PyObject *others = type == NPY_OBJECT
                           ? PyArray_ZEROS(PyArray_NDIM(a), PyArray_DIMS(a), NPY_BOOL, 0)
                           : (Py_INCREF(Py_None), Py_None);
    if (values == nullptr || others == nullptr) {
        Py_XDECREF(values);
        Py_XDECREF(others);
        return nullptr;
    }
    double *out = (double *)PyArray_DATA((PyArrayObject *)values);
    const char *data = PyArray_BYTES(a);
    npy_intp bad = -1;
    int32_t bad_kind = 0;
    auto read = [&](npy_intp i, const char *text, size_t len) {
        int32_t kind;
        out[i] = tk_date_of_text(text, len, &kind);
        if (kind < 0 && kind != TK_TEXT_OUTSIDE && kind != TK_TEXT_NO_SUCH_DAY && bad < 0) {
            bad = i;
            bad_kind = kind;
        }
    };
    if (type == NPY_OBJECT) {
        npy_bool *other = (npy_bool *)PyArray_DATA((PyArrayObject *)others);
        for (npy_intp i = 0; i < size; i++) {
            PyObject *x = ((PyObject **)data)[i];
            if (PyBytes_Check(x)) {
                read(i, PyBytes_AS_STRING(x), (size_t)PyBytes_GET_SIZE(x));
                continue;
            }
            if (!PyUnicode_Check(x)) {
                other[i] = 1;
                out[i] = tk_missing();
                continue;
            }
            Py_ssize_t len;
            const char *utf8 = PyUnicode_AsUTF8AndSize(x, &len);
            if (utf8 == nullptr) { /* a lone surrogate: no date */
                PyErr_Clear();
                utf8 = "\x80";
                len = 1;
            }
            read(i, utf8, (size_t)len);
        }
    } else {
        /* Characters from U+0080 up stand in no date text: any byte of
         * that range reads the same. */
        npy_intp units = type == NPY_UNICODE ? width / 4 : width;
        char *text = (char *)PyMem_Malloc(units > 0 ? (size_t)units : 1);
        if (text == nullptr) {
            Py_DECREF(values);
            Py_DECREF(others);
            return PyErr_NoMemory();
        }
        Py_BEGIN_ALLOW_THREADS
        for (npy_intp i = 0; i < size; i++) {
            const char *item = data + i * width;
            npy_intp len = units;
            for (npy_intp k = 0; k < units; k++) {
                uint32_t c;
                if (type == NPY_UNICODE)
                    memcpy(&c, item + 4 * k, 4);
                else
                    c = (unsigned char)item[k];
                text[k] = (char)(c < 0x80 ? c : 0x80);
            }
            while (len > 0 && text[len - 1] == 0) /* numpy's padding */
                len--;
            read(i, text, (size_t)len);
        }
        Py_END_ALLOW_THREADS
        PyMem_Free(text);
    }
    return Py_BuildValue("(NNni)", values, others, (Py_ssize_t)bad, (int)bad_kind);
}

/* A buffer argument held for the length of a call. */
struct Buffer {
    Py_buffer view{};
    bool held = false;
    ~Buffer()
    {
        if (held)
            PyBuffer_Release(&view);
    }
    /* Takes obj's bytes (None: no buffer); false with an exception set. */
    bool take(PyObject *obj)
    {
        if (obj == Py_None)
            return true;
        held = PyObject_GetBuffer(obj, &view, PyBUF_C_CONTIGUOUS) == 0;
        return held;
    }
    const uint8_t *bytes() const { return held ? (const uint8_t *)view.buf : nullptr; }
    Py_ssize_t size() const { return held ? view.len : 0; }
};

/* years_date32(code, codes, start, start_valid, start_offset, end,
 * end_valid, end_offset, n, days) -> (years, valid, nulls, day_counts)
 *
 * YRDIF over Arrow date32 buffers (any object with the buffer protocol, as
 * pyarrow's Buffers): start and end hold int32 days from 1970-01-01, their
 * first element at *_offset; *_valid are validity bitmaps from bit
 * *_offset, or None; codes is None (code for every pair) or n int32 basis
 * codes.  Returns float64 years, the result's validity bitmap as uint8
 * (None when every pair has a result), the number of pairs without one,
 * and with days true the int64 day counts (else None).  A buffer too short
 * for n elements from its offset is a ValueError: nothing is read outside
 * the buffers. */
PyObject *years_date32(PyObject *, PyObject *args)
{
    int code;
    PyObject *codes_obj, *s_obj, *sv_obj, *e_obj, *ev_obj;
    Py_ssize_t s_off, e_off, n;
    int with_days;
    if (!PyArg_ParseTuple(args, "iOOOnOOnnp", &code, &codes_obj, &s_obj, &sv_obj, &s_off, &e_obj,
                          &ev_obj, &e_off, &n, &with_days))
        return nullptr;
    Buffer codes, s, sv, e, ev;
    if (!codes.take(codes_obj) || !s.take(s_obj) || !sv.take(sv_obj) || !e.take(e_obj) ||
        !ev.take(ev_obj))
        return nullptr;
    struct Need {
        const Buffer &b;
        Py_ssize_t need, offset;
        const char *what;
    } needs[] = {{s, 4 * (s_off + n), s_off, "start's data"},
                 {e, 4 * (e_off + n), e_off, "end's data"},
                 {sv, (s_off + n + 7) / 8, s_off, "start's validity bitmap"},
                 {ev, (e_off + n + 7) / 8, e_off, "end's validity bitmap"},
                 {codes, 4 * n, 0, "the basis codes"}};
    if (n < 0 || s_off < 0 || e_off < 0 || !s.held || !e.held) {
        PyErr_SetString(PyExc_ValueError, "years_date32: negative length or offset, or no data");
        return nullptr;
    }
    for (const Need &k : needs)
        if (k.b.held && k.b.size() < k.need) {
            PyErr_Format(PyExc_ValueError,
                         "%s holds %zd bytes, fewer than the %zd that %zd dates from offset "
                         "%zd need",
                         k.what, k.b.size(), k.need, n, k.offset);
            return nullptr;
        }
    npy_intp dim = n, bytes = (n + 7) / 8;
    PyObject *years = PyArray_SimpleNew(1, &dim, NPY_DOUBLE);
    PyObject *valid = PyArray_SimpleNew(1, &bytes, NPY_UINT8);
    PyObject *days = with_days ? PyArray_SimpleNew(1, &dim, NPY_INT64) : (Py_INCREF(Py_None), Py_None);
    if (years == nullptr || valid == nullptr || days == nullptr) {
        Py_XDECREF(years);
        Py_XDECREF(valid);
        Py_XDECREF(days);
        return nullptr;
    }
    int64_t nulls;
    Py_BEGIN_ALLOW_THREADS
    KernelFlags flags;
    nulls = tk_yrdif_date32(code, (const int32_t *)codes.bytes(),
                            (const int32_t *)s.bytes() + s_off, sv.bytes(), s_off,
                            (const int32_t *)e.bytes() + e_off, ev.bytes(), e_off, (size_t)n,
                            (double *)PyArray_DATA((PyArrayObject *)years),
                            with_days ? (int64_t *)PyArray_DATA((PyArrayObject *)days) : nullptr,
                            (uint8_t *)PyArray_DATA((PyArrayObject *)valid));
    Py_END_ALLOW_THREADS
    if (nulls == 0) {
        Py_DECREF(valid);
        Py_INCREF(Py_None);
        valid = Py_None;
    }
    return Py_BuildValue("(NNLN)", years, valid, (long long)nulls, days);
}

PyObject *date_text_problem(PyObject *, PyObject *kind)
{
    long k = PyLong_AsLong(kind);
    if (k == -1 && PyErr_Occurred())
        return nullptr;
    return PyUnicode_FromString(tk_date_text_problem((int32_t)k));
}

PyMethodDef methods[] = {
    {"basis_code", basis_code, METH_O,
     "basis_code(text) -> int\n\nThe basis code (1 '30/360', 2 'ACT/ACT', 3 'ACT/360', "
     "4 'ACT/365', 5 'AGE') that the \"YRDIF\" rules give a str, or the \"YRDIF#\" rules "
     "give bytes; 0 when no rule accepts the text."},
    {"date_texts", date_texts, METH_O,
     "date_texts(array) -> (values, others, bad, kind)\n\nDate values of an array of "
     "texts, read as the yrdif command reads dates; see _core.cpp."},
    {"years_date32", years_date32, METH_VARARGS,
     "years_date32(code, codes, start, start_valid, start_offset, end, end_valid, end_offset, "
     "n, days) -> (years, valid, nulls, day_counts)\n\nYRDIF over Arrow date32 buffers; "
     "see _core.cpp."},
    {"date_text_problem", date_text_problem, METH_O,
     "date_text_problem(kind) -> str\n\nWhy a text of that reader's kind is no date."},
    {nullptr, nullptr, 0, nullptr}};

PyModuleDef module_def = {PyModuleDef_HEAD_INIT, "yrdif._core",
                          "The YRDIF engine as numpy ufuncs.", -1, methods,
                          nullptr, nullptr, nullptr, nullptr};

int add_ufunc(PyObject *m, PyUFuncGenericFunction *funcs, char *types, int nin,
              const char *name, const char *doc)
{
    PyObject *f = PyUFunc_FromFuncAndData(funcs, no_data, types, 1, nin, 1, PyUFunc_None,
                                          name, doc, 0);
    if (f == nullptr)
        return -1;
    return PyModule_AddObject(m, name, f) < 0 ? (Py_DECREF(f), -1) : 0;
}

} // namespace

PyMODINIT_FUNC PyInit__core(void)
{
    import_array();
    import_umath();
    PyObject *m = PyModule_Create(&module_def);
    if (m == nullptr)
        return nullptr;
    if (add_ufunc(m, years_funcs, years_types, 3, "years",
                  "years(start, end, code): YRDIF of date values under basis codes; "
                  "the missing value (a NaN) where YRDIF has no result.") < 0 ||
        add_ufunc(m, days_funcs, days_types, 3, "days",
                  "days(start, end, code): the engine's day counts; INT64_MIN where "
                  "YRDIF has no result.") < 0 ||
        add_ufunc(m, date_values_funcs, date_values_types, 1, "date_values",
                  "date_values(days): date values of proleptic Gregorian days from "
                  "1970-01-01, through the host calendar; INT64_MIN (NaT) and days "
                  "outside 1582..20000 or not in the calendar are missing.") < 0) {
        Py_DECREF(m);
        return nullptr;
    }
    return m;
}
