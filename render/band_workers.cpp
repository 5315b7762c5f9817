// band_workers.cpp -- the frame's bands drawn at the same time: band 0 on the calling
// thread, every other band on a worker thread of its own that lives as long as the program.
// Each side spins briefly before it sleeps: a frame takes well under a millisecond, and
// waking a sleeping thread can take a good part of that.
#include "band_workers.h"

#include <atomic>
#include <condition_variable>
#include <cstdlib> // Required for: atexit()
#include <mutex>
#include <thread>

static const int SPIN_ROUNDS = 1000; // Checks before sleeping: some microseconds

// What the workers share with the caller. frame and pending change under lock (pending
// may drop without it), so a side that sleeps on changed never misses its wake-up.
static struct {
    std::mutex lock;
    std::condition_variable changed;
    std::thread threads[BAND_COUNT];  // threads[0] stays empty: the caller draws band 0
    void (*draw)(int band);           // Set before frame moves on
    std::atomic<unsigned> frame{0};   // Counts frames handed out
    std::atomic<int> pending{0};      // Bands of this frame still being drawn by workers
    std::atomic<bool> stopping{false};
    bool started;
    bool off; // Bands drawn one after another on the caller's thread
} workers;

static void pause()
{
#if defined(__x86_64__) || defined(__i386__)
    __builtin_ia32_pause();
#endif
}

// Spins, then sleeps, until ready() holds.
template <typename Ready>
static void waitFor(Ready ready)
{
    for (int i = 0; i < SPIN_ROUNDS; i++) {
        if (ready())
            return;
        pause();
    }
    std::unique_lock<std::mutex> hold(workers.lock);
    workers.changed.wait(hold, ready);
}

static void wakeAll()
{
    { std::lock_guard<std::mutex> hold(workers.lock); }
    workers.changed.notify_all();
}

static void runWorker(int band)
{
    unsigned seen = 0;
    for (;;) {
        waitFor([&seen] { return workers.stopping.load() || workers.frame.load() != seen; });
        if (workers.stopping.load())
            return;
        seen = workers.frame.load();
        workers.draw(band);
        if (workers.pending.fetch_sub(1) == 1)
            wakeAll();
    }
}

// Runs at exit, before the shared record is destroyed: the threads end and are joined.
static void stopWorkers()
{
    {
        std::lock_guard<std::mutex> hold(workers.lock);
        workers.stopping.store(true);
    }
    workers.changed.notify_all();
    for (int i = 1; i < BAND_COUNT; i++)
        workers.threads[i].join();
}

static void startWorkers()
{
    for (int i = 1; i < BAND_COUNT; i++)
        workers.threads[i] = std::thread(runWorker, i);
    workers.started = true;
    std::atexit(stopWorkers);
}

void setBandThreads(bool on)
{
    workers.off = !on;
}

void drawBands(void (*draw)(int band))
{
    if (workers.off) {
        for (int i = 0; i < BAND_COUNT; i++)
            draw(i);
        return;
    }
    if (!workers.started)
        startWorkers();
    {
        std::lock_guard<std::mutex> hold(workers.lock);
        workers.draw = draw;
        workers.pending.store(BAND_COUNT - 1);
        workers.frame.fetch_add(1);
    }
    workers.changed.notify_all();
    draw(0);
    waitFor([] { return workers.pending.load() == 0; });
}
