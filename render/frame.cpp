// frame.cpp -- one frame: the backend's target, the drawing core, the backend shows it.
#include "render.h"
#include "render_target.h"

void renderFrame()
{
    RenderTarget target;
    if (!beginTarget(&target))
        return;
    drawScene(target);
    endTarget();
}
