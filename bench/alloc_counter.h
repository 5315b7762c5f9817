// alloc_counter.h -- counts heap allocations made through operator new and malloc's callers.
#pragma once

#include <cstdint>

// Allocations through operator new since the program started.
uint64_t allocationCount();
