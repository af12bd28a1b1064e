// The program's own operator new, so that tests can make large allocations
// fail the way they do on a machine short of memory.
#include "tests/test_support.h"
#include <stdlib.h>
#include <new>

static volatile size_t g_largest = (size_t)-1;

AllocationLimit::AllocationLimit(size_t bytes) { g_largest = bytes; }
AllocationLimit::~AllocationLimit() { g_largest = (size_t)-1; }

void* operator new(size_t n) {
    if (n > g_largest) throw std::bad_alloc();
    void* p = malloc(n ? n : 1);
    if (!p) throw std::bad_alloc();
    return p;
}
void* operator new[](size_t n) { return operator new(n); }
void operator delete(void* p) noexcept { free(p); }
void operator delete[](void* p) noexcept { free(p); }
void operator delete(void* p, size_t) noexcept { free(p); }
void operator delete[](void* p, size_t) noexcept { free(p); }
