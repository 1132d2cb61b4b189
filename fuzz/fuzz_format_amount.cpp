// Any float: formatAmount writes two decimals with the comma, never an exponent or "-0,00"; the
// cents are the amount's rounded half away from zero (where single precision still holds cents)
// and the text reads back through toSingle.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "reference.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace stakora;
    if (size < sizeof(float)) {
        return 0;
    }
    float amount = 0;
    std::memcpy(&amount, data, sizeof amount);
    if (!std::isfinite(amount)) {
        return 0;
    }
    const std::string text = DecimalText::formatAmount(amount);
    const auto comma = text.find(',');
    reference::check(comma != std::string::npos && comma + 3 == text.size(), "not two decimals");
    reference::check(text.find_first_not_of("-0123456789,") == std::string::npos, "odd character");
    reference::check(text != "-0,00", "minus zero");
    reference::check(comma > (text[0] == '-' ? 1U : 0U), "no integer digit");

    const bool negative = text[0] == '-';
    const std::string magnitude = negative ? text.substr(1) : text;
    const reference::Conversion back = reference::toSingle(magnitude);
    reference::check(!back.failure, "formatted text does not read back");
    reference::check(DecimalText::toSingle(magnitude) == back.value, "reads back differently");

    const double exact = std::fabs(static_cast<double>(amount));
    if (exact >= 1e9) {
        // No cents left: the shortest digits are written out and read back to the amount.
        reference::check(back.value == std::fabs(amount), "large amount does not read back");
        return 0;
    }
    // The cents shown are the amount's own, rounded half away from zero; only where the amount
    // lies within half an ulp of a half cent may its shortest digits (as typed) decide the other
    // way. Above about 1e5 an ulp exceeds a cent and this only bounds the distance.
    const double cents = exact * 100.0;  // exact: a float times 100 fits a double
    const double halfUlpInCents =
        50.0 * (static_cast<double>(std::nextafter(std::fabs(amount), INFINITY)) - exact);
    const double fraction = cents - std::floor(cents);
    std::string digits = magnitude;
    digits.erase(digits.find(','), 1);
    const double shownCents = std::stod(digits);
    if (std::fabs(fraction - 0.5) > halfUlpInCents + 1e-9) {
        reference::check(shownCents == std::round(cents), "cents are not the amount rounded");
    } else {
        reference::check(std::fabs(shownCents - cents) <= 0.5 + halfUlpInCents + 1e-9,
                         "cents too far off");
    }
    reference::check(negative == (amount < 0 && shownCents != 0), "sign is wrong");
    return 0;
}
