#pragma once

#include <cstddef>

/// A ceiling on the bytes that operator new hands out, for the tests that show how loads and
/// saves behave when memory runs out: an allocation that would pass it throws std::bad_alloc, as
/// on a machine without memory left. Memory freed again can be allocated again. The test binary
/// that links heap_limit.cpp replaces the global operator new and delete; single-threaded use.
class HeapLimit {
public:
    /// Allows `extraBytes` beyond what is allocated now.
    explicit HeapLimit(std::size_t extraBytes);
    ~HeapLimit();
    HeapLimit(const HeapLimit&) = delete;
    HeapLimit& operator=(const HeapLimit&) = delete;

    /// Bytes currently allocated through operator new.
    static std::size_t liveBytes();
};
