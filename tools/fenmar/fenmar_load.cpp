// Loading the HBA library and binding its ten functions by name.
#include <stdio.h>

#include "fenmar.h"
#include "output_policy.h"
#include "platform.h"

namespace {

// Binds one function; false when the library lacks it.
template <typename F>
bool bind(PlatformLibrary library, const char* name, F* out) {
    *out = reinterpret_cast<F>(platform_library_function(library, name));
    return *out != nullptr;
}

// Binds all ten in the API's order; returns the name of the first missing one,
// or nullptr when all are there.
const char* bind_all(PlatformLibrary library, HbaFunctions* f) {
    if (!bind(library, "HBA_GetVersion", &f->get_version)) return "HBA_GetVersion";
    if (!bind(library, "HBA_LoadLibrary", &f->load_library)) return "HBA_LoadLibrary";
    if (!bind(library, "HBA_GetNumberOfAdapters", &f->number_of_adapters)) return "HBA_GetNumberOfAdapters";
    if (!bind(library, "HBA_GetAdapterName", &f->adapter_name)) return "HBA_GetAdapterName";
    if (!bind(library, "HBA_OpenAdapter", &f->open_adapter)) return "HBA_OpenAdapter";
    if (!bind(library, "HBA_GetAdapterAttributes", &f->adapter_attributes)) return "HBA_GetAdapterAttributes";
    if (!bind(library, "HBA_GetAdapterPortAttributes", &f->port_attributes)) return "HBA_GetAdapterPortAttributes";
    if (!bind(library, "HBA_GetDiscoveredPortAttributes", &f->discovered_attributes))
        return "HBA_GetDiscoveredPortAttributes";
    if (!bind(library, "HBA_FreeLibrary", &f->free_library)) return "HBA_FreeLibrary";
    if (!bind(library, "HBA_CloseAdapter", &f->close_adapter)) return "HBA_CloseAdapter";
    return nullptr;
}

}  // namespace

void fenmar_run(FenmarMode mode) {
    PlatformLibrary library = platform_load_library(platform_hba_library_name());
    if (library.value == 0) {
        put_out("Fenmar: Failed to get HBAAPI.DLL on the system\n");
        return;
    }
    HbaFunctions hba = {};
    const char* missing = bind_all(library, &hba);
    if (missing != nullptr) {
        print_out("Fenmar: Cannot get the procedure %s.\n", missing);
        platform_free_library(library);
        return;
    }
    if (mode == FENMAR_DEBUG) put_out("\n***********Library Loaded*****\n");
    if (hba.load_library() != HBA_STATUS_OK) {
        put_out("Fenmar: Cannot Load the Library.\n");
        platform_free_library(library);
        return;
    }
    fenmar_list_adapters(&hba, mode);
    hba.free_library();
    platform_free_library(library);
}
