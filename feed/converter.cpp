// Line by line conversion with the counts and the record memory of converter.h.
#include "feed/converter.h"

namespace feed {

bool Converter::convertLine(std::string_view line, std::string& out) {
  const ParsedLine parsed = parseDecodeLine(line);
  switch (parsed.kind) {
    case LineKind::Blank:
      return false;
    case LineKind::OtherMode:
      ++counts_.otherMode;
      return false;
    case LineKind::OwnTransmission:
      ++counts_.ownTransmission;
      return false;
    case LineKind::Unreadable:
      ++counts_.unreadable;
      return false;
    case LineKind::Decode:
      break;
  }
  const Decode& decode = parsed.decode;
  if (options_.band && !options_.band->contains(decode.frequencyMhz)) {
    ++counts_.outsideBand;
    return false;
  }
  const TimeOfDay time =
      options_.localTime ? localTime_.localTimeOf(decode) : TimeOfDay{decode.hour, decode.minute};
  const size_t start = out.size();
  appendSpotRecord(out, decode, time);
  const std::string_view record(out.data() + start, out.size() - start);
  const int64_t minutes = utcMinutes(decode);
  if (startedOver_ && alreadyWritten(minutes, record)) {
    out.resize(start);
    ++counts_.alreadyWritten;
    return false;
  }
  remember(minutes, record);
  ++counts_.records;
  last_ = decode;
  lastTime_ = time;
  lastMinutes_ = minutes;
  return true;
}

void Converter::startOver() {
  startedOver_ = true;
  replayMinutes_ = newestMinutes_;
  replayRecords_ = newestRecords_;
}

namespace {

constexpr std::string_view lineEnd = "\r\n";

std::vector<std::string> withoutLineEnds(const std::unordered_set<std::string>& records) {
  std::vector<std::string> texts;
  texts.reserve(records.size());
  for (const std::string& record : records) texts.push_back(record.substr(0, record.size() - 2));
  return texts;
}

std::unordered_set<std::string> withLineEnds(const std::vector<std::string>& texts) {
  std::unordered_set<std::string> records;
  for (const std::string& text : texts) records.insert(text + std::string(lineEnd));
  return records;
}

}  // namespace

ConverterMemory Converter::memory() const {
  return {newestMinutes_, withoutLineEnds(newestRecords_), startedOver_, replayMinutes_,
          withoutLineEnds(replayRecords_)};
}

void Converter::restore(const ConverterMemory& memory) {
  newestMinutes_ = memory.newestMinutes;
  newestRecords_ = withLineEnds(memory.newestRecords);
  startedOver_ = memory.startedOver;
  replayMinutes_ = memory.replayMinutes;
  replayRecords_ = withLineEnds(memory.replayRecords);
}

bool Converter::alreadyWritten(int64_t minutes, std::string_view record) const {
  if (minutes < replayMinutes_) return true;
  return minutes == replayMinutes_ && replayRecords_.count(std::string(record)) != 0;
}

void Converter::remember(int64_t minutes, std::string_view record) {
  if (minutes < newestMinutes_) return;  // out of order: older than the newest already
  if (minutes > newestMinutes_) {
    newestMinutes_ = minutes;
    newestRecords_.clear();
  }
  newestRecords_.emplace(record);
}

std::string describeCounts(const FeedCounts& counts, const ConverterOptions& options) {
  std::string text = std::to_string(counts.records) + " records written, " +
                     std::to_string(counts.skipped()) + " lines skipped (" +
                     std::to_string(counts.otherMode) + " other modes, " +
                     std::to_string(counts.ownTransmission) + " own transmissions, " +
                     std::to_string(counts.unreadable) + " unreadable)";
  if (options.band) {
    text += ", " + std::to_string(counts.outsideBand) + " decodes outside " +
            std::string(options.band->name);
  }
  if (counts.alreadyWritten > 0) {
    text += ", " + std::to_string(counts.alreadyWritten) + " decodes already written";
  }
  return text;
}

}  // namespace feed
