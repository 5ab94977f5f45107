// Reading the shipped scenarios from the unit tests.
#pragma once

#include <stdio.h>

#include <string>

// The path of sim/scenarios/<name> in this source tree.
inline std::string scenario_path(const char* name) { return std::string(RAVLIN_SOURCE_DIR "/sim/scenarios/") + name; }

// The whole file, or "" when it cannot be read.
inline std::string read_text_file(const std::string& path) {
    std::string text;
    FILE* f = fopen(path.c_str(), "rb");
    if (f == nullptr) return text;
    char buffer[65536];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, f)) > 0) text.append(buffer, n);
    fclose(f);
    return text;
}
