// Arithmetic faults as the operating system reports them: an integer division by zero, or a
// floating-point operation whose exception is unmasked, and the C library's SIGFPE raised by
// hand. The report arrives on the thread that faulted, which cannot go on: returning would run
// the faulting instruction again. runtime/core/fp_signal.cpp turns a fault into runtime error 11.
#pragma once

namespace rt {

// Runs on the faulting thread, in a signal handler on POSIX and in an exception handler on
// Windows: it may only do async-signal-safe work, such as a store to a lock-free atomic.
using ArithmeticFaultRecorder = void (*)();

// Installs `record` for the whole process. On a fault it runs on the faulting thread, which then
// stays where it is for good while the rest of the process runs on. Called once at start-up;
// safe to call again (the last recorder counts).
void installArithmeticFaultHandler(ArithmeticFaultRecorder record);

}  // namespace rt
