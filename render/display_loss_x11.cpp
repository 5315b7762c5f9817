// display_loss_x11.cpp -- a one-line exit when the X server or the window goes away.
#include <unistd.h> // Required for: write(), _exit()

#include <X11/Xlib.h> // Required for: XSetIOErrorHandler()

#include "display_loss.h"

// Called by the X library on a fatal I/O error, from inside whatever X call noticed it.
// Nothing may be drawn or freed any more: say so and leave at once.
static int onDisplayLost(Display*)
{
    static const char MESSAGE[] = "show: lost the connection to the display\n";
    ssize_t written = write(STDERR_FILENO, MESSAGE, sizeof MESSAGE - 1);
    (void)written;
    _exit(1);
}

// Called by the X library for a request the server refused. The show makes no request
// that may fail on purpose, so one means its window was taken away from outside (another
// program destroyed it): say so in one line instead of the X library's six, and leave.
static int onRequestRefused(Display*, XErrorEvent* error)
{
    static const char BAD_WINDOW[] = "show: the window was destroyed by another program\n";
    static const char OTHER[] = "show: the display refused a request for the window\n";
    const char* message = error->error_code == BadWindow || error->error_code == BadDrawable ? BAD_WINDOW : OTHER;
    const size_t length = message == BAD_WINDOW ? sizeof BAD_WINDOW - 1 : sizeof OTHER - 1;
    ssize_t written = write(STDERR_FILENO, message, length);
    (void)written;
    _exit(1);
}

void watchForDisplayLoss()
{
    XSetIOErrorHandler(onDisplayLost);
    XSetErrorHandler(onRequestRefused);
}
