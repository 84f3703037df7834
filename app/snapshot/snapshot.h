// The chart without a window: start-up, one refresh, and the picture written as a PNG file,
// for a web page or a station with no screen. The drawing is the window's own, so the file
// holds the window's picture pixel for pixel.
#pragma once

#include <string>

namespace app {

struct SnapshotRequest {
  std::string folder;   // the settings folder; empty: the program's own folder
  std::string path;     // the PNG file to write (relative names against the starting folder)
  int everyMinutes = 0; // 0: one picture; else a new picture every so many minutes
};

// Main thread, from main(); never returns. Ends with status 0 once the picture is written (or,
// with everyMinutes, on Ctrl+C or SIGTERM); with status 1 after writing the error to standard
// error when the plotter meets a runtime error (which the window would show in a dialog) or the
// file cannot be written. No partial file is ever left at `path`.
[[noreturn]] void runSnapshot(const SnapshotRequest& request);

}  // namespace app
