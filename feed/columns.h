// A decoder log line cut into its blank-separated columns, with where each one starts, and the
// small readers of column text that every layout uses.
#pragma once

#include <array>
#include <cstddef>
#include <string_view>

namespace feed {

// More columns than any layout has: the fixed columns, a message and the decoder's trailing
// figures. Columns beyond these are not looked at.
inline constexpr size_t maxColumns = 24;

struct Columns {
  std::array<std::string_view, maxColumns> text;
  std::array<size_t, maxColumns> start{};  // offset of each column in the line
  size_t count = 0;
};

inline bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r'; }
inline bool isDigit(char c) { return c >= '0' && c <= '9'; }
inline bool isUpper(char c) { return c >= 'A' && c <= 'Z'; }
inline bool isLower(char c) { return c >= 'a' && c <= 'z'; }

// Splits `line` at runs of blanks, tabs and CRs. No allocation.
inline Columns splitColumns(std::string_view line) {
  Columns columns;
  size_t i = 0;
  const size_t n = line.size();
  while (i < n && columns.count < maxColumns) {
    while (i < n && isBlank(line[i])) ++i;
    if (i == n) break;
    const size_t start = i;
    while (i < n && !isBlank(line[i])) ++i;
    columns.start[columns.count] = start;
    columns.text[columns.count++] = line.substr(start, i - start);
  }
  return columns;
}

inline bool allDigits(std::string_view text) {
  if (text.empty()) return false;
  for (char c : text) {
    if (!isDigit(c)) return false;
  }
  return true;
}

inline int digitsValue(std::string_view text) {
  int value = 0;
  for (char c : text) value = value * 10 + (c - '0');
  return value;
}

// A whole number with an optional sign, within [low, high]; "-0" is 0.
inline bool readInteger(std::string_view text, int low, int high, int& value) {
  bool negative = false;
  if (!text.empty() && (text[0] == '-' || text[0] == '+')) {
    negative = text[0] == '-';
    text.remove_prefix(1);
  }
  if (text.empty() || text.size() > 4 || !allDigits(text)) return false;
  const int magnitude = digitsValue(text);
  value = negative ? -magnitude : magnitude;
  return value >= low && value <= high;
}

inline bool isInteger(std::string_view text) {
  int ignored = 0;
  return readInteger(text, -9999, 9999, ignored);
}

// A number with a decimal point and an optional sign, as decoders write the time offset.
inline bool isDecimal(std::string_view text) {
  if (!text.empty() && (text[0] == '-' || text[0] == '+')) text.remove_prefix(1);
  const size_t point = text.find('.');
  if (point == std::string_view::npos || text.size() < 2) return false;
  for (size_t i = 0; i < text.size(); ++i) {
    if (i != point && !isDigit(text[i])) return false;
  }
  return true;
}

}  // namespace feed
