// The random generator: SplitMix64 steps, drawn to 24 bits so that every draw
// is a Single in [0, 1) and the largest is the largest Single below 1.

#include "form_object.h"
#include "services.h"

#include <chrono>

namespace rt {

namespace {

constexpr std::uint64_t Golden = 0x9E3779B97F4A7C15ull;

std::uint64_t mix(std::uint64_t z)
{
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

std::uint64_t state = 0x5DEECE66Dull;

} // namespace

std::optional<Single> (*detail::randomHook)(char) = nullptr;

void Randomize()
{
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    const auto ns = static_cast<std::uint64_t>(
        std::chrono::duration_cast<std::chrono::nanoseconds>(now).count());
    // The old state goes into the new one: equal clock readings never restart
    // a sequence.
    state = mix(state + Golden) ^ mix(ns);
    if (detail::randomHook)
        detail::randomHook('R');
}

Single Rnd()
{
    if (detail::randomHook)
        if (const auto scripted = detail::randomHook('r'))
            return *scripted;
    state += Golden;
    return static_cast<Single>(mix(state) >> 40) * 0x1p-24f;
}

} // namespace rt
