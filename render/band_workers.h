// band_workers.h -- drawing the bands of one frame at the same time, one per core.
#pragma once

constexpr int BAND_COUNT = 2; // Horizontal bands a frame is split into

// Calls draw(i) once for every band i, each on its own thread (the caller draws band 0),
// and returns when all are done. No allocation once the first call has started the workers.
void drawBands(void (*draw)(int band));

// With false, drawBands draws every band on the calling thread, one after another: the
// same pixels, for comparing against the threaded drawing. True by default.
void setBandThreads(bool on);
