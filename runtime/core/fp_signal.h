// The floating-point exception signal (SIGFPE): runtime error 11, "Division by zero".
//
// The signal arrives on the thread that executed the faulting instruction (an integer division
// by zero, or a floating-point operation whose exception is unmasked). Error 11 is critical, so
// the handler shows its message box and ends the process; it never returns into the faulting
// instruction.
#pragma once

namespace rt {

// Installs the handler for the whole process. Called once at start-up; safe to call again.
void installFloatingPointSignalHandler();

}  // namespace rt
