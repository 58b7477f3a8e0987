// The stand-in for builds whose operator new is the standard one: nothing is counted and
// nothing fails.

#include "tools/host/AllocationFailure.h"

namespace Host
{

bool AllocationFailureAvailable()
{
    return false;
}

void StartCountingAllocations(std::size_t) {}

std::size_t StopCountingAllocations()
{
    return 0;
}

bool AllocationFailureRaised()
{
    return false;
}

void EnterHostCode() {}
void LeaveHostCode() {}

} // namespace Host
