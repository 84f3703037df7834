// Wiring of the feed: follower -> line splitter -> converter -> spot log, with the alerts and
// the kept records of --keep-hours beside the spot log.
#include "feed/feed_run.h"

#include <chrono>
#include <memory>
#include <string>

#include "feed/alert_launch.h"
#include "feed/alerts.h"
#include "feed/converter.h"
#include "feed/files.h"
#include "feed/follower.h"
#include "feed/kept_records.h"
#include "feed/line_splitter.h"
#include "feed/stop_signal.h"

namespace feed {
namespace {

constexpr int pollMs = 1000;
constexpr auto reportEvery = std::chrono::minutes(1);
constexpr auto replaceEvery = std::chrono::minutes(1);
// Records are gathered into writes of whole lines up to about this size.
constexpr size_t writeBytes = 1 << 16;

// Receives the decoder log's bytes and appends the records to the spot log.
class SpotFeed : public FollowReader {
 public:
  SpotFeed(const FeedOptions& options, SpotLogFile& spotLog)
      : converter_({options.band, options.localTime}), spotLog_(spotLog) {
    pending_.reserve(writeBytes + LineSplitter::defaultMaxLineBytes);
  }

  // Alerts for the decodes read from now on (none for those in the file at the start).
  void armAlerts(Alerter* alerter) { alerter_ = alerter; }
  // Records go to `kept` as well; while `appending` is false, only there.
  void keepRecords(KeptRecords* kept, bool appending) {
    kept_ = kept;
    appending_ = appending;
  }
  // The clock for the kept records' window, read once per poll.
  void setNow(int64_t nowUtcMinutes) { now_ = nowUtcMinutes; }

  void bytes(std::string_view block) override {
    splitter_.feed(block,
                   [this](std::string_view line, bool overlong) { takeLine(line, overlong); });
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
    const size_t start = pending_.size();
    if (!converter_.convertLine(line, pending_)) return;
    if (kept_ != nullptr) {
      kept_->add(converter_.lastUtcMinutes(), std::string_view(pending_).substr(start), now_);
      if (!appending_) pending_.resize(start);
    }
    if (alerter_ != nullptr) {
      alerter_->decode(converter_.lastDecode(), converter_.lastTime(), Alerter::Clock::now());
    }
    if (pending_.size() >= writeBytes) flush();
  }

  LineSplitter splitter_;
  Converter converter_;
  SpotLogFile& spotLog_;
  std::string pending_;  // whole records not yet written
  std::string writeError_;
  Alerter* alerter_ = nullptr;
  KeptRecords* kept_ = nullptr;
  bool appending_ = true;
  int64_t now_ = 0;
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

int reportWriteFailure(const FeedOptions& options, const std::string& error, std::ostream& err) {
  err << "ferlang-feed: cannot write " << options.spotLog << ": " << error << '\n' << std::flush;
  return exitFailure;
}

// Everything one run of the feed holds.
struct Session {
  Session(const FeedOptions& options, std::ostream& out, std::ostream& err)
      : options(options), out(out), err(err), feed(options, spotLog) {}

  // --keep-hours: the spot log replaced by the kept records, then opened again for appending
  // (the open handle still leads to the old file). A failure is reported and the spot log
  // stays as it was; the next cycle tries again.
  bool replaceSpotLog() {
    std::string error;
    if (!kept->replaceSpotLog(options.spotLog, nowUtcMinutes(), error)) {
      err << "ferlang-feed: cannot replace " << options.spotLog << ": " << error << '\n'
          << std::flush;
      return true;
    }
    if (!spotLog.open(options.spotLog, error)) {
      reportWriteFailure(options, error, err);
      return false;
    }
    return true;
  }

  const FeedOptions& options;
  std::ostream& out;
  std::ostream& err;
  SpotLogFile spotLog;
  SpotFeed feed;
  std::unique_ptr<KeptRecords> kept;
  AlertLauncher launcher;
  std::unique_ptr<Alerter> alerter;
};

int convertOnce(Session& session) {
  const FeedOptions& options = session.options;
  SpotFeed& feed = session.feed;
  Follower follower(options.source);
  feed.setNow(nowUtcMinutes());
  const PollResult result = follower.poll(feed);
  if (result == PollResult::Missing) {
    session.err << "ferlang-feed: cannot open " << options.source << '\n';
    return exitFailure;
  }
  if (result == PollResult::Failed) {
    session.err << "ferlang-feed: cannot read " << options.source << '\n';
    return exitFailure;
  }
  feed.finish();
  if (!feed.flush()) return reportWriteFailure(options, feed.writeError(), session.err);
  if (session.kept && !session.replaceSpotLog()) return exitFailure;
  session.out << "ferlang-feed: "
              << describeCounts(feed.converter().counts(), {options.band, false}) << '\n';
  return exitOk;
}

int follow(Session& session) {
  const FeedOptions& options = session.options;
  SpotFeed& feed = session.feed;
  std::ostream& out = session.out;
  std::ostream& err = session.err;
  Follower follower(options.source);
  const ConverterOptions described{options.band, false};
  bool toldMissing = false, toldReadFailure = false, firstPoll = true;
  auto nextReport = std::chrono::steady_clock::now() + reportEvery;
  auto nextReplace = std::chrono::steady_clock::now() + replaceEvery;
  std::string lastReport;
  while (!stopRequested()) {
    if (session.alerter) session.alerter->refreshWatchedCalls();
    feed.setNow(nowUtcMinutes());
    const PollResult result = follower.poll(feed);
    if (!feed.flush()) return reportWriteFailure(options, feed.writeError(), err);
    if (firstPoll && !stopRequested()) {
      // What the file held at the start is read: from here on decodes are new.
      feed.armAlerts(session.alerter.get());
      if (session.kept) {
        feed.keepRecords(session.kept.get(), true);
        if (result == PollResult::Read && !session.replaceSpotLog()) return exitFailure;
      }
      firstPoll = false;
    }
    if (result == PollResult::Missing && !toldMissing) {
      out << "ferlang-feed: waiting for " << options.source << '\n' << std::flush;
    }
    if (result == PollResult::Failed && !toldReadFailure) {
      err << "ferlang-feed: cannot read " << options.source << "; trying again\n" << std::flush;
    }
    toldMissing = result == PollResult::Missing;
    toldReadFailure = result == PollResult::Failed;
    const auto now = std::chrono::steady_clock::now();
    if (now >= nextReport) {
      nextReport += reportEvery;
      // The counts once a minute, when they changed.
      std::string report = describeCounts(feed.converter().counts(), described);
      if (report != lastReport) out << "ferlang-feed: " << report << '\n' << std::flush;
      lastReport = std::move(report);
    }
    if (session.kept && now >= nextReplace) {
      nextReplace = now + replaceEvery;
      // Not before the decoder log was read once: the spot log's records are not known yet.
      if (follower.bytesRead() > 0 || feed.converter().counts().records > 0) {
        if (!session.replaceSpotLog()) return exitFailure;
      }
    }
    session.launcher.reapFinished();
    sleepUnlessStopped(pollMs);
  }
  if (!feed.flush()) return reportWriteFailure(options, feed.writeError(), err);
  out << "ferlang-feed: stopped; " << describeCounts(feed.converter().counts(), described) << '\n';
  return exitOk;
}

std::string settingsPathOf(const FeedOptions& options) {
  return options.settingsPath.empty() ? defaultSettingsPath(options.spotLog) : options.settingsPath;
}

}  // namespace

int runFeed(const FeedOptions& options, std::ostream& out, std::ostream& err) {
  Session session(options, out, err);
  std::string error;
  if (!openSpotLog(options.spotLog, session.spotLog, error)) {
    err << "ferlang-feed: cannot write " << options.spotLog << ": " << error << '\n';
    return exitFailure;
  }
  if (options.keepHours > 0) {
    session.kept = std::make_unique<KeptRecords>(options.keepHours);
    // The records of the file as it is at the start go into the replacement only.
    session.feed.keepRecords(session.kept.get(), false);
  }
  if (options.alert && !options.once) {
    AlertLauncher& launcher = session.launcher;
    session.alerter = std::make_unique<Alerter>(
        AlertOptions{options.alertCommand, options.alertEveryMinutes, settingsPathOf(options)},
        [&launcher](const std::vector<std::string>& argv, std::string& reason) {
          return launcher.start(argv, reason);
        },
        [] { AlertLauncher::soundBell(); }, out, err);
  }
  return options.once ? convertOnce(session) : follow(session);
}

}  // namespace feed
