// Counts heap allocations of the whole process by standing in for glibc's
// allocator entry points; the real work is left to glibc's own functions.
#include <cstddef>

long g_allocations = 0;
bool g_countAllocations = false;

extern "C" {
void* __libc_malloc(size_t size);
void* __libc_calloc(size_t count, size_t size);
void* __libc_realloc(void* p, size_t size);
void* __libc_memalign(size_t alignment, size_t size);
void __libc_free(void* p);

void* malloc(size_t size) {
    if (g_countAllocations)
        ++g_allocations;
    return __libc_malloc(size);
}
void* calloc(size_t count, size_t size) {
    if (g_countAllocations)
        ++g_allocations;
    return __libc_calloc(count, size);
}
void* realloc(void* p, size_t size) {
    if (g_countAllocations)
        ++g_allocations;
    return __libc_realloc(p, size);
}
void* aligned_alloc(size_t alignment, size_t size) {
    if (g_countAllocations)
        ++g_allocations;
    return __libc_memalign(alignment, size);
}
void free(void* p) {
    __libc_free(p);
}
}
