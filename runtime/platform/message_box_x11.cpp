// Message boxes on X11: a small modal dialog in a top-level window of its own.
//
// Each message opens its own connection to the display, so the dialog works from any thread,
// before the main window exists and while the window library runs its loop on the main
// thread's connection; nothing is shared with that connection. The dialog draws its caption
// inside as well as naming the window with it (with no window manager there is no title bar),
// shows the text line by line and offers Yes and No, or OK. It takes the keyboard focus once it
// is on screen; Y, N, Enter and Escape answer, and so does a click on a button (press and
// release on the same button). With no display the headless presenter answers instead; a
// dialog destroyed by another client answers Failed, like a box that could not be shown.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>

#include <algorithm>
#include <optional>
#include <string>

#include "runtime/platform/message_box.h"
#include "runtime/platform/message_box_layout.h"

namespace rt {
namespace {

// Colours of the dialog, 0xRRGGBB.
constexpr unsigned long kFaceRgb = 0xD4D0C8;
constexpr unsigned long kInkRgb = 0x000000;

DialogKey dialogKey(KeySym sym) {
  switch (sym) {
    case XK_y:
    case XK_Y: return DialogKey::Y;
    case XK_n:
    case XK_N: return DialogKey::N;
    case XK_Return:
    case XK_KP_Enter: return DialogKey::Enter;
    case XK_Escape: return DialogKey::Escape;
    default: return DialogKey::Other;
  }
}

// Passes bytes to Xlib's int-sized text calls.
int textLength(std::string_view text) {
  return static_cast<int>(std::min<size_t>(text.size(), 4096));
}

// One dialog on its own connection; the constructor shows it, run() waits for the answer and
// the destructor removes the window and closes the connection.
class X11Dialog {
 public:
  X11Dialog(Display* display, std::string_view caption, std::string_view text,
            MessageBoxButtons buttons)
      : display_(display), caption_(caption), text_(text), buttons_(buttons) {
    const int screen = DefaultScreen(display_);
    font_ = XLoadQueryFont(display_, "fixed");
    if (font_ == nullptr) {
      // The server's default font, always present; only its metrics are needed here.
      font_ = XQueryFont(display_, XGContextFromGC(DefaultGC(display_, screen)));
      fontLoaded_ = false;
    }
    // Without any font information, the metrics of the common 6 x 13 fixed font.
    metrics_.ascentPx = font_ != nullptr ? font_->ascent : 11;
    metrics_.descentPx = font_ != nullptr ? font_->descent : 2;
    metrics_.textWidthPx = [font = font_](std::string_view s) {
      return font != nullptr ? XTextWidth(font, s.data(), textLength(s)) : 6 * textLength(s);
    };
    const int screenWidth = DisplayWidth(display_, screen);
    const int screenHeight = DisplayHeight(display_, screen);
    layout_ = layoutDialog(caption, text, buttons, metrics_, std::max(screenWidth - 40, 200));

    face_ = colourPixel(kFaceRgb, WhitePixel(display_, screen));
    ink_ = colourPixel(kInkRgb, BlackPixel(display_, screen));
    const int x = std::max(0, (screenWidth - layout_.widthPx) / 2);
    const int y = std::max(0, (screenHeight - layout_.heightPx) / 3);
    window_ = XCreateSimpleWindow(display_, RootWindow(display_, screen), x, y,
                                  static_cast<unsigned>(layout_.widthPx),
                                  static_cast<unsigned>(layout_.heightPx), 1, ink_, face_);
    describeWindow(x, y);
    XSelectInput(
        display_, window_,
        ExposureMask | KeyPressMask | ButtonPressMask | ButtonReleaseMask | StructureNotifyMask);
    gc_ = XCreateGC(display_, window_, 0, nullptr);
    XSetForeground(display_, gc_, ink_);
    if (font_ != nullptr && fontLoaded_) XSetFont(display_, gc_, font_->fid);
    XMapRaised(display_, window_);
    XFlush(display_);
  }

  ~X11Dialog() {
    XFreeGC(display_, gc_);
    if (!destroyed_) XDestroyWindow(display_, window_);
    if (font_ != nullptr) {
      if (fontLoaded_) {
        XFreeFont(display_, font_);
      } else {
        XFreeFontInfo(nullptr, font_, 0);
      }
    }
    XFlush(display_);
  }

  X11Dialog(const X11Dialog&) = delete;
  X11Dialog& operator=(const X11Dialog&) = delete;

  // Handles the dialog's events until an answer is given. Blocks.
  MessageBoxAnswer run() {
    std::optional<MessageBoxAnswer> pressed;  // the button under the last press
    for (;;) {
      XEvent event;
      XNextEvent(display_, &event);
      std::optional<MessageBoxAnswer> answer;
      switch (event.type) {
        case Expose:
          if (event.xexpose.count == 0) draw();
          // Expose arrives only once the window is viewable: the moment it can take the focus.
          if (!focused_) takeFocus();
          break;
        case KeyPress: {
          KeySym sym = NoSymbol;
          char ignored[8];
          XLookupString(&event.xkey, ignored, sizeof ignored, &sym, nullptr);
          answer = answerForKey(dialogKey(sym), buttons_);
          break;
        }
        case ButtonPress:
          if (event.xbutton.button == Button1) {
            pressed = answerAtPoint(layout_, event.xbutton.x, event.xbutton.y);
          }
          break;
        case ButtonRelease:
          if (event.xbutton.button == Button1 && pressed.has_value() &&
              answerAtPoint(layout_, event.xbutton.x, event.xbutton.y) == pressed) {
            answer = pressed;
          }
          pressed.reset();
          break;
        case DestroyNotify:
          // Destroyed from outside (another client): the box can no longer be shown.
          if (event.xdestroywindow.window == window_) {
            destroyed_ = true;
            answer = MessageBoxAnswer::Failed;
          }
          break;
        case ClientMessage:
          if (static_cast<Atom>(event.xclient.data.l[0]) == deleteWindow_) {
            answer = answerForClose(buttons_);
          }
          break;
        default: break;
      }
      if (answer.has_value()) return *answer;
    }
  }

 private:
  // The pixel for an RGB colour, or `fallback` when the colour cannot be allocated.
  unsigned long colourPixel(unsigned long rgb, unsigned long fallback) {
    XColor colour{};
    colour.red = static_cast<unsigned short>(((rgb >> 16) & 0xFF) * 0x101);
    colour.green = static_cast<unsigned short>(((rgb >> 8) & 0xFF) * 0x101);
    colour.blue = static_cast<unsigned short>((rgb & 0xFF) * 0x101);
    colour.flags = DoRed | DoGreen | DoBlue;
    Colormap map = DefaultColormap(display_, DefaultScreen(display_));
    return XAllocColor(display_, map, &colour) != 0 ? colour.pixel : fallback;
  }

  // Name, class, fixed size, close protocol and the hints that ask a window manager (when there
  // is one) to treat the window as a dialog kept above the others and to give it the focus.
  void describeWindow(int x, int y) {
    // The message as text, for screen readers and test drivers that cannot read the picture.
    // It is set before the name, so that whoever finds the window by its name finds the text.
    Atom message = XInternAtom(display_, "FERLANG_MESSAGE", False);
    XChangeProperty(display_, window_, message, XA_STRING, 8, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(text_.data()), textLength(text_));

    std::string name(caption_);
    XStoreName(display_, window_, name.c_str());

    XClassHint classHint;
    char resName[] = "ferlang-dialog";
    char resClass[] = "Ferlang";
    classHint.res_name = resName;
    classHint.res_class = resClass;
    XSetClassHint(display_, window_, &classHint);

    XWMHints wmHints{};
    wmHints.flags = InputHint | StateHint;
    wmHints.input = True;
    wmHints.initial_state = NormalState;
    XSetWMHints(display_, window_, &wmHints);

    XSizeHints sizeHints{};
    sizeHints.flags = PPosition | PSize | PMinSize | PMaxSize;
    sizeHints.x = x;
    sizeHints.y = y;
    sizeHints.width = sizeHints.min_width = sizeHints.max_width = layout_.widthPx;
    sizeHints.height = sizeHints.min_height = sizeHints.max_height = layout_.heightPx;
    XSetWMNormalHints(display_, window_, &sizeHints);

    deleteWindow_ = XInternAtom(display_, "WM_DELETE_WINDOW", False);
    XSetWMProtocols(display_, window_, &deleteWindow_, 1);

    Atom type = XInternAtom(display_, "_NET_WM_WINDOW_TYPE", False);
    Atom dialogType = XInternAtom(display_, "_NET_WM_WINDOW_TYPE_DIALOG", False);
    XChangeProperty(display_, window_, type, XA_ATOM, 32, PropModeReplace,
                    reinterpret_cast<unsigned char*>(&dialogType), 1);
    Atom state = XInternAtom(display_, "_NET_WM_STATE", False);
    Atom states[2] = {XInternAtom(display_, "_NET_WM_STATE_ABOVE", False),
                      XInternAtom(display_, "_NET_WM_STATE_MODAL", False)};
    XChangeProperty(display_, window_, state, XA_ATOM, 32, PropModeReplace,
                    reinterpret_cast<unsigned char*>(states), 2);
  }

  void takeFocus() {
    XWindowAttributes attributes;
    // Giving the focus to a window that is not viewable is a protocol error.
    if (XGetWindowAttributes(display_, window_, &attributes) == 0 ||
        attributes.map_state != IsViewable) {
      return;
    }
    XSetInputFocus(display_, window_, RevertToParent, CurrentTime);
    XFlush(display_);
    focused_ = true;
  }

  void drawText(int x, int baseline, std::string_view text) {
    XDrawString(display_, window_, gc_, x, baseline, text.data(), textLength(text));
  }

  void draw() {
    XClearWindow(display_, window_);
    drawText(layout_.captionX, layout_.captionBaselineY, caption_);
    XDrawLine(display_, window_, gc_, layout_.captionX, layout_.separatorY,
              layout_.widthPx - layout_.captionX - 1, layout_.separatorY);
    int baseline = layout_.firstBaselineY;
    for (std::string_view line : layout_.lines) {
      drawText(layout_.textX, baseline, line);
      baseline += layout_.lineHeightPx;
    }
    for (const DialogButton& button : layout_.buttons) {
      const DialogRect& box = button.box;
      XDrawRectangle(display_, window_, gc_, box.x, box.y, static_cast<unsigned>(box.width - 1),
                     static_cast<unsigned>(box.height - 1));
      if (button.isDefault) {
        XDrawRectangle(display_, window_, gc_, box.x + 1, box.y + 1,
                       static_cast<unsigned>(box.width - 3), static_cast<unsigned>(box.height - 3));
      }
      const int labelWidth = metrics_.textWidthPx(button.label);
      const int glyphHeight = metrics_.ascentPx + metrics_.descentPx;
      drawText(box.x + (box.width - labelWidth) / 2,
               box.y + (box.height - glyphHeight) / 2 + metrics_.ascentPx, button.label);
    }
    XFlush(display_);
  }

  Display* display_;
  std::string_view caption_;
  std::string_view text_;
  MessageBoxButtons buttons_;
  XFontStruct* font_ = nullptr;
  bool fontLoaded_ = true;  // false: font_ only describes the server's default font
  DialogFontMetrics metrics_;
  DialogLayout layout_;
  unsigned long face_ = 0, ink_ = 0;
  Window window_ = 0;
  GC gc_ = nullptr;
  Atom deleteWindow_ = None;
  bool focused_ = false;
  bool destroyed_ = false;
};

class X11MessageBox final : public MessageBoxPresenter {
 public:
  MessageBoxAnswer show(std::string_view caption, std::string_view text,
                        MessageBoxButtons buttons) override {
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) return headlessMessageBox().show(caption, text, buttons);
    MessageBoxAnswer answer;
    {
      X11Dialog dialog(display, caption, text, buttons);
      answer = dialog.run();
    }
    XCloseDisplay(display);
    return answer;
  }
};

}  // namespace

MessageBoxPresenter& platformMessageBox() {
  static X11MessageBox presenter;
  return presenter;
}

}  // namespace rt
