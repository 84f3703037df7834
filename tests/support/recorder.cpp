// A stand-in for every outside program in the Windows process and shell-launch tests: appends
// its name (the file name it was started under, without folder and extension) and its arguments
// to the file named by FAKE_LOG; when FAKE_SLEEP_MS is set, waits that many milliseconds and
// then appends "done" with its name.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>

namespace {

void append(const std::string& text) {
  const char* log = std::getenv("FAKE_LOG");
  if (log == nullptr) return;
  if (std::FILE* file = std::fopen(log, "ab")) {
    std::fwrite(text.data(), 1, text.size(), file);
    std::fclose(file);
  }
}

}  // namespace

int main(int argc, char** argv) {
  const std::string name = std::filesystem::path(argv[0]).stem().string();
  std::string lines = "run " + name + "\n";
  for (int i = 1; i < argc; ++i) lines += "arg [" + std::string(argv[i]) + "]\n";
  append(lines);
  if (const char* sleep = std::getenv("FAKE_SLEEP_MS")) {
    std::this_thread::sleep_for(std::chrono::milliseconds(std::atoi(sleep)));
    append("done " + name + "\n");
  }
  return 0;
}
