// Taking up a refresh where the last one ended: after any sequence of changes to the log and
// the settings, every refresh shows the picture (and the dialogs) that the same sequence shows
// with every refresh a full one. The comparison is with that, not with a fresh start: after a
// cut, a replacement or a settings edit the program keeps earlier pixels outside what it paints.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "app/main_program.h"
#include "app/plotter_state.h"
#include "app/refresh_resume.h"
#include "runtime/core/statement.h"
#include "runtime/core/string_engine.h"
#include "runtime/files/file_open.h"
#include "runtime/screen/image_surface.h"
#include "runtime/screen/palette.h"
#include "runtime/screen/screen_mode.h"
#include "tests/support/runtime_test.h"
#include "tests/support/scripted_message_box.h"

namespace app {
namespace {

namespace fs = std::filesystem;

const char* const kCalls[] = {"W1AAA", "QQ1BBB", "W3CCC", "K1ABC", "DL2XY",  "G4WSP", "<...>",
                              "VK6BB", "JA1ZZ", "N3QRP", "W5EEE", "PY2AA", "ZL1XX", "OH8KK"};

// What one refresh showed: the picture's fingerprint and the dialogs' texts.
struct Outcome {
  size_t picture = 0;
  std::vector<std::string> dialogs;
  bool operator==(const Outcome&) const = default;
};

// A station's files changing at random, the same way every time for one seed.
class ChangingStation {
 public:
  explicit ChangingStation(uint32_t seed) : random_(seed) {
    write("Ferlang.SET", settings("spots.log"));
    write("other.log", "Other heading\r\n" + records(30));
    write("spots.log", "Heading\r\n" + records(50));
  }

  // One change of the files; returns its name.
  std::string change() {
    if (!halfLine_.empty()) return append(std::exchange(halfLine_, {})), "the rest of the line";
    const int kind = pick(0, 99);
    if (kind < 40) return append(records(pick(1, 20))), "append";
    if (kind < 45) return append(records(pick(100, 400))), "append many";
    if (kind < 55) {
      const std::string line = records(1);
      const size_t cut = static_cast<size_t>(pick(1, static_cast<int>(line.size()) - 1));
      halfLine_ = line.substr(cut);
      return append(line.substr(0, cut)), "half a line";
    }
    if (kind < 61) return editByte(), "byte edited";
    if (kind < 66) return cut(), "cut short";
    if (kind < 71) {
      write("replacement", "New heading\r\n" + records(pick(0, 80)));
      fs::rename("replacement", logName_);
      return "replaced";
    }
    if (kind < 78) {
      // A byte 26 ends the reading of the file where it stands.
      const char* bad[] = {"K1ABC,1,12:00:00,FN42,xx,1\r\n", "K1ABC,1\r\n", "\r\n", "G4WSP,,,,,\r\n",
                           "W3CCC,1,99:99:99,FN42,-5,1\r\n", "W3CCC,1,12:00:00,FN42,-60,1\r\n",
                           "K1ABC,1,12:00:00,FN42,-7,1\x1a\r\n"};
      return append(bad[pick(0, 6)]), "odd record";
    }
    if (kind < 85) {
      write("Ferlang.SET", settings(logName_));
      return "settings edited";
    }
    if (kind < 88) {
      logName_ = logName_ == "spots.log" ? "other.log" : "spots.log";
      write("Ferlang.SET", settings(logName_));
      return "other log";
    }
    return "nothing";
  }

 private:
  int pick(int low, int high) { return std::uniform_int_distribution<int>(low, high)(random_); }

  std::string records(int count) {
    std::string text;
    for (int i = 0; i < count; ++i) {
      char record[96];
      std::snprintf(record, sizeof record, "%s,10.1402%02d,%02d:%02d:%02d,FN42,%d,23%s",
                    kCalls[pick(0, 13)], pick(0, 99), pick(0, 23), pick(0, 59), pick(0, 59),
                    pick(-35, 25), pick(0, 3) == 0 ? "\n" : "\r\n");
      text += record;
    }
    return text;
  }

  std::string settings(const std::string& log) {
    std::string text = log + "\r\n";
    for (int i = 0; i < 6; ++i) text += std::string(kCalls[pick(0, 6)]) + "\r\n";
    return text;
  }

  static void write(const std::string& name, const std::string& bytes) {
    std::ofstream(name, std::ios::binary) << bytes;
  }
  void append(const std::string& bytes) {
    std::ofstream(logName_, std::ios::binary | std::ios::app) << bytes;
  }
  std::string log() const {
    std::ifstream in(logName_, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }
  void editByte() {
    std::string bytes = log();
    if (bytes.empty()) return;
    const char replacements[] = "0123456789-,:ABC \n";
    bytes[static_cast<size_t>(pick(0, static_cast<int>(bytes.size()) - 1))] =
        replacements[pick(0, static_cast<int>(sizeof replacements) - 2)];
    write(logName_, bytes);  // in place: the same file
  }
  void cut() {
    const std::string bytes = log();
    fs::resize_file(logName_, static_cast<uintmax_t>(pick(0, static_cast<int>(bytes.size()))));
  }

  std::mt19937 random_;
  std::string logName_ = "spots.log";
  std::string halfLine_;
};

class RefreshResumeTest : public rt::testing::RuntimeTest {
 protected:
  void SetUp() override {
    RuntimeTest::SetUp();
    folder_ = fs::temp_directory_path() / ("ferlang-resume-" + std::to_string(getpid()));
    previous_ = fs::current_path();
  }
  void TearDown() override {
    rt::closeAllFiles();
    refreshResume().setEnabled(true);
    fs::current_path(previous_);
    fs::remove_all(folder_);
    RuntimeTest::TearDown();
  }

  // `steps` changes with a refresh after each, from the same start, as the plotter draws them.
  std::vector<Outcome> run(uint32_t seed, int changes, bool resuming) {
    rt::closeAllFiles();
    fs::current_path(previous_);  // Windows removes no folder that is the current one
    fs::remove_all(folder_);
    fs::create_directories(folder_);
    fs::current_path(folder_);
    rt::initStringEngine();
    rt::initScreen();
    refreshResume().setEnabled(resuming);
    PlotterState state = createPlotterState();
    {
      rt::Steps steps;
      prepareChartScreen(steps, state);
    }
    ChangingStation station(seed);
    std::vector<Outcome> outcomes;
    for (int i = 0; i <= changes; ++i) {
      if (i > 0) station.change();
      box_.shown.clear();
      state.cycleCount = 99;  // this pass redraws
      rt::Steps steps;
      countPassAndRedraw(steps, state);
      steps(299, [] { rt::closeFile(1); });
      const uint8_t* pixels = rt::writeSurface()->pixels;
      Outcome outcome{std::hash<std::string_view>{}({reinterpret_cast<const char*>(pixels), 640 * 480}), {}};
      for (const auto& shown : box_.shown) outcome.dialogs.push_back(shown.text);
      outcomes.push_back(outcome);
    }
    return outcomes;
  }

  fs::path folder_, previous_;
  rt::testing::ScriptedMessageBox box_;
};

TEST_F(RefreshResumeTest, EveryRefreshShowsWhatAFullRefreshShows) {
  constexpr int kChanges = 300;
  const std::vector<Outcome> full = run(20261209, kChanges, false);
  const uint64_t takenUpBefore = refreshResume().takenUp(), fullBefore = refreshResume().full();
  const std::vector<Outcome> resumed = run(20261209, kChanges, true);
  const uint64_t takenUp = refreshResume().takenUp() - takenUpBefore;
  const uint64_t fullOnes = refreshResume().full() - fullBefore;
  std::printf("%d changes: %llu refreshes taken up, %llu full\n", kChanges,
              static_cast<unsigned long long>(takenUp), static_cast<unsigned long long>(fullOnes));
  ASSERT_EQ(resumed.size(), full.size());
  for (size_t i = 0; i < full.size(); ++i) {
    ASSERT_EQ(resumed[i].picture, full[i].picture) << "the picture after change " << i;
    ASSERT_EQ(resumed[i].dialogs, full[i].dialogs) << "the dialogs after change " << i;
  }
  // Both ways ran often enough to be compared.
  EXPECT_GT(takenUp, static_cast<uint64_t>(kChanges / 4));
  EXPECT_GT(fullOnes, static_cast<uint64_t>(kChanges / 10));
}

}  // namespace
}  // namespace app
