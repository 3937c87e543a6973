#pragma once

#include <cstdint>
#include <string>

namespace hueclip {

// Decimal text as the readouts show numbers: a minus sign when negative, no leading space or
// zeros, no group separators.
std::string DecimalText(std::int64_t value);

// Upper-case hexadecimal without leading zeros; a negative value as its 32-bit two's complement,
// eight digits.
std::string HexText(std::int32_t value);

}  // namespace hueclip
