// The chart as the web view shows it: the latest picture, encoded once as PNG, with its entity
// tag, the window's title, the chart's own texts and the line of an error being shown. The
// plotter publishes; any number of request threads read and wait for the next change.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace app::serve {

// One state of the chart; never changed once published.
struct ChartView {
  uint64_t version = 0;  // grows with every change of anything below
  std::shared_ptr<const std::string> png;  // empty until the first picture
  std::string etag;                        // quoted, as the header carries it
  std::string title;
  std::string error;                       // "" when the last cycle went without one
  std::vector<std::string> texts;          // legend, latest spot, other calls
};

class PublishedChart {
 public:
  PublishedChart();

  // A new picture of width x height 0xAARRGGBB words and its texts, from a cycle without error:
  // it clears the error line. Encoded only when it differs from the last one. One thread
  // publishes.
  void publishPicture(int32_t width, int32_t height, const uint32_t* pixels,
                      std::vector<std::string> texts);
  void setTitle(std::string title);
  void setError(std::string line);  // "" clears it

  std::shared_ptr<const ChartView> current() const;

  // Waits until the version differs from `seen`, `timeout` passes or the chart closes; returns
  // the state then.
  std::shared_ptr<const ChartView> waitForChange(uint64_t seen, std::chrono::milliseconds timeout) const;

  // Wakes every waiter for good: the server is ending.
  void close();
  bool closed() const;

 private:
  // Replaces the view with `next` unless nothing changed. Holds mutex_.
  void replaceLocked(std::shared_ptr<ChartView> next);

  mutable std::mutex mutex_;
  mutable std::condition_variable changed_;
  std::shared_ptr<const ChartView> view_;
  std::vector<uint32_t> pixels_;  // the picture `view_->png` encodes; the publisher's
  bool closed_ = false;
};

// The entity tag of encoded bytes: two checksums of them, quoted.
std::string entityTag(const std::string& bytes);

}  // namespace app::serve
