// Text comparison as the Access engine makes it, defined once for every backend:
// case-insensitive for every letter (accented ones included), accents and
// trailing spaces significant. Also the upper-casing used for names.
#pragma once

#include <string>

namespace pelmora::engine {

// Appends one code point to UTF-8 text.
void appendUtf8(char32_t c, std::string& out);

// Upper-cases UTF-8 text, accented Latin letters included (é -> É, ñ -> Ñ).
std::string upperCase(const std::string& utf8);
// The same, appended to `out`.
void appendUpperCase(const std::string& utf8, std::string& out);

// The shortest text that reads back as the same number ("0.1", "1e+300", "inf").
std::string shortestNumber(double value);
std::string shortestNumber(float value);

// -1, 0 or 1: the order and equality of two texts in conditions and ORDER BY.
int compareText(const std::string& a, const std::string& b);
inline bool textEquals(const std::string& a, const std::string& b) {
    return compareText(a, b) == 0;
}

// Names of tables and columns: equal when equal once upper-cased.
inline bool sameName(const std::string& a, const std::string& b) {
    return compareText(a, b) == 0;
}

}  // namespace pelmora::engine
