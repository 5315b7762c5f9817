// draw_bands.cpp -- draws the horizontal bands of a frame on two threads at once.
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "drawing.h"

// Shared with the worker. Made once and never destroyed, so a worker waiting for its next
// band at process exit never sees its lock torn down.
struct BandWorker {
    std::mutex lock;
    std::condition_variable wake;
    std::condition_variable done;
    void (*drawBand)(int band);
    std::atomic<int> nextBand; // The next band a thread may take
    unsigned long job;      // Serial of the last frame handed out
    unsigned long finished; // Serial of the last frame the worker completed
};

static BandWorker* worker = nullptr;

// Each thread takes the next band not yet taken until none is left, so neither waits
// on the other while work remains.
static void drawRemainingBands(BandWorker* w, void (*drawBand)(int band))
{
    for (int band = w->nextBand++; band < BAND_COUNT; band = w->nextBand++)
        drawBand(band);
}

static void workerLoop(BandWorker* w)
{
    unsigned long seen = 0;
    for (;;) {
        std::unique_lock<std::mutex> hold(w->lock);
        w->wake.wait(hold, [&] { return w->job != seen; });
        seen = w->job;
        void (*drawBand)(int) = w->drawBand;
        hold.unlock();

        drawRemainingBands(w, drawBand);

        hold.lock();
        w->finished = seen;
        w->done.notify_one();
    }
}

// Starts the worker the first time; false when no thread can be made.
static bool startWorker()
{
    if (worker != nullptr)
        return true;
    BandWorker* w = new BandWorker();
    try {
        std::thread(workerLoop, w).detach();
    } catch (const std::system_error&) {
        delete w;
        return false;
    }
    worker = w;
    return true;
}

void drawInBands(void (*drawBand)(int band))
{
    if (!startWorker()) {
        // Without a second thread the bands are simply drawn one after the other.
        for (int band = 0; band < BAND_COUNT; band++)
            drawBand(band);
        return;
    }
    unsigned long serial;
    {
        std::lock_guard<std::mutex> hold(worker->lock);
        worker->drawBand = drawBand;
        worker->nextBand = 0;
        serial = ++worker->job;
    }
    worker->wake.notify_one();
    drawRemainingBands(worker, drawBand);
    std::unique_lock<std::mutex> hold(worker->lock);
    worker->done.wait(hold, [&] { return worker->finished == serial; });
}
