// The output-mode pre-pass: the words that choose an output form ("-json") are taken
// off the command line once, before the grammar, into an output mode. The grammar
// rows and the handlers see only the words that remain, and where an output word
// stood (a lookahead stops there, as it stopped at the word itself).
#pragma once

#include <stdint.h>

enum class OutputMode : uint8_t {
    Text,  // the displays and messages of the console
    Json,  // one JSON document per display pass, failures as an error document
};

// The most words a command line keeps; every row's word limit is far below it.
constexpr int kMaxKeptWords = 32;

// The words that guard a change taking paths offline (set adapter, set device):
// taken off with the output words, each recorded as a bit.
enum : uint8_t { kGuardWhatIf = 1, kGuardIfSafe = 2, kGuardTpgs = 4, kGuardJson = 8 };

struct CommandLine {
    int k;                                    // the kept words W1..Wk
    const char* words[kMaxKeptWords];
    // [i]: an output word stood right before kept word i (0-based); [k]: one ended the line.
    bool after_output_word[kMaxKeptWords + 1];
    OutputMode mode;
    int output_words;  // how many were taken off; a command refuses more than one
    uint8_t guard_words;   // the guard words taken off (kGuard* bits)
    bool guard_repeated;   // one of them stood twice
};

// Takes the output words of the command that W1 and W2 name off the k words (words[0]
// is W1) into *line. Only W3 and later are output words, and only for the commands
// that have another output form; any other line is kept as it is (cut to
// kMaxKeptWords, which no row accepts anyway).
void take_output_words(int k, const char* const* words, CommandLine* line);

// Kept word `index` (0-based) for a lookahead: null past the end or where an output
// word stood before it.
const char* word_ahead(const CommandLine& line, int index);
