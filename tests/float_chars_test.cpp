// The portable conversions, held to the standard library's where both exist: where the library
// lacks them (WebAssembly), the calculation's own tests then prove the same results there.
#include "float_chars.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>

namespace stakora::floatchars {
namespace {

// std::bit_cast, which not every standard library here has yet.
std::uint32_t bitsOf(float value) {
    std::uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}
float floatOf(std::uint32_t bits) {
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

std::string text(const Digits& d) {
    return std::string(d.digit.data(), d.count) + "e" + std::to_string(d.exponent);
}

// Every power of two, where the rounding interval is lopsided, and a sweep across all floats.
TEST(FloatCharsTest, PortableShortestDigitsAreTheStandardOnes) {
    for (int power = -149; power <= 127; ++power) {
        const float value = std::ldexp(1.0F, power);
        ASSERT_EQ(text(shortestDigitsPortable(value)), text(shortestDigits(value))) << value;
    }
    for (std::uint32_t bits = 0; bits < 0x7F800000U; bits += 9973) {
        const float value = floatOf(bits);
        ASSERT_EQ(text(shortestDigitsPortable(value)), text(shortestDigits(value))) << bits;
    }
}

TEST(FloatCharsTest, PortableReadingIsTheStandardOneAtTheEdgesOfTheRange) {
    for (const char* decimal :
         {"0.1e1", "0.3402823466e39", "0.3402823567e39", "0.35e39", "0.1401298464e-44",
          "0.7006492321e-45", "0.7006492322e-45", "0.1e-45", "0.1175494350822e-37",
          "0.10000000596046447755e1", "0.100000005960464477550000000000000001e1"}) {
        const char* end = decimal + std::strlen(decimal);
        float standard = -1, portable = -1;
        EXPECT_EQ(readFloatPortable(decimal, end, portable), readFloat(decimal, end, standard))
            << decimal;
        if (readFloat(decimal, end, standard) == std::errc{}) {
            EXPECT_EQ(bitsOf(portable), bitsOf(standard)) << decimal;
        }
    }
}

}  // namespace
}  // namespace stakora::floatchars
