// The program's folder on Windows: GetModuleFileNameA names the executable, and _chdir makes
// its folder the current directory.
#include <direct.h>
#include <windows.h>

#include <string>

#include "runtime/platform/program_folder.h"

namespace rt {

void enterProgramFolder() {
  // GetModuleFileNameA cuts a path that does not fit and says so by filling the buffer; the
  // buffer grows until the whole path fits (paths reach 32767 characters).
  std::string path(MAX_PATH, '\0');
  DWORD length = 0;
  for (;;) {
    length = GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) return;
    if (length < path.size()) break;
    if (path.size() >= 65536) return;
    path.resize(path.size() * 2);
  }
  path.resize(length);
  const size_t separator = path.find_last_of("\\/");
  if (separator == std::string::npos) return;
  // A program at the top of a drive keeps the separator: "C:\" is the folder, "C:" is not.
  const bool driveRoot = separator == 2 && path[1] == ':';
  const std::string folder = path.substr(0, driveRoot ? separator + 1 : separator);
  if (_chdir(folder.c_str()) != 0) return;  // the current directory stays as it was
}

}  // namespace rt
