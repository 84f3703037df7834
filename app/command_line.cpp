#include "app/command_line.h"

#include <charconv>
#include <filesystem>
#include <string_view>
#include <system_error>

#ifndef FERLANG_VERSION
#define FERLANG_VERSION "unknown"
#endif

namespace app {
namespace {

constexpr int kMostMinutes = 7 * 24 * 60;  // a week between pictures is plenty

CommandLine refuse(std::string problem) {
  CommandLine line;
  line.action = Action::Refuse;
  line.problem = std::move(problem);
  return line;
}

// A whole number of minutes from 1 to a week, or 0 when `text` is not one.
int parseMinutes(std::string_view text) {
  int minutes = 0;
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), minutes);
  if (error != std::errc() || end != text.data() + text.size()) return 0;
  return minutes >= 1 && minutes <= kMostMinutes ? minutes : 0;
}

// "[ADDRESS:]PORT", with an IPv6 address in brackets; false when `text` is not one.
bool parseServeAddress(std::string_view text, std::string& host, int& port) {
  host = "127.0.0.1";
  const size_t colon = text.rfind(':');
  if (colon != std::string_view::npos) {
    std::string_view address = text.substr(0, colon);
    if (address.size() >= 2 && address.front() == '[' && address.back() == ']') {
      address = address.substr(1, address.size() - 2);
    } else if (address.find(':') != std::string_view::npos) {
      return false;  // an IPv6 address needs its brackets
    }
    if (address.empty()) return false;
    host = address;
    text.remove_prefix(colon + 1);
  }
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), port);
  return !text.empty() && error == std::errc() && end == text.data() + text.size() && port >= 0 &&
         port <= 65535;
}

}  // namespace

CommandLine parseCommandLine(int argc, char** argv) {
  CommandLine line;
  if (argc > 0) line.runtimeArguments.push_back(argv[0]);
  bool help = false, version = false, every = false;
  for (int i = 1; i < argc; ++i) {
    const std::string_view option = argv[i];
    const bool takesValue = option == "--folder" || option == "--snapshot" || option == "--every" ||
                            option == "--serve" || option == "-display";
    if (takesValue && i + 1 >= argc) return refuse(std::string(option) + " needs a value");
    if (option == "--help" || option == "-h") {
      help = true;
    } else if (option == "--version") {
      version = true;
    } else if (option == "--folder") {
      line.folder = argv[++i];
      if (line.folder.empty()) return refuse("--folder needs a folder name");
    } else if (option == "--snapshot") {
      line.snapshotPath = argv[++i];
      if (line.snapshotPath.empty()) return refuse("--snapshot needs a file name");
    } else if (option == "--every") {
      every = true;
      line.everyMinutes = parseMinutes(argv[++i]);
      if (line.everyMinutes == 0) {
        return refuse(std::string("--every needs whole minutes from 1 to ") +
                      std::to_string(kMostMinutes) + ", not \"" + argv[i] + "\"");
      }
    } else if (option == "--serve") {
      if (!parseServeAddress(argv[++i], line.serveHost, line.servePort)) {
        return refuse(std::string("--serve needs [ADDRESS:]PORT, for example 8080 or 0.0.0.0:8080, not \"") +
                      argv[i] + "\"");
      }
    } else if (option == "-display") {
      line.runtimeArguments.push_back(argv[i]);
      line.runtimeArguments.push_back(argv[++i]);
    } else {
      return refuse("unknown option \"" + std::string(option) + "\" (ferlang --help lists the options)");
    }
  }
  if (every && line.snapshotPath.empty()) return refuse("--every goes with --snapshot FILE");
  const bool serve = line.servePort >= 0;
  if (serve && !line.snapshotPath.empty()) return refuse("--serve and --snapshot do not go together");
  if (help) {
    line.action = Action::ShowHelp;
  } else if (version) {
    line.action = Action::ShowVersion;
  } else if (!line.snapshotPath.empty()) {
    line.action = Action::WriteSnapshot;
  } else if (serve) {
    line.action = Action::Serve;
  }
  line.runtimeArguments.push_back(nullptr);  // argv's own terminator
  return line;
}

std::string folderProblem(const std::string& folder) {
  std::error_code error;
  const std::filesystem::file_status status = std::filesystem::status(folder, error);
  if (!std::filesystem::exists(status)) return "the folder \"" + folder + "\" does not exist";
  if (!std::filesystem::is_directory(status)) return "\"" + folder + "\" is not a folder";
  std::filesystem::directory_iterator entries(folder, error);
  if (error) return "the folder \"" + folder + "\" cannot be read: " + error.message();
  return {};
}

std::string usageText() {
  return "Usage: ferlang [--folder DIR] [--snapshot FILE.png [--every MINUTES]]\n"
         "       ferlang [--folder DIR] --serve [ADDRESS:]PORT\n"
         "       ferlang --help | --version\n"
         "\n"
         "Draws a 24-hour chart of signal-to-noise ratio against time of day from a spot log\n"
         "that a weak-signal decoder writes, re-read about every ten seconds.\n"
         "\n"
         "  --folder DIR        use DIR for Ferlang.SET, the log and the help text\n"
         "                      (default: the folder of the program itself)\n"
         "  --snapshot FILE     draw the chart once without a window and write it to FILE\n"
         "                      as a 640x480 PNG; exit status 1 on an error\n"
         "  --every MINUTES     with --snapshot: keep running and rewrite FILE every MINUTES\n"
         "                      until Ctrl+C or SIGTERM\n"
         "  --serve [ADDRESS:]PORT\n"
         "                      also serve the live chart read-only over HTTP at ADDRESS\n"
         "                      (default 127.0.0.1; 0.0.0.0 or [::] for the network);\n"
         "                      without a display it runs with no window until Ctrl+C\n"
         "                      or SIGTERM\n"
         "\n"
         "Ferlang.SET holds seven lines: the spot log's file name, then six call signs to\n"
         "watch. The log has a heading line, then one spot per line:\n"
         "call,frequency,hh:mm:ss,locator,snr,power\n"
         "Escape ends the program; the menu opens the settings file and the help text.\n";
}

std::string versionText() {
  return std::string("ferlang ") + FERLANG_VERSION +
         "\n"
         "Copyright (c) 2026 the Ferlang developers\n"
         "Released under the MIT licence: free to use, change and pass on, with no warranty.\n";
}

}  // namespace app
