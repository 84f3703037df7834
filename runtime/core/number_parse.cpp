// The number scanner: one pass over the bytes with a small stage machine for decimal numbers,
// and a separate reader for '&H' / '&O' constants.
#include "runtime/core/number_parse.h"

#include <cstdint>
#include <cstdlib>
#include <string>

#include "runtime/core/errors.h"
#include "runtime/core/extended_precision.h"

namespace rt {

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t'; }
bool isDigit(char c) { return c >= '0' && c <= '9'; }

// Value of a hexadecimal or octal digit, or -1.
int basedDigit(char c, int bitsPerDigit) {
  if (c >= '0' && c <= '7') return c - '0';
  if (bitsPerDigit == 3) return -1;
  if (c >= '8' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// `rest` starts just after the ampersand. Blanks are not skipped inside a based constant.
long double parseBasedConstant(std::string_view rest) {
  if (rest.size() < 2) return 0;
  int bitsPerDigit;
  if (rest[0] == 'H' || rest[0] == 'h') {
    bitsPerDigit = 4;
  } else if (rest[0] == 'O' || rest[0] == 'o') {
    bitsPerDigit = 3;
  } else {
    return 0;
  }
  uint64_t value = 0;
  int significant = 0;
  int firstSignificant = 0;
  for (size_t i = 1; i < rest.size(); ++i) {
    const int digit = basedDigit(rest[i], bitsPerDigit);
    if (digit < 0) break;
    if (significant == 0 && digit == 0) continue;  // leading zeros cost no bits
    if (significant == 0) firstSignificant = digit;
    ++significant;
    // 16 hexadecimal digits fill 64 bits; 22 octal digits fit only when the first one is 1.
    const bool overflow = bitsPerDigit == 4
                              ? significant > 16
                              : significant > 22 || (significant == 22 && firstSignificant != 1);
    if (overflow) {
      raiseError(6);
      return 0;
    }
    value = (value << bitsPerDigit) | static_cast<uint64_t>(digit);
  }
  return static_cast<long double>(static_cast<int64_t>(value));
}

enum class Stage { NothingYet, SignOrInteger, Fraction, ExponentLetter, ExponentDigits };

struct DecimalScan {
  bool negative = false;
  bool exponentNegative = false;
  std::string digits;           // significant digits, no leading zeros
  int64_t pointPosition = 0;    // digits before the decimal point, less leading fraction zeros
  bool fractionDigits = false;  // a significant digit came after the point
  uint64_t integerValue = 0;    // the integer digits, while they fit
  bool integerFits = true;
  int64_t exponent = 0;
  int exponentDigits = 0;
};

constexpr int kMaxExponentDigits = 18;

void addIntegerDigit(DecimalScan& scan, char c) {
  if (scan.digits.empty() && c == '0') return;
  scan.digits.push_back(c);
  ++scan.pointPosition;
  const auto digit = static_cast<uint64_t>(c - '0');
  constexpr uint64_t kMax = static_cast<uint64_t>(INT64_MAX);
  if (scan.integerFits && scan.integerValue <= (kMax - digit) / 10) {
    scan.integerValue = scan.integerValue * 10 + digit;
  } else {
    scan.integerFits = false;
  }
}

void addFractionDigit(DecimalScan& scan, char c) {
  if (scan.digits.empty() && c == '0') {
    --scan.pointPosition;
    return;
  }
  scan.digits.push_back(c);
  scan.fractionDigits = true;
}

// False when the digit ends the scan (a 19th significant exponent digit).
bool addExponentDigit(DecimalScan& scan, char c) {
  if (scan.exponentDigits == 0 && c == '0') return true;
  if (scan.exponentDigits == kMaxExponentDigits) return false;
  ++scan.exponentDigits;
  scan.exponent = scan.exponent * 10 + (c - '0');
  return true;
}

// Runs the stage machine over `text` and records what it read.
DecimalScan scanDecimal(std::string_view text) {
  DecimalScan scan;
  Stage stage = Stage::NothingYet;
  for (const char c : text) {
    if (isBlank(c)) continue;
    if (c == '-' || c == '+') {
      if (stage == Stage::NothingYet) {
        scan.negative = c == '-';
        stage = Stage::SignOrInteger;
      } else if (stage == Stage::ExponentLetter) {
        scan.exponentNegative = c == '-';
        stage = Stage::ExponentDigits;
      } else {
        break;
      }
    } else if (c == '.') {
      if (stage != Stage::NothingYet && stage != Stage::SignOrInteger) break;
      stage = Stage::Fraction;
    } else if (c == 'D' || c == 'd' || c == 'E' || c == 'e') {
      if (stage == Stage::ExponentLetter || stage == Stage::ExponentDigits) break;
      stage = Stage::ExponentLetter;
    } else if (isDigit(c)) {
      if (stage == Stage::NothingYet || stage == Stage::SignOrInteger) {
        addIntegerDigit(scan, c);
        stage = Stage::SignOrInteger;
      } else if (stage == Stage::Fraction) {
        addFractionDigit(scan, c);
      } else {
        if (!addExponentDigit(scan, c)) break;
        stage = Stage::ExponentDigits;
      }
    } else {
      break;
    }
  }
  return scan;
}

long double valueOf(const DecimalScan& scan) {
  if (scan.digits.empty()) return 0;
  const int64_t exponent = scan.exponentNegative ? -scan.exponent : scan.exponent;
  if (exponent == 0 && !scan.fractionDigits && scan.integerFits) {
    const auto magnitude = static_cast<int64_t>(scan.integerValue);
    return static_cast<long double>(scan.negative ? -magnitude : magnitude);
  }
  // Scientific text with one digit before the point, rounded once to the extended format by the
  // C library's correctly rounded decimal reader. The point is left out and the exponent shifted by the number of
  // digits after it: the same value, and no dependence on the locale's decimal separator.
  const auto digitCount = static_cast<int64_t>(scan.digits.size());
  const int64_t decimalExponent = scan.pointPosition + exponent - digitCount;
  std::string text;
  text.reserve(scan.digits.size() + 24);
  if (scan.negative) text.push_back('-');
  text += scan.digits;
  text.push_back('E');
  text += std::to_string(decimalExponent);
  return decimalToExtended(text.c_str());
}

}  // namespace

long double parseNumber(std::string_view text) {
  if (errorIsPending()) return 0;
  size_t first = 0;
  while (first < text.size() && isBlank(text[first])) ++first;
  if (first < text.size() && text[first] == '&') return parseBasedConstant(text.substr(first + 1));
  return valueOf(scanDecimal(text.substr(first)));
}

long double parseNumber(const RtString* s) { return parseNumber(s->view()); }

}  // namespace rt
