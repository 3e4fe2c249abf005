// Measures the largest single allocation made while a probe is alive. Works in the sanitizer build
// (through the sanitizer's allocation hooks), which is how the suite runs in CI.
#pragma once

#include <cstddef>

class AllocationProbe {
public:
    // False in a build without AddressSanitizer: the tests that need it skip.
    static bool Available();
    AllocationProbe();
    ~AllocationProbe();
    std::size_t Largest() const;
};
