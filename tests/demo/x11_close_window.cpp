// x11_close_window <window id>: asks an X window to close the way a window manager's close
// button does, with a WM_DELETE_WINDOW message of the WM_PROTOCOLS protocol. (Destroying the
// window instead, as `xdotool windowclose` does, pulls it away from under its program.)
#include <X11/Xlib.h>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s <window id>\n", argv[0]);
    return 2;
  }
  char* end = nullptr;
  const unsigned long id = std::strtoul(argv[1], &end, 0);
  if (!end || *end || id == 0) {
    std::fprintf(stderr, "%s: not a window id: %s\n", argv[0], argv[1]);
    return 2;
  }
  Display* display = XOpenDisplay(nullptr);
  if (!display) {
    std::fprintf(stderr, "%s: no X display\n", argv[0]);
    return 2;
  }
  XEvent event = {};
  event.xclient.type = ClientMessage;
  event.xclient.window = static_cast<Window>(id);
  event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
  event.xclient.format = 32;
  event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
  event.xclient.data.l[1] = CurrentTime;
  const Status sent = XSendEvent(display, static_cast<Window>(id), False, NoEventMask, &event);
  XSync(display, False);
  XCloseDisplay(display);
  return sent ? 0 : 1;
}
