// video_output.cpp -- reads the output name, and hands each step to the folder or the stream.
#include "video_output.h"

#include <cctype>     // Required for: tolower()
#include <sys/stat.h> // Required for: stat()
#include <unistd.h>   // Required for: isatty()

#include "png_sequence.h"
#include "y4m_output.h"
#include "yuv420.h"

// Output file types known by their extension.
struct StreamType {
    const char* extension; // Lower case, with the dot
    OutputKind kind;
    const char* container; // ffmpeg's muxer, for encoded types
};

static const StreamType STREAM_TYPES[] = {
    {".y4m", OUTPUT_Y4M_FILE, nullptr},
    {".mp4", OUTPUT_ENCODED, "mp4"},
    {".mkv", OUTPUT_ENCODED, "matroska"},
    {".webm", OUTPUT_ENCODED, "webm"},
};

// The last name's extension in lower case with its dot, or "" (a leading dot starts no extension).
static std::string extensionOf(const std::string& path)
{
    const size_t nameStart = path.find_last_of('/') == std::string::npos ? 0 : path.find_last_of('/') + 1;
    const size_t dot = path.find_last_of('.');
    if (dot == std::string::npos || dot <= nameStart)
        return std::string();
    std::string extension = path.substr(dot);
    for (char& c : extension)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return extension;
}

static const StreamType* streamTypeOf(const std::string& path)
{
    const std::string extension = extensionOf(path);
    for (const StreamType& type : STREAM_TYPES)
        if (extension == type.extension)
            return &type;
    return nullptr;
}

bool checkVideoOutput(const std::string& path, OutputKind* kind, std::string* error)
{
    if (path.empty()) {
        *error = "empty output name";
        return false;
    }
    if (path == "-") {
        if (isatty(STDOUT_FILENO)) {
            *error = "stdout is a terminal; redirect it to a file or a program to write the stream there";
            return false;
        }
        *kind = OUTPUT_Y4M_STDOUT;
        return true;
    }
    struct stat info;
    const bool present = stat(path.c_str(), &info) == 0;
    const bool folder = present && S_ISDIR(info.st_mode);
    const bool namesFolder = path.back() == '/'; // A trailing slash always means a folder
    const StreamType* type = namesFolder ? nullptr : streamTypeOf(path);
    if (type) {
        if (folder) {
            *error = path + " is a folder, not a file";
            return false;
        }
        if (type->kind == OUTPUT_ENCODED && !findOnPath("ffmpeg")) {
            *error = "ffmpeg is needed to write " + std::string(type->extension) +
                     " files but is not on PATH; write a .y4m stream instead";
            return false;
        }
        *kind = type->kind;
        return true;
    }
    if (present && !folder) {
        *error = path + " is a file, not a folder; PNG frames go into a folder";
        return false;
    }
    if (!folder && !namesFolder && !extensionOf(path).empty()) {
        *error = "unknown output type " + extensionOf(path) + " for " + path +
                 ": give a folder (for PNG frames), a .y4m, .mp4, .mkv or .webm file, or - for stdout";
        return false;
    }
    *kind = OUTPUT_PNG_FOLDER;
    return true;
}

bool openVideoOutput(VideoOutput* out, const std::string& path, OutputKind kind, int width, int height, int fps,
                     std::string* error)
{
    *out = VideoOutput();
    out->kind = kind;
    out->path = path;
    while (out->path.size() > 1 && out->path.back() == '/')
        out->path.pop_back();
    out->width = width;
    out->height = height;
    out->fps = fps;
    if (kind == OUTPUT_PNG_FOLDER)
        return openPngSequence(out, error);
    const StreamType* type = streamTypeOf(out->path);
    out->container = type ? type->container : nullptr;
    out->yuv.resize(yuv420Size(width, height));
    return openY4mOutput(out, error);
}

bool writeVideoFrame(VideoOutput* out, const RenderTarget& frame, std::string* error)
{
    const bool written = out->kind == OUTPUT_PNG_FOLDER ? writePngSequenceFrame(out, frame, error)
                                                        : writeY4mOutputFrame(out, frame, error);
    if (written)
        out->framesWritten++;
    return written;
}

bool finishVideoOutput(VideoOutput* out, std::string* error)
{
    return out->kind == OUTPUT_PNG_FOLDER ? finishPngSequence(out, error) : finishY4mOutput(out, error);
}

void abandonVideoOutput(VideoOutput* out)
{
    if (out->kind == OUTPUT_PNG_FOLDER)
        abandonPngSequence(out);
    else
        abandonY4mOutput(out);
}
