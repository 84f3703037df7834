// Number-to-text conversion.
//
// Integers are written digit by digit after a blank or a minus sign (what printf's blank sign
// flag gives, without its cost: the plotter formats a number per log record). Floats are first
// written in scientific notation with all of their type's significant digits; the digits and
// the exponent read back from that text decide between fixed and scientific output, so
// rounding happens once, in the C library, and the choice never disagrees with the digits shown.
#include "runtime/core/number_format.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "runtime/core/errors.h"
#include "runtime/core/string_engine.h"

namespace rt {

namespace {

// A temporary of at least `room` bytes holding `text`.
RtString* temporaryOf(std::string_view text, int32_t room) {
  const auto length = static_cast<int32_t>(text.size());
  RtString* s = newString(std::max(room, length), true);
  std::memcpy(s->text, text.data(), text.size());
  s->length = length;
  return s;
}

// A blank (or '-' when `negative`) and the decimal digits of `magnitude`.
RtString* formatInteger(int32_t room, bool negative, uint64_t magnitude) {
  if (errorIsPending()) return newString(0, true);
  char buffer[24];
  char* first = buffer + sizeof buffer;
  do {
    *--first = static_cast<char>('0' + magnitude % 10);
    magnitude /= 10;
  } while (magnitude != 0);
  *--first = negative ? '-' : ' ';
  return temporaryOf({first, static_cast<size_t>(buffer + sizeof buffer - first)}, room);
}

RtString* formatSigned(int32_t room, int64_t value) {
  // The magnitude in unsigned arithmetic: the most negative value has no positive twin.
  const uint64_t magnitude = value < 0 ? 0 - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
  return formatInteger(room, value < 0, magnitude);
}

struct FloatKind {
  int digits;  // significant digits: 7 single, 16 double
  char exponentLetter;
  int maxFixedExponent;     // fixed notation needs e <= this ...
  int minFixedDigitOffset;  // ... and e - n >= this
  int32_t room;
};

constexpr FloatKind kSingle{7, 'E', 6, -8, 13};
constexpr FloatKind kDouble{16, 'D', 15, -17, 23};

// The significant digits and decimal exponent of `value` written with `digits` digits.
struct Scientific {
  char mantissa[24] = {};
  int exponent = 0;
};

Scientific writeScientific(double value, int digits) {
  char buffer[48];
  std::snprintf(buffer, sizeof buffer, "% .*E", digits - 1, value);
  // buffer: sign position, digit, '.', digits - 1 digits, 'E', exponent sign, exponent digits.
  Scientific result;
  result.mantissa[0] = buffer[1];
  std::memcpy(result.mantissa + 1, buffer + 3, static_cast<size_t>(digits - 1));
  result.exponent = std::atoi(buffer + 3 + digits - 1 + 1);
  return result;
}

RtString* formatFloating(double value, const FloatKind& kind) {
  if (errorIsPending()) return newString(0, true);
  if (std::isnan(value)) return temporaryOf(" NAN", kind.room);
  if (std::isinf(value)) return temporaryOf(value < 0 ? "-INF" : " INF", kind.room);

  Scientific sci = writeScientific(value, kind.digits);
  if (kind.digits == 16 && sci.mantissa[15] == '9') {
    // A 16th digit of 9 is the usual trace of binary representation error (0.3 shows as
    // 2.999999999999999E-01): round to 15 digits and take a 0 as the 16th.
    sci = writeScientific(value, 15);
    sci.mantissa[15] = '0';
  }
  int n = kind.digits;
  while (n > 0 && sci.mantissa[n - 1] == '0') --n;
  if (n == 0) return temporaryOf(" 0", kind.room);

  const int e = sci.exponent;
  char out[400];
  size_t length;
  if (e <= kind.maxFixedExponent && e - n >= kind.minFixedDigitOffset) {
    const int decimals = std::max(0, n - e - 1);
    const int written = std::snprintf(out, sizeof out, "% .*f", decimals, value);
    length = static_cast<size_t>(std::max(written, 0));
    if (length > 1 && out[1] == '0') {  // below 1 in magnitude: no "0" before the point
      std::memmove(out + 1, out + 2, length - 2);
      --length;
    }
  } else {
    length = 0;
    out[length++] = value < 0 ? '-' : ' ';
    out[length++] = sci.mantissa[0];
    if (n > 1) {
      out[length++] = '.';
      std::memcpy(out + length, sci.mantissa + 1, static_cast<size_t>(n - 1));
      length += static_cast<size_t>(n - 1);
    }
    out[length++] = kind.exponentLetter;
    out[length++] = e < 0 ? '-' : '+';
    const int magnitude = std::abs(e);
    const int written = std::snprintf(out + length, sizeof out - length,
                                      magnitude >= 100 ? "%03d" : "%02d", magnitude);
    length += static_cast<size_t>(std::max(written, 0));
  }
  return temporaryOf({out, length}, kind.room);
}

}  // namespace

RtString* formatNumber(int8_t value) { return formatSigned(4, value); }
RtString* formatNumber(int16_t value) { return formatSigned(6, value); }
RtString* formatNumber(int32_t value) { return formatSigned(11, value); }
RtString* formatNumber(int64_t value) { return formatSigned(20, value); }
RtString* formatNumber(uint8_t value) { return formatInteger(4, false, value); }
RtString* formatNumber(uint16_t value) { return formatInteger(6, false, value); }
RtString* formatNumber(uint32_t value) { return formatInteger(11, false, value); }
RtString* formatNumber(uint64_t value) { return formatInteger(21, false, value); }
RtString* formatNumber(float value) { return formatFloating(double{value}, kSingle); }
RtString* formatNumber(double value) { return formatFloating(value, kDouble); }

}  // namespace rt
