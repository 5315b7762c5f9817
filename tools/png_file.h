// png_file.h -- a rendered frame written out as a PNG file, whole or not at all.
#pragma once

#include <string>

#include "render_target.h" // Required for: RenderTarget

// Writes image to path through a temporary file in the same folder, renamed into place
// only once complete. On failure leaves no file behind, puts the reason in error and
// returns false.
bool writePngFile(const RenderTarget& image, const std::string& path, std::string* error);
