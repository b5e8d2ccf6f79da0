// Runs one side of one pair many times with callgrind collecting only around the loop, so
// that callgrind's instruction count divided by the iterations is the cost of one call.
// Usage (under valgrind, see callgrind.sh): calvoro_instructions OPERATION library|direct N
#include "cases.h"

#include <valgrind/callgrind.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: %s OPERATION library|direct ITERATIONS\n", argv[0]);
        return 2;
    }
    const long iterations = std::strtol(argv[3], nullptr, 10);
    for (std::size_t i = 0; i < calvoro_bench::kPairCount; ++i) {
        const calvoro_bench::Pair& pair = calvoro_bench::kPairs[i];
        if (std::strcmp(pair.operation, argv[1]) != 0) {
            continue;
        }
        void (*call)() = std::strcmp(argv[2], "library") == 0 ? pair.library : pair.direct;
        calvoro_bench::Prepare();
        call();  // first call outside the count: lazy set-up, cold caches
        CALLGRIND_ZERO_STATS;
        CALLGRIND_START_INSTRUMENTATION;
        for (long n = 0; n < iterations; ++n) {
            call();
        }
        CALLGRIND_STOP_INSTRUMENTATION;
        return 0;
    }
    std::fprintf(stderr, "unknown operation %s\n", argv[1]);
    return 2;
}
