// y4m_output.cpp -- the YUV4MPEG2 stream and its three destinations.
#include "y4m_output.h"

#include <cerrno>   // Required for: errno
#include <cstdio>   // Required for: fdopen(), fflush(), rename(), remove()
#include <cstring>  // Required for: strerror()
#include <unistd.h> // Required for: close()
#include <vector>

#include "temp_names.h"
#include "y4m_stream.h"
#include "yuv420.h"

// The encoder settings for one container; the rest of ffmpeg's command line is shared.
struct EncoderPreset {
    const char* container; // ffmpeg's muxer name
    const char* codecArguments[12];
};

static const EncoderPreset PRESETS[] = {
    {"mp4", {"-c:v", "libx264", "-preset", "medium", "-crf", "18", "-movflags", "+faststart"}},
    {"matroska", {"-c:v", "libx264", "-preset", "medium", "-crf", "18"}},
    {"webm", {"-c:v", "libvpx-vp9", "-crf", "32", "-b:v", "0", "-deadline", "good", "-cpu-used", "4", "-row-mt", "1"}},
};

static const EncoderPreset* presetFor(const char* container)
{
    for (const EncoderPreset& preset : PRESETS)
        if (std::string(preset.container) == container)
            return &preset;
    return nullptr;
}

static std::string writeError(const VideoOutput* out, int code)
{
    const std::string name = out->kind == OUTPUT_Y4M_STDOUT ? std::string("stdout") : out->path;
    return "cannot write " + name + ": " + strerror(code ? code : EIO);
}

// Runs ffmpeg reading the stream on its stdin and writing out->workPath.
static bool startFfmpeg(VideoOutput* out, std::string* error)
{
    const EncoderPreset* preset = presetFor(out->container);
    // 4:2:0 encoders want even sides; an odd one loses its last row or column.
    std::vector<const char*> args = {"ffmpeg", "-hide_banner", "-nostdin", "-loglevel", "error", "-f",
                                     "yuv4mpegpipe", "-i", "pipe:0", "-vf", "crop=trunc(iw/2)*2:trunc(ih/2)*2",
                                     "-pix_fmt", "yuv420p"};
    for (const char* arg : preset->codecArguments)
        if (arg)
            args.push_back(arg);
    // Tag the matrix and range the frames were converted with; no dates, no version strings.
    for (const char* arg : {"-colorspace", "smpte170m", "-color_range", "tv", "-map_metadata", "-1", "-fflags",
                            "+bitexact", "-flags:v", "+bitexact", "-f", preset->container, "-y"})
        args.push_back(arg);
    args.push_back(out->workPath.c_str());
    args.push_back(nullptr);
    return startEncoder(const_cast<char* const*>(args.data()), &out->encoder, error);
}

bool openY4mOutput(VideoOutput* out, std::string* error)
{
    if (out->kind == OUTPUT_Y4M_STDOUT) {
        out->stream = stdout;
    } else {
        const int fd = createTempFile(out->path, &out->workPath);
        if (fd < 0) {
            *error = "cannot write " + out->path + ": " + strerror(errno);
            return false;
        }
        if (out->kind == OUTPUT_Y4M_FILE) {
            out->stream = fdopen(fd, "wb");
            if (!out->stream)
                close(fd);
        } else {
            close(fd); // ffmpeg writes it by name
            if (startFfmpeg(out, error))
                out->stream = out->encoder.input;
            else
                errno = 0;
        }
        if (!out->stream) {
            if (error->empty())
                *error = "cannot write " + out->path + ": " + strerror(errno);
            remove(out->workPath.c_str());
            return false;
        }
    }
    const std::string header = y4mHeader(out->width, out->height, out->fps);
    if (fwrite(header.data(), 1, header.size(), out->stream) != header.size()) {
        *error = writeError(out, errno);
        abandonY4mOutput(out);
        return false;
    }
    return true;
}

bool writeY4mOutputFrame(VideoOutput* out, const RenderTarget& frame, std::string* error)
{
    convertToYuv420(frame, out->yuv.data());
    if (!writeY4mFrame(out->stream, out->yuv.data(), out->yuv.size())) {
        *error = writeError(out, errno);
        // A closed pipe means ffmpeg stopped; what it said is the better reason.
        if (out->kind == OUTPUT_ENCODED) {
            std::string reason;
            if (!finishEncoder(&out->encoder, &reason))
                *error = reason;
            out->stream = nullptr;
        }
        return false;
    }
    return true;
}

bool finishY4mOutput(VideoOutput* out, std::string* error)
{
    switch (out->kind) {
    case OUTPUT_Y4M_STDOUT:
        if (fflush(stdout) != 0 || ferror(stdout)) {
            *error = writeError(out, errno);
            return false;
        }
        return true;
    case OUTPUT_Y4M_FILE: {
        errno = 0;
        const bool flushed = fflush(out->stream) == 0;
        const int code = errno;
        const bool closed = fclose(out->stream) == 0;
        out->stream = nullptr;
        if (!flushed || !closed) {
            *error = writeError(out, flushed ? errno : code);
            return false;
        }
        break;
    }
    default: // OUTPUT_ENCODED
        out->stream = nullptr;
        if (!finishEncoder(&out->encoder, error))
            return false;
        break;
    }
    if (rename(out->workPath.c_str(), out->path.c_str()) != 0) {
        *error = writeError(out, errno);
        return false;
    }
    out->workPath.clear();
    return true;
}

void abandonY4mOutput(VideoOutput* out)
{
    if (out->kind == OUTPUT_Y4M_FILE && out->stream)
        fclose(out->stream);
    std::string ignored;
    if (out->kind == OUTPUT_ENCODED)
        finishEncoder(&out->encoder, &ignored);
    out->stream = nullptr;
    if (!out->workPath.empty())
        remove(out->workPath.c_str());
}
