// held_stderr.h -- keeps back what libraries print on stderr while the display is opened.
#pragma once

#include <cstddef>

// From now on, whatever anything in the process writes to stderr is kept, not shown.
// False when it cannot be kept; stderr then stays as it was.
bool holdStderr();

// Puts stderr back. The kept text is copied into line as one line (runs of white space made
// one space, cut to fit); when replay is true it is also written to stderr unchanged.
void releaseStderr(bool replay, char* line, size_t size);
