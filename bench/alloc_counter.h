// alloc_counter.h -- counts the process's heap allocations, in our code and in the libraries.
#pragma once

#include <cstdint>

// Allocations (malloc, calloc, realloc, aligned forms; operator new uses them) so far.
uint64_t allocationCount();
