// ferlang-feed --once on generated decoder logs of 10^5 and 10^6 lines: lines per second and
// the program's peak memory (it must stay flat as the file grows). Runs the real program and
// reads its resource use with wait4. Prints its figures; asserts nothing.
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

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
    const int day = static_cast<int>(1 + (minute / 1440) % 28);
    const int hour = static_cast<int>((minute / 60) % 24), min = static_cast<int>(minute % 60);
    const int kind = pick(random);
    const char* frequency = frequencies[i % 4];
    if (kind < 3) {
      std::snprintf(line, sizeof line, "2008%02d_%02d%02d00    14.074 Rx FT8    -12  0.1 1234 CQ K1ABC FN42\n", day, hour, min);
    } else if (kind < 50) {
      std::snprintf(line, sizeof line, "2008%02d %02d%02d %3d  0.32  %s  K%dAB FN%02d 37     0  0.49  1  1    0  0   6     1   477\n",
                    day, hour, min, snr(random), frequency, call(random) % 10, call(random) % 100);
    } else if (kind < 90) {
      std::snprintf(line, sizeof line, "2008%02d %02d%02d   4 %3d  0.32   %s  W%dXYZ EM%02d 23     0     1    0    1  472  0\n",
                    day, hour, min, snr(random), frequency, call(random) % 10, call(random) % 100);
    } else if (kind < 95) {
      std::snprintf(line, sizeof line, "2008%02d %02d%02d %3d  0.54   %s  <N%dAUM> EM70EM 27       0  0.62  1  1    0  0   1     1   655\n",
                    day, hour, min, snr(random), frequency, call(random) % 10);
    } else {
      std::snprintf(line, sizeof line, "2008%02d %02d%02d %3d  0.54   %s  AJ%dS/1 33               0  0.45  1  1    0  0   4     1   420\n",
                    day, hour, min, snr(random), frequency, call(random) % 10);
    }
    out << line;
  }
}

struct RunFigures {
  double seconds = 0;
  long peakKib = 0;
  int status = -1;
};

RunFigures runOnce(const std::string& source, const std::string& spotLog) {
  std::vector<std::string> argv = {FERLANG_FEED_EXE, "--once", source, spotLog};
  std::vector<char*> pointers;
  for (std::string& argument : argv) pointers.push_back(argument.data());
  pointers.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  const auto start = std::chrono::steady_clock::now();
  pid_t pid = 0;
  RunFigures figures;
  if (posix_spawn(&pid, pointers[0], &actions, nullptr, pointers.data(), environ) != 0) return figures;
  posix_spawn_file_actions_destroy(&actions);
  int status = 0;
  struct rusage usage {};
  wait4(pid, &status, 0, &usage);
  figures.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  figures.peakKib = usage.ru_maxrss;
  figures.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return figures;
}

}  // namespace

int main() {
  const std::filesystem::path folder =
      std::filesystem::temp_directory_path() / ("ferlang-feed-bench-" + std::to_string(getpid()));
  std::filesystem::create_directories(folder);
  for (long lines : {100000L, 1000000L}) {
    const std::string source = (folder / "ALL_WSPR.TXT").string();
    const std::string spotLog = (folder / "spots.log").string();
    writeDecoderLog(source, lines);
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
    std::printf("ferlang-feed --once, %7ld lines (%5.1f MB): best of 3 %.3f s = %.0f lines/s, "
                "peak memory %ld KiB, exit status %d, spot log %.1f MB\n",
                lines, static_cast<double>(std::filesystem::file_size(source)) / 1e6, best,
                static_cast<double>(lines) / best, peak, status,
                static_cast<double>(std::filesystem::file_size(spotLog)) / 1e6);
  }
  std::filesystem::remove_all(folder);
  return 0;
}
