// window.h -- the show's window: what the frame loop asks of it besides drawing.
#pragma once

#include <cstdint>

// What the user did since the last poll.
struct WindowEvents {
    bool escape;         // Escape is held now, or was pressed since the last poll
    bool closeRequested; // The window's close button, or the desktop asked the program to quit
};

// Handles the window's pending events (resizes, fullscreen toggles, keys) and reports them.
// Call once per frame so the desktop never sees the window as not responding.
WindowEvents pollWindow();

// Shows the cursor again and closes the window; the display stays as the show found it.
void closeWindow();

// Milliseconds of a monotonic clock, truncated to 32 bits so it wraps like a tick counter;
// changes of the system's wall clock do not move it.
uint32_t tickCount();
