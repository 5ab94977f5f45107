// What the fuzz targets of the machine-output writers check every document by: it
// parses back (cJSON), and each driver text in it decodes to exactly the bytes of its
// field up to the first NUL, never more than the field holds.
#pragma once

#include <stdlib.h>
#include <string.h>

#include <cJSON.h>

#include <string>

#include "dsm_interface.h"

// A writer's sink that keeps what it is given in a std::string.
inline void append_to_string(void* context, const char* bytes, size_t count) {
    static_cast<std::string*>(context)->append(bytes, count);
}

// The bytes a decoded JSON string stands for (each code point one byte), or false
// when a code point above U+00FF or broken UTF-8 shows up.
inline bool bytes_of(const char* utf8, std::string* out) {
    out->clear();
    for (const unsigned char* p = reinterpret_cast<const unsigned char*>(utf8); *p != 0; p++) {
        if (*p < 0x80) {
            out->push_back(char(*p));
        } else if ((*p == 0xC2 || *p == 0xC3) && (p[1] & 0xC0) == 0x80) {
            out->push_back(char(((*p & 0x03) << 6) | (p[1] & 0x3F)));
            p++;
        } else {
            return false;
        }
    }
    return true;
}

// The member `key` of `object` is the text of `field` (size bytes) up to its first NUL.
inline void check_text(const cJSON* object, const char* key, const char* field, size_t size) {
    const cJSON* item = cJSON_GetObjectItemCaseSensitive(object, key);
    if (!cJSON_IsString(item)) abort();
    std::string bytes;
    if (!bytes_of(item->valuestring, &bytes)) abort();
    size_t length = strnlen(field, size);
    // cJSON stops at an escaped NUL; the writer never emits one, as a field ends there.
    if (bytes.size() != length || memcmp(bytes.data(), field, length) != 0) abort();
}

// An entry of a device document's "paths": its number names a path of the record,
// and its adapter and disk texts are that path's. Returns that path.
inline const DSM_PATH_ENTRY* check_path_entry(const cJSON* path, const DSM_DEVICE_RECORD* r) {
    const cJSON* number = cJSON_GetObjectItemCaseSensitive(path, "number");
    if (!cJSON_IsNumber(number) || number->valueint < 0 || number->valueint >= DSM_MAX_PATHS) abort();
    const DSM_PATH_ENTRY* p = &r->Paths[number->valueint];
    check_text(path, "adapter", p->AdapterName, sizeof p->AdapterName);
    check_text(path, "disk", p->DiskName, sizeof p->DiskName);
    return p;
}
