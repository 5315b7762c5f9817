// png_sequence.cpp -- a PNG folder written aside, so a failed run leaves no sequence that
// looks whole. A new folder appears in one rename; frames move into an existing folder
// only after the last one has been written.
#include "png_sequence.h"

#include <cerrno>     // Required for: errno
#include <cstdio>     // Required for: rename(), remove(), snprintf()
#include <cstring>    // Required for: strerror()
#include <sys/stat.h> // Required for: stat()

#include "png_file.h"
#include "temp_names.h"

std::string sequenceFrameName(int64_t n)
{
    char name[32];
    snprintf(name, sizeof name, "frame-%05lld.png", static_cast<long long>(n));
    return name;
}

static bool isFolder(const std::string& path)
{
    struct stat info;
    return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

static bool exists(const std::string& path)
{
    struct stat info;
    return stat(path.c_str(), &info) == 0;
}

bool openPngSequence(VideoOutput* out, std::string* error)
{
    out->intoExistingFolder = isFolder(out->path);
    const std::string base = out->intoExistingFolder ? out->path + "/.partial-" : out->path + ".partial-";
    if (!createTempFolder(base, &out->workPath)) {
        *error = (out->intoExistingFolder ? "cannot write into folder " : "cannot create folder ") + out->path + ": " +
                 strerror(errno);
        return false;
    }
    return true;
}

bool writePngSequenceFrame(VideoOutput* out, const RenderTarget& frame, std::string* error)
{
    std::string reason;
    if (!writePngFile(frame, out->workPath + "/" + sequenceFrameName(out->framesWritten), &reason)) {
        *error = reason;
        return false;
    }
    return true;
}

bool finishPngSequence(VideoOutput* out, std::string* error)
{
    if (!out->intoExistingFolder) {
        if (rename(out->workPath.c_str(), out->path.c_str()) != 0) {
            *error = "cannot create folder " + out->path + ": " + strerror(errno);
            return false;
        }
        return true;
    }
    for (int64_t n = 0; n < out->framesWritten; n++) {
        const std::string name = sequenceFrameName(n);
        if (rename((out->workPath + "/" + name).c_str(), (out->path + "/" + name).c_str()) != 0) {
            *error = "cannot move " + name + " into " + out->path + ": " + strerror(errno);
            return false;
        }
    }
    removeFolder(out->workPath);
    // Frames an earlier, longer capture left here would read as part of this one.
    for (int64_t n = out->framesWritten; exists(out->path + "/" + sequenceFrameName(n)); n++)
        if (remove((out->path + "/" + sequenceFrameName(n)).c_str()) != 0) {
            *error =
                "cannot remove the earlier " + sequenceFrameName(n) + " from " + out->path + ": " + strerror(errno);
            return false;
        }
    return true;
}

void abandonPngSequence(VideoOutput* out)
{
    removeFolder(out->workPath);
}
