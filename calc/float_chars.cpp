#include "float_chars.h"

#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

// Floating-point to_chars and from_chars, where the standard library has them.
#if defined(__cpp_lib_to_chars) && __cpp_lib_to_chars >= 201611L
#define STAKORA_HAS_FLOAT_CHARCONV 1
#else
#define STAKORA_HAS_FLOAT_CHARCONV 0
#endif

namespace stakora::floatchars {

namespace {

// "d.ddde+XX" or "de+XX" (scientific form) into digits and exponent.
Digits parseScientific(const char* text) {
    Digits result;
    const char* p = text;
    for (; *p != 'e'; ++p) {
        if (*p != '.') {
            result.digit[result.count++] = *p;
        }
    }
    result.exponent = std::atoi(p + 1);
    return result;
}

// The C library's conversion, correctly rounded to float in glibc and musl alike, in the "C"
// locale that a program starts in (a point, not a comma).
float readBack(const std::string& text) {
    return std::strtof(text.c_str(), nullptr);
}

std::string scientific(unsigned long long mantissa, int exponent) {
    std::string text = std::to_string(mantissa);
    exponent += static_cast<int>(text.size()) - 1;
    if (text.size() > 1) {
        text.insert(1, ".");
    }
    return text + "e" + std::to_string(exponent);
}

}  // namespace

std::errc readFloatPortable(const char* first, const char* last, float& value) {
    errno = 0;
    const std::string text(first, last);
    value = std::strtof(text.c_str(), nullptr);
    // ERANGE also comes with subnormal results, which are values like any other.
    const bool outOfRange = errno == ERANGE && (value == 0.0F || std::isinf(value));
    return outOfRange ? std::errc::result_out_of_range : std::errc{};
}

// For each length from one digit up: the nearest decimal of that length (printf rounds
// correctly) if it reads back; otherwise its neighbour on the other side of the value, which
// can read back where the value's rounding interval is lopsided (at powers of two).
Digits shortestDigitsPortable(float value) {
    const double exact = value;  // every float is exactly a double
    for (int length = 1; length <= 9; ++length) {
        std::array<char, 40> nearest{};
        std::snprintf(nearest.data(), nearest.size(), "%.*e", length - 1, exact);
        if (readBack(nearest.data()) == value) {
            return parseScientific(nearest.data());
        }
        const Digits near = parseScientific(nearest.data());
        unsigned long long mantissa = 0;
        for (std::size_t i = 0; i < near.count; ++i) {
            mantissa = mantissa * 10 + static_cast<unsigned>(near.digit[i] - '0');
        }
        const int unitExponent = near.exponent - static_cast<int>(near.count) + 1;
        const double nearValue = std::strtod(nearest.data(), nullptr);
        mantissa = nearValue < exact ? mantissa + 1 : mantissa - 1;
        const std::string other = scientific(mantissa, unitExponent);
        if (mantissa > 0 && readBack(other) == value) {
            Digits result = parseScientific(other.c_str());
            // Ten to the power of the length, from 99 + 1, keeps its length by one zero less.
            if (result.count > static_cast<std::size_t>(length)) {
                result.count = static_cast<std::size_t>(length);
            }
            return result;
        }
    }
    std::array<char, 40> full{};
    std::snprintf(full.data(), full.size(), "%.8e", exact);  // nine digits always read back
    return parseScientific(full.data());
}

#if STAKORA_HAS_FLOAT_CHARCONV

std::errc readFloat(const char* first, const char* last, float& value) {
    const auto [end, error] = std::from_chars(first, last, value);
    return end == last || error != std::errc{} ? error : std::errc::invalid_argument;
}

Digits shortestDigits(float value) {
    std::array<char, 32> text{};
    *std::to_chars(text.data(), text.data() + text.size() - 1, value, std::chars_format::scientific)
         .ptr = '\0';
    return parseScientific(text.data());
}

#else

std::errc readFloat(const char* first, const char* last, float& value) {
    return readFloatPortable(first, last, value);
}

Digits shortestDigits(float value) {
    return shortestDigitsPortable(value);
}

#endif

}  // namespace stakora::floatchars
