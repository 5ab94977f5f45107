// Loading a library and looking a function up on Windows (fenmar's hbaapi.dll).
// fenmar compiles this file on its own: it must need nothing else of the layer.
#include <windows.h>

#include "platform.h"

const char* platform_hba_library_name() { return "hbaapi.dll"; }

PlatformLibrary platform_load_library(const char* name) {
    return PlatformLibrary{reinterpret_cast<uintptr_t>(LoadLibraryA(name))};
}

void* platform_library_function(PlatformLibrary library, const char* name) {
    if (library.value == 0) return nullptr;
    return reinterpret_cast<void*>(GetProcAddress(reinterpret_cast<HMODULE>(library.value), name));
}

void platform_free_library(PlatformLibrary library) {
    if (library.value != 0) FreeLibrary(reinterpret_cast<HMODULE>(library.value));
}
