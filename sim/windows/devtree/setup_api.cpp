// The setup API's calls that ravlin makes on the disk drive class, answered
// from the world's device tree. Every argument is checked as ravlin must pass it
// (structure sizes, the class, the flags, the order of a property change), and
// a call that breaks that fails and is journalled as such.
#define _SETUPAPI_
#include <windows.h>

#include <setupapi.h>
#include <stdio.h>
#include <string.h>

#include "tree_link.h"

namespace {

// {4d36e967-e325-11ce-bfc1-08002be10318}, the disk drive setup class.
const GUID kDiskDriveClass = {0x4d36e967, 0xe325, 0x11ce, {0xbf, 0xc1, 0x08, 0x00, 0x2b, 0xe1, 0x03, 0x18}};

// The one kind of set there is; its address is its handle. `open` counts the
// sets handed out and not yet destroyed.
struct DiskSet {
    int open;
    // The class-install parameters set on each disk, which the class installer applies.
    bool has_params[SIM_MAX_DISK_INSTANCES];
    uint32_t state[SIM_MAX_DISK_INSTANCES];
    uint32_t scope[SIM_MAX_DISK_INSTANCES];
};
DiskSet g_set;

HDEVINFO set_handle() { return static_cast<HDEVINFO>(&g_set); }

bool fail(DWORD error) {
    SetLastError(error);
    return false;
}

// True for a set handed out and not destroyed; else the last error is set.
bool valid_set(HDEVINFO set) {
    if (set == set_handle() && g_set.open > 0) return true;
    return fail(ERROR_INVALID_HANDLE);
}

// The disk an enumeration filled `data` in for (*index), or false with the last error set.
bool disk_of(HDEVINFO set, const SP_DEVINFO_DATA* data, uint32_t* index) {
    if (!valid_set(set)) return false;
    if (data == nullptr) return fail(ERROR_INVALID_PARAMETER);
    if (data->cbSize != sizeof(SP_DEVINFO_DATA)) return fail(ERROR_INVALID_USER_BUFFER);
    if (data->DevInst == 0 || data->DevInst > DWORD(SIM_MAX_DISK_INSTANCES) ||
        memcmp(&data->ClassGuid, &kDiskDriveClass, sizeof kDiskDriveClass) != 0)
        return fail(ERROR_INVALID_PARAMETER);
    *index = data->DevInst - 1;
    return true;
}

// Answers `call` from the world: true for a result of 0, else false with the
// result (or, without the test driver, invalid handle) as the last error.
bool ask(SimTreeCall* call) {
    if (!tree_link_call(call)) return fail(ERROR_INVALID_HANDLE);
    return call->result == 0 || fail(call->result);
}

// " -> 1" or " -> 0 error N", for the journal.
const char* outcome(bool ok) {
    static char text[40];
    if (ok) return "1";
    snprintf(text, sizeof text, "0 error %lu", GetLastError());
    return text;
}

const char* disk_text(const SP_DEVINFO_DATA* data) {
    static char text[40];
    if (data == nullptr) return "null";
    snprintf(text, sizeof text, "disk %lu size %lu", data->DevInst, data->cbSize);
    return text;
}

const char* set_text(HDEVINFO set) {
    if (set == set_handle()) return "disks";
    return set == INVALID_HANDLE_VALUE ? "invalid" : "unknown";
}

}  // namespace

extern "C" HDEVINFO WINAPI SetupDiGetClassDevsA(const GUID* guid, PCSTR enumerator, HWND parent, DWORD flags) {
    bool disks = guid != nullptr && memcmp(guid, &kDiskDriveClass, sizeof kDiskDriveClass) == 0;
    bool ok = true;
    if (!disks || enumerator != nullptr || parent != nullptr || flags != DIGCF_PRESENT) {
        ok = fail(ERROR_INVALID_PARAMETER);
    } else {
        SimTreeCall call = {};
        call.op = SIM_TREE_LIST;
        ok = ask(&call);
    }
    if (ok) g_set.open++;
    tree_link_note("SetupDiGetClassDevsA(%s, %s, %s, 0x%lx) -> %s", disks ? "disk drives" : "another class",
                   enumerator == nullptr ? "null" : "an enumerator", parent == nullptr ? "null" : "a window", flags,
                   ok ? "disks" : outcome(false));
    return ok ? set_handle() : INVALID_HANDLE_VALUE;
}

extern "C" BOOL WINAPI SetupDiDestroyDeviceInfoList(HDEVINFO set) {
    bool ok = valid_set(set);
    if (ok && --g_set.open == 0) memset(&g_set, 0, sizeof g_set);
    tree_link_note("SetupDiDestroyDeviceInfoList(%s) -> %s", set_text(set), outcome(ok));
    return ok;
}

extern "C" BOOL WINAPI SetupDiEnumDeviceInfo(HDEVINFO set, DWORD member, PSP_DEVINFO_DATA data) {
    bool ok = valid_set(set);
    if (ok && data == nullptr) ok = fail(ERROR_INVALID_PARAMETER);
    if (ok && data->cbSize != sizeof(SP_DEVINFO_DATA)) ok = fail(ERROR_INVALID_USER_BUFFER);
    SimTreeCall call = {};
    call.op = SIM_TREE_LIST;
    if (ok) ok = ask(&call);
    if (ok && member >= call.value) ok = fail(ERROR_NO_MORE_ITEMS);
    if (ok) {
        data->ClassGuid = kDiskDriveClass;
        data->DevInst = member + 1;
        data->Reserved = 0;
    }
    tree_link_note("SetupDiEnumDeviceInfo(%s, %lu, %s) -> %s", set_text(set), member,
                   data == nullptr ? "null" : ok ? disk_text(data) : "not filled", outcome(ok));
    return ok;
}

extern "C" BOOL WINAPI SetupDiGetDeviceInstanceIdA(HDEVINFO set, PSP_DEVINFO_DATA data, PSTR id, DWORD size,
                                                   PDWORD required) {
    uint32_t index = 0;
    bool ok = disk_of(set, data, &index);
    if (ok && id == nullptr && size != 0) ok = fail(ERROR_INVALID_PARAMETER);
    SimTreeCall call = {};
    call.op = SIM_TREE_INSTANCE_ID;
    call.index = index;
    call.size = size;
    if (ok) ok = ask(&call);
    if (ok) {
        size_t length = strnlen(call.text, sizeof call.text - 1);
        if (length >= size) {
            ok = fail(ERROR_INSUFFICIENT_BUFFER);  // the driver said it fits: never write past `size`
        } else {
            memcpy(id, call.text, length + 1);
            if (required != nullptr) *required = DWORD(length + 1);
        }
    }
    tree_link_note("SetupDiGetDeviceInstanceIdA(%s, %s, %lu, %s) -> %s%s%s%s", set_text(set), disk_text(data), size,
                   required == nullptr ? "null" : "required", outcome(ok), ok ? " \"" : "", ok ? id : "",
                   ok ? "\"" : "");
    return ok;
}

extern "C" BOOL WINAPI SetupDiSetClassInstallParamsA(HDEVINFO set, PSP_DEVINFO_DATA data,
                                                     PSP_CLASSINSTALL_HEADER header, DWORD size) {
    uint32_t index = 0;
    bool ok = disk_of(set, data, &index);
    const SP_PROPCHANGE_PARAMS* params = reinterpret_cast<const SP_PROPCHANGE_PARAMS*>(header);
    if (ok && header == nullptr) ok = fail(ERROR_INVALID_PARAMETER);
    if (ok && header->cbSize != sizeof(SP_CLASSINSTALL_HEADER)) ok = fail(ERROR_INVALID_USER_BUFFER);
    if (ok && (header->InstallFunction != DIF_PROPERTYCHANGE || size != sizeof(SP_PROPCHANGE_PARAMS)))
        ok = fail(ERROR_INVALID_PARAMETER);
    if (ok && params->HwProfile != 0) ok = fail(ERROR_INVALID_PARAMETER);  // 0: the current profile
    SimTreeCall call = {};
    call.op = SIM_TREE_CLASS_PARAMS;
    call.index = index;
    if (ok) {
        call.state = params->StateChange;
        call.scope = params->Scope;
        ok = ask(&call);
    }
    if (ok) {
        g_set.has_params[index] = true;
        g_set.state[index] = call.state;
        g_set.scope[index] = call.scope;
    }
    if (header != nullptr && size >= sizeof(SP_PROPCHANGE_PARAMS))
        tree_link_note("SetupDiSetClassInstallParamsA(%s, %s, header %lu function 0x%x state %lu scope %lu "
                       "profile %lu, %lu) -> %s",
                       set_text(set), disk_text(data), header->cbSize, unsigned(header->InstallFunction),
                       params->StateChange, params->Scope, params->HwProfile, size, outcome(ok));
    else
        tree_link_note("SetupDiSetClassInstallParamsA(%s, %s, %s, %lu) -> %s", set_text(set), disk_text(data),
                       header == nullptr ? "null" : "short", size, outcome(ok));
    return ok;
}

extern "C" BOOL WINAPI SetupDiCallClassInstaller(DI_FUNCTION function, HDEVINFO set, PSP_DEVINFO_DATA data) {
    uint32_t index = 0;
    bool ok = function == DIF_PROPERTYCHANGE || fail(ERROR_INVALID_PARAMETER);
    if (ok) ok = disk_of(set, data, &index);
    // A property change without its parameters has nothing to apply.
    if (ok && !g_set.has_params[index]) ok = fail(ERROR_INVALID_PARAMETER);
    SimTreeCall call = {};
    call.op = SIM_TREE_CALL_INSTALLER;
    call.index = index;
    if (ok) {
        call.state = g_set.state[index];
        call.scope = g_set.scope[index];
        ok = ask(&call);
    }
    tree_link_note("SetupDiCallClassInstaller(0x%x, %s, %s) -> %s", unsigned(function), set_text(set),
                   disk_text(data), outcome(ok));
    return ok;
}

extern "C" BOOL WINAPI SetupDiGetDeviceInstallParamsA(HDEVINFO set, PSP_DEVINFO_DATA data,
                                                      PSP_DEVINSTALL_PARAMS_A params) {
    uint32_t index = 0;
    bool ok = disk_of(set, data, &index);
    if (ok && params == nullptr) ok = fail(ERROR_INVALID_PARAMETER);
    if (ok && params->cbSize != sizeof(SP_DEVINSTALL_PARAMS_A)) ok = fail(ERROR_INVALID_USER_BUFFER);
    SimTreeCall call = {};
    call.op = SIM_TREE_INSTALL_FLAGS;
    call.index = index;
    if (ok) ok = ask(&call);
    if (ok) {
        memset(params, 0, sizeof *params);
        params->cbSize = sizeof *params;
        params->Flags = call.value;
    }
    tree_link_note("SetupDiGetDeviceInstallParamsA(%s, %s, size %lu) -> %s flags 0x%lx", set_text(set),
                   disk_text(data), params == nullptr ? 0ul : params->cbSize, outcome(ok), ok ? call.value : 0ul);
    return ok;
}
