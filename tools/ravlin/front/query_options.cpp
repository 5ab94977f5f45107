// The options of `query device` and `query devstats`: the query flag word and the
// selection fields of the run's settings.
#include <stdio.h>
#include <string.h>

#include "handlers.h"
#include "invocation_settings.h"
#include "numeric_word.h"
#include "output_policy.h"
#include "output_words.h"
#include "platform.h"
#include "usage_text.h"

namespace {

constexpr int32_t kEndless = 0x7FFFFFFF;
constexpr uint32_t kInterfaceBits = QF_ISCSI | QF_FC | QF_SAS;

bool is(const char* word, const char* text) { return strcmp(word, text) == 0; }

// True for a model word the "-d" option accepts: "QVR..." or "TK70500...".
bool accepted_model(const char* word) {
    return strncmp(word, "QVR", 3) == 0 || strncmp(word, "TK70500", 7) == 0;
}

// A device-only option: allowed with "device" when its bit is not yet set.
bool take_device_flag(uint32_t* flags, uint32_t bit, bool for_device) {
    if (!for_device || (*flags & bit) != 0) return false;
    *flags |= bit;
    return true;
}

}  // namespace

int32_t parse_options(uint32_t* query_flags, const CommandLine& line) {
    uint32_t& flags = *query_flags;
    const int word_count = line.k;
    const char* const* words = line.words;
    const bool for_device = word_count >= 2 && is(words[1], "device");
    const bool json = line.mode == OutputMode::Json;
    int output_words = line.output_words;
    int i = 2;  // W3
    while (i < word_count) {
        const char* word = words[i];
        const char* next = word_ahead(line, i + 1);  // a lookahead stops where an output word stood
        bool ok = false;
        int step = 1;
        if (is_numeric_word(word)) {
            if ((flags & (QF_ONE_DEVICE | QF_MODEL | QF_RANGE | QF_REPEAT)) == 0) {
                ok = true;
                int32_t value = numeric_value(word);
                if (next != nullptr && is_numeric_word(next)) {
                    int32_t other = numeric_value(next);
                    g_settings.first_device = value < other ? value : other;
                    g_settings.last_device = value < other ? other : value;
                    flags |= QF_RANGE;
                    step = 2;
                } else {
                    g_settings.first_device = value;
                    flags |= QF_ONE_DEVICE;
                }
            }
        } else if (is(word, "-s")) {
            ok = take_device_flag(&flags, QF_SCSI_ADDR, for_device);
        } else if (is(word, "-c") || is(word, "-csv")) {
            ok = true;
        } else if (is(word, "-a")) {
            ok = take_device_flag(&flags, QF_ALL_PATHS, for_device);
        } else if (is(word, "-tpgs")) {
            ok = take_device_flag(&flags, QF_TPGS, for_device);
        } else if (is(word, "-d")) {
            if (next != nullptr && (flags & (QF_ONE_DEVICE | QF_MODEL | QF_RANGE)) == 0 && accepted_model(next)) {
                flags |= QF_MODEL;
                g_settings.device_model = next;
                ok = true;
                step = 2;
            }
        } else if (is(word, "-itype")) {
            if (next == nullptr && i + 1 <= word_count && line.after_output_word[i + 1] &&
                (flags & kInterfaceBits) == kInterfaceBits) {
                // Every interface is chosen already, so the word after is not looked
                // at: the output word that stood there was taken for it.
                ok = true;
                output_words--;
            } else if (next != nullptr) {
                step = 2;
                if ((flags & kInterfaceBits) == kInterfaceBits) {
                    ok = true;  // every interface is chosen already; the word is not looked at
                } else {
                    uint32_t bit = is(next, "iscsi") ? QF_ISCSI : is(next, "fc") ? QF_FC : is(next, "sas") ? QF_SAS : 0;
                    if (bit != 0) {
                        flags = (flags | bit) & ~QF_ANY_TYPE;
                        ok = true;
                    }
                }
            }
        } else if (is(word, "-i")) {
            if (next != nullptr && is_numeric_word(next) && numeric_value(next) >= 1 && (flags & QF_REPEAT) == 0) {
                g_settings.display_interval = numeric_value(next);
                const char* count = word_ahead(line, i + 2);
                if (count != nullptr && is_numeric_word(count) && numeric_value(count) >= 1) {
                    g_settings.display_count = numeric_value(count);
                    flags |= QF_REPEAT;
                    ok = true;
                    step = 3;
                } else if (count == nullptr || is(count, "-d")) {
                    g_settings.display_count = kEndless;
                    flags |= QF_REPEAT;
                    ok = true;
                    step = 2;
                }
            }
        } else if (is(word, "-k") && json) {
            ok = false;  // machine output never carries colours
        } else if (is(word, "-k")) {
            uint16_t attributes = 7;
            if (!platform_console_get_attributes(&attributes)) {
                print_out("Error initializing color attributes (%d)\n", int(platform_last_error()));
                return -1;
            }
            g_settings.color_enabled = true;
            g_settings.saved_attributes = attributes;
            ok = true;
        }
        if (!ok) {
            print_invalid_argument();
            return -1;
        }
        i += step;
    }
    // A second output word; every failure of the machine form is this one message.
    if (output_words > 1) {
        print_invalid_argument();
        return -1;
    }
    return 0;
}

int32_t parse_query_options(uint32_t* query_flags, int word_count, const char* const* words) {
    CommandLine line;
    take_output_words(word_count, words, &line);
    return parse_options(query_flags, line);
}
