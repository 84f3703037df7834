// Taking up a refresh of the spot log where the last one ended.
//
// Between two refreshes the log usually only grows by a few lines, yet every 100th pass reads
// it whole. When the log is the file the last complete refresh read, no shorter, with the bytes
// read then unchanged, and the settings file is unchanged too, a full refresh would reach, at
// the end of the old bytes, exactly the state that refresh left: the frame and the same records
// painted again over the same picture give the same pixels, the variables take the same values,
// and file 1 stands at the same offset. So the refresh goes on from there and reads and draws
// only the new records.
//
// "Unchanged" is decided from the log's identity (device and file number), its length, and
// fingerprints of its bytes in 1 MiB chunks, taken when they were read. Each refresh compares
// the first chunk, the last ones and, in turn, as many others as 16 MiB allows: a log of up to
// 16 MiB (some 370 000 records) is compared whole every time, a larger one within minutes (10^7
// records: all of it every 27 refreshes). That is safe for the logs this program reads: a
// decoder or ferlang-feed only ever appends to a log, and replaces it whole by renaming another
// file over it, which changes the identity; an editor that saves in place rewrites the file, so
// a line it adds or removes moves every byte after it, into the last chunks. Only a change of a
// few bytes in place, in the middle of a large log, waits for its turn. Anything else makes
// the next refresh a full one, which is always right: a refresh that showed an error, a last
// line without its line end, a shorter or another file, other settings, another screen.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "app/plotter_state.h"
#include "runtime/platform/native_file.h"

namespace rt {
class Steps;
}

namespace app {

class RefreshResume {
 public:
  // At the start of a refresh (line 143): when it may take up where the last one ended, opens
  // the log as file 1 (line 243 of a full refresh) at that place and returns true; else false,
  // and the refresh is a full one.
  bool takeUp(rt::Steps& steps, PlotterState& s);

  // After the loop over the records (line 246 found the end): remembers where this refresh
  // ended, when it showed no error and ended at a line end that is the file's last byte.
  void noteEnd(const PlotterState& s);

  // Resuming switched off (every refresh a full one, as the tests compare) or on (the default).
  void setEnabled(bool enabled);

  // Refreshes taken up and full ones since the start, for tests and benchmarks.
  uint64_t takenUp() const { return takenUp_; }
  uint64_t full() const { return full_; }

 private:
  bool mayTakeUp(const PlotterState& s);
  // Compares (or, the first time, takes) the fingerprints of chunk `index` of `file`; false
  // when it differs or cannot be read.
  bool checkChunk(rt::NativeFile& file, size_t index);
  // The fingerprint of the log's bytes from its last whole chunk to `end_`.
  std::optional<uint64_t> tailPrint(rt::NativeFile& file) const;

  bool enabled_ = true;
  bool valid_ = false;          // the fields below describe the last complete refresh
  bool takenUpNow_ = false;     // the refresh under way took up from them
  rt::NativeFileId file_;       // the log it read
  int64_t end_ = 0;             // and where it ended
  std::vector<uint64_t> chunkPrints_;  // of each whole chunk before end_; 0 = not taken yet
  uint64_t tail_ = 0;
  size_t nextInTurn_ = 0;       // the chunk compared next in turn
  std::string logName_;
  std::string settings_;        // the settings file's bytes then
  const void* surface_ = nullptr;
  uint64_t errorsAtStart_ = 0;
  uint64_t takenUp_ = 0, full_ = 0;
};

// The plotter's one instance.
RefreshResume& refreshResume();

}  // namespace app
