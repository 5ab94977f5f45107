// Fuzzes the command grammar with arbitrary words (NUL-separated in the input),
// the output-word pre-pass before it, and the word helpers it rests on.
#include <stddef.h>
#include <stdint.h>
#include <string.h>

#include "command_grammar.h"
#include "dsm_texts.h"
#include "numeric_word.h"
#include "output_words.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static char text[4096];
    if (size >= sizeof text) size = sizeof text - 1;
    memcpy(text, data, size);
    text[size] = '\0';

    const char* words[12];
    int k = 0;
    const char* start = text;
    for (size_t i = 0; i <= size && k < 12; i++) {
        if (text[i] == '\0') {
            words[k++] = start;
            start = text + i + 1;
        }
    }
    // The kept words are the words given, in their order, less the output words,
    // and a lookahead only ever yields a kept word.
    static CommandLine line;
    take_output_words(k, words, &line);
    if (line.k + line.output_words != k) __builtin_trap();
    int at = 0;
    for (int i = 0; i < line.k; i++) {
        while (at < k && words[at] != line.words[i]) at++;
        if (at == k) __builtin_trap();
        at++;
        const char* ahead = word_ahead(line, i);
        if (ahead != nullptr && ahead != line.words[i]) __builtin_trap();
    }
    if (word_ahead(line, line.k) != nullptr) __builtin_trap();
    Command c = parse_command(k, words);
    // Every word a command keeps must be one of the words it was given.
    const char* kept[] = {c.word, c.word2, c.word3};
    for (const char* w : kept) {
        if (w == nullptr) continue;
        bool found = false;
        for (int i = 0; i < k; i++) found = found || w == words[i];
        if (!found) __builtin_trap();
    }
    // Only the two offline changes are ever guarded.
    if (c.guard != GuardMode::None &&
        ((c.kind != CommandKind::SetAdapterState && c.kind != CommandKind::SetPathState) || c.word == nullptr ||
         strcmp(c.word, "offline") != 0))
        __builtin_trap();
    if (c.guard == GuardMode::None && (c.guard_tpgs || c.guard_json)) __builtin_trap();
    for (int i = 0; i < k; i++)
        if (is_numeric_word(words[i]) && numeric_value(words[i]) < 0) __builtin_trap();
    if (strlen(device_display_name(text, size)) > 31) __builtin_trap();
    return 0;
}
