// main.cpp -- the show: set up, then frames until 38 seconds have passed or the user stops it.
#include "render.h"
#include "scene.h"
#include "show_clock.h"
#include "stop_signals.h"
#include "window.h"

// The program's main routine. Returns the process exit code: 0 whenever the show ran,
// 1 when there was no window to show it in.
static int runShow()
{
    //--------------------------------------------------------------------------------------
    // Initialization
    //--------------------------------------------------------------------------------------
    catchStopSignals();
    if (!initGraphics())
        return 1;
    initShapes();
    initTimings();
    const uint32_t start = tickCount();

    //--------------------------------------------------------------------------------------
    // Frame loop
    //--------------------------------------------------------------------------------------
    for (;;) {
        const SceneClock t = elapsedSince(start, tickCount());
        animate(t);
        composeDrawList();
        renderFrame();

        // The end test reads the clock afresh, after the frame has been shown.
        const WindowEvents events = pollWindow();
        const bool stopAsked = events.escape || events.closeRequested || stopSignalSeen();
        if (showIsOver(elapsedSince(start, tickCount()), stopAsked))
            break;
    }

    //--------------------------------------------------------------------------------------
    // De-initialization
    //--------------------------------------------------------------------------------------
    closeWindow();
    return 0;
}

int main()
{
    return runShow();
}
