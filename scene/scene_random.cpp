// scene_random.cpp -- the fixed linear congruential generator of the scene's layout.
#include "scene.h"

void seed(SceneRandom* random, uint32_t s)
{
    random->state = s;
}

uint32_t next(SceneRandom* random)
{
    // Unsigned arithmetic wraps modulo 2^32 by definition.
    random->state = random->state * 214013u + 2531011u;
    return (random->state >> 16) & 0x7FFFu;
}
