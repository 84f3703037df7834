// Wiring of the feed: follower -> line splitter -> converter -> spot log.
#include "feed/feed_run.h"

#include <chrono>
#include <string>

#include "feed/converter.h"
#include "feed/files.h"
#include "feed/follower.h"
#include "feed/line_splitter.h"
#include "feed/stop_signal.h"

namespace feed {
namespace {

constexpr int pollMs = 1000;
constexpr auto reportEvery = std::chrono::minutes(1);
// Records are gathered into writes of whole lines up to about this size.
constexpr size_t writeBytes = 1 << 16;

// Receives the decoder log's bytes and appends the records to the spot log.
class SpotFeed : public FollowReader {
 public:
  SpotFeed(const FeedOptions& options, SpotLogFile& spotLog)
      : converter_({options.band, options.localTime}), spotLog_(spotLog) {
    pending_.reserve(writeBytes + LineSplitter::defaultMaxLineBytes);
  }

  void bytes(std::string_view block) override {
    splitter_.feed(block, [this](std::string_view line, bool overlong) { takeLine(line, overlong); });
  }

  void startOver() override {
    splitter_.reset();
    converter_.startOver();
  }

  bool keepReading() override { return writeError_.empty() && !stopRequested(); }

  // The last line of a one-time conversion, even without its line end.
  void finish() {
    splitter_.finish([this](std::string_view line, bool overlong) { takeLine(line, overlong); });
  }

  // Writes the records gathered so far. False when the spot log cannot be written.
  bool flush() {
    if (!writeError_.empty()) return false;
    if (pending_.empty()) return true;
    std::string error;
    if (!spotLog_.append(pending_, error)) {
      writeError_ = error;
      return false;
    }
    pending_.clear();
    return true;
  }

  const std::string& writeError() const { return writeError_; }
  const Converter& converter() const { return converter_; }

 private:
  void takeLine(std::string_view line, bool overlong) {
    if (overlong) {
      converter_.countOverlongLine();
      return;
    }
    converter_.convertLine(line, pending_);
    if (pending_.size() >= writeBytes) flush();
  }

  LineSplitter splitter_;
  Converter converter_;
  SpotLogFile& spotLog_;
  std::string pending_;  // whole records not yet written
  std::string writeError_;
};

// Opens the spot log for appending; a new or empty log gets the heading line, and a log whose
// last line has no line end gets one, so that the first record starts a line of its own.
bool openSpotLog(const std::string& path, SpotLogFile& spotLog, std::string& error) {
  if (!spotLog.open(path, error)) return false;
  const int64_t size = spotLog.size();
  if (size == 0) return spotLog.append(spotLogHeading, error);
  const int last = spotLog.lastByte();
  if (size > 0 && last != '\n' && last != '\r') return spotLog.append("\r\n", error);
  return true;
}

int reportWriteFailure(const FeedOptions& options, const SpotFeed& feed, std::ostream& err) {
  err << "ferlang-feed: cannot write " << options.spotLog << ": " << feed.writeError() << '\n';
  return exitFailure;
}

int convertOnce(const FeedOptions& options, SpotFeed& feed, std::ostream& out,
                std::ostream& err) {
  Follower follower(options.source);
  const PollResult result = follower.poll(feed);
  if (result == PollResult::Missing) {
    err << "ferlang-feed: cannot open " << options.source << '\n';
    return exitFailure;
  }
  if (result == PollResult::Failed) {
    err << "ferlang-feed: cannot read " << options.source << '\n';
    return exitFailure;
  }
  feed.finish();
  if (!feed.flush()) return reportWriteFailure(options, feed, err);
  out << "ferlang-feed: " << describeCounts(feed.converter().counts(), {options.band, false})
      << '\n';
  return exitOk;
}

int follow(const FeedOptions& options, SpotFeed& feed, std::ostream& out, std::ostream& err) {
  Follower follower(options.source);
  const ConverterOptions described{options.band, false};
  bool toldMissing = false, toldReadFailure = false;
  auto nextReport = std::chrono::steady_clock::now() + reportEvery;
  std::string lastReport;
  while (!stopRequested()) {
    const PollResult result = follower.poll(feed);
    if (!feed.flush()) return reportWriteFailure(options, feed, err);
    if (result == PollResult::Missing && !toldMissing) {
      out << "ferlang-feed: waiting for " << options.source << '\n' << std::flush;
    }
    if (result == PollResult::Failed && !toldReadFailure) {
      err << "ferlang-feed: cannot read " << options.source << "; trying again\n" << std::flush;
    }
    toldMissing = result == PollResult::Missing;
    toldReadFailure = result == PollResult::Failed;
    if (std::chrono::steady_clock::now() >= nextReport) {
      nextReport += reportEvery;
      // The counts once a minute, when they changed.
      std::string report = describeCounts(feed.converter().counts(), described);
      if (report != lastReport) out << "ferlang-feed: " << report << '\n' << std::flush;
      lastReport = std::move(report);
    }
    sleepUnlessStopped(pollMs);
  }
  if (!feed.flush()) return reportWriteFailure(options, feed, err);
  out << "ferlang-feed: stopped; " << describeCounts(feed.converter().counts(), described)
      << '\n';
  return exitOk;
}

}  // namespace

int runFeed(const FeedOptions& options, std::ostream& out, std::ostream& err) {
  SpotLogFile spotLog;
  std::string error;
  if (!openSpotLog(options.spotLog, spotLog, error)) {
    err << "ferlang-feed: cannot write " << options.spotLog << ": " << error << '\n';
    return exitFailure;
  }
  SpotFeed feed(options, spotLog);
  return options.once ? convertOnce(options, feed, out, err) : follow(options, feed, out, err);
}

}  // namespace feed
