// Wiring of the feed: follower -> spot feed (line splitter, converter) -> spot log, with the
// alerts and the --keep-hours minutes beside it, and the state that lets the next run continue
// where this one stopped (resume_state.h).
#include "feed/feed_run.h"

#include <chrono>
#include <memory>
#include <string>

#include "feed/alert_launch.h"
#include "feed/alerts.h"
#include "feed/files.h"
#include "feed/follower.h"
#include "feed/kept_records.h"
#include "feed/resume_state.h"
#include "feed/spot_feed.h"
#include "feed/stop_signal.h"

namespace feed {
namespace {

constexpr int pollMs = 1000;
constexpr auto reportEvery = std::chrono::minutes(1);
constexpr auto replaceEvery = std::chrono::minutes(1);

// Opens the spot log for appending; a new or empty log gets the heading line, and a log whose
// last line has no line end gets one, so that the first record starts a line of its own.
bool openSpotLog(const std::string& path, std::string_view heading, SpotLogFile& spotLog,
                 std::string& error) {
  if (!spotLog.open(path, error)) return false;
  const int64_t size = spotLog.size();
  if (size == 0) return spotLog.append(heading, error);
  const int last = spotLog.lastByte();
  if (size > 0 && last != '\n' && last != '\r') return spotLog.append("\r\n", error);
  return true;
}

// The spot log built afresh by a first run with --keep-hours, renamed into place at the end of
// its first read.
std::string firstBuildPath(const std::string& spotLogPath) {
  return spotLogPath + ".ferlang-feed.new";
}

// Everything one run of the feed holds.
class Session {
 public:
  Session(const FeedOptions& options, std::ostream& out, std::ostream& err)
      : options(options),
        out(out),
        err(err),
        follower(options.source),
        feed({options.band, options.localTime, options.modes}, spotLog),
        heading_(spotLogHeading(options.source)),
        statePath_(resumeStatePath(options.spotLog)) {
    feed.onCheckpoint([this] { commit(); });
  }

  // Opens the spot log and takes up the last run's state when it still describes the files;
  // otherwise starts from the decoder log's beginning. False after a failure (reported).
  bool start() {
    if (options.keepHours > 0) {
      kept = std::make_unique<KeptRecords>(options.keepHours, heading_);
      feed.keepRecords(kept.get());
    }
    if (options.fromStart) {
      removeFile(statePath_);
    } else if (std::optional<ResumeState> state = loadResumeState(statePath_)) {
      std::string error;
      if (!resume(*state, error)) return reportWriteFailure(error);
      if (resumed_) return true;
    }
    std::string error;
    if (kept) {
      // The records go to a new file that replaces the spot log once the decoder log is read.
      building_ = true;
      if (!writeWholeFile(firstBuildPath(options.spotLog), heading_, error) ||
          !spotLog.open(firstBuildPath(options.spotLog), error)) {
        return reportWriteFailure(error);
      }
      return true;
    }
    if (!openSpotLog(options.spotLog, heading_, spotLog, error)) return reportWriteFailure(error);
    // From here on, whatever this run appends is the tail of this commit.
    commit();
    return true;
  }

  // After the first read of the decoder log: what is left of the tail stays, and a spot log
  // built afresh replaces the old one.
  bool firstReadDone() {
    feed.settleTail();
    if (!building_) return true;
    building_ = false;
    const bool replaced = replaceSpotLog(firstBuildPath(options.spotLog));
    removeFile(firstBuildPath(options.spotLog));
    return replaced;
  }

  // --keep-hours: the spot log streamed into a new file without the records that left the
  // window, then opened again for appending (the open handle still leads to the old file). The
  // state is committed for the new file before the rename. A failure is reported and the spot
  // log stays as it was; the next cycle tries again.
  bool replaceSpotLog(const std::string& readFrom) {
    std::string error;
    if (!feed.flush()) return reportWriteFailure(feed.writeError());
    const auto commitNewFile = [this](const std::string&, FileIdentity identity, int64_t bytes,
                                      std::string& reason) {
      return saveState(identity, bytes, reason);
    };
    // Windows renames nothing over a file that is open, not even by this program.
    spotLog.close();
    const bool replaced =
        kept->replaceSpotLog(readFrom, options.spotLog, nowUtcMinutes(), commitNewFile, error);
    if (!replaced) {
      err << "ferlang-feed: cannot replace " << options.spotLog << ": " << error << '\n'
          << std::flush;
      if (readFrom != options.spotLog) return false;
    }
    if (!spotLog.open(options.spotLog, error)) return reportWriteFailure(error);
    return true;
  }

  bool replaceWhenDue() {
    if (kept->outsideWindow(nowUtcMinutes()) == 0) return true;
    return replaceSpotLog(options.spotLog);
  }

  // Records where this run stands, for the next run. Not while a first build is under way (a
  // kill then leaves no state, and the next run builds again). Reports a failure once.
  void commit() {
    if (building_) return;
    std::string error;
    if (saveState(spotLog.identity(), spotLog.size() - feed.unsettledTailBytes(), error)) {
      toldStateFailure_ = false;
    } else if (!toldStateFailure_) {
      err << "ferlang-feed: cannot write " << statePath_ << ": " << error << '\n' << std::flush;
      toldStateFailure_ = true;
    }
  }

  bool reportWriteFailure(const std::string& error) {
    err << "ferlang-feed: cannot write " << options.spotLog << ": " << error << '\n' << std::flush;
    return false;
  }

  const FeedOptions& options;
  std::ostream& out;
  std::ostream& err;
  SpotLogFile spotLog;
  Follower follower;
  SpotFeed feed;
  std::unique_ptr<KeptRecords> kept;
  AlertLauncher launcher;
  std::unique_ptr<Alerter> alerter;

 private:
  bool saveState(FileIdentity spotLogIdentity, int64_t spotLogBytes, std::string& error) {
    ResumeState state;
    state.source = follower.position();
    state.partialLine = feed.splitter().partialLine();
    state.insideOverlongLine = feed.splitter().insideOverlongLine();
    state.converter = feed.converter().memory();
    state.spotLogIdentity = spotLogIdentity;
    state.spotLogBytes = spotLogBytes;
    if (kept) state.keptRuns = kept->runs();
    std::string text = formatResumeState(state);
    if (text == lastState_) return true;
    if (!saveResumeState(statePath_, state, error)) return false;
    lastState_ = std::move(text);
    return true;
  }

  // Takes up `state` when the spot log is the file it describes: the follower, the unfinished
  // line and the converter's memory as they were, and the spot log's tail to be found again.
  // A replacement of the spot log that a kill interrupted after the commit is completed.
  // False only when the spot log cannot be opened.
  bool resume(const ResumeState& state, std::string& error) {
    std::optional<FileIdentity> current = identityOf(options.spotLog);
    const std::string replacement = replacementPath(options.spotLog);
    if (current != state.spotLogIdentity && identityOf(replacement) == state.spotLogIdentity &&
        replaceFile(replacement, options.spotLog, error)) {
      current = state.spotLogIdentity;
    }
    // With --keep-hours the minutes of the records must be known.
    const bool minutesKnown = !kept || !state.keptRuns.empty() ||
                              state.spotLogBytes <= static_cast<int64_t>(heading_.size());
    if (current != state.spotLogIdentity || !minutesKnown) return true;
    if (!spotLog.open(options.spotLog, error)) return false;
    const std::optional<std::string> tail = readFileFrom(options.spotLog, state.spotLogBytes);
    if (spotLog.identity() != state.spotLogIdentity || spotLog.size() < state.spotLogBytes ||
        !tail) {
      spotLog.close();
      return true;
    }
    follower.resumeAt(state.source);
    feed.splitter().resume(state.partialLine, state.insideOverlongLine);
    feed.converter().restore(state.converter);
    int64_t newest = state.converter.newestMinutes;
    if (kept) {
      kept->restore(state.keptRuns);
      for (const MinuteRun& run : state.keptRuns) newest = std::max(newest, run.utcMinutes);
    }
    feed.takeUpTail(SpotLogTail::of(*tail), newest);
    resumed_ = true;
    lastState_ = formatResumeState(state);
    return true;
  }

  std::string heading_;
  std::string statePath_;
  std::string lastState_;  // as last written
  bool resumed_ = false;
  bool building_ = false;  // --keep-hours, first run: the records go to a new file
  bool toldStateFailure_ = false;
};

// One line naming the layout the decoder log was read as.
void reportLayout(const Session& session) {
  session.out << "ferlang-feed: " << session.options.source << " reads as "
              << layoutName(session.feed.converter().layout()) << '\n'
              << std::flush;
}

bool reportReadFailure(Session& session, PollResult result) {
  if (result == PollResult::Missing) {
    session.err << "ferlang-feed: cannot open " << session.options.source << '\n';
  } else {
    session.err << "ferlang-feed: cannot read " << session.options.source << '\n';
  }
  return false;
}

int convertOnce(Session& session) {
  const FeedOptions& options = session.options;
  SpotFeed& feed = session.feed;
  feed.setNow(nowUtcMinutes());
  const PollResult result = session.follower.poll(feed);
  if (result != PollResult::Read) {
    reportReadFailure(session, result);
    return exitFailure;
  }
  if (!feed.flush()) return session.reportWriteFailure(feed.writeError()), exitFailure;
  if (!session.firstReadDone()) return exitFailure;
  if (session.kept && !session.replaceWhenDue()) return exitFailure;
  session.commit();
  // A last line without its line end is converted, but not committed: the next run finds its
  // record in the tail once the decoder has finished the line.
  feed.finish();
  if (!feed.flush()) return session.reportWriteFailure(feed.writeError()), exitFailure;
  reportLayout(session);
  session.out << "ferlang-feed: "
              << describeCounts(feed.converter().counts(), {options.band, false, options.modes})
              << '\n';
  return exitOk;
}

int follow(Session& session) {
  const FeedOptions& options = session.options;
  SpotFeed& feed = session.feed;
  std::ostream& out = session.out;
  std::ostream& err = session.err;
  const ConverterOptions described{options.band, false, options.modes};
  bool toldMissing = false, toldReadFailure = false, firstRead = true;
  auto nextReport = std::chrono::steady_clock::now() + reportEvery;
  auto nextReplace = std::chrono::steady_clock::now() + replaceEvery;
  std::string lastReport;
  while (!stopRequested()) {
    if (session.alerter) session.alerter->refreshWatchedCalls();
    feed.setNow(nowUtcMinutes());
    const PollResult result = session.follower.poll(feed);
    if (!feed.flush()) return session.reportWriteFailure(feed.writeError()), exitFailure;
    if (firstRead && result == PollResult::Read && !stopRequested()) {
      // What the file held at the start is read: from here on decodes are new.
      feed.armAlerts(session.alerter.get());
      if (!session.firstReadDone()) return exitFailure;
      reportLayout(session);
      firstRead = false;
    }
    session.commit();
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
    if (session.kept && !firstRead && now >= nextReplace) {
      nextReplace = now + replaceEvery;
      if (!session.replaceWhenDue()) return exitFailure;
    }
    session.launcher.reapFinished();
    sleepUnlessStopped(pollMs);
  }
  if (!feed.flush()) return session.reportWriteFailure(feed.writeError()), exitFailure;
  session.commit();
  out << "ferlang-feed: stopped; " << describeCounts(feed.converter().counts(), described) << '\n';
  return exitOk;
}

std::string settingsPathOf(const FeedOptions& options) {
  return options.settingsPath.empty() ? defaultSettingsPath(options.spotLog) : options.settingsPath;
}

}  // namespace

int runFeed(const FeedOptions& options, std::ostream& out, std::ostream& err) {
  Session session(options, out, err);
  if (!session.start()) return exitFailure;
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
