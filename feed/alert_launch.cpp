// The Windows command-line quoting, kept apart from the Windows calls so that it is tested on
// every platform.
#include "feed/alert_launch.h"

namespace feed {
namespace {

// One argument as the C runtime's command-line parser reads it back: plain text as it is;
// otherwise in double quotes, with the backslashes before a quote (or before the closing
// quote) doubled and a backslash before each quote.
void appendQuoted(std::string& line, const std::string& argument) {
  if (!argument.empty() && argument.find_first_of(" \t\n\v\"") == std::string::npos) {
    line += argument;
    return;
  }
  line += '"';
  size_t backslashes = 0;
  for (char c : argument) {
    if (c == '\\') {
      ++backslashes;
      continue;
    }
    line.append(c == '"' ? backslashes * 2 + 1 : backslashes, '\\');
    backslashes = 0;
    line += c;
  }
  line.append(backslashes * 2, '\\');
  line += '"';
}

}  // namespace

std::string windowsCommandLine(const std::vector<std::string>& argv) {
  std::string line;
  for (const std::string& argument : argv) {
    if (!line.empty()) line += ' ';
    appendQuoted(line, argument);
  }
  return line;
}

}  // namespace feed
