// state_json.h -- the complete scene state at one instant, written as JSON.
#pragma once

#include <cstdio>

#include "scene.h" // Required for: SceneClock

// Prints the state left by animate(t) and composeDrawList(); the scene must be set up.
void writeStateJson(FILE* out, SceneClock t);
