#pragma once

// The benchmark's observer of the host: counts the calls by method and keeps nothing else, so
// that what a benchmark times is the plug-in's work, not the host's.

#include "tools/host/Host.h"

#include <array>
#include <cstdint>

namespace Benchmark
{

class CallCounter final : public Host::Observer
{
public:
    void Observe(const Host::Event& event) override
    {
        ++counts[static_cast<std::size_t>(event.method)];
    }

    std::uint64_t Count(Host::Method method) const
    {
        return counts[static_cast<std::size_t>(method)];
    }
    void Reset() { counts = {}; }

private:
    std::array<std::uint64_t, Host::kMethodCount> counts{};
};

} // namespace Benchmark
