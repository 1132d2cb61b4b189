// Straightforward references that the fuzz targets hold the real code against: a regular
// expression for which texts are numbers, and the C library's correctly rounded strtof for their
// values. Slow and simple on purpose.
#pragma once

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <regex>
#include <string>

#include "decimal_text.h"

namespace stakora::reference {

struct Conversion {
    std::optional<NumberError::Kind> failure;
    float value = 0;
};

inline Conversion toSingle(const std::string& text) {
    static const std::regex number(
        R"(^[ \t\n\r\v\f]*([0-9]{1,3}(\.[0-9]{3})+|[0-9]*)(,[0-9]*)?[ \t\n\r\v\f]*$)");
    static const std::regex digit("[0-9]");
    if (!std::regex_match(text, number) || !std::regex_search(text, digit)) {
        return {NumberError::Kind::TypeMismatch};
    }
    std::string c;  // the same number as the C locale writes it
    for (char ch : text) {
        if (ch >= '0' && ch <= '9') {
            c.push_back(ch);
        } else if (ch == ',') {
            c.push_back('.');
        }
    }
    errno = 0;
    const float value = std::strtof(c.c_str(), nullptr);
    if (std::isinf(value)) {
        return {NumberError::Kind::Overflow};
    }
    return {std::nullopt, value};
}

inline void check(bool ok, const char* what) {
    if (!ok) {
        std::fprintf(stderr, "property violated: %s\n", what);
        std::abort();
    }
}

}  // namespace stakora::reference
