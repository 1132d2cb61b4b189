// Amounts typed as Italian decimal text, the three checked steps of the schedule's arithmetic,
// and the two-decimal text of a result cell.
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

namespace stakora {

// Every quantity of the program: prize multiplier, stake, spend, win and profit. Each step's
// result is rounded to single precision when stored and the next step starts from that value.
using Amount = float;

// The field a failed conversion came from, so the window can point the user at it.
enum class Field { Unknown, Prize, Stake };

// Why a computation stopped: a text that is no number, or a value beyond single precision.
class NumberError : public std::runtime_error {
  public:
    enum class Kind { TypeMismatch, Overflow };

    explicit NumberError(Kind kind, Field field = Field::Unknown, int row = 0);

    Kind kind() const noexcept { return kind_; }
    Field field() const noexcept { return field_; }
    // The stake row (1 to 15) when field() is Field::Stake, otherwise 0.
    int row() const noexcept { return row_; }

    // The same failure, located at a field of the window.
    NumberError at(Field field, int row = 0) const { return NumberError(kind_, field, row); }

  private:
    Kind kind_;
    Field field_;
    int row_;
};

namespace DecimalText {

// Converts the whole text by the Italian rules: digits with at most one decimal comma ("11,67",
// ",5", "5,"); full stops only as group separators between groups of three digits before the
// comma ("1.234,50"); white space around the number is ignored. Anything else is a TypeMismatch,
// a magnitude beyond single precision an Overflow. The result is the float nearest to the exact
// decimal value (one rounding, never through double). Linear in the length of the text.
Amount toSingle(std::string_view text);

// Single-precision steps; an infinite or NaN result raises NumberError::Kind::Overflow.
Amount add(Amount a, Amount b);
Amount multiply(Amount a, Amount b);
Amount subtract(Amount a, Amount b);

// "##0.00" with the decimal comma: at least one integer digit, no group separators, two
// decimals rounded half away from zero from the amount's shortest decimal form, so 2.675f shows
// "2,68" as typed. A negative amount that rounds to zero shows "0,00"; large amounts are written
// out in full digits, never in exponent form. Non-finite amounts, which no checked step lets
// through, show as "inf", "-inf" or "nan".
std::string formatAmount(Amount amount);

}  // namespace DecimalText
}  // namespace stakora
