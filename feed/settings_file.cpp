// Reading the settings fields byte by byte with the plotter's field rules.
#include "feed/settings_file.h"

#include <filesystem>
#include <system_error>

#include "feed/files.h"

namespace feed {
namespace {

constexpr size_t maxSettingsBytes = 1 << 16;  // far more than seven lines need

// A byte cursor over the data; byte 26 ends the data for good.
class FieldCursor {
 public:
  explicit FieldCursor(std::string_view bytes) : bytes_(bytes.substr(0, bytes.find('\x1a'))) {}
  int next() { return at_ < bytes_.size() ? static_cast<unsigned char>(bytes_[at_++]) : -1; }
  void back() { --at_; }
  // After a line-end byte: its partner (LF after CR, CR after LF) belongs to the same end.
  void consumeLineEnd(int c) {
    const int partner = next();
    if (partner == -1) return;
    if (partner != (c == '\r' ? '\n' : '\r')) back();
  }

 private:
  std::string_view bytes_;
  size_t at_ = 0;
};

std::string readField(FieldCursor& cursor) {
  int c = cursor.next();
  while (c == ' ' || c == '\t') c = cursor.next();
  std::string field;
  if (c == -1) return field;
  if (c == '"') {
    for (c = cursor.next(); c != '"' && c != -1; c = cursor.next()) field += static_cast<char>(c);
    // Text after the closing quote up to the field's end is dropped.
    while (c != -1 && c != ',' && c != '\r' && c != '\n') c = cursor.next();
  } else {
    for (; c != -1 && c != ',' && c != '\r' && c != '\n'; c = cursor.next()) {
      field += static_cast<char>(c);
    }
    while (!field.empty() && (field.back() == ' ' || field.back() == '\t')) field.pop_back();
  }
  if (c == '\r' || c == '\n') cursor.consumeLineEnd(c);
  return field;
}

char lowerCase(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; }

bool equalIgnoringCase(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (lowerCase(a[i]) != lowerCase(b[i])) return false;
  }
  return true;
}

}  // namespace

SettingsFields readSettingsFields(std::string_view bytes) {
  SettingsFields fields;
  FieldCursor cursor(bytes);
  for (std::string& field : fields) field = readField(cursor);
  return fields;
}

std::string defaultSettingsPath(const std::string& spotLogPath) {
  namespace fs = std::filesystem;
  const fs::path folder = fs::path(spotLogPath).parent_path();
  const fs::path exact = folder / "Ferlang.SET";
  std::error_code error;
  if (fs::exists(exact, error)) return exact.string();
  // The one name that differs only in letter case; with none or several, the name as written.
  std::string found;
  int matches = 0;
  for (const fs::directory_entry& entry :
       fs::directory_iterator(folder.empty() ? fs::path(".") : folder, error)) {
    if (equalIgnoringCase(entry.path().filename().string(), "Ferlang.SET")) {
      found = (folder / entry.path().filename()).string();
      ++matches;
    }
  }
  return matches == 1 ? found : exact.string();
}

bool WatchedCalls::refresh() {
  SourceFile file;
  if (!file.open(path_)) return false;
  std::string bytes(maxSettingsBytes, '\0');
  size_t length = 0;
  for (;;) {
    const int64_t count = file.read(bytes.data() + length, bytes.size() - length);
    if (count < 0) return false;
    if (count == 0) break;
    length += static_cast<size_t>(count);
    if (length == bytes.size()) break;
  }
  bytes.resize(length);
  if (bytes == bytes_) return true;
  const SettingsFields fields = readSettingsFields(bytes);
  for (size_t i = 0; i < calls_.size(); ++i) calls_[i] = fields[i + 1];
  bytes_ = std::move(bytes);
  return true;
}

bool WatchedCalls::watches(std::string_view call) const {
  if (call.empty()) return false;
  for (const std::string& watched : calls_) {
    if (watched == call) return true;
  }
  return false;
}

}  // namespace feed
