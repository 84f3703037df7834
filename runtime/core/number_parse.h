// parseNumber: the numeric value at the start of a text.
//
// Reads the longest prefix that forms a number and ignores the rest; malformed text is never an
// error (no number at all gives 0). Blanks and tabs are skipped anywhere in a decimal number
// ('1 000' is 1000). Decimal numbers take a sign, a fraction and an exponent introduced by E or
// D ('-1.5e3' is -1500, '1D2' is 100). '&H' and '&O' introduce hexadecimal and octal constants
// read as signed 64-bit values ('&HFFFF' is 65535, '&HFFFFFFFFFFFFFFFF' is -1); one with more
// significant digits than 64 bits hold raises runtime error 6 and gives 0.
//
// Integers that fit 64 bits are exact; anything else is the correctly rounded extended value of
// the decimal text (overflow gives infinity, underflow zero, without an error).
// ProgramThread; while an error is pending the result is 0.
#pragma once

#include <string_view>

#include "runtime/core/rt_string.h"

namespace rt {

long double parseNumber(std::string_view text);
// The string is only read; a temporary is released by the statement as usual.
long double parseNumber(const RtString* s);

}  // namespace rt
