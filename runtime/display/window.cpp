#include "runtime/display/window.h"

#include <GL/glew.h>
#include <GL/freeglut.h>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "runtime/core/clock.h"
#include "runtime/display/input_events.h"
#include "runtime/display/key_events.h"
#include "runtime/display/key_translation.h"
#include "runtime/display/menu_bar.h"
#include "runtime/display/renderer.h"
#include "runtime/display/window_title.h"
#include "runtime/platform/message_box.h"
#include "runtime/platform/process_exit.h"
#include "runtime/platform/window_hook.h"

namespace rt {
namespace {

// freeglut's fatal errors. Left to itself, freeglut prints its message and calls exit() on
// this thread while the runtime's threads run, which can crash on the way out; instead the
// message becomes the one line of endProcessWithError and the status is 1.
void windowLibraryFailed(const char* format, va_list arguments) {
  char message[512];
  std::vsnprintf(message, sizeof message, format, arguments);
  endProcessWithError(std::string("window library: ") + message);
}

int reportWindowMessage(WindowMessage kind, int32_t a, int32_t b) {
  if (kind == WindowMessage::Wake) {
    redisplayTick(0);
    return 0;
  }
  return onWindowMessage(static_cast<int>(kind), a, b);
}

// Without a wake-up channel the presenter polls: a pass every 16 ms on a freeglut timer.
void pollPresenter(int) {
  redisplayTick(0);
  glutTimerFunc(16, pollPresenter, 0);
}

void deliverKey(int32_t code, bool down) {
  if (down) {
    keyPressed(code);
  } else {
    keyReleased(code);
  }
}

// Character keys, down and up: the Ctrl state from glutGetModifiers adjusts the code.
void asciiKey(unsigned char character, bool down) {
  int modifiers = glutGetModifiers();
  deliverKey(asciiKeyCode(character, (modifiers & GLUT_ACTIVE_CTRL) != 0,
                          (modifiers & GLUT_ACTIVE_SHIFT) != 0),
             down);
}

// Special keys, down and up; keys outside the runtime's table are ignored.
void specialKey(int key, bool down) {
  int32_t code = specialKeyCode(key);
  if (code != 0) deliverKey(code, down);
}

void asciiDown(unsigned char c, int, int) { asciiKey(c, true); }
void asciiUp(unsigned char c, int, int) { asciiKey(c, false); }
void specialDown(int key, int, int) { specialKey(key, true); }
void specialUp(int key, int, int) { specialKey(key, false); }

// Left-button presses on the menu strip go to the menu; everything else to the mouse state.
void mouseButton(int button, int state, int x, int y) {
  if (button == GLUT_LEFT_BUTTON && menuMouseButton(state == GLUT_DOWN, x, y)) return;
  onMouseButton(button, state == GLUT_DOWN, x, y);
}

int createGlutWindow(const char* title) { return glutCreateWindow(title); }

// A title change reaches other clients (a lookup by title) before setWindowTitle returns.
void showGlutTitle(const char* title) {
  glutSetWindowTitle(title);
  waitForWindowSystem();
}

void initialiseGlew() {
  glewExperimental = GL_TRUE;
  GLenum result = glewInit();
  if (result != GLEW_OK) {
    showMessageBox("Error", reinterpret_cast<const char*>(glewGetErrorString(result)),
                   MessageBoxButtons::Ok);
  }
}

void registerCallbacks() {
  glutDisplayFunc(renderDisplay);
  // Other threads wake the event loop when they have something to show; one first pass shows
  // what they published before the channel existed.
  glutTimerFunc(8, enableWindowWake() ? redisplayTick : pollPresenter, 0);
  glutKeyboardFunc(asciiDown);
  glutKeyboardUpFunc(asciiUp);
  glutSpecialFunc(specialDown);
  glutSpecialUpFunc(specialUp);
  glutMouseFunc(mouseButton);
  glutMotionFunc(onMouseMotion);
  glutPassiveMotionFunc(onMouseMotion);
  glutReshapeFunc(onWindowReshape);
  glutMouseWheelFunc(onMouseWheel);
}

}  // namespace

// Mesa keeps compiled shaders in a disk cache, written by a thread of its own that runs at the
// lowest priority (SCHED_BATCH, nice 19). Every thread has to run its own way out when the
// process ends, and while such a thread waits behind busy processes for its turn, which can
// take seconds under load, the process is not gone: its X connection stays open, the window
// stays on screen and later closes go to a process that has already ended. The few shaders
// drawn here compile in no time, so the cache is not used (unless the user has set the
// variable), and no thread starts that could hold up the end. Set while the process has one
// thread: the environment is no place for a write while other threads may read it.
void prepareWindowLibrary() { setenv("MESA_SHADER_CACHE_DISABLE", "true", 0); }

void wakePresenter() { wakeWindowThread(); }

void runWindowLoop(int argc, char** argv) {
  installWindowMessageHook(reportWindowMessage);
  glutInitErrorFunc(windowLibraryFailed);
  glutInit(&argc, argv);
  glutInitDisplayMode(GLUT_RGBA | GLUT_DOUBLE | GLUT_DEPTH);
  glutInitWindowSize(640, 400);
  if (glutGet(GLUT_DISPLAY_MODE_POSSIBLE) == 0) {
    endProcessWithError("the display offers no double-buffered RGBA mode with a depth buffer");
  }
  // The window must survive its close box: the runtime ends the process itself, in order.
  glutSetOption(GLUT_ACTION_ON_WINDOW_CLOSE, GLUT_ACTION_CONTINUE_EXECUTION);
  createWindowWithTitle(createGlutWindow, showGlutTitle);
  initialiseGlew();
  registerCallbacks();
  glutMainLoop();
  // glutMainLoop returns only when every window is gone; RuntimeLoopThread ends the process.
  for (;;) sleepMs(1000);
}

}  // namespace rt
