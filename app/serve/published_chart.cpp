#include "app/serve/published_chart.h"

#include <zlib.h>

#include <algorithm>
#include <cstdio>

#include "app/snapshot/png_file.h"

namespace app::serve {

std::string entityTag(const std::string& bytes) {
  const auto* data = reinterpret_cast<const Bytef*>(bytes.data());
  const auto size = static_cast<uInt>(bytes.size());
  const unsigned long crc = crc32(crc32(0L, Z_NULL, 0), data, size);
  const unsigned long sum = adler32(adler32(0L, Z_NULL, 0), data, size);
  char tag[24];
  std::snprintf(tag, sizeof tag, "\"%08lx%08lx\"", crc & 0xFFFFFFFFul, sum & 0xFFFFFFFFul);
  return tag;
}

PublishedChart::PublishedChart() : view_(std::make_shared<ChartView>()) {}

void PublishedChart::publishPicture(int32_t width, int32_t height, const uint32_t* pixels,
                                    std::vector<std::string> texts) {
  const size_t count = static_cast<size_t>(width) * static_cast<size_t>(height);
  // pixels_ is the publishing thread's own; readers never look at it.
  const bool changed = pixels_.size() != count || !std::equal(pixels_.begin(), pixels_.end(), pixels);
  std::shared_ptr<const std::string> png;
  if (changed) {
    pixels_.assign(pixels, pixels + count);
    // Encoding takes milliseconds; readers keep the old view meanwhile.
    const std::vector<uint8_t> encoded = encodePng(width, height, pixels);
    png = std::make_shared<const std::string>(encoded.begin(), encoded.end());
  }
  std::lock_guard lock(mutex_);
  auto next = std::make_shared<ChartView>(*view_);
  next->texts = std::move(texts);
  next->error.clear();
  if (png) {
    next->etag = entityTag(*png);
    next->png = std::move(png);
  }
  replaceLocked(std::move(next));
}

void PublishedChart::setTitle(std::string title) {
  std::lock_guard lock(mutex_);
  auto next = std::make_shared<ChartView>(*view_);
  next->title = std::move(title);
  replaceLocked(std::move(next));
}

void PublishedChart::setError(std::string line) {
  std::lock_guard lock(mutex_);
  auto next = std::make_shared<ChartView>(*view_);
  next->error = std::move(line);
  replaceLocked(std::move(next));
}

void PublishedChart::replaceLocked(std::shared_ptr<ChartView> next) {
  const ChartView& now = *view_;
  if (next->png == now.png && next->title == now.title && next->error == now.error &&
      next->texts == now.texts) {
    return;
  }
  next->version = now.version + 1;
  view_ = std::move(next);
  changed_.notify_all();
}

std::shared_ptr<const ChartView> PublishedChart::current() const {
  std::lock_guard lock(mutex_);
  return view_;
}

std::shared_ptr<const ChartView> PublishedChart::waitForChange(uint64_t seen,
                                                               std::chrono::milliseconds timeout) const {
  std::unique_lock lock(mutex_);
  changed_.wait_for(lock, timeout, [&] { return closed_ || view_->version != seen; });
  return view_;
}

void PublishedChart::close() {
  std::lock_guard lock(mutex_);
  closed_ = true;
  changed_.notify_all();
}

bool PublishedChart::closed() const {
  std::lock_guard lock(mutex_);
  return closed_;
}

}  // namespace app::serve
