// display_loss_x11.cpp -- a one-line exit when the X server closes the connection.
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

void watchForDisplayLoss()
{
    XSetIOErrorHandler(onDisplayLost);
}
