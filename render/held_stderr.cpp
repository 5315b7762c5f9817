// held_stderr.cpp -- stderr kept in an anonymous memory file while a library may talk on it.
#include "held_stderr.h"

#include <cctype>     // Required for: isspace()
#include <sys/mman.h> // Required for: memfd_create()
#include <unistd.h>   // Required for: dup(), dup2(), lseek(), read(), write(), close()

static int savedStderr = -1; // The real stderr while it is held
static int heldText = -1;    // The memory file that stands in for it

bool holdStderr()
{
    heldText = memfd_create("held-stderr", MFD_CLOEXEC);
    savedStderr = heldText < 0 ? -1 : dup(STDERR_FILENO);
    if (savedStderr < 0 || dup2(heldText, STDERR_FILENO) < 0) {
        if (savedStderr >= 0)
            close(savedStderr);
        if (heldText >= 0)
            close(heldText);
        savedStderr = heldText = -1;
        return false;
    }
    return true;
}

// Appends text to line as one line: every run of white space becomes one space, none at
// either end. used is how much of line is filled; returns the new count.
static size_t foldInto(char* line, size_t size, size_t used, const char* text, size_t length)
{
    for (size_t i = 0; i < length && used + 1 < size; i++) {
        const bool space = isspace(static_cast<unsigned char>(text[i])) != 0;
        if (space && (used == 0 || line[used - 1] == ' '))
            continue;
        line[used++] = space ? ' ' : text[i];
    }
    return used;
}

void releaseStderr(bool replay, char* line, size_t size)
{
    size_t used = 0;
    if (savedStderr >= 0) {
        dup2(savedStderr, STDERR_FILENO);
        close(savedStderr);
        lseek(heldText, 0, SEEK_SET);
        char chunk[1024];
        ssize_t got;
        while ((got = read(heldText, chunk, sizeof chunk)) > 0) {
            used = foldInto(line, size, used, chunk, static_cast<size_t>(got));
            if (replay && write(STDERR_FILENO, chunk, static_cast<size_t>(got)) != got)
                replay = false;
        }
        close(heldText);
        savedStderr = heldText = -1;
    }
    if (used > 0 && line[used - 1] == ' ')
        used--;
    if (size > 0)
        line[used] = '\0';
}
