#include "numeric_word.h"

bool is_numeric_word(const char* word) {
    for (const char* p = word; *p != '\0'; p++)
        if (*p < '0' || *p > '9') return false;
    return true;
}

int32_t numeric_value(const char* word) {
    int64_t value = 0;
    for (const char* p = word; *p >= '0' && *p <= '9'; p++) {
        value = value * 10 + (*p - '0');
        if (value > INT32_MAX) return INT32_MAX;
    }
    return int32_t(value);
}
