// Loading a library and looking a function up on Linux (fenmar's HBA library).
// fenmar compiles this file on its own: it must need nothing else of the layer.
#include <dlfcn.h>
#include <stdlib.h>

#include "platform.h"

const char* platform_hba_library_name() {
    // The SNIA common library, which loads the vendor libraries of /etc/hba.conf.
    const char* named = getenv("FENMAR_HBA_LIBRARY");
    return named != nullptr && named[0] != '\0' ? named : "libHBAAPI.so.2";
}

PlatformLibrary platform_load_library(const char* name) {
    return PlatformLibrary{reinterpret_cast<uintptr_t>(dlopen(name, RTLD_NOW | RTLD_LOCAL))};
}

void* platform_library_function(PlatformLibrary library, const char* name) {
    if (library.value == 0) return nullptr;
    return dlsym(reinterpret_cast<void*>(library.value), name);
}

void platform_free_library(PlatformLibrary library) {
    if (library.value != 0) dlclose(reinterpret_cast<void*>(library.value));
}
