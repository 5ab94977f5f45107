#include "guard_words.h"

#include <string.h>

GuardWords read_guard_words(int count, const char* const* words) {
    GuardWords g{};
    int seen[4] = {0, 0, 0, 0};  // -whatif -ifsafe -tpgs -json
    static const char* const kWords[4] = {"-whatif", "-ifsafe", "-tpgs", "-json"};
    bool stray = false;
    for (int i = 0; i < count; i++) {
        int which = -1;
        for (int n = 0; n < 4; n++)
            if (strcmp(words[i], kWords[n]) == 0) which = n;
        if (which < 0) stray = true;
        else seen[which]++;
    }
    g.present = seen[0] + seen[1] + seen[2] + seen[3] > 0;
    bool once = seen[0] <= 1 && seen[1] <= 1 && seen[2] <= 1 && seen[3] <= 1;
    g.valid = g.present && !stray && once && seen[0] + seen[1] == 1 && (seen[3] == 0 || seen[0] == 1);
    g.mode = seen[0] == 1 ? GuardMode::WhatIf : seen[1] == 1 ? GuardMode::IfSafe : GuardMode::None;
    g.tpgs = seen[2] == 1;
    g.json = seen[3] > 0;
    return g;
}
