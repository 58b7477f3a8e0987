// libFuzzer's entry for one target; the build names the target's function in
// LANDXML_FUZZ_TARGET. A finding is printed and ends the run as a crash, so that libFuzzer keeps
// the input.

#include "fuzz/Targets.h"

#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const Fuzzing::Findings findings = Fuzzing::LANDXML_FUZZ_TARGET(data, size);
    if (findings.empty())
        return 0;
    for (const std::string& finding : findings)
        std::fprintf(stderr, "finding: %s\n", finding.c_str());
    std::abort();
}
