// alloc_counter.cpp -- replaces the global operator new to count heap allocations.
#include "alloc_counter.h"

#include <atomic>
#include <cstdlib> // Required for: std::malloc(), std::free()
#include <new>

static std::atomic<uint64_t> allocations{0};

uint64_t allocationCount()
{
    return allocations.load(std::memory_order_relaxed);
}

void* operator new(std::size_t size)
{
    allocations.fetch_add(1, std::memory_order_relaxed);
    if (void* p = std::malloc(size == 0 ? 1 : size))
        return p;
    throw std::bad_alloc();
}

void operator delete(void* p) noexcept
{
    std::free(p);
}

void operator delete(void* p, std::size_t) noexcept
{
    std::free(p);
}
