#include "output_words.h"

#include <string.h>

namespace {

// The output words each command takes, from W3 on. A new output form is one more row.
struct OutputWordRow {
    const char* w1;
    const char* w2;
    const char* word;
    OutputMode mode;
    uint8_t guard;  // a guard word's bit; 0 for the plain output words
};

const OutputWordRow kOutputWords[] = {
    {"query", "version", "-json", OutputMode::Json, 0},    {"query", "adapter", "-json", OutputMode::Json, 0},
    {"query", "adaptstats", "-json", OutputMode::Json, 0}, {"query", "device", "-json", OutputMode::Json, 0},
    {"query", "devstats", "-json", OutputMode::Json, 0},   {"query", "health", "-json", OutputMode::Json, 0},
    {"query", "diff", "-json", OutputMode::Json, 0},
    // A change that takes paths offline: its what-if or its guarded form. These words
    // leave the mode alone: only a valid what-if with -json answers as a document
    // (the grammar judges the combination), and every other line stays as it was.
    {"set", "adapter", "-whatif", OutputMode::Text, kGuardWhatIf},
    {"set", "adapter", "-ifsafe", OutputMode::Text, kGuardIfSafe},
    {"set", "adapter", "-tpgs", OutputMode::Text, kGuardTpgs},
    {"set", "adapter", "-json", OutputMode::Text, kGuardJson},
    {"set", "device", "-whatif", OutputMode::Text, kGuardWhatIf},
    {"set", "device", "-ifsafe", OutputMode::Text, kGuardIfSafe},
    {"set", "device", "-tpgs", OutputMode::Text, kGuardTpgs},
    {"set", "device", "-json", OutputMode::Text, kGuardJson},
};

// The row that makes `word` an output word of the command W1 W2, or null.
const OutputWordRow* output_word(const char* w1, const char* w2, const char* word) {
    for (const OutputWordRow& row : kOutputWords)
        if (strcmp(w1, row.w1) == 0 && strcmp(w2, row.w2) == 0 && strcmp(word, row.word) == 0) return &row;
    return nullptr;
}

}  // namespace

void take_output_words(int k, const char* const* words, CommandLine* line) {
    memset(line, 0, sizeof *line);
    line->mode = OutputMode::Text;
    bool pending = false;  // an output word was taken off since the last kept word
    for (int i = 0; i < k; i++) {
        const OutputWordRow* row = i >= 2 ? output_word(words[0], words[1], words[i]) : nullptr;
        if (row != nullptr) {
            if (row->mode != OutputMode::Text) line->mode = row->mode;
            if ((line->guard_words & row->guard) != 0) line->guard_repeated = true;
            line->guard_words |= row->guard;
            line->output_words++;
            pending = true;
            continue;
        }
        if (line->k == kMaxKeptWords) continue;  // past every row's limit: what stands here no longer matters
        line->after_output_word[line->k] = pending;
        line->words[line->k++] = words[i];
        pending = false;
    }
    line->after_output_word[line->k] = pending;
}

const char* word_ahead(const CommandLine& line, int index) {
    if (index < 0 || index >= line.k || line.after_output_word[index]) return nullptr;
    return line.words[index];
}
