// The plotter's settings file, read as the plotter reads it, for the watched calls.
//
// Seven text fields (the spot log's name, then six watched calls), separated by commas or line
// ends: blanks before a field are skipped, an unquoted field ends at a comma or line end and
// loses its trailing blanks, a quoted field runs to its closing quote (what follows up to the
// next comma or line end is dropped), CR LF and LF CR are one line end, byte 26 ends the data,
// and a field past the end of the data is empty. So a call matches exactly when the plotter
// would draw it in its class colour.
#pragma once

#include <array>
#include <string>
#include <string_view>

namespace feed {

using SettingsFields = std::array<std::string, 7>;

// The seven fields of a settings file's bytes. Pure function.
SettingsFields readSettingsFields(std::string_view bytes);

// The settings file of a spot log: "Ferlang.SET" in the spot log's folder, or the one name in
// that folder that differs from it only in letter case (as the plotter finds it).
std::string defaultSettingsPath(const std::string& spotLogPath);

// The six watched calls of a settings file, read again whenever the file's bytes change, so
// that an edit takes effect at the next decode. One thread.
class WatchedCalls {
 public:
  explicit WatchedCalls(std::string path) : path_(std::move(path)) {}

  // Reads the file again when it changed. Returns false when it cannot be read (the calls
  // read before stay). Blocks while it reads.
  bool refresh();

  // True when `call` equals one of the six calls: same bytes, letter case included. An empty
  // watched call matches nothing (the feed never writes an empty call).
  bool watches(std::string_view call) const;

  const std::string& path() const { return path_; }

 private:
  std::string path_;
  std::string bytes_;  // the file as last read
  std::array<std::string, 6> calls_;
};

}  // namespace feed
