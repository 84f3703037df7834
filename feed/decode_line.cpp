// Taking a decoder log line apart: split into columns, recognise the layout by its number
// columns, then read the message.
#include "feed/decode_line.h"

#include <charconv>

#include "feed/columns.h"

namespace feed {
namespace {

// Longest call sign text accepted (compound calls such as "PJ4/K1ABC/P" included).
constexpr size_t maxCallBytes = 16;

// A frequency in MHz: digits with at most one decimal point, no sign, short enough to be real.
bool readFrequency(std::string_view text, double& megahertz) {
  if (text.empty() || text.size() > 16 || text[0] == '.' || text.back() == '.') return false;
  size_t points = 0;
  for (char c : text) {
    if (c == '.') {
      ++points;
    } else if (!isDigit(c)) {
      return false;
    }
  }
  if (points > 1) return false;
  const auto result = std::from_chars(text.data(), text.data() + text.size(), megahertz);
  return result.ec == std::errc() && megahertz > 0;
}

// A locator word as the decoder wrote it: four or six letters and digits, not all digits. Most
// are Maidenhead squares, but telemetry transmitters (pico balloons) send type-3 messages whose
// six-character word is not one ("B000AA"), and they are spots all the same.
bool isLocator(std::string_view text) {
  if (text.size() != 4 && text.size() != 6) return false;
  bool letter = false;
  for (char c : text) {
    if (isUpper(c) || isLower(c)) {
      letter = true;
    } else if (!isDigit(c)) {
      return false;
    }
  }
  return letter;
}

// A call sign: letters, digits and '/', with at least one letter or digit.
bool isCall(std::string_view text) {
  if (text.empty() || text.size() > maxCallBytes) return false;
  bool alphanumeric = false;
  for (char c : text) {
    if (isUpper(c) || isLower(c) || isDigit(c)) {
      alphanumeric = true;
    } else if (c != '/') {
      return false;
    }
  }
  return alphanumeric;
}

// Any whole number the decoder wrote: powers outside 0 to 60 dBm occur.
bool readPower(std::string_view text, int& dbm) { return readInteger(text, -9999, 9999, dbm); }

bool readDate(std::string_view text, Decode& decode) {
  if (text.size() != 6 || !allDigits(text)) return false;
  decode.year = 2000 + digitsValue(text.substr(0, 2));
  decode.month = digitsValue(text.substr(2, 2));
  decode.day = digitsValue(text.substr(4, 2));
  return decode.month >= 1 && decode.month <= 12 && decode.day >= 1 && decode.day <= 31;
}

bool readTime(std::string_view text, Decode& decode) {
  if (text.size() != 4 || !allDigits(text)) return false;
  decode.hour = digitsValue(text.substr(0, 2));
  decode.minute = digitsValue(text.substr(2, 2));
  return decode.hour <= 23 && decode.minute <= 59;
}

// The message words from column `first` on: call, optional locator, power.
bool readMessage(const Columns& columns, size_t first, Decode& decode) {
  if (first + 1 >= columns.count) return false;
  std::string_view call = columns.text[first];
  const std::string_view second = columns.text[first + 1];
  const bool hashed = call.size() >= 2 && call.front() == '<' && call.back() == '>';
  if (hashed) {
    // A hashed call always comes with a locator; "<...>" is a call the decoder could not
    // resolve and is kept as it is written.
    const std::string_view inner = call.substr(1, call.size() - 2);
    if (inner != "..." && !isCall(inner)) return false;
    if (inner != "...") call = inner;
    if (first + 2 >= columns.count || !isLocator(second)) return false;
    decode.call = call;
    decode.locator = second;
    return readPower(columns.text[first + 2], decode.powerDbm);
  }
  if (!isCall(call)) return false;
  decode.call = call;
  if (isLocator(second)) {
    decode.locator = second;
    return first + 2 < columns.count && readPower(columns.text[first + 2], decode.powerDbm);
  }
  decode.locator = {};
  return readPower(second, decode.powerDbm);
}

}  // namespace

bool mentionsOwnTransmission(const Columns& columns) {
  for (size_t i = 1; i < columns.count && i <= 3; ++i) {
    const std::string_view word = columns.text[i];
    if (word == "Tx" || word == "Transmitting" || word == "Retransmitting") return true;
  }
  return false;
}

ParsedLine parseDecodeLine(std::string_view line) {
  const Columns columns = splitColumns(line);
  ParsedLine parsed;
  if (columns.count == 0) {
    parsed.kind = LineKind::Blank;
  } else if (mentionsOwnTransmission(columns)) {
    parsed.kind = LineKind::OwnTransmission;
  } else {
    parsed = parseWsprColumns(columns);
  }
  return parsed;
}

ParsedLine parseWsprColumns(const Columns& columns) {
  ParsedLine parsed;
  parsed.kind = LineKind::Unreadable;
  Decode& decode = parsed.decode;
  if (columns.count < 7 || !readDate(columns.text[0], decode) ||
      !readTime(columns.text[1], decode)) {
    return parsed;
  }
  // Layout by the number columns: SNR then time offset, or sync, SNR, time offset.
  size_t snrColumn = 0, frequencyColumn = 0;
  if (isInteger(columns.text[2]) && isDecimal(columns.text[3])) {
    snrColumn = 2;
    frequencyColumn = 4;
  } else if (isInteger(columns.text[2]) && isInteger(columns.text[3]) &&
             isDecimal(columns.text[4])) {
    snrColumn = 3;
    frequencyColumn = 5;
  } else {
    return parsed;
  }
  if (!readInteger(columns.text[snrColumn], -99, 99, decode.snr)) return parsed;
  if (!readFrequency(columns.text[frequencyColumn], decode.frequencyMhz)) return parsed;
  decode.frequency = columns.text[frequencyColumn];
  if (!readMessage(columns, frequencyColumn + 1, decode)) return parsed;
  parsed.kind = LineKind::Decode;
  return parsed;
}

int64_t utcMinutes(const Decode& decode) {
  // Days from the civil date (proleptic Gregorian calendar).
  const int year = decode.month <= 2 ? decode.year - 1 : decode.year;
  const int era = year / 400;
  const int yearOfEra = year - era * 400;
  const int monthIndex = (decode.month + 9) % 12;
  const int dayOfYear = (153 * monthIndex + 2) / 5 + decode.day - 1;
  const int dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  const int64_t days = static_cast<int64_t>(era) * 146097 + dayOfEra - 719468;
  return days * 1440 + decode.hour * 60 + decode.minute;
}

}  // namespace feed
