// What a run of the feed leaves beside the spot log so that the next run continues where it
// stopped: no decode written twice, none lost, whenever the last run ended (a kill included).
//
// The state is committed after the records it covers are in the spot log: where the decoder
// log was read to (file identity, offset, edge bytes and the unfinished line), what the
// converter remembers, the spot log's identity and its size at that moment, and with
// --keep-hours the decode minutes of the records in the spot log. Records the feed appended
// after the last commit lie beyond that size (the spot log's "tail"): the next run reads the
// decoder log again from the committed position, which gives the same records in the same
// order, and skips those it finds in the tail. The state file is replaced whole by a rename,
// so a reader finds the old state or the new one, never a mix.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "feed/converter.h"
#include "feed/files.h"
#include "feed/follower.h"

namespace feed {

// Records in a row of the spot log with one decode minute (minutes since 1970, UTC).
struct MinuteRun {
  int64_t utcMinutes = 0;
  int64_t records = 0;
  bool operator==(const MinuteRun&) const = default;
};

struct ResumeState {
  FollowPosition source;
  std::string partialLine;  // the decoder log's unfinished line
  bool insideOverlongLine = false;
  ConverterMemory converter;
  FileIdentity spotLogIdentity;
  int64_t spotLogBytes = 0;         // the spot log's size when the state was committed
  std::vector<MinuteRun> keptRuns;  // --keep-hours: the records' minutes, in file order
};

// The state file of the spot log `spotLogPath`: beside it, named after it.
std::string resumeStatePath(const std::string& spotLogPath);

// The state as text, and read back. Parsing is strict: anything that is not a whole state
// written by formatResumeState gives nothing, and the feed then starts as if there were none.
std::string formatResumeState(const ResumeState& state);
std::optional<ResumeState> parseResumeState(std::string_view text);

// Writes the state to a new file beside `path` and renames it over `path`. False with `error`
// set on failure. Not flushed to the disk (it is written every poll that read something): a
// kill cannot lose it; after a power loss it may be older than the spot log (records are then
// found in the tail again) or describe more than the spot log holds (it is then not used).
bool saveResumeState(const std::string& path, const ResumeState& state, std::string& error);
std::optional<ResumeState> loadResumeState(const std::string& path);

}  // namespace feed
