// Decimal text to float and back, correctly rounded: the standard library's floating-point
// from_chars and to_chars where it has them, a portable path on the C library where it lacks
// them (Emscripten's). Both paths give the same bits and the same digits.
#pragma once

#include <array>
#include <cstddef>
#include <system_error>

namespace stakora::floatchars {

// The float nearest to the decimal number in [first, last), written as digits with an optional
// point and an exponent ("0.1234e5"). std::errc::result_out_of_range when it lies beyond the
// float range or below its smallest value.
std::errc readFloat(const char* first, const char* last, float& value);

// The fewest significant decimal digits that read back as `value` (finite, not negative), and
// among as few, the nearest to it: digit[0..count) means d.ddd x 10^exponent.
struct Digits {
    std::array<char, 12> digit{};
    std::size_t count = 0;
    int exponent = 0;
};
Digits shortestDigits(float value);

// The portable path, built everywhere so that tests can hold it to the standard library's.
std::errc readFloatPortable(const char* first, const char* last, float& value);
Digits shortestDigitsPortable(float value);

}  // namespace stakora::floatchars
