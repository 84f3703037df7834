// What the feed's files offer on every system, built on files.h's classes.
#include "feed/files.h"

namespace feed {

bool writeWholeFile(const std::string& path, std::string_view bytes, std::string& error) {
  NewFile file;
  if (!file.create(path, error)) return false;
  if (!file.write(bytes, error)) return false;
  // On the disk before a rename makes it the file it stands for.
  return file.finish(error);
}

std::optional<std::string> readFileFrom(const std::string& path, int64_t offset) {
  SourceFile file;
  if (!file.open(path) || !file.seekTo(offset)) return std::nullopt;
  std::string content;
  char block[1 << 14];
  for (;;) {
    const int64_t count = file.read(block, sizeof block);
    if (count < 0) return std::nullopt;
    if (count == 0) return content;
    content.append(block, static_cast<size_t>(count));
  }
}

}  // namespace feed
