#include "heap_limit.h"

#include <malloc.h>

#include <cstdlib>
#include <new>

namespace {

std::size_t g_live = 0;
std::size_t g_limit = 0;  // 0: no limit

void* allocate(std::size_t size) noexcept {
    if (g_limit != 0 && g_live + size > g_limit) return nullptr;
    void* p = std::malloc(size == 0 ? 1 : size);
    if (p != nullptr) g_live += malloc_usable_size(p);
    return p;
}

void release(void* p) noexcept {
    if (p == nullptr) return;
    g_live -= malloc_usable_size(p);
    std::free(p);
}

}  // namespace

HeapLimit::HeapLimit(std::size_t extraBytes) {
    g_limit = g_live + extraBytes;
}

HeapLimit::~HeapLimit() {
    g_limit = 0;
}

std::size_t HeapLimit::liveBytes() {
    return g_live;
}

void* operator new(std::size_t size) {
    if (void* p = allocate(size)) return p;
    throw std::bad_alloc();
}
void* operator new[](std::size_t size) {
    if (void* p = allocate(size)) return p;
    throw std::bad_alloc();
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    return allocate(size);
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
    return allocate(size);
}
void operator delete(void* p) noexcept {
    release(p);
}
void operator delete[](void* p) noexcept {
    release(p);
}
void operator delete(void* p, std::size_t) noexcept {
    release(p);
}
void operator delete[](void* p, std::size_t) noexcept {
    release(p);
}
void operator delete(void* p, const std::nothrow_t&) noexcept {
    release(p);
}
void operator delete[](void* p, const std::nothrow_t&) noexcept {
    release(p);
}
