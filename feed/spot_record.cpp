// Formatting one spot-log record, without a heap allocation once `out` has grown.
#include "feed/spot_record.h"

#include <ctime>

namespace feed {
namespace {

void appendTwoDigits(std::string& out, int value) {
  out += static_cast<char>('0' + value / 10 % 10);
  out += static_cast<char>('0' + value % 10);
}

// A whole number; the SNR "-0" of some decoders has become 0 when it was parsed.
void appendInteger(std::string& out, int value) {
  if (value < 0) {
    out += '-';
    value = -value;
  }
  char digits[12];
  int count = 0;
  do {
    digits[count++] = static_cast<char>('0' + value % 10);
    value /= 10;
  } while (value != 0);
  while (count > 0) out += digits[--count];
}

}  // namespace

void appendSpotRecord(std::string& out, const Decode& decode, TimeOfDay time) {
  out.append(decode.call);
  out += ',';
  out.append(decode.frequency);
  out += ',';
  appendTwoDigits(out, time.hour);
  out += ':';
  appendTwoDigits(out, time.minute);
  out += ':';
  appendTwoDigits(out, time.second);
  out += ',';
  out.append(decode.locator);
  out += ',';
  appendInteger(out, decode.snr);
  out += ',';
  if (decode.hasPower) {
    appendInteger(out, decode.powerDbm);
    out.append(" dBm");
  }
  out.append("\r\n");
}

std::string spotLogHeading(std::string_view sourcePath) {
  const size_t slash = sourcePath.find_last_of("/\\");
  std::string name(slash == std::string_view::npos ? sourcePath : sourcePath.substr(slash + 1));
  // The plotter reads the heading as one field: nothing in it may end the field or the line.
  for (char& c : name) {
    const bool plain = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
                       c == '.' || c == '_' || c == '-';
    if (!plain) c = '_';
  }
  return "Spots converted from " + name + "\r\n";
}

TimeOfDay LocalTimeConverter::localTimeOf(const Decode& decode) {
  const int64_t minutes = utcMinutes(decode);
  if (minutes != lastUtcMinutes_) {
    const std::time_t seconds = static_cast<std::time_t>(minutes * 60);
    std::tm local{};
    if (localtime_r(&seconds, &local) != nullptr) {
      lastLocal_ = {local.tm_hour, local.tm_min, 0};
    } else {
      lastLocal_ = {decode.hour, decode.minute, 0};
    }
    lastUtcMinutes_ = minutes;
  }
  return {lastLocal_.hour, lastLocal_.minute, decode.second};
}

}  // namespace feed
