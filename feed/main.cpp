// ferlang-feed: WSPR decodes from a decoder's ALL_WSPR.TXT into Ferlang's spot log.
#include <iostream>
#include <string>
#include <vector>

#include "feed/feed_run.h"
#include "feed/options.h"
#include "feed/stop_signal.h"

int main(int argc, char** argv) {
  std::vector<std::string> arguments(argv + 1, argv + argc);
  const feed::ParsedOptions parsed = feed::parseOptions(arguments);
  switch (parsed.action) {
    case feed::ParsedOptions::Action::Help:
      std::cout << feed::usageText();
      return feed::exitOk;
    case feed::ParsedOptions::Action::Error:
      std::cerr << "ferlang-feed: " << parsed.error << '\n';
      return feed::exitUsage;
    case feed::ParsedOptions::Action::Run:
      break;
  }
  feed::installStopHandlers();
  return feed::runFeed(parsed.options, std::cout, std::cerr);
}
