#include "app/refresh_resume.h"

#include <functional>
#include <optional>
#include <string_view>

#include "runtime/core/errors.h"
#include "runtime/core/statement.h"
#include "runtime/files/file_open.h"
#include "runtime/files/file_place.h"
#include "runtime/screen/image_surface.h"

namespace app {
namespace {

constexpr int32_t kLogFile = 1;
constexpr int64_t kChunk = 1024 * 1024;
// What one refresh reads at most to compare fingerprints: a few milliseconds.
constexpr int64_t kCompareBudget = 16 * kChunk;
// A settings file larger than this is no settings file this program wrote; never taken up.
constexpr int64_t kLargestSettings = 64 * 1024;

// `count` bytes of `file` from `offset`, or nothing when they cannot all be read.
std::optional<std::string> readAt(rt::NativeFile& file, int64_t offset, int64_t count) {
  std::string bytes(static_cast<size_t>(count), '\0');
  if (file.seek(offset) != rt::FileStatus::Ok) return std::nullopt;
  for (int64_t got = 0; got < count;) {
    const rt::NativeRead read = file.read(bytes.data() + got, static_cast<size_t>(count - got));
    if (read.status != rt::FileStatus::Ok || read.bytes <= 0) return std::nullopt;
    got += read.bytes;
  }
  return bytes;
}

// Never 0, which stands for "not taken yet".
uint64_t fingerprint(std::string_view bytes) { return std::hash<std::string_view>{}(bytes) | 1; }

std::string textOf(const rt::RtString* text) {
  return text == nullptr ? std::string() : std::string(text->view());
}

bool openForReading(rt::NativeFile& file, const std::string& name) {
  return file.open(name, true, false, rt::NativeCreation::OpenExisting) == rt::FileStatus::Ok;
}

// The settings file's bytes, or nothing when it cannot be read whole.
std::optional<std::string> settingsBytes() {
  rt::NativeFile file;
  if (!openForReading(file, "Ferlang.SET")) return std::nullopt;
  const int64_t size = file.size();
  if (size < 0 || size > kLargestSettings) return std::nullopt;
  return readAt(file, 0, size);
}

}  // namespace

bool RefreshResume::checkChunk(rt::NativeFile& file, size_t index) {
  const std::optional<std::string> bytes = readAt(file, static_cast<int64_t>(index) * kChunk, kChunk);
  if (!bytes) return false;
  const uint64_t print = fingerprint(*bytes);
  if (chunkPrints_[index] == 0) chunkPrints_[index] = print;
  return chunkPrints_[index] == print;
}

std::optional<uint64_t> RefreshResume::tailPrint(rt::NativeFile& file) const {
  const int64_t start = end_ / kChunk * kChunk;
  const std::optional<std::string> bytes = readAt(file, start, end_ - start);
  if (!bytes) return std::nullopt;
  return fingerprint(*bytes);
}

bool RefreshResume::mayTakeUp(const PlotterState& s) {
  if (!enabled_ || !valid_ || textOf(s.logFileName) != logName_ || rt::writeSurface() != surface_) {
    return false;
  }
  const std::optional<std::string> settings = settingsBytes();
  if (!settings || *settings != settings_) return false;
  rt::NativeFile file;
  if (!openForReading(file, logName_) || file.id() != file_ || file.size() < end_) return false;
  if (tailPrint(file) != tail_) return false;
  const size_t chunks = chunkPrints_.size();
  if (chunks == 0) return true;
  // Every chunk when the budget allows; else the first and the last two, then others in turn.
  int64_t budget = kCompareBudget;
  if (static_cast<int64_t>(chunks) * kChunk <= budget) {
    for (size_t index = 0; index < chunks; ++index) {
      if (!checkChunk(file, index)) return false;
    }
    return true;
  }
  for (const size_t index : {size_t{0}, chunks - 1, chunks - 2}) {
    if (!checkChunk(file, index)) return false;
    budget -= kChunk;
  }
  for (; budget > 0; budget -= kChunk) {
    nextInTurn_ = (nextInTurn_ + 1) % chunks;
    if (!checkChunk(file, nextInTurn_)) return false;
  }
  return true;
}

bool RefreshResume::takeUp(rt::Steps& steps, PlotterState& s) {
  errorsAtStart_ = rt::errorsReported();
  // Whatever this refresh does, the place the last one ended is used up: a refresh that does
  // not reach its end (an error without a window ends it early) leaves nothing to take up.
  const bool may = mayTakeUp(s);
  valid_ = false;
  takenUpNow_ = false;
  if (may) {
    steps(243, [&] {
      rt::openFile(*s.logFileName, rt::OpenMode::Input, rt::OpenAccess::NotGiven,
                   rt::OpenLock::NotGiven, kLogFile);
    });
    const std::optional<rt::FilePlace> place = rt::placeOfFile(kLogFile);
    if (place && place->file == file_ && rt::moveFileTo(kLogFile, end_)) {
      ++takenUp_;
      takenUpNow_ = true;
      return true;
    }
    rt::closeFile(kLogFile);  // replaced between the look and the open
  }
  ++full_;
  return false;
}

void RefreshResume::noteEnd(const PlotterState& s) {
  if (!enabled_ || rt::errorsReported() != errorsAtStart_) return;
  const std::optional<rt::FilePlace> place = rt::placeOfFile(kLogFile);
  const std::optional<std::string> settings = settingsBytes();
  rt::NativeFile file;
  const std::string name = textOf(s.logFileName);
  // The loop also ends at a byte 26 before the end of the file, and a full refresh stops there
  // every time; so only an end at the file's last byte, a line end, can be taken up from.
  if (!place || !settings || place->position <= 0 || !openForReading(file, name) ||
      file.id() != place->file || file.size() != place->position) {
    return;
  }
  const std::optional<std::string> lastByte = readAt(file, place->position - 1, 1);
  if (!lastByte || *lastByte != "\n") return;

  // The fingerprints of the chunks read before stay when this refresh took up from them (the
  // same file, read further); new whole chunks get theirs now, while the budget lasts, and the
  // rest when their turn comes.
  if (!takenUpNow_) chunkPrints_.clear();
  const size_t known = chunkPrints_.size();
  file_ = place->file;
  end_ = place->position;
  chunkPrints_.resize(static_cast<size_t>(end_ / kChunk), 0);
  int64_t budget = kCompareBudget;
  for (size_t index = known; index < chunkPrints_.size() && budget > 0; ++index, budget -= kChunk) {
    if (!checkChunk(file, index)) return;
  }
  const std::optional<uint64_t> tail = tailPrint(file);
  if (!tail) return;
  tail_ = *tail;
  logName_ = name;
  settings_ = *settings;
  surface_ = rt::writeSurface();
  valid_ = true;
}

void RefreshResume::setEnabled(bool enabled) {
  enabled_ = enabled;
  valid_ = false;
  chunkPrints_.clear();
}

RefreshResume& refreshResume() {
  static RefreshResume resume;
  return resume;
}

}  // namespace app
