#include <unistd.h>

#include <string>

#include "runtime/platform/program_folder.h"

namespace rt {

void enterProgramFolder() {
  std::string path(65536, '\0');
  ssize_t length = readlink("/proc/self/exe", path.data(), path.size() - 1);
  if (length <= 0) return;
  path.resize(static_cast<size_t>(length));
  size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return;
  std::string folder = slash == 0 ? "/" : path.substr(0, slash);
  if (chdir(folder.c_str()) != 0) return;  // the current directory stays as it was
}

}  // namespace rt
