// Whole files read, written and looked for by the unit tests, byte for byte.
#pragma once

#include <unistd.h>

#include <fstream>
#include <sstream>
#include <string>

inline std::string read_file(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

inline void write_file(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary);
    out << text;
}

inline bool exists(const std::string& path) { return access(path.c_str(), F_OK) == 0; }
