/*
 * handle.cpp - the kernel handle global and the two calls that set it.
 *
 * Exported_TKHandle is null at load, written by tkextver and tkextent, and
 * never cleared; the last call wins.  It is the module's only mutable
 * global: the host sets it before any call that reads it.
 */
#include "tkyrdif.h"

void *Exported_TKHandle = nullptr;

int32_t tkextent(void *kernel)
{
    Exported_TKHandle = kernel;
    return 0;
}

/* Reports interface version 7.1, then takes the handle. */
int32_t tkextver(void *kernel, int64_t *major, int64_t *minor)
{
    *major = 7;
    *minor = 1;
    return tkextent(kernel);
}
