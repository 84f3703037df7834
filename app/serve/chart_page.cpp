#include "app/serve/chart_page.h"

namespace app::serve {
namespace {

bool printable(char c) { return c >= ' ' && c <= '~'; }

// The picture's address carries its tag, so that a new picture is a new address for the
// browser while an unchanged one is answered by 304. Before the first picture there is none:
// the script sets it when the picture comes.
std::string pictureAddress(const ChartView& view) {
  std::string tag = view.etag;
  std::erase(tag, '"');
  return tag.empty() ? "" : " src=\"/chart.png?v=" + tag + "\"";
}

}  // namespace

std::string htmlText(std::string_view text) {
  std::string out;
  for (const char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      case '\'': out += "&#39;"; break;
      default: out += printable(c) ? c : '?';
    }
  }
  return out;
}

std::string jsonString(std::string_view text) {
  std::string out = "\"";
  for (const char c : text) {
    if (c == '"' || c == '\\') out += '\\';
    out += printable(c) ? c : '?';
  }
  return out + '"';
}

std::string chartPage(const ChartView& view) {
  std::string texts;
  for (const std::string& line : view.texts) texts += "<p>" + htmlText(line) + "</p>\n";
  return "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
         "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n"
         "<title>" + htmlText(view.title) + "</title>\n"
         "<link rel=\"stylesheet\" href=\"/chart.css\">\n"
         "<script src=\"/chart.js\" defer></script>\n</head>\n<body>\n"
         "<p id=\"error\" role=\"alert\">" + htmlText(view.error) + "</p>\n"
         "<img id=\"chart\"" + pictureAddress(view) + " width=\"640\" height=\"480\" "
         "alt=\"Signal-to-noise ratio of the stations heard, by time of day\">\n"
         "<div id=\"texts\" class=\"for-screen-readers\" aria-live=\"polite\">\n" + texts +
         "</div>\n</body>\n</html>\n";
}

const std::string_view kChartStyle =
    "html, body { margin: 0; background: #000; color: #fff; font-family: sans-serif; }\n"
    "#chart { display: block; width: 640px; max-width: 100%; height: auto;\n"
    "         image-rendering: pixelated; }\n"
    "#error { margin: 0; padding: 0.3em 0.5em; background: #a00; }\n"
    "#error:empty { display: none; }\n"
    ".for-screen-readers { position: absolute; width: 1px; height: 1px; overflow: hidden;\n"
    "                      clip-path: inset(50%); white-space: nowrap; }\n";

// Follows the chart through server-sent events. The browser reconnects by itself when a stream
// breaks (a restart of the program, a phone waking up), but gives up on a refusal (all streams
// taken): then the page tries again after half a minute.
const std::string_view kChartScript =
    "'use strict';\n"
    "const chart = document.getElementById('chart');\n"
    "const error = document.getElementById('error');\n"
    "const texts = document.getElementById('texts');\n"
    "function follow() {\n"
    "  const events = new EventSource('/events');\n"
    "  events.addEventListener('chart', show);\n"
    "  events.addEventListener('error', () => {\n"
    "    if (events.readyState === EventSource.CLOSED) setTimeout(follow, 30000);\n"
    "  });\n"
    "}\n"
    "function show(event) {\n"
    "  const view = JSON.parse(event.data);\n"
    "  document.title = view.title;\n"
    "  error.textContent = view.error;\n"
    "  const address = '/chart.png?v=' + view.etag.replaceAll('\"', '');\n"
    "  if (view.etag !== '' && chart.getAttribute('src') !== address) chart.src = address;\n"
    "  texts.replaceChildren(...view.texts.map((line) => {\n"
    "    const paragraph = document.createElement('p');\n"
    "    paragraph.textContent = line;\n"
    "    return paragraph;\n"
    "  }));\n"
    "}\n"
    "follow();\n";

std::string chartEvent(const ChartView& view) {
  std::string texts;
  for (const std::string& line : view.texts) texts += (texts.empty() ? "" : ",") + jsonString(line);
  return "event: chart\ndata: {\"etag\":" + jsonString(view.etag) + ",\"title\":" +
         jsonString(view.title) + ",\"error\":" + jsonString(view.error) + ",\"texts\":[" + texts +
         "]}\n\n";
}

}  // namespace app::serve
