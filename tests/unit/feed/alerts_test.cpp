// Alerts: which decodes raise one, how often, and the arguments the command gets, hostile
// call signs included.
#include "feed/alerts.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "feed/alert_launch.h"
#include "tests/unit/feed/feed_test_support.h"

namespace feed {
namespace {

using testing::TempFolder;
using testing::writeFile;
using Clock = Alerter::Clock;

Decode decodeOf(std::string_view call, int snr = -12) {
  Decode decode;
  decode.call = call;
  decode.frequency = "14.0970512";
  decode.snr = snr;
  return decode;
}

// An alerter whose programs and bells are only recorded.
struct RecordingAlerter {
  RecordingAlerter(const TempFolder& folder, std::vector<std::string> command, int everyMinutes,
                   const std::string& settings, bool startWorks = true)
      : alerter(AlertOptions{std::move(command), everyMinutes, folder.file("Ferlang.SET")},
                [this, startWorks](const std::vector<std::string>& argv, std::string& error) {
                  started.push_back(argv);
                  error = "no such program";
                  return startWorks;
                },
                [this] { ++bells; }, out, err) {
    writeFile(folder.file("Ferlang.SET"), settings);
    alerter.refreshWatchedCalls();
  }

  std::ostringstream out, err;
  std::vector<std::vector<std::string>> started;
  int bells = 0;
  Alerter alerter;
};

const std::string settings = "spots.log\r\nK1ABC\r\nDL1XYZ/P\r\n\r\n\r\n\r\n\r\n";

TEST(Alerts, OnlyWatchedCallsRaiseThemWithTheCallTimeSnrAndFrequency) {
  TempFolder folder;
  RecordingAlerter recording(folder, {"notify-send", "Heard on 20 m"}, 30, settings);
  const Clock::time_point now = Clock::now();
  EXPECT_EQ(recording.alerter.decode(decodeOf("W1AW"), {9, 5}, now), AlertOutcome::NotWatched);
  EXPECT_EQ(recording.alerter.decode(decodeOf("k1abc"), {9, 5}, now), AlertOutcome::NotWatched);
  EXPECT_EQ(recording.alerter.decode(decodeOf("K1ABC", 0), {9, 5}, now), AlertOutcome::Started);
  EXPECT_EQ(recording.alerter.decode(decodeOf("DL1XYZ/P", -7), {23, 58}, now), AlertOutcome::Started);
  ASSERT_EQ(recording.started.size(), 2u);
  EXPECT_EQ(recording.started[0], (std::vector<std::string>{"notify-send", "Heard on 20 m", "K1ABC",
                                                            "09:05", "0", "14.0970512"}));
  EXPECT_EQ(recording.started[1], (std::vector<std::string>{"notify-send", "Heard on 20 m",
                                                            "DL1XYZ/P", "23:58", "-7", "14.0970512"}));
  EXPECT_EQ(recording.bells, 0);
}

TEST(Alerts, AtMostOnePerCallWithinThePeriod) {
  TempFolder folder;
  RecordingAlerter recording(folder, {"alert"}, 30, settings);
  const Clock::time_point start = Clock::now();
  using std::chrono::minutes;
  const struct {
    const char* call;
    minutes at;
    AlertOutcome outcome;
  } steps[] = {
      {"K1ABC", minutes(0), AlertOutcome::Started},   {"K1ABC", minutes(2), AlertOutcome::Held},
      {"DL1XYZ/P", minutes(2), AlertOutcome::Started}, {"K1ABC", minutes(29), AlertOutcome::Held},
      {"K1ABC", minutes(30), AlertOutcome::Started},   {"K1ABC", minutes(31), AlertOutcome::Held},
      {"DL1XYZ/P", minutes(33), AlertOutcome::Started},
  };
  for (const auto& step : steps) {
    EXPECT_EQ(recording.alerter.decode(decodeOf(step.call), {1, 2}, start + step.at), step.outcome)
        << step.call << " at " << step.at.count();
  }
  EXPECT_EQ(recording.started.size(), 4u);
}

TEST(Alerts, WithoutACommandBeepAndPrintALine) {
  TempFolder folder;
  RecordingAlerter recording(folder, {}, 30, settings);
  EXPECT_EQ(recording.alerter.decode(decodeOf("K1ABC"), {9, 5}, Clock::now()), AlertOutcome::Announced);
  EXPECT_EQ(recording.bells, 1);
  EXPECT_EQ(recording.out.str(), "ferlang-feed: heard K1ABC at 09:05, -12 dB, 14.0970512 MHz\n");
  EXPECT_TRUE(recording.started.empty());
}

TEST(Alerts, ACommandThatCannotStartIsReportedAndTheFeedGoesOn) {
  TempFolder folder;
  RecordingAlerter recording(folder, {"no-such-program"}, 0, settings, false);
  EXPECT_EQ(recording.alerter.decode(decodeOf("K1ABC"), {9, 5}, Clock::now()), AlertOutcome::Failed);
  EXPECT_EQ(recording.err.str(),
            "ferlang-feed: cannot start the alert command no-such-program: no such program\n");
}

TEST(Alerts, AnUnreadableSettingsFileIsToldOnce) {
  TempFolder folder;
  std::ostringstream out, err;
  Alerter alerter(AlertOptions{{"x"}, 30, folder.file("missing.SET")},
                  [](const std::vector<std::string>&, std::string&) { return true; }, [] {}, out, err);
  alerter.refreshWatchedCalls();
  alerter.refreshWatchedCalls();
  EXPECT_EQ(err.str(), "ferlang-feed: cannot read the settings file " + folder.file("missing.SET") +
                           "; alerts wait until it can be read\n");
  EXPECT_EQ(alerter.decode(decodeOf("K1ABC"), {9, 5}, Clock::now()), AlertOutcome::NotWatched);
}

// Call signs that a shell would act on reach the command as one argument each, unchanged.
// (The line parser never lets such text through; the alerter must not rely on that.)
TEST(Alerts, HostileCallSignsAreSingleArgumentsVerbatim) {
  const std::string hostile[] = {
      // (A settings field cannot start with a quote or hold a comma: the plotter's rules.)
      "K1ABC;rm -rf ~", "$(touch pwned)", "`id`", "say\"quoted\"", "it's", "a|b&c>d<e",
      "%PATH%", "^&^|", "back\\slash\\", std::string(5000, 'W') + "\"$(x)",
  };
  for (const std::string& call : hostile) {
    TempFolder folder;
    RecordingAlerter recording(folder, {"alert"}, 30, "log\n" + call + "\n");
    ASSERT_EQ(recording.alerter.decode(decodeOf(call), {9, 5}, Clock::now()), AlertOutcome::Started)
        << call;
    ASSERT_EQ(recording.started.size(), 1u);
    EXPECT_EQ(recording.started[0][1], call);
    EXPECT_EQ(recording.started[0].size(), 5u);
  }
}

TEST(Alerts, CommandWordsSplitAtBlanksWithQuotesGrouping) {
  const struct {
    const char* command;
    std::vector<std::string> words;
  } cases[] = {
      {"notify-send", {"notify-send"}},
      {"  notify-send   -u critical ", {"notify-send", "-u", "critical"}},
      {"\"C:\\Program Files\\Tool\\tool.exe\" --beep", {"C:\\Program Files\\Tool\\tool.exe", "--beep"}},
      {"say \"\"", {"say", ""}},
      {"a;b $(c) `d`", {"a;b", "$(c)", "`d`"}},
      {"", {}},
  };
  for (const auto& c : cases) EXPECT_EQ(splitCommandWords(c.command), c.words) << c.command;
}

// The Windows command line, as the C runtime's parser reads it back.
TEST(AlertLaunch, WindowsCommandLinesQuoteEveryArgumentTheRuntimeWouldSplit) {
  const struct {
    std::vector<std::string> argv;
    const char* line;
  } cases[] = {
      {{"alert.exe", "K1ABC", "09:05", "-12", "14.0970512"}, "alert.exe K1ABC 09:05 -12 14.0970512"},
      {{"C:\\Program Files\\a.exe", "x y"}, "\"C:\\Program Files\\a.exe\" \"x y\""},
      {{"a", ""}, "a \"\""},
      {{"a", "say \"hi\""}, "a \"say \\\"hi\\\"\""},
      {{"a", "trailing\\"}, "a trailing\\"},
      {{"a", "trailing \\"}, "a \"trailing \\\\\""},
      {{"a", "\\\"x"}, "a \"\\\\\\\"x\""},
      {{"a", "K1ABC;rm -rf ~"}, "a \"K1ABC;rm -rf ~\""},
      {{"a", "$(x)&|<>^%PATH%"}, "a $(x)&|<>^%PATH%"},
  };
  for (const auto& c : cases) EXPECT_EQ(windowsCommandLine(c.argv), c.line);
}

}  // namespace
}  // namespace feed
