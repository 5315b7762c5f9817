// x_probe.cpp -- looks at the X display from outside: the cursor image and a window's pixels.
//   x_probe cursor          prints "WIDTH HEIGHT OPAQUE" for the cursor image now shown
//   x_probe grab WINDOW F   writes the window's pixels to F as a binary PPM
//   x_probe close WINDOW    asks the window to close, as a window manager's close button does
//   x_probe maximize WINDOW asks the window manager to maximise the window, as its button does
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/Xfixes.h>

static int printCursor(Display* display)
{
    XFixesCursorImage* image = XFixesGetCursorImage(display);
    if (image == nullptr) {
        fprintf(stderr, "x_probe: no cursor image\n");
        return 1;
    }
    int opaque = 0;
    for (int i = 0; i < image->width * image->height; i++)
        if ((image->pixels[i] >> 24) & 0xFF)
            opaque++;
    printf("%d %d %d\n", image->width, image->height, opaque);
    XFree(image);
    return 0;
}

static int grabWindow(Display* display, Window window, const char* path)
{
    XWindowAttributes attributes;
    if (!XGetWindowAttributes(display, window, &attributes)) {
        fprintf(stderr, "x_probe: no such window\n");
        return 1;
    }
    XImage* image = XGetImage(display, window, 0, 0, attributes.width, attributes.height, AllPlanes, ZPixmap);
    if (image == nullptr) {
        fprintf(stderr, "x_probe: cannot read the window's pixels\n");
        return 1;
    }
    FILE* out = fopen(path, "wb");
    if (out == nullptr) {
        fprintf(stderr, "x_probe: cannot write %s\n", path);
        return 1;
    }
    fprintf(out, "P6\n%d %d\n255\n", image->width, image->height);
    for (int y = 0; y < image->height; y++)
        for (int x = 0; x < image->width; x++) {
            const unsigned long pixel = XGetPixel(image, x, y);
            const unsigned char rgb[3] = {static_cast<unsigned char>((pixel & image->red_mask) >> 16),
                                          static_cast<unsigned char>((pixel & image->green_mask) >> 8),
                                          static_cast<unsigned char>(pixel & image->blue_mask)};
            fwrite(rgb, 1, 3, out);
        }
    XDestroyImage(image);
    return fclose(out) == 0 ? 0 : 1;
}

// A client message of the named type about window, its data left for the caller.
static XEvent clientMessage(Display* display, Window window, const char* type)
{
    XEvent event = {};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(display, type, False);
    event.xclient.format = 32;
    return event;
}

static int askToClose(Display* display, Window window)
{
    XEvent event = clientMessage(display, window, "WM_PROTOCOLS");
    event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(display, window, False, NoEventMask, &event);
    XSync(display, False);
    return 0;
}

// The request a taskbar or title bar sends: add both maximised states, from a user's action.
static int askToMaximize(Display* display, Window window)
{
    XEvent event = clientMessage(display, window, "_NET_WM_STATE");
    event.xclient.data.l[0] = 1; // _NET_WM_STATE_ADD
    event.xclient.data.l[1] = static_cast<long>(XInternAtom(display, "_NET_WM_STATE_MAXIMIZED_VERT", False));
    event.xclient.data.l[2] = static_cast<long>(XInternAtom(display, "_NET_WM_STATE_MAXIMIZED_HORZ", False));
    event.xclient.data.l[3] = 2; // Source: a user's action
    XSendEvent(display, DefaultRootWindow(display), False, SubstructureRedirectMask | SubstructureNotifyMask,
               &event);
    XSync(display, False);
    return 0;
}

int main(int argc, char** argv)
{
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) {
        fprintf(stderr, "x_probe: cannot open the display\n");
        return 1;
    }
    if (argc == 2 && strcmp(argv[1], "cursor") == 0)
        return printCursor(display);
    if (argc == 4 && strcmp(argv[1], "grab") == 0)
        return grabWindow(display, static_cast<Window>(strtoul(argv[2], nullptr, 0)), argv[3]);
    if (argc == 3 && strcmp(argv[1], "close") == 0)
        return askToClose(display, static_cast<Window>(strtoul(argv[2], nullptr, 0)));
    if (argc == 3 && strcmp(argv[1], "maximize") == 0)
        return askToMaximize(display, static_cast<Window>(strtoul(argv[2], nullptr, 0)));
    fprintf(stderr, "usage: x_probe cursor | x_probe grab WINDOW FILE.ppm | x_probe close WINDOW"
                    " | x_probe maximize WINDOW\n");
    return 2;
}
