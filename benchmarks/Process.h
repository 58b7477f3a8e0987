#pragma once

// What the benchmark asks of the operating system about its own process: processor time, peak
// memory, and running itself again as a fresh process. One implementation per OS, chosen by the
// build, so that the benchmark runs natively and, for the Windows DLL, under Wine.

#include <cstdint>
#include <string>
#include <vector>

namespace Benchmark
{

// Processor time of this process so far (user and system), in seconds.
double ProcessorSeconds();

// The highest resident size (peak working set) of this process so far, in bytes; 0 when the
// system does not say.
std::uint64_t PeakResidentBytes();

// Runs this program again with the arguments (UTF-8) and waits for it; returns its exit
// status, or -1 when it cannot be started.
int RunSelf(const std::vector<std::string>& arguments);

} // namespace Benchmark
