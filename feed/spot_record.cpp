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

void keepLinesInBlocks(std::string_view records, int64_t fileOffset, std::string& out) {
  // Longer than any record, so that the first line of the next write fits before a boundary.
  constexpr int64_t longestRecordBytes = 128;
  out.clear();
  int64_t offset = fileOffset;
  bool linesBefore = false;  // `out` holds a line that can take blanks
  // The blanks go before the CR LF (or the LF) of the last line in `out`.
  const auto padLastLine = [&](int64_t blanks) {
    const size_t end = out.size() >= 2 && out[out.size() - 2] == '\r' ? out.size() - 2 : out.size() - 1;
    out.insert(end, static_cast<size_t>(blanks), ' ');
    offset += blanks;
  };
  std::string_view rest = records;
  while (!rest.empty()) {
    const size_t end = rest.find('\n');
    const std::string_view line = rest.substr(0, end == std::string_view::npos ? rest.size() : end + 1);
    const int64_t inBlock = offset % lineBlockBytes;
    if (linesBefore && inBlock != 0 && inBlock + static_cast<int64_t>(line.size()) > lineBlockBytes) {
      padLastLine(lineBlockBytes - inBlock);
    }
    out.append(line);
    offset += static_cast<int64_t>(line.size());
    linesBefore = line.back() == '\n';
    rest.remove_prefix(line.size());
  }
  const int64_t inBlock = offset % lineBlockBytes;
  if (linesBefore && inBlock != 0 && lineBlockBytes - inBlock < longestRecordBytes) {
    padLastLine(lineBlockBytes - inBlock);
  }
}

std::string_view withoutPadding(std::string_view line) {
  size_t end = line.size();
  if (end >= 1 && line[end - 1] == '\n') --end;
  if (end >= 1 && line[end - 1] == '\r') --end;
  size_t content = end;
  while (content > 0 && line[content - 1] == ' ') --content;
  return line.substr(0, content);
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
