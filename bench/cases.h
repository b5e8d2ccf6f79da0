// Each PowerClass operation beside the same platform operation called directly through the
// boundary, on the simulated machine: the pair shows what the library itself costs.
#pragma once

#include <cstddef>

namespace calvoro_bench {

struct Pair {
    const char* operation;
    void (*library)();  // the PowerClass operation
    void (*direct)();   // the platform call(s) it makes, with the same arguments
};

/// Puts the simulated machine into the state every case expects.
void Prepare();

extern const Pair kPairs[];
extern const std::size_t kPairCount;

}  // namespace calvoro_bench
