// alloc_counter.h -- counts heap allocations: malloc and its relatives, whoever calls them.
#pragma once

#include <cstdint>

// Allocations (malloc, calloc, realloc, aligned allocations, operator new) since the program started.
uint64_t allocationCount();
