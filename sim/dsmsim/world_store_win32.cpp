// dsmsim's world store on Windows: the test driver itself, reached through the
// private requests of its simulator device. The world there is the one that
// ravlin's requests are answered from, so a load here is seen by the next run.
// Tests run one program at a time; nothing stops a ravlin from changing the
// world between a read and a write of the same session.
#include <windows.h>

#include <stdio.h>
#include <stdlib.h>

#include "../windows/driver/sim_control.h"
#include "world_store.h"

namespace {

HANDLE g_device = INVALID_HANDLE_VALUE;

bool fail(char* error, size_t size, const char* what, DWORD code) {
    snprintf(error, size, "%s %s failed with error %lu (is the test driver ravlindsm running?)", what,
             RAVLINSIM_DEVICE_PATH, static_cast<unsigned long>(code));
    return false;
}

}  // namespace

bool store_open(char* error, size_t size) {
    if (g_device != INVALID_HANDLE_VALUE) return true;
    g_device = CreateFileA(RAVLINSIM_DEVICE_PATH, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0,
                           nullptr);
    if (g_device == INVALID_HANDLE_VALUE) return fail(error, size, "opening", GetLastError());
    return true;
}

bool store_read_world(SimWorld* world, char* error, size_t size) {
    if (!store_open(error, size)) return false;
    DWORD returned = 0;
    if (!DeviceIoControl(g_device, RAVLINSIM_READ_WORLD, nullptr, 0, world, sizeof *world, &returned, nullptr))
        return fail(error, size, "reading the world from", GetLastError());
    if (returned != sizeof *world) {
        snprintf(error, size, "the test driver returned %lu bytes of world, expected %lu",
                 static_cast<unsigned long>(returned), static_cast<unsigned long>(sizeof *world));
        return false;
    }
    return true;
}

bool store_write_world(const SimWorld* world, char* error, size_t size) {
    if (!store_open(error, size)) return false;
    DWORD returned = 0;
    // The driver takes a world of exactly its own size (error 24 otherwise): a
    // driver left over from another build says so instead of misreading it.
    if (!DeviceIoControl(g_device, RAVLINSIM_LOAD_WORLD, const_cast<SimWorld*>(world), sizeof *world, nullptr, 0,
                         &returned, nullptr))
        return fail(error, size, "loading the world into", GetLastError());
    return true;
}

namespace {

// One of the driver's text journals, read whole (malloc'ed; the caller frees it).
char* read_text_journal(DWORD code, DWORD room, const char* what, char* error, size_t size) {
    if (!store_open(error, size)) return nullptr;
    char* text = static_cast<char*>(malloc(room + 1));
    if (text == nullptr) {
        snprintf(error, size, "out of memory");
        return nullptr;
    }
    DWORD returned = 0;
    if (!DeviceIoControl(g_device, code, nullptr, 0, text, room, &returned, nullptr)) {
        free(text);
        fail(error, size, what, GetLastError());
        return nullptr;
    }
    text[returned <= room ? returned : 0] = '\0';
    return text;
}

bool clear_text_journal(DWORD code, const char* what, char* error, size_t size) {
    if (!store_open(error, size)) return false;
    DWORD returned = 0;
    if (!DeviceIoControl(g_device, code, nullptr, 0, nullptr, 0, &returned, nullptr))
        return fail(error, size, what, GetLastError());
    return true;
}

}  // namespace

char* store_read_hba_journal(char* error, size_t size) {
    return read_text_journal(RAVLINSIM_HBA_JOURNAL, RAVLINSIM_HBA_JOURNAL_SIZE, "reading the HBA journal from", error,
                             size);
}

bool store_clear_hba_journal(char* error, size_t size) {
    return clear_text_journal(RAVLINSIM_HBA_CLEAR, "clearing the HBA journal of", error, size);
}

char* store_read_tree_journal(char* error, size_t size) {
    return read_text_journal(RAVLINSIM_TREE_JOURNAL, RAVLINSIM_TREE_JOURNAL_SIZE,
                             "reading the device tree's journal from", error, size);
}

bool store_clear_tree_journal(char* error, size_t size) {
    return clear_text_journal(RAVLINSIM_TREE_CLEAR, "clearing the device tree's journal of", error, size);
}

void store_close() {
    if (g_device == INVALID_HANDLE_VALUE) return;
    CloseHandle(g_device);
    g_device = INVALID_HANDLE_VALUE;
}
