#include "decimal_text.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <string>

#include "float_chars.h"

namespace stakora {

namespace {

const char* describe(NumberError::Kind kind) {
    return kind == NumberError::Kind::TypeMismatch
               ? "type mismatch: the text is not a number"
               : "overflow: the value is beyond single precision";
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && isBlank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && isBlank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

bool allDigits(std::string_view text) {
    return std::all_of(text.begin(), text.end(), isDigit);
}

// The part before the comma: plain digits, or Italian thousands groups "1.234.567" whose first
// group has one to three digits and every later group exactly three.
bool isIntegerPart(std::string_view part) {
    if (part.find('.') == std::string_view::npos) {
        return allDigits(part);
    }
    bool first = true;
    while (true) {
        const auto dot = part.find('.');
        const std::string_view group = part.substr(0, dot);
        const bool sizeOk = first ? (!group.empty() && group.size() <= 3) : group.size() == 3;
        if (!sizeOk || !allDigits(group)) {
            return false;
        }
        if (dot == std::string_view::npos) {
            return true;
        }
        part.remove_prefix(dot + 1);
        first = false;
    }
}

// More significant digits than any float midpoint needs (the longest has about 112); what lies
// beyond only matters as "zero or not", which one sticky digit keeps.
constexpr std::size_t kKeptDigits = 200;

// 10^39 already exceeds the largest float, 3.4028235e38.
constexpr long kOverflowExponent = 39;

Amount checked(Amount result) {
    if (!std::isfinite(result)) {
        throw NumberError(NumberError::Kind::Overflow);
    }
    return result;
}

}  // namespace

NumberError::NumberError(Kind kind, Field field, int row)
    : std::runtime_error(describe(kind)), kind_(kind), field_(field), row_(row) {}

namespace DecimalText {

Amount toSingle(std::string_view text) {
    const auto mismatch = [] { return NumberError(NumberError::Kind::TypeMismatch); };
    text = trimmed(text);

    const auto comma = text.find(',');
    const std::string_view integerPart = text.substr(0, comma);
    const std::string_view fractionPart =
        comma == std::string_view::npos ? std::string_view{} : text.substr(comma + 1);
    // allDigits also rejects a second comma in the fraction.
    if (!allDigits(fractionPart) || !isIntegerPart(integerPart)) {
        throw mismatch();
    }

    // Gather the significant digits as "0.<digits>e<exponent>" for one correctly rounded
    // conversion; the buffer stays on the stack however long the text is.
    std::array<char, kKeptDigits + 32> buffer{};
    char* out = buffer.data();
    *out++ = '0';
    *out++ = '.';
    long digitsSeen = 0;
    long firstSignificant = -1;
    std::size_t kept = 0;
    bool sticky = false;
    const auto take = [&](char c) {
        if (c == '.') {
            return;
        }
        if (firstSignificant < 0 && c != '0') {
            firstSignificant = digitsSeen;
        }
        ++digitsSeen;
        if (firstSignificant < 0) {
            return;
        }
        if (kept < kKeptDigits) {
            *out++ = c;
            ++kept;
        } else if (c != '0') {
            sticky = true;
        }
    };
    std::for_each(integerPart.begin(), integerPart.end(), take);
    const long pointPosition = digitsSeen;
    std::for_each(fractionPart.begin(), fractionPart.end(), take);

    if (digitsSeen == 0) {
        throw mismatch();
    }
    if (firstSignificant < 0) {
        return 0.0F;
    }
    const long exponent = pointPosition - firstSignificant;  // value = 0.<digits> x 10^exponent
    if (exponent > kOverflowExponent) {
        throw NumberError(NumberError::Kind::Overflow);
    }
    if (sticky) {
        *out++ = '1';
    }
    *out++ = 'e';
    out = std::to_chars(out, buffer.data() + buffer.size(), exponent).ptr;

    Amount value = 0.0F;
    const std::errc error = floatchars::readFloat(buffer.data(), out, value);
    if (error == std::errc::result_out_of_range) {
        if (exponent > 0) {
            throw NumberError(NumberError::Kind::Overflow);
        }
        return 0.0F;  // below the smallest float: underflow passes silently, as in arithmetic
    }
    if (error != std::errc{}) {
        throw mismatch();  // cannot happen: the buffer holds digits only
    }
    return checked(value);
}

Amount add(Amount a, Amount b) {
    return checked(a + b);
}

Amount multiply(Amount a, Amount b) {
    return checked(a * b);
}

Amount subtract(Amount a, Amount b) {
    return checked(a - b);
}

std::string formatAmount(Amount amount) {
    if (std::isnan(amount)) {
        return "nan";
    }
    if (std::isinf(amount)) {
        return amount < 0 ? "-inf" : "inf";
    }
    // The shortest round-trip digits: the digits the amount was typed with.
    const floatchars::Digits shortest = floatchars::shortestDigits(std::fabs(amount));
    const auto& digits = shortest.digit;
    const std::size_t digitCount = shortest.count;
    const int exponent = shortest.exponent;

    // The amount in hundredths, rounded half away from zero, right-aligned in `cents`.
    std::array<char, 64> cents{};
    std::size_t centCount = 0;
    const int kept = exponent + 3;
    if (kept <= 0) {
        cents[centCount++] = (kept == 0 && digits[0] >= '5') ? '1' : '0';
    } else {
        const auto keptDigits = static_cast<std::size_t>(kept);
        for (std::size_t i = 0; i < keptDigits; ++i) {
            cents[centCount++] = i < digitCount ? digits[i] : '0';
        }
        if (keptDigits < digitCount && digits[keptDigits] >= '5') {
            std::size_t i = centCount;
            while (i > 0 && cents[i - 1] == '9') {
                cents[--i] = '0';
            }
            if (i == 0) {
                std::copy_backward(cents.data(), cents.data() + centCount,
                                   cents.data() + centCount + 1);
                cents[0] = '1';
                ++centCount;
            } else {
                ++cents[i - 1];
            }
        }
    }
    const bool roundsToZero =
        std::all_of(cents.data(), cents.data() + centCount, [](char c) { return c == '0'; });
    const std::size_t integerDigits = centCount > 2 ? centCount - 2 : 0;

    std::string text;
    text.reserve(integerDigits + 5);
    if (amount < 0 && !roundsToZero) {
        text.push_back('-');
    }
    if (integerDigits == 0) {
        text.push_back('0');
    }
    text.append(cents.data(), integerDigits);
    text.push_back(',');
    if (centCount < 2) {
        text.push_back('0');
    }
    text.append(cents.data() + integerDigits, centCount - integerDigits);
    return text;
}

}  // namespace DecimalText
}  // namespace stakora
