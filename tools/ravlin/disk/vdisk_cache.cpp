// The volume-name cache file. Every operation works on one in-memory view of the
// file (its existence, its text, the parsed document): outside a listing pass each
// save or load reads the file afresh and a save writes it back at once; inside a
// pass the view is read once and written once at the end. The log lines come from
// the view alone, so both ways log the same and leave the same bytes.
#include "vdisk_cache.h"

#include <assert.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <string>
#include <unordered_map>

#include "activity_log.h"
#include "disk_identity.h"
#include "platform.h"

namespace {

// The name the log gives the file on every build.
constexpr char kCacheFileName[] = "C:\\Windows\\System32\\ravlindsm_config.json";

// Where each wwid first stands in the document's "disk" array, so that a pass over
// thousands of devices finds each one without walking the array again.
struct EntryIndex {
    bool built;
    int count;                 // entries of the array indexed so far
    int first_non_object;      // position of the first entry that is not an object; -1 none
    const cJSON* non_object;   // that entry
    std::unordered_map<std::string, std::pair<int, cJSON*>> first;  // wwid -> (position, entry)
};

struct CacheView {
    bool loaded;         // the file has been read into this view
    bool exists;         // a file is there
    bool readable;       // ... and could be opened for reading
    bool empty;          // ... and nothing could be read from it
    bool seek_failed;    // its size could not be had by seeking to its end
    bool no_memory;      // it could not be held in memory
    char* text;          // its bytes and a NUL (malloc'ed; kept only while doc is null)
    size_t error_offset; // where the parser stopped in `text`
    cJSON* document;     // the parsed text, or nullptr when it did not parse
    bool dirty;          // the document differs from the file: write it back
    EntryIndex index;    // of document's "disk" array, built on the first search
};

CacheView g_view;
int g_pass_depth;

void view_clear(CacheView* v) {
    free(v->text);
    cJSON_Delete(v->document);
    *v = CacheView{};
}

// Adds the entry at `position` of the array to the index.
void index_add(EntryIndex* x, int position, cJSON* entry) {
    x->count = position + 1;
    if (!cJSON_IsObject(entry)) {
        if (x->first_non_object < 0) {
            x->first_non_object = position;
            x->non_object = entry;
        }
        return;
    }
    const cJSON* wwid = cJSON_GetObjectItem(entry, "wwid");
    if (cJSON_IsString(wwid)) x->first.emplace(wwid->valuestring, std::make_pair(position, entry));
}

// The index of `disks` (the document's "disk" array), built once per view.
EntryIndex* view_index(CacheView* v, cJSON* disks) {
    EntryIndex* x = &v->index;
    if (x->built) return x;
    x->built = true;
    x->count = 0;
    x->first_non_object = -1;
    x->non_object = nullptr;
    int position = 0;
    cJSON* entry;
    cJSON_ArrayForEach(entry, disks) index_add(x, position++, entry);
    return x;
}

// The whole file as a NUL-terminated malloc'ed text (*size bytes read), or nullptr.
char* read_whole_file(FILE* f, size_t* size, bool* seek_failed) {
    long length = -1;
    *seek_failed = fseek(f, 0, SEEK_END) != 0;
    if (!*seek_failed) length = ftell(f);
    rewind(f);
    if (length < 0) length = 0;
    char* text = static_cast<char*>(malloc(size_t(length) + 1));
    if (text == nullptr) return nullptr;
    *size = fread(text, 1, size_t(length), f);
    text[*size] = '\0';
    return text;
}

// Reads the file into the view, once per view.
void view_load(CacheView* v) {
    if (v->loaded) return;
    v->loaded = true;
    const char* path = platform_cache_path();
    v->exists = platform_file_exists(path);
    if (!v->exists) return;
    FILE* f = fopen(path, "rb");
    if (f == nullptr) return;
    size_t size = 0;
    v->text = read_whole_file(f, &size, &v->seek_failed);
    fclose(f);
    v->readable = true;
    if (v->text == nullptr) {
        v->no_memory = true;
        return;
    }
    v->empty = size == 0;
    if (v->empty) return;
    v->document = cJSON_ParseWithOpts(v->text, nullptr, 0);
    if (v->document != nullptr) {
        free(v->text);
        v->text = nullptr;
        return;
    }
    const char* stop = cJSON_GetErrorPtr();
    size_t length = strlen(v->text);
    v->error_offset = stop != nullptr && stop >= v->text && stop <= v->text + length ? size_t(stop - v->text) : 0;
}

// Writes a dirty view back in one piece, through a temporary file and a rename.
// Returns true when the file holds the document.
bool view_store(CacheView* v) {
    if (!v->dirty) return true;
    v->dirty = false;
    char* printed = cJSON_Print(v->document);
    if (printed == nullptr) return false;
    bool ok = platform_replace_file(platform_cache_path(), printed, strlen(printed));
    free(printed);
    return ok;
}

// The one-entry document of a new file: what the template gives for ordinary
// texts, and correctly escaped for any other. Caller deletes; nullptr when out of memory.
cJSON* new_vdisk_document(const char* wwid, const char* vdisk_name) {
    cJSON* document = cJSON_CreateObject();
    cJSON* disks = cJSON_AddArrayToObject(document, "disk");
    cJSON* entry = cJSON_CreateObject();
    if (disks == nullptr || entry == nullptr || !cJSON_AddItemToArray(disks, entry)) {
        cJSON_Delete(entry);
        cJSON_Delete(document);
        return nullptr;
    }
    if (cJSON_AddStringToObject(entry, "wwid", wwid) == nullptr ||
        cJSON_AddStringToObject(entry, "vdisk_name", vdisk_name) == nullptr) {
        cJSON_Delete(document);
        return nullptr;
    }
    return document;
}

// The view now holds a new one-entry file.
void view_create(CacheView* v, const char* wwid, const char* vdisk_name) {
    cJSON* document = new_vdisk_document(wwid, vdisk_name);
    if (document == nullptr) return;
    free(v->text);
    v->text = nullptr;
    cJSON_Delete(v->document);
    v->document = document;
    v->index = EntryIndex{};
    v->exists = true;
    v->readable = true;
    v->empty = false;
    v->seek_failed = false;
    v->no_memory = false;
    v->dirty = true;
}

// The matching entry at `position` decides: logs and applies a changed name.
void take_name(cJSON* entry, int position, cJSON* name_item, int* found, int* changed, int* index) {
    const cJSON* entry_wwid = cJSON_GetObjectItem(entry, "wwid");
    const cJSON* old_name = cJSON_GetObjectItem(entry, "vdisk_name");
    if (cJSON_IsString(old_name) && strcmp(old_name->valuestring, name_item->valuestring) != 0) {
        const char* old_text = old_name->valuestring;
        const char* new_text = name_item->valuestring;
        assert(new_text[0] != '\0');  // save_vdisk_name refuses an empty name before the search
        if (old_text[0] == '\0')
            write_activity_log("device (%s) ,vdisk name need change from (NULL) to (%s).\n",
                               entry_wwid->valuestring, new_text);
        else
            write_activity_log("device (%s) ,vdisk name need change from (%s) to (%s).\n",
                               entry_wwid->valuestring, old_text, new_text);
        cJSON_ReplaceItemInObject(entry, "vdisk_name", name_item);
        *changed = 1;
        *index = position;
    }
    *found = 1;
}

// An entry that is not an object ends the search; it is logged by its key.
void log_non_object(const cJSON* entry) {
    // An array element has no key of its own; the runtime's word for that.
    write_activity_log("Invalid JSON format for json property %s\n",
                       entry->string != nullptr ? entry->string : "(null)");
}

// find_vdisk_entry over the view's index: the same outcome and log lines as the
// walk in array order, without the walk.
void find_indexed_entry(CacheView* v, const char* wwid, cJSON* name_item, int* found, int* changed, int* index) {
    *found = 0;
    *changed = 0;
    cJSON* disks = cJSON_GetObjectItem(v->document, "disk");
    if (!cJSON_IsArray(disks) || disks->child == nullptr) return;
    const EntryIndex* x = view_index(v, disks);
    auto hit = x->first.find(wwid);
    int position = hit != x->first.end() ? hit->second.first : x->count;
    if (x->first_non_object >= 0 && x->first_non_object < position) {
        log_non_object(x->non_object);
        return;
    }
    if (hit != x->first.end()) take_name(hit->second.second, position, name_item, found, changed, index);
}

void view_save(CacheView* v, const char* wwid, const char* vdisk_name) {
    view_load(v);
    if (!v->exists) {
        view_create(v, wwid, vdisk_name);
        return;
    }
    if (!v->readable) return;
    if (v->no_memory) return;
    if (v->document == nullptr) {  // empty or unreadable text
        view_create(v, wwid, vdisk_name);
        return;
    }
    cJSON* name_item = cJSON_CreateString(vdisk_name);
    if (name_item == nullptr) return;
    int found = 0;
    int changed = 0;
    int index = -1;
    // Device by device the array is walked as it stands; a pass asks its index.
    if (g_pass_depth > 0)
        find_indexed_entry(v, wwid, name_item, &found, &changed, &index);
    else
        find_vdisk_entry(v->document, wwid, name_item, &found, &changed, &index);
    if (changed) {
        v->dirty = true;  // the document now owns name_item
        return;
    }
    cJSON_Delete(name_item);
    if (found) return;
    cJSON* disks = cJSON_GetObjectItem(v->document, "disk");
    if (cJSON_IsArray(disks)) {
        cJSON* entry = cJSON_CreateObject();
        if (entry == nullptr) return;
        cJSON_AddStringToObject(entry, "wwid", wwid);
        cJSON_AddStringToObject(entry, "vdisk_name", vdisk_name);
        cJSON_AddItemToArray(disks, entry);
        if (v->index.built) index_add(&v->index, v->index.count, entry);
    }
    v->dirty = true;
}

void view_find_name(CacheView* v, const char* wwid, char* vdisk_name, int* found) {
    view_load(v);
    if (!v->exists || !v->readable) {
        write_activity_log("Error can't open file %s.\n", kCacheFileName);
        return;
    }
    if (v->seek_failed) write_activity_log("fseek failed!\n");
    if (v->no_memory) {
        write_activity_log("malloc failed!\n");
        return;
    }
    const cJSON* document = v->document;
    if (document == nullptr) {
        const char* text = v->text != nullptr ? v->text : "";
        if (v->empty) write_activity_log("fread Error from file %s.\n", kCacheFileName);
        write_activity_log("Error before: [%s].\n", text + v->error_offset);
        return;
    }
    if (!cJSON_IsObject(document)) {
        write_activity_log("Invalid JSON format for %s file.\n", kCacheFileName);
        return;
    }
    const cJSON* disks = cJSON_GetObjectItem(document, "disk");
    if (!cJSON_IsArray(disks)) {
        const char* key = disks != nullptr && disks->string != nullptr ? disks->string : "disk";
        write_activity_log("Invalid JSON format for json property %s.\n", key);
        return;
    }
    // The first object entry holding the wwid; entries of other kinds are passed over.
    const cJSON* entry = nullptr;
    if (g_pass_depth > 0) {
        const EntryIndex* x = view_index(v, const_cast<cJSON*>(disks));
        auto hit = x->first.find(wwid);
        if (hit != x->first.end()) entry = hit->second.second;
    } else {
        const cJSON* e;
        cJSON_ArrayForEach(e, disks) {
            const cJSON* entry_wwid = cJSON_IsObject(e) ? cJSON_GetObjectItem(e, "wwid") : nullptr;
            if (cJSON_IsString(entry_wwid) && strcmp(entry_wwid->valuestring, wwid) == 0) {
                entry = e;
                break;
            }
        }
    }
    if (entry == nullptr) return;
    const cJSON* name = cJSON_GetObjectItem(entry, "vdisk_name");
    if (cJSON_IsString(name)) {
        memset(vdisk_name, 0, kVdiskNameSize);
        strncpy(vdisk_name, name->valuestring, kVdiskNameSize - 1);
    }
    *found = 1;
}

}  // namespace

void find_vdisk_entry(cJSON* document, const char* wwid, cJSON* name_item, int* found, int* changed, int* index) {
    *found = 0;
    *changed = 0;
    cJSON* disks = cJSON_GetObjectItem(document, "disk");
    if (!cJSON_IsArray(disks) || disks->child == nullptr) return;
    int j = 0;
    cJSON* entry;
    cJSON_ArrayForEach(entry, disks) {
        if (!cJSON_IsObject(entry)) {
            log_non_object(entry);
            return;
        }
        const cJSON* entry_wwid = cJSON_GetObjectItem(entry, "wwid");
        if (cJSON_IsString(entry_wwid) && strcmp(entry_wwid->valuestring, wwid) == 0) {
            take_name(entry, j, name_item, found, changed, index);
            return;
        }
        j++;
    }
}

void save_vdisk_name(const char* wwid, const char* vdisk_name) {
    bool no_wwid = wwid == nullptr || wwid[0] == '\0';
    bool no_name = vdisk_name == nullptr || vdisk_name[0] == '\0';
    if (no_wwid) write_activity_log("Failed to save wwid, because wwid is null.\n");
    if (no_name) write_activity_log("Failed to save vdiskname, because vdiskname is null.\n");
    if (no_wwid || no_name) return;
    view_save(&g_view, wwid, vdisk_name);
    if (g_pass_depth == 0) {
        view_store(&g_view);
        view_clear(&g_view);
    }
}

void load_vdisk_name(const char* wwid, char* vdisk_name, int* found) {
    view_find_name(&g_view, wwid != nullptr ? wwid : "", vdisk_name, found);
    if (g_pass_depth == 0) view_clear(&g_view);
}

bool vdisk_cache_lookup(const char* wwid, char* vdisk_name) {
    CacheView* v = &g_view;
    view_load(v);
    const cJSON* disks = cJSON_IsObject(v->document) ? cJSON_GetObjectItem(v->document, "disk") : nullptr;
    const cJSON* name = nullptr;
    if (cJSON_IsArray(disks)) {
        const EntryIndex* x = view_index(v, const_cast<cJSON*>(disks));
        auto hit = x->first.find(wwid);
        if (hit != x->first.end()) name = cJSON_GetObjectItem(hit->second.second, "vdisk_name");
    }
    bool found = cJSON_IsString(name);
    if (found) {
        memset(vdisk_name, 0, kVdiskNameSize);
        strncpy(vdisk_name, name->valuestring, kVdiskNameSize - 1);
    }
    if (g_pass_depth == 0) view_clear(v);
    return found;
}

void vdisk_cache_begin_pass() { g_pass_depth++; }

bool vdisk_cache_file_exists() {
    if (g_pass_depth > 0 && g_view.loaded) return g_view.exists;
    return platform_file_exists(platform_cache_path());
}

void vdisk_cache_end_pass() {
    if (g_pass_depth == 0) return;
    if (--g_pass_depth > 0) return;
    view_store(&g_view);
    view_clear(&g_view);
}
