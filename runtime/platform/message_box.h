// Message boxes: the runtime's only modal user interface (error dialogs, display failures).
//
// The runtime shows every message through the current MessageBoxPresenter. The platform
// supplies one (a small dialog of its own where a display exists, standard error otherwise);
// unit tests install a scripted one. Callable from any thread, before or after the main window
// exists; blocks the calling thread until the user answers.
#pragma once

#include <string_view>

namespace rt {

enum class MessageBoxButtons { Ok, YesNo };

// The answers the runtime tests for; Failed means the box could not be shown.
enum class MessageBoxAnswer { Failed = 0, Ok = 1, Yes = 6, No = 7 };

class MessageBoxPresenter {
 public:
  virtual ~MessageBoxPresenter() = default;
  virtual MessageBoxAnswer show(std::string_view caption, std::string_view text,
                                MessageBoxButtons buttons) = 0;
};

// Shows a message with the current presenter. Any thread; blocks until answered.
MessageBoxAnswer showMessageBox(std::string_view caption, std::string_view text,
                                MessageBoxButtons buttons);

// Replaces the presenter (tests); nullptr restores the platform's own. Not thread-safe: call it
// before the threads that show messages run.
void setMessageBoxPresenter(MessageBoxPresenter* presenter);

// The platform's presenter: on X11 a small dialog window of its own when a display can be
// reached (message_box_x11.cpp); on Windows MessageBoxA (message_box_win32.cpp); the headless
// presenter when no box can be shown.
MessageBoxPresenter& platformMessageBox();

// The presenter for machines with no display: writes the caption and the text to standard
// error and answers Failed, which callers treat as "Yes" (carry on). Any thread; never blocks.
MessageBoxPresenter& headlessMessageBox();

}  // namespace rt
