#include "allocation_probe.h"

#include <atomic>

namespace {

std::atomic<bool> g_armed{false};
std::atomic<std::size_t> g_largest{0};

}  // namespace

#if defined(__SANITIZE_ADDRESS__)

extern "C" int __sanitizer_install_malloc_and_free_hooks(void (*malloc_hook)(const volatile void*, std::size_t),
                                                         void (*free_hook)(const volatile void*));

namespace {

void OnMalloc(const volatile void*, std::size_t size)
{
    if (!g_armed.load(std::memory_order_relaxed))
        return;
    std::size_t seen = g_largest.load(std::memory_order_relaxed);
    while (size > seen && !g_largest.compare_exchange_weak(seen, size)) {
    }
}

void OnFree(const volatile void*) {}

const bool g_installed = __sanitizer_install_malloc_and_free_hooks(OnMalloc, OnFree) != 0;

}  // namespace

bool AllocationProbe::Available()
{
    return g_installed;
}

#else

bool AllocationProbe::Available()
{
    return false;
}

#endif

AllocationProbe::AllocationProbe()
{
    g_largest = 0;
    g_armed = true;
}

AllocationProbe::~AllocationProbe()
{
    g_armed = false;
}

std::size_t AllocationProbe::Largest() const
{
    return g_largest;
}
