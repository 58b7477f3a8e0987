// Windows has neither fork nor FIFOs in the file system: both test helpers say so, and their
// tests skip.

#include "tests/support/ChildProcess.h"

namespace Testing
{

int RunInChildWithMemoryLimit(std::size_t, const std::function<int()>&)
{
    return -1;
}

bool CreateFifo(const std::filesystem::path&)
{
    return false;
}

} // namespace Testing
