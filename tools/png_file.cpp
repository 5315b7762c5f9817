// png_file.cpp -- cairo's PNG writer, behind a temporary file and a rename.
#include "png_file.h"

#include <cerrno>  // Required for: errno
#include <cstdio>  // Required for: FILE, fdopen(), fwrite(), rename(), remove()
#include <cstring> // Required for: strerror()
#include <vector>

#include <cairo.h>     // Required for: cairo_surface_write_to_png_stream()
#include <sys/stat.h>  // Required for: fchmod(), umask()
#include <unistd.h>    // Required for: close()

// Hands cairo's PNG bytes to the open temporary file.
static cairo_status_t writeToFile(void* closure, const unsigned char* data, unsigned int length)
{
    FILE* file = static_cast<FILE*>(closure);
    return fwrite(data, 1, length, file) == length ? CAIRO_STATUS_SUCCESS : CAIRO_STATUS_WRITE_ERROR;
}

// mkstemp makes the file private; give it the mode a plain new file would get.
static void setUsualMode(int fd)
{
    const mode_t mask = umask(0);
    umask(mask);
    fchmod(fd, 0666 & ~mask);
}

static bool writePng(const RenderTarget& image, FILE* file)
{
    cairo_surface_t* surface = cairo_image_surface_create_for_data(image.pixels, CAIRO_FORMAT_RGB24, image.width,
                                                                   image.height, image.stride);
    cairo_status_t status = cairo_surface_status(surface);
    if (status == CAIRO_STATUS_SUCCESS)
        status = cairo_surface_write_to_png_stream(surface, writeToFile, file);
    cairo_surface_destroy(surface);
    if (status != CAIRO_STATUS_SUCCESS && errno == 0)
        errno = EIO;
    return status == CAIRO_STATUS_SUCCESS;
}

bool writePngFile(const RenderTarget& image, const std::string& path, std::string* error)
{
    std::string name = path + ".partial-XXXXXX";
    std::vector<char> temp(name.begin(), name.end());
    temp.push_back('\0');
    const int fd = mkstemp(temp.data());
    if (fd < 0) {
        *error = "cannot write " + path + ": " + strerror(errno);
        return false;
    }
    setUsualMode(fd);
    FILE* file = fdopen(fd, "wb");
    if (!file) {
        *error = "cannot write " + path + ": " + strerror(errno);
        close(fd);
        remove(temp.data());
        return false;
    }
    errno = 0;
    bool ok = writePng(image, file);
    ok = fflush(file) == 0 && ok;
    ok = fclose(file) == 0 && ok;
    ok = ok && rename(temp.data(), path.c_str()) == 0;
    if (!ok) {
        *error = "cannot write " + path + ": " + strerror(errno ? errno : EIO);
        remove(temp.data());
    }
    return ok;
}
