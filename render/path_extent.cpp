// path_extent.cpp -- how far a prepared path reaches from its origin.
#include <cmath> // Required for: std::sqrt()

#include "drawing.h"

double pathReach(const cairo_path_t* path)
{
    double reach2 = 0.0;
    if (path == nullptr)
        return 0.0;
    for (int i = 0; i < path->num_data; i += path->data[i].header.length)
        for (int k = 1; k < path->data[i].header.length; k++) {
            const double x = path->data[i + k].point.x;
            const double y = path->data[i + k].point.y;
            if (x * x + y * y > reach2)
                reach2 = x * x + y * y;
        }
    return std::sqrt(reach2);
}
