// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <cstdlib>
#include <limits>

namespace fl {

// number x numerator / denominator with a 64-bit intermediate, rounded to the
// nearest integer (halves away from zero); -1 when the denominator is 0 or
// the result does not fit, as the platform's routine answers.
inline int MulDiv(int number, int numerator, int denominator)
{
    if (denominator == 0)
        return -1;
    const int64_t product = int64_t(number) * numerator;
    const int64_t divisor = std::llabs(denominator);
    const int64_t magnitude = (std::llabs(product) + divisor / 2) / divisor;
    const bool negative = (product < 0) != (denominator < 0);
    const int64_t result = negative ? -magnitude : magnitude;
    if (result > std::numeric_limits<int>::max() || result < std::numeric_limits<int>::min())
        return -1;
    return int(result);
}

} // namespace fl
