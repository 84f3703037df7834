// Ferlang: the runtime owns the process and runs the application on ProgramThread.
#include "app/screen_demo.h"
#include "runtime/core/runtime_main.h"

int main(int argc, char** argv) { rt::runtimeMain(argc, argv, app::screenDemo); }
