// The application's numbered steps.
//
// Every application statement carries a fixed line number: after the statement its temporary
// strings are released and, when a checkpoint is pending, StatementCheckpoint runs with that
// number (so an error dialog names the line). A condition counts as true when an error became
// pending while it was evaluated: the body is entered and the checkpoint at the condition's
// line reports the error before the body's first step.
//
// A procedure creates one Steps on entry; it remembers the string temporaries' mark. The
// application then reads as a list of numbered statements, one per line:
//
//   Steps steps;
//   steps(146, [&] { openFile(...); });
//   if (steps.when(124, [&] { return previous == 0 && current != 0; })) { ... }
//
// ProgramThread only.
#pragma once

#include <cstdint>

#include "runtime/core/errors.h"
#include "runtime/core/string_engine.h"

namespace rt {

class Steps {
 public:
  Steps() : mark_(tempStackTop()) {}

  // Runs one statement: its body, the release of its temporaries, its checkpoint.
  template <typename Body>
  void operator()(int32_t line, Body&& body) {
    body();
    finish(line);
  }

  // Evaluates a condition as one statement; true when it holds or when it raised an error.
  template <typename Condition>
  bool when(int32_t line, Condition&& condition) {
    bool holds = condition();
    bool failed = errorIsPending();
    finish(line);
    return holds || failed;
  }

 private:
  void finish(int32_t line) {
    releaseTempsAbove(mark_);
    if (checkpointPending.load(std::memory_order_relaxed) != 0) StatementCheckpoint(line);
  }

  int32_t mark_;
};

}  // namespace rt
