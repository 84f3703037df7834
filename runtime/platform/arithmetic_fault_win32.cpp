// Arithmetic faults on Windows: the processor's faults arrive as structured exceptions on the
// faulting thread, and a vectored exception handler sees them first, before any frame's own
// handler; a SIGFPE raised by hand reaches the C library's signal handler.
#include <windows.h>

#include <atomic>
#include <csignal>

#include "runtime/platform/arithmetic_fault.h"

namespace rt {
namespace {

std::atomic<ArithmeticFaultRecorder> recorder{nullptr};
std::atomic<bool> vectoredHandlerAdded{false};

[[noreturn]] void recordAndHold() {
  if (ArithmeticFaultRecorder record = recorder.load(std::memory_order_acquire)) record();
  for (;;) Sleep(INFINITE);
}

bool isArithmeticFault(DWORD code) {
  switch (code) {
    case EXCEPTION_INT_DIVIDE_BY_ZERO:
    case EXCEPTION_INT_OVERFLOW:
    case EXCEPTION_FLT_DIVIDE_BY_ZERO:
    case EXCEPTION_FLT_INVALID_OPERATION:
    case EXCEPTION_FLT_OVERFLOW:
    case EXCEPTION_FLT_UNDERFLOW:
    case EXCEPTION_FLT_INEXACT_RESULT:
    case EXCEPTION_FLT_DENORMAL_OPERAND:
    case EXCEPTION_FLT_STACK_CHECK:
    case STATUS_FLOAT_MULTIPLE_FAULTS:  // SSE faults
    case STATUS_FLOAT_MULTIPLE_TRAPS: return true;
    default: return false;
  }
}

LONG CALLBACK onException(EXCEPTION_POINTERS* exception) {
  if (!isArithmeticFault(exception->ExceptionRecord->ExceptionCode)) {
    return EXCEPTION_CONTINUE_SEARCH;
  }
  recordAndHold();
}

void onFloatingPointSignal(int) { recordAndHold(); }

}  // namespace

void installArithmeticFaultHandler(ArithmeticFaultRecorder record) {
  recorder.store(record, std::memory_order_release);
  if (!vectoredHandlerAdded.exchange(true)) AddVectoredExceptionHandler(1, onException);
  std::signal(SIGFPE, onFloatingPointSignal);
}

}  // namespace rt
