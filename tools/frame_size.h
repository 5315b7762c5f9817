// frame_size.h -- the output size of a captured frame at a given scale, and its check.
#pragma once

#include <cmath>   // Required for: std::isfinite(), std::lround()
#include <cstdlib> // Required for: strtod()
#include <string>

#include <CLI/CLI.hpp> // Required for: CLI::Validator

static const double SCENE_WIDTH = 640.0; // Pixels at scale 1
static const double SCENE_HEIGHT = 480.0;
static const long MAX_FRAME_SIDE = 16384; // Pixels, either side

// Frame width in pixels at scale, rounded to the nearest pixel.
inline long widthAt(double scale)
{
    return std::lround(SCENE_WIDTH * scale);
}

// Frame height in pixels at scale, rounded to the nearest pixel.
inline long heightAt(double scale)
{
    return std::lround(SCENE_HEIGHT * scale);
}

// A positive decimal whose frame is at least one pixel and at most MAX_FRAME_SIDE on each side.
inline CLI::Validator scaleCheck()
{
    return CLI::Validator(
        [](std::string& text) -> std::string {
            char* end = nullptr;
            const double scale = std::strtod(text.c_str(), &end);
            if (text.empty() || *end != '\0' || !std::isfinite(scale))
                return "expected a number for the scale, got '" + text + "'";
            if (scale <= 0.0)
                return "scale must be above 0, got " + text;
            if (widthAt(scale) > MAX_FRAME_SIDE || heightAt(scale) > MAX_FRAME_SIDE)
                return "scale " + text + " makes the frame wider than " + std::to_string(MAX_FRAME_SIDE) + " px";
            if (heightAt(scale) < 1)
                return "scale " + text + " makes the frame less than one pixel high";
            return std::string();
        },
        "K");
}
