// stop_signals.h -- SIGINT, SIGTERM and SIGHUP end the show between frames.
#pragma once

// Catches the stop signals from now on; they only set a flag.
void catchStopSignals();

// True once a stop signal has arrived.
bool stopSignalSeen();
