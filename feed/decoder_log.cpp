// Telling the layouts apart by a row's first columns, then reading each.
#include "feed/decoder_log.h"

#include "feed/ft8_message.h"

namespace feed {
namespace {

// The message field of the monthly layout; the decoder's mark follows it.
constexpr size_t monthlyMessageBytes = 26;

bool readClock(std::string_view hhmmss, Decode& decode) {
  if (hhmmss.size() != 6 || !allDigits(hhmmss)) return false;
  decode.hour = digitsValue(hhmmss.substr(0, 2));
  decode.minute = digitsValue(hhmmss.substr(2, 2));
  decode.second = digitsValue(hhmmss.substr(4, 2));
  return decode.hour <= 23 && decode.minute <= 59 && decode.second <= 59;
}

bool validDate(int month, int day) { return month >= 1 && month <= 12 && day >= 1 && day <= 31; }

// "yymmdd_hhmmss" (dated rows) or "yyyyMMdd_hhmmss" (monthly rows).
bool readStamp(std::string_view stamp, Decode& decode) {
  const size_t dateBytes = stamp.size() == 13 ? 6 : 8;
  if ((stamp.size() != 13 && stamp.size() != 15) || stamp[dateBytes] != '_') return false;
  const std::string_view date = stamp.substr(0, dateBytes);
  if (!allDigits(date)) return false;
  decode.year =
      dateBytes == 6 ? 2000 + digitsValue(date.substr(0, 2)) : digitsValue(date.substr(0, 4));
  decode.month = digitsValue(date.substr(dateBytes - 4, 2));
  decode.day = digitsValue(date.substr(dateBytes - 2, 2));
  return validDate(decode.month, decode.day) && readClock(stamp.substr(dateBytes + 1), decode);
}

// A header row's date: "2017-09-23" or "2015-Apr-18".
bool readHeaderDate(std::string_view text, RowContext& context) {
  static constexpr std::string_view months[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  if (text.size() < 10 || text[4] != '-' || text[text.size() - 3] != '-') return false;
  const std::string_view year = text.substr(0, 4), day = text.substr(text.size() - 2);
  const std::string_view month = text.substr(5, text.size() - 8);
  if (!allDigits(year) || !allDigits(day)) return false;
  context.month = 0;
  if (month.size() == 2 && allDigits(month)) context.month = digitsValue(month);
  for (int i = 0; i < 12 && month.size() == 3; ++i) {
    if (month == months[i]) context.month = i + 1;
  }
  context.year = digitsValue(year);
  context.day = digitsValue(day);
  return validDate(context.month, context.day);
}

// A dial frequency in MHz with any number of decimals, as whole hertz (decimals past the sixth
// are dropped).
bool readDialHz(std::string_view text, int64_t& hertz) {
  const size_t point = text.find('.');
  const std::string_view whole = text.substr(0, point);
  const std::string_view decimals = point == std::string_view::npos ? "" : text.substr(point + 1);
  if (whole.empty() || whole.size() > 6 || !allDigits(whole)) return false;
  if (point != std::string_view::npos && !decimals.empty() && !allDigits(decimals)) return false;
  hertz = static_cast<int64_t>(digitsValue(whole)) * 1'000'000;
  int64_t scale = 100'000;
  for (size_t i = 0; i < decimals.size() && i < 6; ++i, scale /= 10) {
    hertz += (decimals[i] - '0') * scale;
  }
  return true;
}

// The mode a header row or a dated row names, when its decodes become spots.
bool readMode(std::string_view text, Mode& mode) {
  if (text == "FT8") {
    mode = Mode::Ft8;
  } else if (text == "FT4") {
    mode = Mode::Ft4;
  } else {
    return false;
  }
  return true;
}

// `hertz` as megahertz with six decimals ("14.075177"), written into `buffer`.
std::string_view formatMegahertz(int64_t hertz, char (&buffer)[32]) {
  char* end = buffer + sizeof buffer;
  char* at = end;
  int64_t rest = hertz;
  for (int i = 0; i < 6; ++i, rest /= 10) *--at = static_cast<char>('0' + rest % 10);
  *--at = '.';
  do {
    *--at = static_cast<char>('0' + rest % 10);
    rest /= 10;
  } while (rest > 0);
  return std::string_view(at, static_cast<size_t>(end - at));
}

ParsedLine kindOnly(LineKind kind) {
  ParsedLine parsed;
  parsed.kind = kind;
  return parsed;
}

bool startsHeaderDate(std::string_view text) {
  return text.size() >= 10 && text[4] == '-' && allDigits(text.substr(0, 4));
}

}  // namespace

std::string_view layoutName(Layout layout) {
  switch (layout) {
    case Layout::WsprColumns:
      return "WSPR columns (ALL_WSPR.TXT)";
    case Layout::DatedRows:
      return "dated rows (ALL.TXT)";
    case Layout::HeaderRows:
      return "rows under header rows (ALL.TXT of older versions)";
    case Layout::MonthlyRows:
      return "monthly rows";
    case Layout::Unknown:
      break;
  }
  return "not known yet";
}

ParsedLine DecoderLogParser::parse(std::string_view line) {
  const Columns columns = splitColumns(line);
  if (columns.count == 0) return kindOnly(LineKind::Blank);
  if (mentionsOwnTransmission(columns)) return kindOnly(LineKind::OwnTransmission);
  const std::string_view first = columns.text[0];
  ParsedLine parsed;
  Layout layout = Layout::Unknown;
  if (first.size() == 13 && first[6] == '_') {
    layout = Layout::DatedRows;
    parsed = datedRow(columns, line);
  } else if (first.size() >= 13 && first[8] == '_') {
    layout = Layout::MonthlyRows;
    parsed = monthlyRow(columns, line);
  } else if (startsHeaderDate(first)) {
    layout = Layout::HeaderRows;
    parsed = headerRow(columns);
  } else if (first.size() == 6 && columns.count > 1 && columns.text[1].size() == 4 &&
             allDigits(columns.text[1])) {
    layout = Layout::WsprColumns;
    parsed = parseWsprColumns(columns);
  } else if (first.size() == 6) {
    layout = Layout::HeaderRows;
    parsed = headerLayoutDecode(columns, line);
  } else {
    return kindOnly(LineKind::Unreadable);
  }
  if (parsed.kind != LineKind::Unreadable) layout_ = layout;
  return parsed;
}

LineKind DecoderLogParser::readFt8Decode(Mode mode, int64_t dialHz, const Columns& columns,
                                         size_t snrColumn, std::string_view message,
                                         Decode& decode) {
  int audioHz = 0;
  if (columns.count <= snrColumn + 3 ||
      !readInteger(columns.text[snrColumn], -99, 99, decode.snr) ||
      !isDecimal(columns.text[snrColumn + 1]) ||
      !readInteger(columns.text[snrColumn + 2], 0, 9999, audioHz)) {
    return LineKind::Unreadable;
  }
  const MessageSpot spot = spotOfMessage(message);
  if (spot.kind == MessageSpot::Kind::LowConfidence) return LineKind::LowConfidence;
  if (spot.kind == MessageSpot::Kind::NoSender) return LineKind::NoSender;
  const int64_t hertz = dialHz + audioHz;
  decode.mode = mode;
  decode.frequency = formatMegahertz(hertz, frequency_);
  decode.frequencyMhz = static_cast<double>(hertz) / 1e6;
  decode.call = spot.call;
  decode.locator = spot.locator;
  decode.hasPower = false;
  decode.powerDbm = 0;
  return LineKind::Decode;
}

ParsedLine DecoderLogParser::datedRow(const Columns& columns, std::string_view line) {
  ParsedLine parsed;
  Decode& decode = parsed.decode;
  int64_t dialHz = 0;
  if (columns.count < 8 || !readStamp(columns.text[0], decode) ||
      !readDialHz(columns.text[1], dialHz) || columns.text[2] != "Rx") {
    return kindOnly(LineKind::Unreadable);
  }
  Mode mode = Mode::Ft8;
  if (!readMode(columns.text[3], mode)) return kindOnly(LineKind::OtherMode);
  parsed.kind = readFt8Decode(mode, dialHz, columns, 4, line.substr(columns.start[7]), decode);
  return parsed;
}

ParsedLine DecoderLogParser::headerRow(const Columns& columns) {
  RowContext context;
  const std::string_view time = columns.count > 1 ? columns.text[1] : "";
  if (columns.count < 5 || !readHeaderDate(columns.text[0], context) || time.size() != 5 ||
      time[2] != ':' || !readDialHz(columns.text[2], context.dialHz) || columns.text[3] != "MHz") {
    return kindOnly(LineKind::Unreadable);
  }
  context.dated = true;
  context.dialKnown = true;
  context.mode = columns.text[4];
  context_ = std::move(context);
  return kindOnly(LineKind::Heading);
}

ParsedLine DecoderLogParser::headerLayoutDecode(const Columns& columns, std::string_view line) {
  ParsedLine parsed;
  Decode& decode = parsed.decode;
  if (columns.count < 6 || !readClock(columns.text[0], decode) || columns.text[4].size() != 1) {
    return kindOnly(LineKind::Unreadable);
  }
  if (!context_.dated) return kindOnly(LineKind::NoHeading);
  Mode mode = Mode::Ft8;
  if (!readMode(context_.mode, mode)) return kindOnly(LineKind::OtherMode);
  decode.year = context_.year;
  decode.month = context_.month;
  decode.day = context_.day;
  parsed.kind =
      readFt8Decode(mode, context_.dialHz, columns, 1, line.substr(columns.start[5]), decode);
  return parsed;
}

ParsedLine DecoderLogParser::monthlyRow(const Columns& columns, std::string_view line) {
  if (columns.count < 2) return kindOnly(LineKind::Unreadable);
  if (columns.text[1] == "QSO" || columns.text[1] == "partial") return kindOnly(LineKind::Note);
  ParsedLine parsed;
  Decode& decode = parsed.decode;
  if (columns.count >= 4 && columns.text[2] == "MHz") {
    int64_t dialHz = 0;
    if (!readStamp(columns.text[0], decode) || !readDialHz(columns.text[1], dialHz)) {
      return kindOnly(LineKind::Unreadable);
    }
    context_.dialKnown = true;
    context_.dialHz = dialHz;
    return kindOnly(LineKind::Heading);
  }
  if (columns.count < 6 || columns.text[4].size() != 1) return kindOnly(LineKind::Unreadable);
  const char mark = columns.text[4][0];
  if (mark == '+') return kindOnly(LineKind::OtherMode);
  if ((mark != '~' && mark != ':') || !readStamp(columns.text[0], decode)) {
    return kindOnly(LineKind::Unreadable);
  }
  if (!context_.dialKnown) return kindOnly(LineKind::NoHeading);
  // The message field, without the mark column after it.
  const std::string_view message = line.substr(columns.start[5], monthlyMessageBytes);
  parsed.kind = readFt8Decode(mark == ':' ? Mode::Ft4 : Mode::Ft8, context_.dialHz, columns, 1,
                              message, decode);
  return parsed;
}

}  // namespace feed
