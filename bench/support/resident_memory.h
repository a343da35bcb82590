#pragma once

#include <unistd.h>

#include <cstdio>

/// Resident memory of this process in bytes (Linux: /proc/self/statm); 0 when unknown.
inline double residentBytes() {
    long pages = 0;
    long resident = 0;
    if (std::FILE* f = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2) resident = 0;
        std::fclose(f);
    }
    return static_cast<double>(resident) * static_cast<double>(sysconf(_SC_PAGESIZE));
}
