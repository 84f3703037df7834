// The state file: a line of text per item, bytes of the decoder log in hexadecimal, records as
// they stand in the spot log (they hold no line end), and a last line that shows it is whole.
//
//   ferlang-feed state 1
//   source KNOWN OPENED DEVICE INDEX OFFSET
//   source-first HEX
//   source-last HEX
//   partial OVERLONG HEX
//   spot-log DEVICE INDEX BYTES
//   newest MINUTES            followed by "newest-record TEXT" lines
//   replay STARTED MINUTES    followed by "replay-record TEXT" lines
//   rows DATED YEAR MONTH DAY DIALKNOWN DIALHZ HEXMODE
//   kept MINUTES COUNT ...    (--keep-hours only)
//   end
#include "feed/resume_state.h"

#include <charconv>

namespace feed {
namespace {

constexpr std::string_view firstLine = "ferlang-feed state 1";
constexpr std::string_view lastLine = "end";

std::string hexOf(std::string_view bytes) {
  static constexpr char digits[] = "0123456789abcdef";
  std::string text;
  text.reserve(bytes.size() * 2);
  for (char c : bytes) {
    const auto byte = static_cast<unsigned char>(c);
    text += digits[byte >> 4];
    text += digits[byte & 15];
  }
  return text;
}

int hexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

bool bytesOf(std::string_view hex, std::string& bytes) {
  if (hex.size() % 2 != 0) return false;
  bytes.clear();
  for (size_t i = 0; i < hex.size(); i += 2) {
    const int high = hexDigit(hex[i]), low = hexDigit(hex[i + 1]);
    if (high < 0 || low < 0) return false;
    bytes += static_cast<char>(high * 16 + low);
  }
  return true;
}

// Reads the state's lines one by one, word by word.
class Reader {
 public:
  explicit Reader(std::string_view text) : text_(text) {}

  // The next line when it starts with `key` and a blank (or is `key` alone); the rest in `rest_`.
  bool line(std::string_view key) {
    const size_t end = text_.find('\n');
    if (end == std::string_view::npos) return false;
    const std::string_view line = text_.substr(0, end);
    if (line == key) {
      rest_ = {};
    } else if (line.size() > key.size() && line.substr(0, key.size()) == key &&
               line[key.size()] == ' ') {
      rest_ = line.substr(key.size() + 1);
    } else {
      return false;
    }
    text_.remove_prefix(end + 1);
    return true;
  }

  std::string_view rest() const { return rest_; }

  template <class Number>
  bool number(Number& value) {
    const size_t end = std::min(rest_.find(' '), rest_.size());
    const auto result = std::from_chars(rest_.data(), rest_.data() + end, value);
    if (result.ec != std::errc() || result.ptr != rest_.data() + end) return false;
    rest_.remove_prefix(end == rest_.size() ? end : end + 1);
    return true;
  }

  bool flag(bool& value) {
    int number = 0;
    if (!this->number(number) || number < 0 || number > 1) return false;
    value = number == 1;
    return true;
  }

  bool hex(std::string& bytes) {
    const std::string_view word = rest_;
    rest_ = {};
    return bytesOf(word, bytes);
  }

  bool empty() const { return rest_.empty(); }
  bool atEnd() const { return text_.empty(); }

  // The lines that start with `key`, each one's rest taken whole.
  void texts(std::string_view key, std::vector<std::string>& texts) {
    while (line(key)) texts.emplace_back(rest_);
  }

 private:
  std::string_view text_;
  std::string_view rest_;
};

void appendRecords(std::string& text, std::string_view key,
                   const std::vector<std::string>& records) {
  for (const std::string& record : records) {
    text.append(key);
    text += ' ';
    text += record;
    text += '\n';
  }
}

}  // namespace

std::string resumeStatePath(const std::string& spotLogPath) {
  return spotLogPath + ".ferlang-feed-state";
}

std::string formatResumeState(const ResumeState& state) {
  const FollowPosition& source = state.source;
  const ConverterMemory& memory = state.converter;
  std::string text(firstLine);
  text += "\nsource " + std::to_string(source.known) + ' ' + std::to_string(source.openedBefore) +
          ' ' + std::to_string(source.identity.device) + ' ' +
          std::to_string(source.identity.index) + ' ' + std::to_string(source.offset) + '\n';
  text += "source-first " + hexOf(source.firstBytes) + '\n';
  text += "source-last " + hexOf(source.lastBytes) + '\n';
  text +=
      "partial " + std::to_string(state.insideOverlongLine) + ' ' + hexOf(state.partialLine) + '\n';
  text += "spot-log " + std::to_string(state.spotLogIdentity.device) + ' ' +
          std::to_string(state.spotLogIdentity.index) + ' ' + std::to_string(state.spotLogBytes) +
          '\n';
  text += "newest " + std::to_string(memory.newestMinutes) + '\n';
  appendRecords(text, "newest-record", memory.newestRecords);
  text += "replay " + std::to_string(memory.startedOver) + ' ' +
          std::to_string(memory.replayMinutes) + '\n';
  appendRecords(text, "replay-record", memory.replayRecords);
  const RowContext& rows = memory.rows;
  text += "rows " + std::to_string(rows.dated) + ' ' + std::to_string(rows.year) + ' ' +
          std::to_string(rows.month) + ' ' + std::to_string(rows.day) + ' ' +
          std::to_string(rows.dialKnown) + ' ' + std::to_string(rows.dialHz) + ' ' +
          hexOf(rows.mode) + '\n';
  if (!state.keptRuns.empty()) {
    text += "kept";
    for (const MinuteRun& run : state.keptRuns) {
      text += ' ' + std::to_string(run.utcMinutes) + ' ' + std::to_string(run.records);
    }
    text += '\n';
  }
  text.append(lastLine);
  text += '\n';
  return text;
}

std::optional<ResumeState> parseResumeState(std::string_view text) {
  ResumeState state;
  FollowPosition& source = state.source;
  ConverterMemory& memory = state.converter;
  Reader reader(text);
  const bool read =
      reader.line(firstLine) && reader.line("source") && reader.flag(source.known) &&
      reader.flag(source.openedBefore) && reader.number(source.identity.device) &&
      reader.number(source.identity.index) && reader.number(source.offset) && reader.empty() &&
      source.offset >= 0 && reader.line("source-first") && reader.hex(source.firstBytes) &&
      reader.line("source-last") && reader.hex(source.lastBytes) && reader.line("partial") &&
      reader.flag(state.insideOverlongLine) && reader.hex(state.partialLine) &&
      reader.line("spot-log") && reader.number(state.spotLogIdentity.device) &&
      reader.number(state.spotLogIdentity.index) && reader.number(state.spotLogBytes) &&
      reader.empty() && state.spotLogBytes >= 0 && reader.line("newest") &&
      reader.number(memory.newestMinutes) && reader.empty();
  if (!read) return std::nullopt;
  reader.texts("newest-record", memory.newestRecords);
  if (!reader.line("replay") || !reader.flag(memory.startedOver) ||
      !reader.number(memory.replayMinutes) || !reader.empty()) {
    return std::nullopt;
  }
  reader.texts("replay-record", memory.replayRecords);
  RowContext& rows = memory.rows;
  if (!reader.line("rows") || !reader.flag(rows.dated) || !reader.number(rows.year) ||
      !reader.number(rows.month) || !reader.number(rows.day) || !reader.flag(rows.dialKnown) ||
      !reader.number(rows.dialHz) || !reader.hex(rows.mode)) {
    return std::nullopt;
  }
  if (reader.line("kept")) {
    while (!reader.empty()) {
      MinuteRun run;
      if (!reader.number(run.utcMinutes) || !reader.number(run.records) || run.records <= 0) {
        return std::nullopt;
      }
      state.keptRuns.push_back(run);
    }
  }
  if (!reader.line(lastLine) || !reader.atEnd()) return std::nullopt;
  return state;
}

bool saveResumeState(const std::string& path, const ResumeState& state, std::string& error) {
  const std::string temporary = path + ".tmp";
  NewFile file;
  if (!file.create(temporary, error) || !file.write(formatResumeState(state), error)) {
    removeFile(temporary);
    return false;
  }
  file.close();
  if (!replaceFile(temporary, path, error)) {
    removeFile(temporary);
    return false;
  }
  return true;
}

std::optional<ResumeState> loadResumeState(const std::string& path) {
  const std::optional<std::string> text = readFileFrom(path);
  if (!text) return std::nullopt;
  return parseResumeState(*text);
}

}  // namespace feed
