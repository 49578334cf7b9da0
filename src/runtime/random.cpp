// The random generator: SplitMix64 steps, drawn to 24 bits so that every draw
// is a Single in [0, 1) and the largest is the largest Single below 1.

#include "services.h"
#include "testing.h"

#include <chrono>
#include <deque>

namespace rt {

namespace {

constexpr std::uint64_t Golden = 0x9E3779B97F4A7C15ull;

std::uint64_t mix(std::uint64_t z)
{
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

struct Generator
{
    std::uint64_t state = 0x5DEECE66Dull;
    std::deque<Single> script;
    bool tracing = false;
    std::string trace;
};

Generator& generator()
{
    static Generator g;
    return g;
}

} // namespace

void Randomize()
{
    Generator& g = generator();
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    const auto ns = static_cast<std::uint64_t>(
        std::chrono::duration_cast<std::chrono::nanoseconds>(now).count());
    // The old state goes into the new one: equal clock readings never restart
    // a sequence.
    g.state = mix(g.state + Golden) ^ mix(ns);
    if (g.tracing)
        g.trace += 'R';
}

Single Rnd()
{
    Generator& g = generator();
    if (g.tracing)
        g.trace += 'r';
    if (!g.script.empty()) {
        const Single r = g.script.front();
        g.script.pop_front();
        return r;
    }
    g.state += Golden;
    return static_cast<Single>(mix(g.state) >> 40) * 0x1p-24f;
}

namespace testing {

void scriptDraws(std::initializer_list<Single> draws)
{
    for (Single r : draws)
        generator().script.push_back(r);
}

std::size_t scriptedDrawsLeft()
{
    return generator().script.size();
}

void traceRandom(bool on)
{
    generator().tracing = on;
    generator().trace.clear();
}

std::string randomTrace()
{
    return generator().trace;
}

} // namespace testing

} // namespace rt
