// window_sdl.cpp -- the window backend over SDL2: the window, its events, presenting frames.
#include <cstdio>   // Required for: fprintf()
#include <cstdlib>  // Required for: getenv()
#include <cstring>  // Required for: strcmp()
#include <time.h>   // Required for: clock_gettime(), nanosleep()

#include <SDL.h>

#include "display_loss.h"
#include "held_stderr.h"
#include "render.h"
#include "render_target.h"
#include "scene.h"
#include "window.h"

static const int SCENE_WIDTH = 640;
static const int SCENE_HEIGHT = 480;
static const int FALLBACK_REFRESH_HZ = 60; // When the display mode reports no rate

// Everything the window backend holds for the life of the process.
struct WindowState {
    SDL_Window* window;
    bool escapePressed;     // A key-down of Escape since the last poll
    bool closeRequested;
    int64_t frameNs;        // Length of one display refresh
    int64_t nextDeadlineNs; // When the next frame may be presented
    bool drawingDirect;     // This frame draws straight into the window surface
    SDL_Surface* surface;   // This frame's window surface
    unsigned char* buffer;  // Drawing buffer when the surface's format is not 32-bit xRGB
    int bufferWidth;
    int bufferHeight;
};

static WindowState win;

static int64_t monotonicNs()
{
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<int64_t>(now.tv_sec) * 1000000000 + now.tv_nsec;
}

uint32_t tickCount()
{
    return static_cast<uint32_t>(monotonicNs() / 1000000);
}

// SDL falls back to drivers that show nothing when there is no display; running the
// whole show into one of them would report success for a show nobody saw.
static bool driverIsBlind(const char* driver)
{
    return strcmp(driver, "offscreen") == 0 || strcmp(driver, "dummy") == 0;
}

// The user's own choice of video driver, or null when there is none.
static const char* driverAskedFor()
{
    const char* wanted = getenv("SDL_VIDEODRIVER");
    return wanted != nullptr && *wanted != '\0' ? wanted : nullptr;
}

// Without a choice of the user's, tries only the display servers the environment names,
// so that SDL neither falls back to a blind driver nor reports on servers never asked for.
// Set over SDL's own reading of the environment, where an empty SDL_VIDEODRIVER would
// mean "try every driver".
static bool chooseVideoDriver()
{
    if (driverAskedFor() != nullptr)
        return true;
    const bool x11 = getenv("DISPLAY") != nullptr && *getenv("DISPLAY") != '\0';
    const bool wayland = getenv("WAYLAND_DISPLAY") != nullptr && *getenv("WAYLAND_DISPLAY") != '\0';
    if (!x11 && !wayland)
        return false;
    SDL_SetHintWithPriority(SDL_HINT_VIDEODRIVER, x11 && wayland ? "x11,wayland" : x11 ? "x11" : "wayland",
                            SDL_HINT_OVERRIDE);
    return true;
}

// Names the display the show tried to open, as the user set it, for the one-line error.
static void describeDisplay(char* text, size_t size)
{
    const char* driver = driverAskedFor();
    const char* x11 = getenv("DISPLAY");
    const char* wayland = getenv("WAYLAND_DISPLAY");
    if (driver != nullptr)
        snprintf(text, size, "SDL_VIDEODRIVER=%s", driver);
    else if (x11 != nullptr && *x11 != '\0' && wayland != nullptr && *wayland != '\0')
        snprintf(text, size, "DISPLAY=%s, WAYLAND_DISPLAY=%s", x11, wayland);
    else if (x11 != nullptr && *x11 != '\0')
        snprintf(text, size, "DISPLAY=%s", x11);
    else
        snprintf(text, size, "WAYLAND_DISPLAY=%s", wayland != nullptr ? wayland : "");
}

// Starts SDL's video on the chosen driver and refuses a blind one the user did not ask
// for. The X and Wayland libraries print a refusing server's reason on stderr themselves,
// over several lines; it is kept back, and on failure becomes part of our one line. When
// the display opens, whatever they said is shown as it was.
static bool openDisplay()
{
    const bool held = holdStderr();
    const bool started = SDL_Init(SDL_INIT_VIDEO) == 0;
    const char* driver = started ? SDL_GetCurrentVideoDriver() : nullptr;
    const char* wanted = driverAskedFor();
    const bool seen = driver != nullptr &&
                      (!driverIsBlind(driver) || (wanted != nullptr && strstr(wanted, driver) != nullptr));
    char said[512];
    releaseStderr(held && seen, said, sizeof said);
    if (!started) {
        char display[256];
        describeDisplay(display, sizeof display);
        const char* reason = said[0] != '\0' ? said : SDL_GetError();
        fprintf(stderr, "show: cannot open the display (%s): %s\n", display, reason);
    } else if (!seen) {
        fprintf(stderr, "show: no display to show the window on (set DISPLAY or WAYLAND_DISPLAY)\n");
    }
    return seen;
}

static int refreshRate()
{
    SDL_DisplayMode mode;
    const int display = SDL_GetWindowDisplayIndex(win.window);
    if (display >= 0 && SDL_GetCurrentDisplayMode(display, &mode) == 0 && mode.refresh_rate > 0)
        return mode.refresh_rate;
    return FALLBACK_REFRESH_HZ;
}

bool initGraphics()
{
    // The show ends on signals between frames by itself; SDL must not turn them into events.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    // A plain shared-memory framebuffer: presenting costs a copy, not a GPU context.
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    if (!chooseVideoDriver()) {
        fprintf(stderr, "show: no display to show the window on (set DISPLAY or WAYLAND_DISPLAY)\n");
        return false;
    }
    if (!openDisplay())
        return false;
    if (strcmp(SDL_GetCurrentVideoDriver(), "x11") == 0)
        watchForDisplayLoss();

    win.window = SDL_CreateWindow("", 0, 0, SCENE_WIDTH, SCENE_HEIGHT,
                                  SDL_WINDOW_SHOWN | SDL_WINDOW_RESIZABLE | SDL_WINDOW_ALLOW_HIGHDPI);
    if (win.window == nullptr) {
        fprintf(stderr, "show: cannot create the window: %s\n", SDL_GetError());
        return false;
    }
    if (SDL_GetWindowSurface(win.window) == nullptr) {
        fprintf(stderr, "show: cannot get a surface to draw the window with: %s\n", SDL_GetError());
        return false;
    }
    // Only now: making the surface may replace the native window, and a cursor hidden
    // before that would show again.
    SDL_ShowCursor(SDL_DISABLE);

    win.frameNs = 1000000000 / refreshRate();
    win.nextDeadlineNs = monotonicNs();

    initPalette();
    initGeometries();
    return initDrawing();
}

static void toggleFullscreen()
{
    const bool full = (SDL_GetWindowFlags(win.window) & SDL_WINDOW_FULLSCREEN_DESKTOP) != 0;
    SDL_SetWindowFullscreen(win.window, full ? 0 : SDL_WINDOW_FULLSCREEN_DESKTOP);
}

static void handleKey(const SDL_KeyboardEvent& key)
{
    if (key.keysym.sym == SDLK_ESCAPE)
        win.escapePressed = true;
    const bool altEnter = (key.keysym.sym == SDLK_RETURN || key.keysym.sym == SDLK_KP_ENTER) &&
                          (key.keysym.mod & KMOD_ALT) != 0;
    if ((altEnter || key.keysym.sym == SDLK_F11) && key.repeat == 0)
        toggleFullscreen();
}

WindowEvents pollWindow()
{
    SDL_Event event;
    while (SDL_PollEvent(&event)) {
        if (event.type == SDL_KEYDOWN)
            handleKey(event.key);
        else if (event.type == SDL_QUIT)
            win.closeRequested = true;
        else if (event.type == SDL_WINDOWEVENT && event.window.event == SDL_WINDOWEVENT_CLOSE)
            win.closeRequested = true;
        else if (event.type == SDL_WINDOWEVENT && event.window.event == SDL_WINDOWEVENT_DISPLAY_CHANGED)
            win.frameNs = 1000000000 / refreshRate();
    }
    const Uint8* keys = SDL_GetKeyboardState(nullptr);
    WindowEvents events;
    events.escape = win.escapePressed || keys[SDL_SCANCODE_ESCAPE] != 0;
    events.closeRequested = win.closeRequested;
    win.escapePressed = false;
    return events;
}

// A drawing buffer for surfaces whose pixels are not 32-bit xRGB; grows, never shrinks.
static unsigned char* bufferFor(int width, int height)
{
    if (win.buffer == nullptr || width > win.bufferWidth || height > win.bufferHeight) {
        SDL_free(win.buffer);
        win.buffer = static_cast<unsigned char*>(SDL_malloc(static_cast<size_t>(width) * 4 * height));
        win.bufferWidth = win.buffer ? width : 0;
        win.bufferHeight = win.buffer ? height : 0;
    }
    return win.buffer;
}

bool beginTarget(RenderTarget* target)
{
    // The surface is made anew after a resize; asking every frame picks up the new size.
    win.surface = SDL_GetWindowSurface(win.window);
    if (win.surface == nullptr || win.surface->w <= 0 || win.surface->h <= 0)
        return false;
    win.drawingDirect = win.surface->format->format == SDL_PIXELFORMAT_RGB888 ||
                        win.surface->format->format == SDL_PIXELFORMAT_ARGB8888;
    target->width = win.surface->w;
    target->height = win.surface->h;
    if (win.drawingDirect) {
        if (SDL_MUSTLOCK(win.surface) && SDL_LockSurface(win.surface) != 0)
            return false;
        target->pixels = static_cast<unsigned char*>(win.surface->pixels);
        target->stride = win.surface->pitch;
        return true;
    }
    target->pixels = bufferFor(target->width, target->height);
    target->stride = target->width * 4;
    return target->pixels != nullptr;
}

// Sleeps until the next display refresh is due; a frame that ran late starts a new beat
// instead of hurrying to catch up. The sleep is relative to our own monotonic reading, so
// nothing that shifts absolute deadlines can turn it into a busy loop; a signal cuts it short.
static void waitForNextRefresh()
{
    const int64_t now = monotonicNs();
    win.nextDeadlineNs += win.frameNs;
    if (win.nextDeadlineNs < now)
        win.nextDeadlineNs = now;
    const int64_t remaining = win.nextDeadlineNs - now;
    timespec pause;
    pause.tv_sec = static_cast<time_t>(remaining / 1000000000);
    pause.tv_nsec = static_cast<long>(remaining % 1000000000);
    nanosleep(&pause, nullptr);
}

void endTarget()
{
    if (win.drawingDirect) {
        if (SDL_MUSTLOCK(win.surface))
            SDL_UnlockSurface(win.surface);
    } else {
        SDL_ConvertPixels(win.surface->w, win.surface->h, SDL_PIXELFORMAT_RGB888, win.buffer,
                          win.surface->w * 4, win.surface->format->format, win.surface->pixels,
                          win.surface->pitch);
    }
    SDL_UpdateWindowSurface(win.window);
    waitForNextRefresh();
}

void closeWindow()
{
    SDL_ShowCursor(SDL_ENABLE);
    if (win.window != nullptr)
        SDL_DestroyWindow(win.window);
    win.window = nullptr;
    SDL_free(win.buffer);
    win.buffer = nullptr;
    SDL_Quit();
}
