// alloc_counter.cpp -- counts every heap allocation of the process, the libraries' included.
// The program's own malloc family takes precedence over the C library's for every shared
// library too, so allocations inside cairo and Pango are counted as well as our own.
#include "alloc_counter.h"

#include <atomic>
#include <cerrno>  // Required for: ENOMEM
#include <cstddef> // Required for: size_t

extern "C" {
// The C library's own allocator, under the names it exports for wrappers like this one.
void* __libc_malloc(size_t size);
void* __libc_calloc(size_t count, size_t size);
void* __libc_realloc(void* p, size_t size);
void* __libc_memalign(size_t alignment, size_t size);
void __libc_free(void* p);
}

static std::atomic<uint64_t> allocations{0};

uint64_t allocationCount()
{
    return allocations.load(std::memory_order_relaxed);
}

static void counted()
{
    allocations.fetch_add(1, std::memory_order_relaxed);
}

extern "C" {
void* malloc(size_t size)
{
    counted();
    return __libc_malloc(size);
}

void* calloc(size_t count, size_t size)
{
    counted();
    return __libc_calloc(count, size);
}

void* realloc(void* p, size_t size)
{
    counted();
    return __libc_realloc(p, size);
}

void* memalign(size_t alignment, size_t size)
{
    counted();
    return __libc_memalign(alignment, size);
}

void* aligned_alloc(size_t alignment, size_t size)
{
    counted();
    return __libc_memalign(alignment, size);
}

int posix_memalign(void** out, size_t alignment, size_t size)
{
    counted();
    void* p = __libc_memalign(alignment, size);
    if (p == nullptr)
        return ENOMEM;
    *out = p;
    return 0;
}

void free(void* p)
{
    __libc_free(p);
}
}
