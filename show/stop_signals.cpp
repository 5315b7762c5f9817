// stop_signals.cpp -- SIGINT, SIGTERM and SIGHUP end the show between frames.
#include "stop_signals.h"

#include <csignal> // Required for: sigaction(), sig_atomic_t

static volatile sig_atomic_t stopRequested = 0;

static void onStopSignal(int)
{
    stopRequested = 1;
}

void catchStopSignals()
{
    struct sigaction action = {};
    action.sa_handler = onStopSignal;
    sigemptyset(&action.sa_mask);
    // No SA_RESTART: a wait for the next refresh ends early and the loop sees the flag.
    const int signals[] = {SIGINT, SIGTERM, SIGHUP};
    for (int signal : signals)
        sigaction(signal, &action, nullptr);
}

bool stopSignalSeen()
{
    return stopRequested != 0;
}
