// The words that guard a change taking paths offline, after the change's own
// words and in any order: -whatif or -ifsafe, optionally -tpgs, and with -whatif
// optionally -json. Pure.
#pragma once

enum class GuardMode { None, WhatIf, IfSafe };

struct GuardWords {
    bool present;    // at least one of the four words is there
    bool valid;      // every word is one of them, none twice, one mode, -json only beside -whatif
    GuardMode mode;
    bool tpgs;
    bool json;       // -json is among them (once when valid)
};

// Reads the `count` words at `words` (the words after the change's own).
GuardWords read_guard_words(int count, const char* const* words);
