#pragma once

// The counting observer: counts the calls by method and keeps nothing else, so that what the
// benchmark times is the plug-in's work, not the host's.

#include "tools/host/Host.h"

#include <array>
#include <cstdint>

namespace Host
{

class CallCounter final : public Observer
{
public:
    void Observe(const Event& event) override { ++counts[static_cast<std::size_t>(event.method)]; }

    std::uint64_t Count(Method method) const { return counts[static_cast<std::size_t>(method)]; }
    void Reset() { counts = {}; }

private:
    std::array<std::uint64_t, kMethodCount> counts{};
};

} // namespace Host
