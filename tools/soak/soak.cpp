// ferlang-soak: the parts of a receive station running together for a while, as a station runs
// for weeks, and what went wrong on the way.
//
//   ferlang-soak SECONDS FEED PLOTTER FOLDER
//
// In FOLDER (made empty first): a writer appends WSPR decodes to ALL_WSPR.TXT at 50 lines a
// second, cuts the file short after a third of the time and replaces it after two thirds (each
// time once the feed has read what was there); FEED (ferlang-feed --keep-hours 1) follows it
// into spots.log; PLOTTER (ferlang --folder FOLDER) shows spots.log in its window on $DISPLAY;
// a client reads spots.log whole every 20 ms and checks every read; the plotter also serves its
// chart (--serve), which a web client asks for every 250 ms while an event stream stays open
// to it. The decodes' clock runs
// three minutes a second, ending about now, so records leave the hour kept all the while and
// the feed rewrites the spot log every minute.
//
// At the end the feed is stopped, run once more with --once (it continues where it stopped and
// drops what left the window) and its spot log compared with one conversion of everything the
// writer wrote. Prints the figures; the exit status is 1 when a record was lost or doubled, a
// read was torn, an error dialog appeared (it is answered Yes and counted), a request to the
// web view failed or its event stream ended, or a process's resident memory grew by more than
// 5 MB; 2 for a bad command line or a part that cannot run.
#include <X11/keysym.h>
#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <unordered_set>
#include <vector>

#include "feed/spot_record.h"
#include "tools/x11_driver/x11_driver.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr std::string_view heading = "Spots converted from ALL_WSPR.TXT\r\n";
constexpr int linesPerSecond = 50;
constexpr int decodeMinutesPerSecond = 3;
constexpr long memoryGrowthLimitKb = 5 * 1024;
const char* const watchedCalls[] = {"K1ABC", "W2XYZ", "N3QRP", "G4WSP", "DL5KW", "VK6BB"};

std::string readFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void writeFile(const fs::path& path, const std::string& text, bool append = false) {
  std::ofstream(path, std::ios::binary | (append ? std::ios::app : std::ios::trunc)) << text;
}

std::vector<std::string> linesOf(const std::string& text) {
  std::vector<std::string> lines;
  for (size_t start = 0; start < text.size();) {
    const size_t end = text.find('\n', start);
    if (end == std::string::npos) break;
    lines.push_back(text.substr(start, end + 1 - start));
    start = end + 1;
  }
  return lines;
}

long residentKb(pid_t pid) {
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  for (std::string line; std::getline(status, line);) {
    if (line.rfind("VmRSS:", 0) == 0) return std::stol(line.substr(6));
  }
  return -1;
}

pid_t spawn(std::vector<std::string> argv, const fs::path& output) {
  std::vector<char*> pointers;
  for (std::string& argument : argv) pointers.push_back(argument.data());
  pointers.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, output.c_str(), O_WRONLY | O_CREAT | O_APPEND,
                                   0644);
  posix_spawn_file_actions_adddup2(&actions, 1, 2);
  pid_t pid = 0;
  if (posix_spawn(&pid, pointers[0], &actions, nullptr, pointers.data(), environ) != 0) pid = 0;
  posix_spawn_file_actions_destroy(&actions);
  return pid;
}

// The exit status, or -1 when the process did not end normally within `limit`.
int waitForExit(pid_t pid, std::chrono::seconds limit) {
  const auto end = Clock::now() + limit;
  while (Clock::now() < end) {
    int status = 0;
    if (waitpid(pid, &status, WNOHANG) == pid) return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  kill(pid, SIGKILL);
  waitpid(pid, nullptr, 0);
  return -1;
}

// Appends decodes at 50 lines a second; cuts the file short or replaces it on request.
class DecoderWriter {
 public:
  enum class Next { Append, Pause, CutShort, Replace };

  DecoderWriter(fs::path path, int seconds) : path_(std::move(path)) {
    // The decodes' clock: three minutes a second, ending a minute before now.
    firstDecode_ =
        std::time(nullptr) - (static_cast<long>(seconds) * decodeMinutesPerSecond + 1) * 60;
    start_ = Clock::now();
    writeFile(path_, "");
    thread_ = std::thread([this] { run(); });
  }
  ~DecoderWriter() { stop(); }

  // Pause returns once the writer has stopped.
  void ask(Next next) {
    next_.store(next);
    while (next == Next::Pause && !paused_.load())
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  void stop() {
    done_.store(true);
    if (thread_.joinable()) thread_.join();
  }
  long linesWritten() const { return lines_.load(); }
  // The record the feed writes for the last line written (while paused or stopped).
  const std::string& lastRecord() const { return lastRecord_; }
  const std::string& written() const { return written_; }

 private:
  void run() {
    for (long n = 0; !done_.load();) {
      const Next next = next_.load();
      paused_.store(next == Next::Pause);
      if (next == Next::Pause) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
        continue;
      }
      const std::string line = decodeLine(n++);
      if (next == Next::CutShort) writeFile(path_, line);
      if (next == Next::Replace) {
        writeFile(path_.string() + ".next", line);
        fs::rename(path_.string() + ".next", path_);
      }
      if (next == Next::Append) writeFile(path_, line, true);
      next_.store(Next::Append);
      written_ += line;
      lines_.fetch_add(1);
      // Evenly spread over the seconds, whatever the writes cost.
      std::this_thread::sleep_until(start_ +
                                    std::chrono::microseconds(1'000'000 * n / linesPerSecond));
    }
  }

  // Decode n: a watched call every tenth line, else a call of its own; the frequency tells it
  // from every other decode of the last half hour, so no two records are the same.
  std::string decodeLine(long n) {
    const double elapsed = std::chrono::duration<double>(Clock::now() - start_).count();
    const std::time_t at =
        firstDecode_ + static_cast<std::time_t>(elapsed * decodeMinutesPerSecond * 60);
    std::tm utc{};
    gmtime_r(&at, &utc);
    char call[16];
    if (n % 10 == 0) {
      std::snprintf(call, sizeof call, "%s", watchedCalls[(n / 10) % 6]);
    } else {
      std::snprintf(call, sizeof call, "K%ld%c%c%c", n % 10, static_cast<char>('A' + n / 10 % 26),
                    static_cast<char>('A' + n / 260 % 26), static_cast<char>('A' + n / 6760 % 26));
    }
    const int snr = static_cast<int>(n * 7 % 41) - 30;
    char frequency[16], line[160], record[160];
    std::snprintf(frequency, sizeof frequency, "14.09%05ld", n % 100000);
    std::snprintf(line, sizeof line, "%02d%02d%02d %02d%02d %3d  0.32  %s  %s FN42 37  0  0.49\n",
                  utc.tm_year % 100, utc.tm_mon + 1, utc.tm_mday, utc.tm_hour, utc.tm_min, snr,
                  frequency, call);
    std::snprintf(record, sizeof record, "%s,%s,%02d:%02d:00,FN42,%d,37 dBm\r\n", call, frequency,
                  utc.tm_hour, utc.tm_min, snr);
    lastRecord_ = record;
    return line;
  }

  fs::path path_;
  std::time_t firstDecode_ = 0;
  Clock::time_point start_;
  std::string written_;
  std::string lastRecord_;
  std::atomic<Next> next_{Next::Append};
  std::atomic<bool> paused_{false};
  std::atomic<long> lines_{0};
  std::atomic<bool> done_{false};
  std::thread thread_;
};

// Reads the spot log whole, again and again, as the plotter does, and checks every read: the
// heading first, then whole records (six fields, CR LF), none twice.
class SpotLogClient {
 public:
  explicit SpotLogClient(fs::path path) : path_(std::move(path)) {
    thread_ = std::thread([this] { run(); });
  }
  ~SpotLogClient() { stop(); }
  void stop() {
    done_.store(true);
    if (thread_.joinable()) thread_.join();
  }
  long reads() const { return reads_.load(); }
  // How often the spot log was found to be another file (--keep-hours renames a new one over it).
  long replacements() const { return replacements_.load(); }
  long tornReads() const { return torn_.load(); }
  std::string firstTorn() {
    std::lock_guard<std::mutex> lock(mutex_);
    return firstTorn_;
  }

 private:
  void run() {
    ino_t lastFile = 0;
    while (!done_.load()) {
      struct stat info {};
      if (stat(path_.c_str(), &info) == 0) {
        if (lastFile != 0 && info.st_ino != lastFile) replacements_.fetch_add(1);
        lastFile = info.st_ino;
      }
      const std::string text = readFile(path_);
      if (!text.empty() && !whole(text)) {
        if (torn_.fetch_add(1) == 0) {
          std::lock_guard<std::mutex> lock(mutex_);
          firstTorn_ = text.size() > 400 ? text.substr(text.size() - 400) : text;
        }
      }
      reads_.fetch_add(1);
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
  }

  static bool whole(const std::string& text) {
    if (text.rfind(heading, 0) != 0 || text.back() != '\n') return false;
    std::unordered_set<std::string> seen;
    for (const std::string& line : linesOf(text.substr(heading.size()))) {
      // The blanks the feed puts before some line ends (spot_record.h) are not part of a record.
      const std::string content(feed::withoutPadding(line));
      size_t commas = 0;
      for (char c : content) commas += c == ',';
      const bool record = commas == 5 && line.size() >= 2 && line[line.size() - 2] == '\r' &&
                          content.size() > 4 && content.compare(content.size() - 4, 4, " dBm") == 0;
      if (!record || !seen.insert(content).second) return false;
    }
    return true;
  }

  fs::path path_;
  std::atomic<bool> done_{false};
  std::atomic<long> reads_{0}, torn_{0}, replacements_{0};
  std::mutex mutex_;
  std::string firstTorn_;
  std::thread thread_;
};

// Asks the plotter's web view for its picture every 250 ms, as a page left open does (with the
// last picture's tag, so that an unchanged one comes as 304), and keeps one event stream open.
class WebClient {
 public:
  explicit WebClient(int port) : port_(port) {
    thread_ = std::thread([this] { askForPictures(); });
    events_ = std::thread([this] { followEvents(); });
  }
  ~WebClient() { stop(); }
  void stop() {
    done_.store(true);
    if (thread_.joinable()) thread_.join();
    if (events_.joinable()) events_.join();
  }
  long fetches() const { return fetches_.load(); }
  long pictures() const { return pictures_.load(); }
  long failures() const { return failures_.load(); }
  long events() const { return eventCount_.load(); }
  bool streamEnded() const { return streamEnded_.load(); }

  // A port that no one listens on now, for the plotter's --serve.
  static int freePort() {
    const int socket = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address = loopback(0);
    socklen_t length = sizeof address;
    bind(socket, reinterpret_cast<sockaddr*>(&address), length);
    getsockname(socket, reinterpret_cast<sockaddr*>(&address), &length);
    close(socket);
    return ntohs(address.sin_port);
  }

 private:
  static sockaddr_in loopback(int port) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return address;
  }

  // A connection with `request` sent; -1 when the plotter does not answer.
  int ask(const std::string& request) const {
    const int socket = ::socket(AF_INET, SOCK_STREAM, 0);
    const sockaddr_in address = loopback(port_);
    if (connect(socket, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
        send(socket, request.data(), request.size(), MSG_NOSIGNAL) != static_cast<ssize_t>(request.size())) {
      close(socket);
      return -1;
    }
    return socket;
  }

  void askForPictures() {
    std::string tag;
    while (!done_.load()) {
      std::this_thread::sleep_for(std::chrono::milliseconds(250));
      const std::string condition = tag.empty() ? "" : "If-None-Match: " + tag + "\r\n";
      const int socket =
          ask("GET /chart.png HTTP/1.1\r\nHost: a\r\nConnection: close\r\n" + condition + "\r\n");
      std::string reply;
      char buffer[65536];
      for (ssize_t got; socket >= 0 && (got = recv(socket, buffer, sizeof buffer, 0)) > 0;) {
        reply.append(buffer, static_cast<size_t>(got));
      }
      if (socket >= 0) close(socket);
      fetches_.fetch_add(1);
      const size_t tagAt = reply.find("ETag: ");
      const size_t body = reply.find("\r\n\r\n");
      if (reply.rfind("HTTP/1.1 304", 0) == 0) continue;
      if (reply.rfind("HTTP/1.1 200", 0) == 0 && tagAt != std::string::npos &&
          body != std::string::npos && reply.compare(body + 4, 4, "\x89PNG") == 0) {
        tag = reply.substr(tagAt + 6, reply.find("\r\n", tagAt) - tagAt - 6);
        pictures_.fetch_add(1);
        continue;
      }
      // Before the first picture the plotter may still be starting (nothing listens, or 503).
      if (pictures_.load() > 0) failures_.fetch_add(1);
    }
  }

  void followEvents() {
    int socket = -1;
    while (!done_.load() && socket < 0) {
      socket = ask("GET /events HTTP/1.1\r\nHost: a\r\n\r\n");
      if (socket < 0) std::this_thread::sleep_for(std::chrono::milliseconds(200));
    }
    std::string tail;
    char buffer[65536];
    while (!done_.load()) {
      pollfd entry{socket, POLLIN, 0};
      if (poll(&entry, 1, 200) != 1) continue;
      const ssize_t got = recv(socket, buffer, sizeof buffer, 0);
      if (got <= 0) {
        streamEnded_.store(true);
        break;
      }
      tail.append(buffer, static_cast<size_t>(got));
      for (size_t at; (at = tail.find("event: chart")) != std::string::npos;) {
        eventCount_.fetch_add(1);
        tail.erase(0, at + 12);
      }
      if (tail.size() > 64) tail.erase(0, tail.size() - 64);
    }
    if (socket >= 0) close(socket);
  }

  int port_;
  std::atomic<bool> done_{false}, streamEnded_{false};
  std::atomic<long> fetches_{0}, pictures_{0}, failures_{0}, eventCount_{0};
  std::thread thread_, events_;
};

// Finds the plotter's error dialogs, answers them Yes and counts them.
class DialogWatcher {
 public:
  DialogWatcher() : display_(x11driver::openDisplay()) {
    if (display_ != nullptr) thread_ = std::thread([this] { run(); });
  }
  ~DialogWatcher() { stop(); }
  bool watching() const { return display_ != nullptr; }
  void stop() {
    done_.store(true);
    if (thread_.joinable()) thread_.join();
  }
  const std::vector<std::string>& dialogs() const { return dialogs_; }

 private:
  void run() {
    std::set<Window> answered;
    while (!done_.load()) {
      for (const char* prefix : {"Unhandled Error #", "Critical Error #"}) {
        for (const x11driver::NamedWindow& dialog : x11driver::windowsNamedFrom(display_, prefix)) {
          if (!answered.insert(dialog.window).second) continue;
          dialogs_.push_back(dialog.name);
          std::printf("soak: an error dialog appeared: %s\n", dialog.name.c_str());
          std::fflush(stdout);
          x11driver::typeKey(display_, dialog.window, XK_y);
        }
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(200));
    }
  }

  Display* display_;
  std::atomic<bool> done_{false};
  std::vector<std::string> dialogs_;
  std::thread thread_;
};

// Waits until the spot log's last record is `record`; false after `limit`.
bool waitForLastRecord(const fs::path& spotLog, const std::string& record,
                       std::chrono::seconds limit) {
  const auto end = Clock::now() + limit;
  while (Clock::now() < end) {
    const std::vector<std::string> lines = linesOf(readFile(spotLog));
    if (!lines.empty() && std::string(feed::withoutPadding(lines.back())) + "\r\n" == record) {
      return true;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return false;
}

// Closes the plotter's window as its close box does.
void closePlotter(pid_t plotter) {
  if (Display* display = x11driver::openDisplay()) {
    const Window window = x11driver::findWindow(display, "Morvik Ferlang V0.03 18/11/17", 1000);
    if (window != 0) x11driver::sendClose(display, window);
    XCloseDisplay(display);
  }
  waitForExit(plotter, std::chrono::seconds(10));
}

struct Memory {
  long startKb = -1, endKb = -1;
  long growthKb() const { return endKb - startKb; }
};

}  // namespace

int main(int argc, char** argv) {
  if (argc != 5 || std::atoi(argv[1]) < 10) {
    std::fprintf(stderr, "usage: ferlang-soak SECONDS(>=10) FEED PLOTTER FOLDER\n");
    return 2;
  }
  const int seconds = std::atoi(argv[1]);
  const std::string feedProgram = argv[2], plotterProgram = argv[3];
  const fs::path folder = fs::absolute(argv[4]);
  fs::remove_all(folder);
  fs::create_directories(folder);
  const fs::path source = folder / "ALL_WSPR.TXT", spotLog = folder / "spots.log";
  std::string settings = "spots.log\r\n";
  for (const char* call : watchedCalls) settings += std::string(call) + "\r\n";
  writeFile(folder / "Ferlang.SET", settings);

  DecoderWriter writer(source, seconds);
  const pid_t feed =
      spawn({feedProgram, "--keep-hours", "1", source, spotLog}, folder / "feed.out");
  // The plotter once the spot log is there, as a station starts the feed first.
  for (int wait = 0; wait < 200 && !fs::exists(spotLog); ++wait) {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  const int webPort = WebClient::freePort();
  const pid_t plotter = spawn({plotterProgram, "--folder", folder, "--serve", std::to_string(webPort)},
                              folder / "plotter.out");
  if (feed == 0 || plotter == 0) {
    std::fprintf(stderr, "soak: cannot start %s or %s\n", feedProgram.c_str(),
                 plotterProgram.c_str());
    return 2;
  }
  SpotLogClient client(spotLog);
  WebClient web(webPort);
  DialogWatcher dialogs;
  if (!dialogs.watching()) {
    std::fprintf(stderr, "soak: no display to watch the plotter's dialogs on\n");
    return 2;
  }
  std::printf("soak: %d s in %s; feed %d, plotter %d\n", seconds, folder.c_str(), feed, plotter);
  std::fflush(stdout);

  // Resident memory once both have read and drawn the first time.
  const auto started = Clock::now();
  std::this_thread::sleep_for(std::chrono::seconds(5));
  Memory feedMemory{residentKb(feed)}, plotterMemory{residentKb(plotter)};
  bool caughtUp = true;
  for (const DecoderWriter::Next change :
       {DecoderWriter::Next::CutShort, DecoderWriter::Next::Replace}) {
    const int at = change == DecoderWriter::Next::CutShort ? seconds / 3 : 2 * seconds / 3;
    std::this_thread::sleep_until(started + std::chrono::seconds(at));
    writer.ask(DecoderWriter::Next::Pause);
    caughtUp =
        waitForLastRecord(spotLog, writer.lastRecord(), std::chrono::seconds(10)) && caughtUp;
    writer.ask(change);
    std::printf("soak: %s ALL_WSPR.TXT at %d s\n",
                change == DecoderWriter::Next::CutShort ? "cut short" : "replaced", at);
    std::fflush(stdout);
  }
  std::this_thread::sleep_until(started + std::chrono::seconds(seconds));
  writer.stop();
  caughtUp = waitForLastRecord(spotLog, writer.lastRecord(), std::chrono::seconds(10)) && caughtUp;
  feedMemory.endKb = residentKb(feed);
  plotterMemory.endKb = residentKb(plotter);
  kill(feed, SIGTERM);
  const int feedStatus = waitForExit(feed, std::chrono::seconds(10));
  // The plotter keeps drawing until the client and the dialog watcher are done.
  std::this_thread::sleep_for(std::chrono::seconds(11));
  client.stop();
  web.stop();
  dialogs.stop();
  closePlotter(plotter);

  // The final log: the feed once more (on from where it stopped; what left the hour dropped),
  // against one conversion of everything written.
  writeFile(folder / "everything.txt", writer.written());
  const pid_t last =
      spawn({feedProgram, "--once", "--keep-hours", "1", source, spotLog}, folder / "feed.out");
  const pid_t reference =
      spawn({feedProgram, "--once", "--keep-hours", "1", (folder / "everything.txt").string(),
             (folder / "reference.log").string()},
            folder / "reference.out");
  const int lastStatus = waitForExit(last, std::chrono::seconds(60));
  const int referenceStatus = waitForExit(reference, std::chrono::seconds(60));
  // Records compared without the heading (it names the file converted) and without the
  // blanks that keep lines within their blocks.
  const auto records = [](const fs::path& path) {
    std::vector<std::string> lines = linesOf(readFile(path));
    if (!lines.empty()) lines.erase(lines.begin());
    for (std::string& line : lines) line = std::string(feed::withoutPadding(line));
    return lines;
  };
  const std::vector<std::string> finalLines = records(spotLog);
  const std::vector<std::string> expected = records(folder / "reference.log");
  long lost = 0, doubled = 0;
  {
    std::multiset<std::string> have(finalLines.begin(), finalLines.end());
    for (const std::string& line : expected) {
      const auto found = have.find(line);
      if (found == have.end()) {
        ++lost;
      } else {
        have.erase(found);
      }
    }
    doubled = static_cast<long>(have.size());  // records that are not expected, or once more
  }

  std::printf("soak: %ld decodes written in %d s (the file cut short once and replaced once)\n",
              writer.linesWritten(), seconds);
  std::printf(
      "soak: final spot log %zu records, a conversion of everything written %zu; %ld lost, "
      "%ld doubled or unexpected; the order %s\n",
      finalLines.empty() ? 0 : finalLines.size() - 1, expected.empty() ? 0 : expected.size() - 1,
      lost, doubled, finalLines == expected ? "the same" : "differs");
  std::printf("soak: the client read the spot log %ld times, %ld torn; the feed replaced it %ld "
              "times\n",
              client.reads(), client.tornReads(), client.replacements());
  if (client.tornReads() > 0)
    std::printf("soak: the end of the first torn read:\n%s\n", client.firstTorn().c_str());
  std::printf("soak: %zu error dialogs\n", dialogs.dialogs().size());
  std::printf("soak: the web view answered %ld requests for the picture, %ld new pictures among "
              "them, %ld failed; %ld change events, the stream %s\n",
              web.fetches(), web.pictures(), web.failures(), web.events(),
              web.streamEnded() ? "ENDED" : "stayed open");
  std::printf("soak: resident memory: feed %ld -> %ld kB, plotter %ld -> %ld kB\n",
              feedMemory.startKb, feedMemory.endKb, plotterMemory.startKb, plotterMemory.endKb);
  std::printf("soak: feed exit status %d (SIGTERM), %d (--once), reference %d\n", feedStatus,
              lastStatus, referenceStatus);

  const bool good = caughtUp && finalLines == expected && lost == 0 && doubled == 0 &&
                    client.tornReads() == 0 && dialogs.dialogs().empty() && feedStatus == 0 &&
                    web.pictures() > 0 && web.failures() == 0 && web.events() > 0 &&
                    !web.streamEnded() &&
                    lastStatus == 0 && referenceStatus == 0 &&
                    feedMemory.growthKb() <= memoryGrowthLimitKb &&
                    plotterMemory.growthKb() <= memoryGrowthLimitKb;
  if (!caughtUp) std::printf("soak: the feed did not catch up with the writer within 10 s\n");
  std::printf("soak: %s\n", good ? "passed" : "FAILED");
  return good ? 0 : 1;
}
