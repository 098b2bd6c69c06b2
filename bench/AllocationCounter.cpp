#include "AllocationCounter.h"

#include <atomic>
#include <fstream>

#include <cerrno>
#include <malloc.h>
#include <unistd.h>

namespace pintora {

// The benchmark binary replaces the C allocator's entry points with counting
// wrappers around glibc's own implementation. Shared libraries (Qt) resolve
// malloc to these as well.
extern "C" {
void *__libc_malloc(std::size_t);
void *__libc_calloc(std::size_t, std::size_t);
void *__libc_realloc(void *, std::size_t);
void *__libc_memalign(std::size_t, std::size_t);
void __libc_free(void *);
}

namespace {

std::atomic<std::size_t> inUse{0};
std::atomic<std::size_t> peak{0};

void *counted(void *pointer)
{
    if (pointer) {
        const std::size_t now = inUse.fetch_add(malloc_usable_size(pointer)) + malloc_usable_size(pointer);
        std::size_t seen = peak.load();
        while (now > seen && !peak.compare_exchange_weak(seen, now)) { }
    }
    return pointer;
}

void uncount(void *pointer)
{
    if (pointer)
        inUse.fetch_sub(malloc_usable_size(pointer));
}

} // namespace

extern "C" {

void *malloc(std::size_t size)
{
    return counted(__libc_malloc(size));
}

void *calloc(std::size_t count, std::size_t size)
{
    return counted(__libc_calloc(count, size));
}

void *realloc(void *pointer, std::size_t size)
{
    uncount(pointer);
    void *moved = __libc_realloc(pointer, size);
    if (!moved && size != 0) {
        counted(pointer); // the old block is still there
        return nullptr;
    }
    return counted(moved);
}

void free(void *pointer)
{
    uncount(pointer);
    __libc_free(pointer);
}

void *memalign(std::size_t alignment, std::size_t size)
{
    return counted(__libc_memalign(alignment, size));
}

void *aligned_alloc(std::size_t alignment, std::size_t size)
{
    return counted(__libc_memalign(alignment, size));
}

int posix_memalign(void **result, std::size_t alignment, std::size_t size)
{
    void *pointer = counted(__libc_memalign(alignment, size));
    if (!pointer)
        return ENOMEM;
    *result = pointer;
    return 0;
}
}

namespace allocation {

std::size_t bytesInUse()
{
    return inUse.load();
}

void resetPeak()
{
    peak.store(inUse.load());
}

std::size_t peakBytes()
{
    return peak.load();
}

std::size_t residentBytes()
{
    std::size_t pages = 0, resident = 0;
    std::ifstream("/proc/self/statm") >> pages >> resident;
    return resident * std::size_t(sysconf(_SC_PAGESIZE));
}

} // namespace allocation

} // namespace pintora
