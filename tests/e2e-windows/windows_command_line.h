// One Windows command line from an argument list, quoted so that CommandLineToArgvW and the C
// runtime read the same list back: each argument in double quotes, a backslash before each
// quote, and the backslashes that precede a quote or the closing quote doubled.
#pragma once

#include <string>
#include <vector>

namespace e2e {

inline std::wstring windowsCommandLine(const std::vector<std::wstring>& arguments) {
  std::wstring line;
  for (const std::wstring& argument : arguments) {
    if (!line.empty()) line += L' ';
    line += L'"';
    size_t backslashes = 0;
    for (wchar_t c : argument) {
      if (c == L'\\') {
        ++backslashes;
        continue;
      }
      line.append(c == L'"' ? 2 * backslashes + 1 : backslashes, L'\\');
      line += c;
      backslashes = 0;
    }
    line.append(2 * backslashes, L'\\');
    line += L'"';
  }
  return line;
}

}  // namespace e2e
