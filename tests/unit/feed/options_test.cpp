// The command line: accepted forms and the one-line errors.
#include "feed/options.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace feed {
namespace {

TEST(Options, AcceptOptionsAnywhereAroundTheTwoFiles) {
  const struct {
    std::vector<std::string> arguments;
    bool once;
    const char* band;
    bool local;
    ModeSet modes = allModes;
  } cases[] = {
      {{"in.txt", "out.log"}, false, "", false},
      {{"--once", "in.txt", "out.log"}, true, "", false},
      {{"in.txt", "--band", "30m", "out.log", "--local"}, false, "30m", true},
      {{"--band", "20M", "--once", "--", "in.txt", "out.log"}, true, "20m", false},
      {{"--mode", "FT8", "in.txt", "out.log"}, false, "", false, modeBit(Mode::Ft8)},
      {{"--mode", "ft4,WSPR", "in.txt", "--mode", "FT4", "out.log"}, false, "", false,
       modeBit(Mode::Ft4) | modeBit(Mode::Wspr)},
  };
  for (const auto& c : cases) {
    const ParsedOptions parsed = parseOptions(c.arguments);
    ASSERT_EQ(parsed.action, ParsedOptions::Action::Run) << parsed.error;
    EXPECT_EQ(parsed.options.source, "in.txt");
    EXPECT_EQ(parsed.options.spotLog, "out.log");
    EXPECT_EQ(parsed.options.once, c.once);
    EXPECT_EQ(parsed.options.band ? std::string(parsed.options.band->name) : "", c.band);
    EXPECT_EQ(parsed.options.localTime, c.local);
    EXPECT_EQ(parsed.options.modes, c.modes);
  }
}

TEST(Options, BadCommandLinesGiveOneLineErrors) {
  const struct {
    std::vector<std::string> arguments;
    const char* error;
  } cases[] = {
      {{}, "the decoder log and the spot log must be named (see --help)"},
      {{"in.txt"}, "the decoder log and the spot log must be named (see --help)"},
      {{"a", "b", "c"}, "too many file names: c (see --help)"},
      {{"--bogus", "a", "b"}, "unknown option --bogus (see --help)"},
      {{"a", "b", "--band"}, "--band needs a value"},
      {{"--mode", "FT8,JT65", "a", "b"}, "unknown mode \"JT65\" (known: WSPR FT8 FT4)"},
      {{"--mode", "", "a", "b"}, "unknown mode \"\" (known: WSPR FT8 FT4)"},
  };
  for (const auto& c : cases) {
    const ParsedOptions parsed = parseOptions(c.arguments);
    EXPECT_EQ(parsed.action, ParsedOptions::Action::Error);
    EXPECT_EQ(parsed.error, c.error);
    EXPECT_EQ(parsed.error.find('\n'), std::string::npos);
  }
  const ParsedOptions unknownBand = parseOptions({"--band", "31m", "a", "b"});
  EXPECT_EQ(unknownBand.action, ParsedOptions::Action::Error);
  EXPECT_EQ(unknownBand.error.rfind("unknown band \"31m\" (known: 2200m", 0), 0u) << unknownBand.error;
}

TEST(Options, HelpWinsAndTheUsageNamesEveryOption) {
  EXPECT_EQ(parseOptions({"a", "--help"}).action, ParsedOptions::Action::Help);
  EXPECT_EQ(parseOptions({"-h"}).action, ParsedOptions::Action::Help);
  const std::string usage = usageText();
  for (const char* option :
       {"--once", "--from-start", "--mode", "--band", "--local", "--help", "DECODERLOG SPOTLOG"}) {
    EXPECT_NE(usage.find(option), std::string::npos) << option;
  }
}

TEST(Options, ADashAloneAndNamesAfterTheEndOfOptionsAreFiles) {
  const ParsedOptions parsed = parseOptions({"--", "--once", "-"});
  ASSERT_EQ(parsed.action, ParsedOptions::Action::Run);
  EXPECT_EQ(parsed.options.source, "--once");
  EXPECT_EQ(parsed.options.spotLog, "-");
  EXPECT_FALSE(parsed.options.once);
}

}  // namespace
}  // namespace feed

namespace feed {
namespace {

TEST(Options, AlertTakesACommandOnlyWhenTheFilesDoNotNeedIt) {
  const struct {
    std::vector<std::string> arguments;
    std::vector<std::string> command;
    const char* source;
  } cases[] = {
      {{"--alert", "in.txt", "out.log"}, {}, "in.txt"},
      {{"in.txt", "out.log", "--alert"}, {}, "in.txt"},
      {{"--alert", "notify-send -u critical", "in.txt", "out.log"}, {"notify-send", "-u", "critical"}, "in.txt"},
      {{"in.txt", "--alert", "beep", "out.log"}, {"beep"}, "in.txt"},
      {{"in.txt", "out.log", "--alert", "beep"}, {"beep"}, "in.txt"},
      {{"--alert", "--band", "30m", "in.txt", "out.log"}, {}, "in.txt"},
      {{"--alert", "beep", "--band", "30m", "in.txt", "out.log"}, {"beep"}, "in.txt"},
      {{"--alert", "beep", "--", "--in", "out.log"}, {"beep"}, "--in"},
  };
  for (const auto& c : cases) {
    const ParsedOptions parsed = parseOptions(c.arguments);
    ASSERT_EQ(parsed.action, ParsedOptions::Action::Run) << parsed.error;
    EXPECT_TRUE(parsed.options.alert);
    EXPECT_EQ(parsed.options.alertCommand, c.command);
    EXPECT_EQ(parsed.options.source, c.source);
    EXPECT_EQ(parsed.options.spotLog, "out.log");
  }
}

TEST(Options, AlertPeriodSettingsAndKeepHours) {
  const ParsedOptions parsed = parseOptions(
      {"--alert-every", "5", "--settings", "my.SET", "--keep-hours", "24", "in.txt", "out.log"});
  ASSERT_EQ(parsed.action, ParsedOptions::Action::Run) << parsed.error;
  EXPECT_EQ(parsed.options.alertEveryMinutes, 5);
  EXPECT_EQ(parsed.options.settingsPath, "my.SET");
  EXPECT_EQ(parsed.options.keepHours, 24);
  const ParsedOptions defaults = parseOptions({"in.txt", "out.log"});
  EXPECT_EQ(defaults.options.alertEveryMinutes, 30);
  EXPECT_EQ(defaults.options.keepHours, 0);
  EXPECT_FALSE(defaults.options.alert);
}

TEST(Options, BadAlertAndKeepValuesAreOneLineErrors) {
  const struct {
    std::vector<std::string> arguments;
    const char* error;
  } cases[] = {
      {{"--keep-hours", "0", "a", "b"}, "--keep-hours needs a number of hours from 1 to 100000, not \"0\""},
      {{"--keep-hours", "24h", "a", "b"}, "--keep-hours needs a number of hours from 1 to 100000, not \"24h\""},
      {{"--alert-every", "-1", "a", "b"}, "--alert-every needs a number of minutes from 0 to 100000, not \"-1\""},
      {{"--settings", "", "a", "b"}, "--settings needs a file name"},
      {{"--alert", "  ", "a", "b"}, "--alert: the command is empty"},
      {{"a", "b", "--keep-hours"}, "--keep-hours needs a value"},
  };
  for (const auto& c : cases) {
    const ParsedOptions parsed = parseOptions(c.arguments);
    EXPECT_EQ(parsed.action, ParsedOptions::Action::Error);
    EXPECT_EQ(parsed.error, c.error);
  }
}

}  // namespace
}  // namespace feed
