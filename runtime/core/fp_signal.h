// The floating-point exception signal (SIGFPE): runtime error 11, "Division by zero".
//
// The signal (on Windows the structured exception) arrives on the thread that executed the
// faulting instruction (an integer division by zero, or a floating-point operation whose
// exception is unmasked); the platform delivers it (runtime/platform/arithmetic_fault.h). The
// handler may only do async-signal-safe work, so it records the fault and the faulting thread
// is parked for good (it must not return: the faulting instruction would run again). Another
// thread that polls anyway, TimerEventThread and the exit sequence, then raises error 11, which
// is critical: its message box shows and the process ends with status 0.
#pragma once

namespace rt {

// Installs the handler for the whole process. Called once at start-up; safe to call again.
void installFloatingPointSignalHandler();

// True once a thread has faulted. Any thread.
bool floatingPointFaultPending();

// When a thread has faulted, raises error 11 (message box, then the process ends; does not
// return); otherwise returns at once. Any thread but a faulted one; not from a signal handler.
void reportFloatingPointFault();

}  // namespace rt
