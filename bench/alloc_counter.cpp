// alloc_counter.cpp -- counts every heap allocation of the program, the libraries' own included.
// malloc and its relatives are replaced here and forward to glibc's implementation, so
// allocations inside cairo, pixman, Pango and GLib are counted as well as operator new
// (which allocates through malloc). Not for builds with a sanitizer, which replaces them too.
#include "alloc_counter.h"

#include <atomic>
#include <cerrno>  // Required for: ENOMEM
#include <cstddef> // Required for: size_t

extern "C" {
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

static void count()
{
    allocations.fetch_add(1, std::memory_order_relaxed);
}

extern "C" {

void* malloc(size_t size)
{
    count();
    return __libc_malloc(size);
}

void* calloc(size_t n, size_t size)
{
    count();
    return __libc_calloc(n, size);
}

void* realloc(void* p, size_t size)
{
    count();
    return __libc_realloc(p, size);
}

void free(void* p)
{
    __libc_free(p);
}

void* memalign(size_t alignment, size_t size)
{
    count();
    return __libc_memalign(alignment, size);
}

void* aligned_alloc(size_t alignment, size_t size)
{
    count();
    return __libc_memalign(alignment, size);
}

int posix_memalign(void** out, size_t alignment, size_t size)
{
    count();
    void* p = __libc_memalign(alignment, size);
    if (!p)
        return ENOMEM;
    *out = p;
    return 0;
}

void* valloc(size_t size)
{
    count();
    return __libc_memalign(4096, size);
}

void* pvalloc(size_t size)
{
    count();
    return __libc_memalign(4096, (size + 4095) & ~static_cast<size_t>(4095));
}

} // extern "C"
