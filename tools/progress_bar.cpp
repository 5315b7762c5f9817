// progress_bar.cpp -- a carriage-return progress line, redrawn at most once per percent.
#include "progress_bar.h"

#include <cstdio> // Required for: fprintf(), fputc()

static const int BAR_WIDTH = 40; // Characters between the brackets

static int shownPercent = -1; // What the line shows now, -1 before the first draw

void showProgress(int64_t done, int64_t total)
{
    const int percent = total > 0 ? static_cast<int>(done * 100 / total) : 100;
    if (percent == shownPercent)
        return;
    shownPercent = percent;
    char bar[BAR_WIDTH + 1];
    const int filled = percent * BAR_WIDTH / 100;
    for (int i = 0; i < BAR_WIDTH; i++)
        bar[i] = i < filled ? '#' : '.';
    bar[BAR_WIDTH] = '\0';
    fprintf(stderr, "\r[%s] %3d%%  %lld/%lld frames", bar, percent, static_cast<long long>(done),
            static_cast<long long>(total));
    fflush(stderr);
}

void endProgress()
{
    if (shownPercent >= 0)
        fputc('\n', stderr);
    shownPercent = -1;
}
