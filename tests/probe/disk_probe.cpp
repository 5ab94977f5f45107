// Runs the disk-identity and volume-name-cache operations named by its words, in
// order, and prints what each returned, so the program-level cases can drive them
// before a command of ravlin does:
//   open                 open the control device (as a command would first)
//   page00 PATH          get_disk_00_page
//   paged0 PATH          get_disk_d0_page (the field starts as "unchanged")
//   save WWID NAME       save_vdisk_name
//   load WWID            load_vdisk_name
//   begin | end          vdisk_cache_begin_pass / vdisk_cache_end_pass
//   churn WWID N         N saves of WWID alternating the names "A" and "B", each
//                        reported by a line "saved" once it is complete
//   churn-in-place WWID N  the same rewrites done wrongly, over the file in place:
//                        the control that shows the crash test can see a loss
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "activity_log.h"
#include "control_device.h"
#include "disk_identity.h"
#include "invocation_settings.h"
#include "platform.h"
#include "vdisk_cache.h"

namespace {

void page00(const char* path) {
    char cells[kVpdCellMax][3];
    memset(cells, 'x', sizeof cells);
    int32_t count = -7;
    int32_t result = get_disk_00_page(path, cells, &count);
    printf("page00 %s -> %d count=%d cells=", path, result, count);
    for (int32_t i = 0; result == 0 && i < count && i < kVpdCellMax; i++)
        printf("%s%.3s", i ? " " : "", cells[i][2] == '\0' ? cells[i] : "BAD");
    printf("\n");
}

void paged0(const char* path) {
    char name[kVdiskNameSize];
    memset(name, 0, sizeof name);
    strcpy(name, "unchanged");
    int32_t result = get_disk_d0_page(path, name);
    printf("paged0 %s -> %d name=[%.*s]\n", path, result, kVdiskNameSize, name);
}

// Saves WWID's name n times, alternating "A" and "B"; reports each completed save, so
// whoever kills this process knows whether the kill can have landed in a rewrite.
void churn(const char* wwid, long n) {
    for (long k = 0; k < n; k++) {
        save_vdisk_name(wwid, k % 2 ? "B" : "A");
        printf("saved\n");
        fflush(stdout);
    }
}

// Reads a whole file into a new buffer (the caller frees it); nullptr when it cannot.
char* read_whole(const char* path, long* size) {
    FILE* f = fopen(path, "rb");
    if (!f) return nullptr;
    char* data = nullptr;
    if (fseek(f, 0, SEEK_END) == 0 && (*size = ftell(f)) > 0 && fseek(f, 0, SEEK_SET) == 0) {
        data = static_cast<char*>(malloc(size_t(*size)));
        if (data && fread(data, 1, size_t(*size), f) != size_t(*size)) {
            free(data);
            data = nullptr;
        }
    }
    fclose(f);
    return data;
}

// The broken writer: the same two file images as churn produces, written over the
// cache in place a piece at a time, so a kill leaves the file cut short.
void churn_in_place(const char* wwid, long n) {
    long sizes[2] = {};
    char* images[2] = {};
    for (int k = 0; k < 2; k++) {
        save_vdisk_name(wwid, k ? "B" : "A");
        images[k] = read_whole(platform_cache_path(), &sizes[k]);
    }
    for (long k = 0; k < n && images[0] && images[1]; k++) {
        FILE* f = fopen(platform_cache_path(), "wb");
        if (!f) break;
        for (long at = 0; at < sizes[k % 2]; at += 4096) {
            long piece = sizes[k % 2] - at < 4096 ? sizes[k % 2] - at : 4096;
            fwrite(images[k % 2] + at, 1, size_t(piece), f);
            fflush(f);
        }
        fclose(f);
        printf("saved\n");
        fflush(stdout);
    }
    free(images[0]);
    free(images[1]);
}

void load(const char* wwid) {
    char name[kVdiskNameSize] = {};
    int found = 0;
    load_vdisk_name(wwid, name, &found);
    printf("load %s -> found=%d name=[%.*s]\n", wwid, found, kVdiskNameSize, name);
}

}  // namespace

int main(int argc, char** argv) {
    activity_log_init();
    reset_invocation_settings();
    for (int i = 1; i < argc; i++) {
        const char* word = argv[i];
        bool one = i + 1 < argc;
        bool two = i + 2 < argc;
        if (strcmp(word, "open") == 0) {
            printf("open -> %d\n", open_control_device());
        } else if (strcmp(word, "page00") == 0 && one) {
            page00(argv[++i]);
        } else if (strcmp(word, "paged0") == 0 && one) {
            paged0(argv[++i]);
        } else if (strcmp(word, "save") == 0 && two) {
            save_vdisk_name(argv[i + 1], argv[i + 2]);
            i += 2;
        } else if (strcmp(word, "load") == 0 && one) {
            load(argv[++i]);
        } else if (strcmp(word, "begin") == 0) {
            vdisk_cache_begin_pass();
        } else if (strcmp(word, "end") == 0) {
            vdisk_cache_end_pass();
        } else if (strcmp(word, "churn") == 0 && two) {
            churn(argv[i + 1], strtol(argv[i + 2], nullptr, 10));
            i += 2;
        } else if (strcmp(word, "churn-in-place") == 0 && two) {
            churn_in_place(argv[i + 1], strtol(argv[i + 2], nullptr, 10));
            i += 2;
        } else {
            fprintf(stderr, "disk_probe: unknown word %s\n", word);
            return 2;
        }
        fflush(stdout);
    }
    close_control_device();
    return 0;
}
