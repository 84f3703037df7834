// What the web view sends besides the picture: the page, its style and its script (all three
// from memory, so the page needs nothing from elsewhere), and the event that tells an open page
// the chart has changed.
#pragma once

#include <string>
#include <string_view>

#include "app/serve/published_chart.h"

namespace app::serve {

// The page for `view`: the title, the error line, the chart at 640 x 480 and its texts for
// screen readers.
std::string chartPage(const ChartView& view);

extern const std::string_view kChartStyle;   // /chart.css
extern const std::string_view kChartScript;  // /chart.js

// One server-sent event "chart" whose data is the view as JSON: etag, title, error, texts.
std::string chartEvent(const ChartView& view);

// Text made safe for HTML or a JSON string: every byte outside printable ASCII becomes '?'.
std::string htmlText(std::string_view text);
std::string jsonString(std::string_view text);

}  // namespace app::serve
