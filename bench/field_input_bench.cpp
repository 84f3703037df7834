// Reading a 100 000-record spot log as the application does (one heading field, then six
// fields per record while the end test is false), beside a baseline that makes one read()
// call per byte of the same file. Both report records per second and MB/s.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "runtime/core/errors.h"
#include "runtime/files/field_input.h"
#include "runtime/files/file_open.h"

namespace {

constexpr int kRecords = 100000;

// The log file, in a temporary folder removed when the benchmark ends.
struct BenchLog {
  std::string folder;
  std::string path;
  int64_t bytes = 0;
  ~BenchLog() {
    std::error_code ignored;
    if (!folder.empty()) std::filesystem::remove_all(folder, ignored);
  }
};

// Writes the demo log's records, repeated until the log holds kRecords of them, to a
// temporary folder.
bool writeBenchLog(BenchLog& log) {
  std::ifstream corpus(FERLANG_CORPUS_FILE, std::ios::binary);
  std::vector<std::string> lines;
  for (std::string line; std::getline(corpus, line);) lines.push_back(line + "\n");
  if (lines.size() < 2) return false;
  std::string text = lines[0];
  for (int i = 0; i < kRecords; ++i) text += lines[1 + static_cast<size_t>(i) % (lines.size() - 1)];
  std::string folder = (std::filesystem::temp_directory_path() / "ferlang-bench-XXXXXX").string();
  if (mkdtemp(folder.data()) == nullptr) return false;
  log.folder = folder;
  log.path = folder + "/spots.log";
  std::ofstream(log.path, std::ios::binary)
      .write(text.data(), static_cast<std::streamsize>(text.size()));
  log.bytes = static_cast<int64_t>(text.size());
  return true;
}

const BenchLog& benchLog() {
  static BenchLog log;
  static const bool written = writeBenchLog(log);
  (void)written;
  return log;
}

void reportRates(benchmark::State& state, int64_t records, int64_t bytes) {
  state.counters["records"] =
      benchmark::Counter(static_cast<double>(records), benchmark::Counter::kIsRate);
  state.counters["MB"] =
      benchmark::Counter(static_cast<double>(bytes) / 1e6, benchmark::Counter::kIsRate);
}

void readSpotLogAsTheApplicationDoes(benchmark::State& state) {
  const BenchLog& log = benchLog();
  if (log.path.empty()) {
    state.SkipWithError("the corpus could not be read");
    return;
  }
  const rt::RtString name = rt::literalString(log.path);
  std::string heading, call, frequency, time, grid, power;
  int64_t records = 0;
  int64_t bytes = 0;
  for (auto _ : state) {
    rt::openFile(name, rt::OpenMode::Input, rt::OpenAccess::NotGiven, rt::OpenLock::NotGiven, 1);
    rt::inputStringField(1, heading);
    while (rt::atEndOfFile(1) == 0) {
      rt::inputStringField(1, call);
      rt::inputStringField(1, frequency);
      rt::inputStringField(1, time);
      rt::inputStringField(1, grid);
      benchmark::DoNotOptimize(rt::inputNumberField(1, rt::kSigned16Field));
      rt::inputStringField(1, power);
      ++records;
    }
    rt::closeFile(1);
    if (rt::errorIsPending()) {
      state.SkipWithError("the log raised an error");
      return;
    }
    bytes += log.bytes;
  }
  reportRates(state, records, bytes);
}
BENCHMARK(readSpotLogAsTheApplicationDoes)->Unit(benchmark::kMillisecond)->UseRealTime();

void oneReadCallPerByte(benchmark::State& state) {
  const BenchLog& log = benchLog();
  int64_t records = 0;
  int64_t bytes = 0;
  for (auto _ : state) {
    const int fd = ::open(log.path.c_str(), O_RDONLY | O_CLOEXEC);
    char byte = 0;
    int64_t lineEnds = 0;
    while (::read(fd, &byte, 1) == 1) lineEnds += byte == '\n';
    ::close(fd);
    records += lineEnds - 1;
    bytes += log.bytes;
  }
  reportRates(state, records, bytes);
}
BENCHMARK(oneReadCallPerByte)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2);

}  // namespace
