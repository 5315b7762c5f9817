// frame_pipeline.cpp -- two frame buffers between the drawing thread and the writing thread.
// Drawing a frame and converting or encoding the one before it overlap on two cores; the
// buffers change hands without a copy, the frames are written in order, and the bytes are
// the same as when done one after another.
#include "frame_pipeline.h"

#include <condition_variable>
#include <cstdint>
#include <cstdlib> // Required for: calloc(), free()
#include <mutex>
#include <thread>

static const int SLOTS = 2;

// Frame n is drawn into slot n % SLOTS. Counters and flags are guarded by lock; a slot's
// pixels belong to the drawing side until pushed and to the writer until written.
static struct {
    VideoOutput* out;
    RenderTarget slots[SLOTS];
    unsigned char* owned; // The second slot's pixels
    int64_t pushed;       // Frames handed to the writer
    int64_t written;      // Frames the writer has finished with
    bool stopping;        // No more frames will come
    bool failed;          // A write failed; the thread has ended
    std::string error;    // Why it failed
    std::mutex lock;
    std::condition_variable changed;
    std::thread writer;
} pipeline;

static void writeFrames()
{
    std::unique_lock<std::mutex> hold(pipeline.lock);
    for (;;) {
        pipeline.changed.wait(hold, [] { return pipeline.written < pipeline.pushed || pipeline.stopping; });
        if (pipeline.written == pipeline.pushed)
            return;
        const RenderTarget frame = pipeline.slots[pipeline.written % SLOTS];
        hold.unlock();
        std::string error;
        const bool written = writeVideoFrame(pipeline.out, frame, &error);
        hold.lock();
        pipeline.written++;
        pipeline.changed.notify_all();
        if (!written) {
            pipeline.failed = true;
            pipeline.error = error;
            return;
        }
    }
}

bool startFramePipeline(VideoOutput* out, const RenderTarget& first, std::string* error)
{
    const size_t size = static_cast<size_t>(first.stride) * first.height;
    pipeline.owned = static_cast<unsigned char*>(std::calloc(size, 1));
    if (!pipeline.owned) {
        *error = "out of memory for a second " + std::to_string(first.width) + " x " +
                 std::to_string(first.height) + " frame";
        return false;
    }
    pipeline.out = out;
    pipeline.slots[0] = first;
    pipeline.slots[1] = first;
    pipeline.slots[1].pixels = pipeline.owned;
    pipeline.pushed = 0;
    pipeline.written = 0;
    pipeline.stopping = false;
    pipeline.failed = false;
    pipeline.error.clear();
    pipeline.writer = std::thread(writeFrames);
    return true;
}

bool nextFrameTarget(RenderTarget* target, std::string* error)
{
    std::unique_lock<std::mutex> hold(pipeline.lock);
    pipeline.changed.wait(hold, [] { return pipeline.pushed - pipeline.written < SLOTS || pipeline.failed; });
    if (pipeline.failed) {
        *error = pipeline.error;
        return false;
    }
    *target = pipeline.slots[pipeline.pushed % SLOTS];
    return true;
}

void pushFrame()
{
    std::lock_guard<std::mutex> hold(pipeline.lock);
    pipeline.pushed++;
    pipeline.changed.notify_all();
}

bool stopFramePipeline(std::string* error)
{
    {
        std::lock_guard<std::mutex> hold(pipeline.lock);
        pipeline.stopping = true;
        pipeline.changed.notify_all();
    }
    pipeline.writer.join();
    std::free(pipeline.owned);
    pipeline.owned = nullptr;
    if (pipeline.failed)
        *error = pipeline.error;
    return !pipeline.failed;
}
