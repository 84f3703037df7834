// Ferlang: the runtime owns the process and runs the spot plotter on ProgramThread.
#include "app/main_program.h"
#include "runtime/system/runtime_main.h"

int main(int argc, char** argv) { rt::runtimeMain(argc, argv, app::mainProgram); }
