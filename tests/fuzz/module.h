// module.h - the module loaded and started as the yrdif command loads it
// (the stand-in host's kernel, start-up calls and all), for the fuzz
// targets that hold the bindings' engine, compiled into them, against it.
#pragma once

#include "loader.h"
#include "standin.h"

struct LoadedModule {
    tkhost::Kernel kernel;
    tkhost::MessageService messages;
    tkhost::Module module{TKYRDIF_MODULE};
    tkhost::Extension extension{module, kernel, &messages};
};

template <class F>
F module_function(const char *name)
{
    static const LoadedModule *loaded = new LoadedModule();
    return loaded->module.fn<F>(name);
}
