// display_loss.h -- ends the program cleanly when its X display or window goes away.
#pragma once

// From now on, losing the connection to the X server, or the window being destroyed by
// another program, prints one line on stderr and ends the process with exit code 1,
// instead of the X library's own multi-line exit.
void watchForDisplayLoss();
