// ferlang-feed on generated decoder logs: --once throughput on 10^5 and 10^6 lines of
// ALL_WSPR.TXT and of ALL.TXT (FT8, FT4) with the program's peak memory (it must stay flat as
// the file grows), the cost of --keep-hours and of one replace cycle, and the alert latency from a decode being appended to the alert command
// starting. Runs the real program (resource use read with wait4). Prints figures; asserts
// nothing.
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "feed/kept_records.h"
#include "feed/resume_state.h"
#include "feed/spot_record.h"

extern char** environ;

namespace {

// A decoder log of `lines` lines in the two column layouts, with the message types mixed and a
// few lines of other modes, as a band-hopping station's file looks after some months.
void writeDecoderLog(const std::string& path, long lines) {
  std::ofstream out(path, std::ios::binary);
  std::mt19937 random(20200801);
  std::uniform_int_distribution<int> snr(-30, 10), pick(0, 99), call(0, 9999);
  const char* frequencies[] = {"7.0400277", "10.1401994", "14.0970512", "3.5700812"};
  char line[160];
  long minute = 0;
  for (long i = 0; i < lines; ++i) {
    if (i % 40 == 0) minute += 2;
    // August, then September 2020 (10^6 lines span about 35 days), in time order.
    const long dayIndex = minute / 1440;
    const int month = dayIndex < 31 ? 8 : 9;
    const int day = static_cast<int>(dayIndex < 31 ? dayIndex + 1 : dayIndex - 30);
    const int hour = static_cast<int>((minute / 60) % 24), min = static_cast<int>(minute % 60);
    const int kind = pick(random);
    const char* frequency = frequencies[i % 4];
    if (kind < 3) {
      std::snprintf(line, sizeof line,
                    "20%02d%02d_%02d%02d00    14.074 Rx FT8    -12  0.1 1234 CQ K1ABC FN42\n",
                    month, day, hour, min);
    } else if (kind < 90) {
      // The two column layouts of a decode, filled from the same fields.
      std::snprintf(line, sizeof line,
                    kind < 50 ? "20%02d%02d %02d%02d %3d  0.32  %s  K%dAB FN%02d 37     0  0.49  "
                                "1  1    0  0   6     1   477\n"
                              : "20%02d%02d %02d%02d   4 %3d  0.32   %s  W%dXYZ EM%02d 23     0  "
                                "   1    0    1  472  0\n",
                    month, day, hour, min, snr(random), frequency, call(random) % 10,
                    call(random) % 100);
    } else {
      // A hashed call or a compound call, filled from the same fields.
      std::snprintf(line, sizeof line,
                    kind < 95 ? "20%02d%02d %02d%02d %3d  0.54   %s  <N%dAUM> EM70EM 27       0  "
                                "0.62  1  1    0  0   1     1   655\n"
                              : "20%02d%02d %02d%02d %3d  0.54   %s  AJ%dS/1 33               0  "
                                "0.45  1  1    0  0   4     1   420\n",
                    month, day, hour, min, snr(random), frequency, call(random) % 10);
    }
    out << line;
  }
}

// An ALL.TXT of `lines` dated rows, FT8 and FT4, every kind of message and a few transmit rows,
// in time order over about two weeks (7 decodes a 15-second period).
void writeAllTxt(const std::string& path, long lines) {
  std::ofstream out(path, std::ios::binary);
  std::mt19937 random(20250105);
  std::uniform_int_distribution<int> snr(-24, 15), pick(0, 99), call(0, 9999), audio(200, 2900);
  char line[200];
  for (long i = 0; i < lines; ++i) {
    const long seconds = i / 7 * 15;
    const long dayIndex = seconds / 86400;
    const int day = static_cast<int>(1 + dayIndex % 28);
    const int month = static_cast<int>(1 + dayIndex / 28);
    const int hour = static_cast<int>(seconds / 3600 % 24);
    const int minute = static_cast<int>(seconds / 60 % 60);
    const int second = static_cast<int>(seconds % 60);
    const int kind = pick(random);
    const char* mode = kind % 10 == 0 ? "FT4" : "FT8";
    char message[64];
    if (kind < 30) {
      std::snprintf(message, sizeof message, "CQ K%dAB%c FN%02d", call(random) % 10,
                    'A' + kind % 26, call(random) % 100);
    } else if (kind < 80) {
      std::snprintf(message, sizeof message, "W%dXY JA%dQ%c R-%02d", call(random) % 10,
                    call(random) % 10, 'A' + kind % 26, call(random) % 25);
    } else if (kind < 90) {
      std::snprintf(message, sizeof message, "<...> G%dABC RR73", call(random) % 10);
    } else if (kind < 97) {
      std::snprintf(message, sizeof message, "DL%dXYZ F%dAB JN%02d                  a1",
                    call(random) % 10, call(random) % 10, call(random) % 100);
    } else {
      std::snprintf(message, sizeof message, "CQ K1ABC FN42");
    }
    std::snprintf(line, sizeof line, "25%02d%02d_%02d%02d%02d    14.074 %s %s   %4d  0.2 %4d %s\n",
                  month, day, hour, minute, second, kind >= 97 ? "Tx" : "Rx", mode, snr(random),
                  audio(random), message);
    out << line;
  }
}

struct RunFigures {
  double seconds = 0;
  long peakKib = 0;
  int status = -1;
};

// Starts ferlang-feed with `argv`, its standard output thrown away; 0 when it cannot start.
pid_t startFeed(std::vector<std::string> argv) {
  argv.insert(argv.begin(), FERLANG_FEED_EXE);
  std::vector<char*> pointers;
  for (std::string& argument : argv) pointers.push_back(argument.data());
  pointers.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  pid_t pid = 0;
  if (posix_spawn(&pid, pointers[0], &actions, nullptr, pointers.data(), environ) != 0) pid = 0;
  posix_spawn_file_actions_destroy(&actions);
  return pid;
}

RunFigures runOnce(const std::string& source, const std::string& spotLog,
                   std::vector<std::string> extra = {}) {
  std::vector<std::string> arguments = {"--once", source, spotLog};
  arguments.insert(arguments.end(), extra.begin(), extra.end());
  // A whole conversion each time: no state of an earlier run to continue from.
  std::filesystem::remove(feed::resumeStatePath(spotLog));
  const auto start = std::chrono::steady_clock::now();
  RunFigures figures;
  const pid_t pid = startFeed(std::move(arguments));
  if (pid == 0) return figures;
  int status = 0;
  struct rusage usage {};
  wait4(pid, &status, 0, &usage);
  figures.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  figures.peakKib = usage.ru_maxrss;
  figures.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return figures;
}

// A decode line of `call` dated now.
std::string decodeNow(const char* call) {
  const std::time_t now = std::time(nullptr);
  std::tm utc{};
  gmtime_r(&now, &utc);
  char line[128];
  std::snprintf(line, sizeof line, "%02d%02d%02d %02d%02d -16  0.32   7.0400277  %s FM19 20  0\n",
                utc.tm_year % 100, utc.tm_mon + 1, utc.tm_mday, utc.tm_hour, utc.tm_min, call);
  return line;
}

// From appending a watched call's decode to the alert command having run ("touch" makes a
// file named after the call in the folder), for five calls appended at spread-out moments.
void measureAlertLatency(const std::filesystem::path& folder) {
  namespace fs = std::filesystem;
  const std::string source = (folder / "ALL_WSPR.TXT").string();
  const std::string spotLog = (folder / "spots.log").string();
  fs::remove(spotLog);
  std::ofstream(source, std::ios::binary) << decodeNow("K0OLD");
  std::ofstream(folder / "Ferlang.SET", std::ios::binary)
      << "spots.log\r\nK1AAA\r\nK2BBB\r\nK3CCC\r\nK4DDD\r\nK5EEE\r\n";
  // The folder is the current one: touch makes its files there ("--": the SNR is no option).
  std::filesystem::current_path(folder);
  const pid_t feed = startFeed({"--alert", "touch --", source, spotLog});
  std::this_thread::sleep_for(std::chrono::milliseconds(1500));
  const char* calls[] = {"K1AAA", "K2BBB", "K3CCC", "K4DDD", "K5EEE"};
  std::vector<double> latencies;
  for (int i = 0; i < 5; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(230 * i + 100));
    const auto appended = std::chrono::steady_clock::now();
    std::ofstream(source, std::ios::binary | std::ios::app) << decodeNow(calls[i]);
    const fs::path made = folder / calls[i];
    while (!fs::exists(made) &&
           std::chrono::steady_clock::now() - appended < std::chrono::seconds(5)) {
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    latencies.push_back(
        std::chrono::duration<double>(std::chrono::steady_clock::now() - appended).count());
  }
  kill(feed, SIGTERM);
  waitpid(feed, nullptr, 0);
  std::sort(latencies.begin(), latencies.end());
  double sum = 0;
  for (double latency : latencies) sum += latency;
  std::printf(
      "alert latency (append to command run, poll 1 s), 5 alerts: min %.3f s, mean %.3f s, max "
      "%.3f s\n",
      latencies.front(), sum / 5, latencies.back());
}

// One replace cycle of --keep-hours with `records` kept records: the spot log streamed into a
// new file, flushed and renamed over it.
void measureReplaceCycle(const std::filesystem::path& folder, long records) {
  feed::KeptRecords kept(100000, feed::spotLogHeading("ALL_WSPR.TXT"));
  const int64_t now = feed::nowUtcMinutes();
  const std::string spotLog = (folder / "kept.log").string();
  {
    std::ofstream out(spotLog, std::ios::binary);
    out << feed::spotLogHeading("ALL_WSPR.TXT");
    for (long i = 0; i < records; ++i) {
      out << "K1ABC,7.0400277,00:18:00,FM19,-16,20 dBm\r\n";
      kept.add(now - records / 40 + i / 40);
    }
  }
  double best = 1e9;
  for (int run = 0; run < 3; ++run) {
    const auto start = std::chrono::steady_clock::now();
    std::string error;
    if (!kept.replaceSpotLog(spotLog, spotLog, now, {}, error))
      std::printf("replace failed: %s\n", error.c_str());
    best = std::min(
        best, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
  }
  std::printf("--keep-hours replace cycle with %7ld kept records (%5.1f MB): best of 3 %.4f s\n",
              records, static_cast<double>(std::filesystem::file_size(spotLog)) / 1e6, best);
}

// ferlang-feed --once on `source` (`lines` lines), best of three: time, rows a second, memory.
void measureConversion(const char* what, const std::string& source, const std::string& spotLog,
                       long lines) {
  double best = 1e9;
  long peak = 0;
  int status = 0;
  for (int run = 0; run < 3; ++run) {
    std::filesystem::remove(spotLog);
    const RunFigures figures = runOnce(source, spotLog);
    best = std::min(best, figures.seconds);
    peak = std::max(peak, figures.peakKib);
    status = figures.status;
  }
  std::printf(
      "ferlang-feed --once, %7ld %s (%5.1f MB): best of 3 %.3f s = %.0f lines/s, "
      "peak memory %ld KiB, exit status %d, spot log %.1f MB\n",
      lines, what, static_cast<double>(std::filesystem::file_size(source)) / 1e6, best,
      static_cast<double>(lines) / best, peak, status,
      static_cast<double>(std::filesystem::file_size(spotLog)) / 1e6);
}

}  // namespace

int main() {
  const std::filesystem::path folder =
      std::filesystem::temp_directory_path() / ("ferlang-feed-bench-" + std::to_string(getpid()));
  std::filesystem::create_directories(folder);
  for (long lines : {100000L, 1000000L}) {
    const std::string source = (folder / "ALL_WSPR.TXT").string();
    writeDecoderLog(source, lines);
    measureConversion("lines of ALL_WSPR.TXT", source, (folder / "spots.log").string(), lines);
  }
  for (long lines : {100000L, 1000000L}) {
    // FT8 and FT4 rows of ALL.TXT: the message rule on every row.
    const std::string source = (folder / "ALL.TXT").string();
    writeAllTxt(source, lines);
    measureConversion("rows of ALL.TXT", source, (folder / "ft8.log").string(), lines);
  }
  {
    // --keep-hours on the 10^6-line file (35 days of decodes): 24 hours kept, and all kept.
    const std::string source = (folder / "ALL_WSPR.TXT").string();
    const std::string spotLog = (folder / "spots.log").string();
    for (const char* hours : {"24", "100000"}) {
      std::filesystem::remove(spotLog);
      const RunFigures figures = runOnce(source, spotLog, {"--keep-hours", hours});
      std::printf(
          "ferlang-feed --once --keep-hours %6s, 1000000 lines: %.3f s, peak memory %ld KiB, "
          "exit status %d, spot log %.1f MB\n",
          hours, figures.seconds, figures.peakKib, figures.status,
          static_cast<double>(std::filesystem::file_size(spotLog)) / 1e6);
    }
  }
  measureReplaceCycle(folder, 28800);    // 24 hours of a busy band (40 decodes per cycle)
  measureReplaceCycle(folder, 1000000);  // the whole 10^6-line file kept
  measureAlertLatency(folder);
  std::filesystem::remove_all(folder);
  return 0;
}
