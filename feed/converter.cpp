// Line by line conversion with the counts and the record memory of converter.h.
#include "feed/converter.h"

namespace feed {

bool Converter::convertLine(std::string_view line, std::string& out) {
  const ParsedLine parsed = parser_.parse(line);
  switch (parsed.kind) {
    case LineKind::Blank:
    case LineKind::Heading:
      return false;
    case LineKind::OtherMode:
      ++counts_.otherMode;
      return false;
    case LineKind::OwnTransmission:
      ++counts_.ownTransmission;
      return false;
    case LineKind::LowConfidence:
      ++counts_.lowConfidence;
      return false;
    case LineKind::NoSender:
      ++counts_.noSender;
      return false;
    case LineKind::NoHeading:
      ++counts_.noHeading;
      return false;
    case LineKind::Note:
      ++counts_.notes;
      return false;
    case LineKind::Unreadable:
      ++counts_.unreadable;
      return false;
    case LineKind::Decode:
      break;
  }
  const Decode& decode = parsed.decode;
  if ((options_.modes & modeBit(decode.mode)) == 0) {
    ++counts_.modeNotAsked;
    return false;
  }
  if (options_.band && !options_.band->contains(decode.frequencyMhz)) {
    ++counts_.outsideBand;
    return false;
  }
  const TimeOfDay time = options_.localTime ? localTime_.localTimeOf(decode)
                                            : TimeOfDay{decode.hour, decode.minute, decode.second};
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
  ++counts_.recordsOfMode[static_cast<size_t>(decode.mode)];
  last_ = decode;
  lastTime_ = time;
  lastMinutes_ = minutes;
  return true;
}

void Converter::startOver() {
  parser_.startOver();
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
  return {newestMinutes_, withoutLineEnds(newestRecords_), startedOver_,
          replayMinutes_, withoutLineEnds(replayRecords_), parser_.context()};
}

void Converter::restore(const ConverterMemory& memory) {
  newestMinutes_ = memory.newestMinutes;
  newestRecords_ = withLineEnds(memory.newestRecords);
  startedOver_ = memory.startedOver;
  replayMinutes_ = memory.replayMinutes;
  replayRecords_ = withLineEnds(memory.replayRecords);
  parser_.restore(memory.rows);
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
  // FT8 and FT4: the records by mode and what only their rows are skipped for.
  const auto& byMode = counts.recordsOfMode;
  const int64_t ft8Skipped =
      counts.lowConfidence + counts.noSender + counts.noHeading + counts.notes;
  if (byMode[static_cast<size_t>(Mode::Ft8)] + byMode[static_cast<size_t>(Mode::Ft4)] + ft8Skipped >
      0) {
    text += "; records by mode: WSPR " + std::to_string(byMode[static_cast<size_t>(Mode::Wspr)]) +
            ", FT8 " + std::to_string(byMode[static_cast<size_t>(Mode::Ft8)]) + ", FT4 " +
            std::to_string(byMode[static_cast<size_t>(Mode::Ft4)]) +
            "; skipped besides: " + std::to_string(counts.lowConfidence) +
            " marked low-confidence, " + std::to_string(counts.noSender) +
            " without a sender's call, " + std::to_string(counts.noHeading) +
            " before a row giving their date or dial, " + std::to_string(counts.notes) + " notes";
  }
  if (options.modes != allModes) {
    text += ", " + std::to_string(counts.modeNotAsked) + " decodes of other modes";
  }
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
