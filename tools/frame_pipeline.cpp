// frame_pipeline.cpp -- one frame slot between the drawing thread and the writing thread.
// Drawing a frame and converting or encoding the one before it overlap on two cores; the
// frames are written in order and the bytes are the same as when done one after another.
#include "frame_pipeline.h"

#include <condition_variable>
#include <cstring> // Required for: memcpy()
#include <mutex>
#include <thread>
#include <vector>

// The slot and the writing thread's state; every field but pixels is guarded by lock.
static struct {
    VideoOutput* out;
    std::vector<unsigned char> pixels; // The frame waiting to be written, rows packed
    RenderTarget frame;                // The same pixels as a target
    bool full;                         // pixels hold a frame not yet written
    bool stopping;                     // No more frames will come
    bool failed;                       // A write failed; the thread has ended
    std::string error;                 // Why it failed
    std::mutex lock;
    std::condition_variable changed;
    std::thread writer;
} pipeline;

static void writeFrames()
{
    std::unique_lock<std::mutex> hold(pipeline.lock);
    for (;;) {
        pipeline.changed.wait(hold, [] { return pipeline.full || pipeline.stopping; });
        if (!pipeline.full)
            return;
        hold.unlock();
        std::string error;
        const bool written = writeVideoFrame(pipeline.out, pipeline.frame, &error);
        hold.lock();
        pipeline.full = false;
        pipeline.changed.notify_all();
        if (!written) {
            pipeline.failed = true;
            pipeline.error = error;
            return;
        }
    }
}

void startFramePipeline(VideoOutput* out, int width, int height)
{
    pipeline.out = out;
    pipeline.pixels.assign(static_cast<size_t>(width) * height * 4, 0);
    pipeline.frame = RenderTarget{pipeline.pixels.data(), width, height, width * 4};
    pipeline.full = false;
    pipeline.stopping = false;
    pipeline.failed = false;
    pipeline.error.clear();
    pipeline.writer = std::thread(writeFrames);
}

bool pushFrame(const RenderTarget& frame, std::string* error)
{
    std::unique_lock<std::mutex> hold(pipeline.lock);
    pipeline.changed.wait(hold, [] { return !pipeline.full || pipeline.failed; });
    if (pipeline.failed) {
        *error = pipeline.error;
        return false;
    }
    hold.unlock(); // The writer leaves the slot alone while it is empty
    const size_t rowBytes = static_cast<size_t>(frame.width) * 4;
    for (int y = 0; y < frame.height; y++)
        std::memcpy(pipeline.pixels.data() + y * rowBytes, frame.pixels + static_cast<size_t>(y) * frame.stride,
                    rowBytes);
    hold.lock();
    pipeline.full = true;
    pipeline.changed.notify_all();
    return true;
}

bool stopFramePipeline(std::string* error)
{
    {
        std::lock_guard<std::mutex> hold(pipeline.lock);
        pipeline.stopping = true;
        pipeline.changed.notify_all();
    }
    pipeline.writer.join();
    if (pipeline.failed)
        *error = pipeline.error;
    return !pipeline.failed;
}
