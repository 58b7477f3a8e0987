// Windows has neither fork nor FIFOs in the file system: both test helpers say so, and their
// tests skip.

#include "platform/ChildProcess.h"

namespace Platform
{

int RunInChildWithMemoryLimit(std::size_t, const std::function<int()>&)
{
    return -1;
}

bool CreateFifo(const std::filesystem::path&)
{
    return false;
}

} // namespace Platform
