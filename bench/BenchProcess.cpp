#include "BenchProcess.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

long statusKb(const char* key) {
    std::FILE* f = std::fopen("/proc/self/status", "r");
    if (!f) return 0;
    char line[256];
    long kb = 0;
    const std::size_t n = std::strlen(key);
    while (std::fgets(line, sizeof line, f)) {
        if (std::strncmp(line, key, n) == 0) {
            kb = std::strtol(line + n, nullptr, 10);
            break;
        }
    }
    std::fclose(f);
    return kb;
}

} // namespace

long BenchProcess::residentKb() {
    return statusKb("VmRSS:");
}
long BenchProcess::peakKb() {
    return statusKb("VmHWM:");
}

long BenchProcess::resetPeak() {
    // "5" resets the peak resident set to the present one.
    if (std::FILE* f = std::fopen("/proc/self/clear_refs", "w")) {
        std::fputs("5", f);
        std::fclose(f);
    }
    return residentKb();
}
