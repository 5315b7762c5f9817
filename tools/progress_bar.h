// progress_bar.h -- one line on stderr that fills up as frames are written.
#pragma once

#include <cstdint>

// Redraws the bar for done of total frames when the shown percentage changes.
void showProgress(int64_t done, int64_t total);

// Ends the bar's line so later messages start on a line of their own.
void endProgress();
