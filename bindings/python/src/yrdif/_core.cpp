/*
 * _core.cpp - the engine as numpy ufuncs, and the basis parsers for Python
 * texts.  The Python layer (yrdif/__init__.py) converts dates and bases and
 * dispatches pandas and Dask inputs; everything per element happens here.
 *
 *   years(start, end, code)  float64, float64, int32 -> float64
 *   days(start, end, code)   float64, float64, int32 -> int64 (INT64_MIN missing)
 *   date_values(epoch_days)  int64 -> float64 (NaT, INT64_MIN, is missing)
 *   basis_code(text)         str ("YRDIF" rules) or bytes ("YRDIF#") -> int
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

#include "column.h"

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

/* Missing dates are NaNs and are compared on purpose; the invalid-operation
 * flag such a comparison raises is no error here, so it is cleared before
 * numpy reads the flags and warns. */
template <void (*Body)(char **, const npy_intp *, const npy_intp *)>
void loop(char **args, const npy_intp *dims, const npy_intp *steps, void *)
{
    Body(args, dims, steps);
    feclearexcept(FE_INVALID);
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
        Py_ssize_t len = PyUnicode_GetLength(text);
        if (len < 0)
            return nullptr;
        /* The parser reads at most 256 characters. */
        Py_UCS4 buf[256];
        Py_ssize_t n = len < 256 ? len : 256;
        if (n > 0 && PyUnicode_AsUCS4(text, buf, n, 0) == nullptr)
            return nullptr;
        static_assert(sizeof(Py_UCS4) == sizeof(uint32_t));
        return PyLong_FromLong(tk_basis_utf32((const uint32_t *)buf, (size_t)n));
    }
    if (PyBytes_Check(text)) {
        return PyLong_FromLong(tk_basis_bytes((const uint8_t *)PyBytes_AS_STRING(text),
                                              (size_t)PyBytes_GET_SIZE(text)));
    }
    PyErr_Format(PyExc_TypeError, "a basis is str or bytes, not %.100s",
                 Py_TYPE(text)->tp_name);
    return nullptr;
}

PyMethodDef methods[] = {
    {"basis_code", basis_code, METH_O,
     "basis_code(text) -> int\n\nThe basis code (1 '30/360', 2 'ACT/ACT', 3 'ACT/360', "
     "4 'ACT/365', 5 'AGE') that the \"YRDIF\" rules give a str, or the \"YRDIF#\" rules "
     "give bytes; 0 when no rule accepts the text."},
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
