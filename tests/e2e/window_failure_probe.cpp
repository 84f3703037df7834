// A main program that hands the main thread straight to the window loop, without start-up and
// its display check, so that freeglut itself meets a missing display: its fatal error must end
// the process through the runtime (one line on standard error, status 1), not through freeglut.
#include "runtime/display/window.h"

int main(int argc, char** argv) { rt::runWindowLoop(argc, argv); }
