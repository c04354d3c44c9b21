// 16-bit integer semantics of the window's state variables: additions wrap, conversions from
// floating point round half to even and fail when the result does not fit.
#pragma once

#include <cstdint>
#include <stdexcept>

class QString;

using Int16 = std::int16_t;

struct OverflowError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// a + b in 16 bits, wrapping from 32767 to -32768 instead of failing.
Int16 add16(Int16 a, Int16 b);

// Nearest whole number, ties to the even neighbour; throws OverflowError outside -32768..32767.
Int16 cint16(double value);

// Decimal text of a whole number with an optional minus sign; blanks around it are allowed.
// Throws std::invalid_argument for other text, OverflowError outside the 16-bit range.
Int16 textToInt16(const QString &text);
