// Ferlang: the runtime owns the process and runs the spot plotter on ProgramThread. The
// command line may instead ask for a picture without a window, the web view, the usage or the
// version.
#include <string>

#include "app/command_line.h"
#include "app/main_program.h"
#include "app/serve/serve.h"
#include "app/snapshot/snapshot.h"
#include "runtime/platform/console_output.h"
#include "runtime/system/runtime_main.h"

namespace {

// The answer to a command line that asks for no chart: on Windows it reaches the console that
// ferlang.exe was typed in, which a GUI program is not given.
int printAndEnd(rt::StandardStream stream, const std::string& text, int status) {
  rt::writeStandardText(stream, text);
  return status;
}

}  // namespace

int main(int argc, char** argv) {
  app::CommandLine line = app::parseCommandLine(argc, argv);
  if (line.action == app::Action::Refuse) {
    return printAndEnd(rt::StandardStream::Error, "ferlang: " + line.problem + "\n", 2);
  }
  if (line.action == app::Action::ShowHelp) {
    return printAndEnd(rt::StandardStream::Output, app::usageText(), 0);
  }
  if (line.action == app::Action::ShowVersion) {
    return printAndEnd(rt::StandardStream::Output, app::versionText(), 0);
  }
  if (!line.folder.empty()) {
    const std::string problem = app::folderProblem(line.folder);
    if (!problem.empty()) {
      return printAndEnd(rt::StandardStream::Error, "ferlang: " + problem + "\n", 2);
    }
  }
  if (line.action == app::Action::WriteSnapshot) {
    app::runSnapshot({line.folder, line.snapshotPath, line.everyMinutes});
  }
  const int runtimeArgc = static_cast<int>(line.runtimeArguments.size()) - 1;
  if (line.action == app::Action::Serve) {
    app::runServe({line.folder, line.serveHost, line.servePort}, runtimeArgc,
                  line.runtimeArguments.data());
  }
  rt::runtimeMain(runtimeArgc, line.runtimeArguments.data(), app::mainProgram, line.folder);
}
